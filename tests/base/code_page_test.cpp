#include "base/code_page.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace bramix {

static std::string FromHex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    }
    return bytes;
}

// The table is an independent converter's: data/make_cp949_reference.py.
TEST(CodePageTest, AgreesWithTheReferenceConverter) {
    std::ifstream file(BRAMIX_TEST_DATA_DIR "/cp949_reference.tsv");
    std::string line;
    int rows = 0;
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        std::string direction, input, expected, note;
        if (fields >> direction >> input >> expected && direction[0] != '#') {
            std::getline(fields, note);
            const std::string bytes = FromHex(input);
            EXPECT_EQ(direction == "to949" ? Utf8ToAnsi(bytes) : AnsiToUtf8(bytes),
                      FromHex(expected))
                << direction << ":" << note;
            ++rows;
        }
    }
    EXPECT_GT(rows, 30);
}

TEST(CodePageTest, ABadByteInALongTextReplacesOnlyItself) {
    std::string utf8;
    for (int i = 0; i < 20000; ++i) {
        utf8 += "봄노래 ";  // 10 bytes of UTF-8, 7 of code page 949
    }
    const std::string clean = Utf8ToAnsi(utf8);
    ASSERT_EQ(clean.size(), 20000u * 7);
    EXPECT_EQ(AnsiToUtf8(clean), utf8);

    std::string broken = utf8;
    broken.insert(100000, "\x80");
    EXPECT_EQ(Utf8ToAnsi(broken), clean.substr(0, 70000) + "?" + clean.substr(70000));
}

}  // namespace bramix
