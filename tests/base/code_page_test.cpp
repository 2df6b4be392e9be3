#include "base/code_page.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

namespace bramix {
namespace {

std::string FromHex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    }
    return bytes;
}

std::string ToHex(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    for (const char c : bytes) {
        hex += kHex[static_cast<unsigned char>(c) >> 4];
        hex += kHex[static_cast<unsigned char>(c) & 0x0F];
    }
    return hex;
}

struct ReferenceRow {
    std::string direction;
    std::string input;
    std::string expected;
    std::string note;
};

// Made by Python's cp949 codec (data/make_cp949_reference.py), an independent
// converter; invalid input follows the program's replacement rule.
std::vector<ReferenceRow> ReadReference() {
    std::ifstream file(BRAMIX_TEST_DATA_DIR "/cp949_reference.tsv");
    std::vector<ReferenceRow> rows;
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        ReferenceRow row;
        std::string input;
        std::string expected;
        std::getline(fields, row.direction, '\t');
        std::getline(fields, input, '\t');
        std::getline(fields, expected, '\t');
        std::getline(fields, row.note);
        row.input = FromHex(input);
        row.expected = FromHex(expected);
        rows.push_back(row);
    }
    return rows;
}

TEST(CodePageTest, AgreesWithTheReferenceConverter) {
    const std::vector<ReferenceRow> rows = ReadReference();
    ASSERT_GT(rows.size(), 30u);
    for (const ReferenceRow& row : rows) {
        const std::string actual =
            row.direction == "to949" ? Utf8ToAnsi(row.input) : AnsiToUtf8(row.input);
        EXPECT_EQ(ToHex(actual), ToHex(row.expected)) << row.direction << ": " << row.note;
    }
}

TEST(CodePageTest, EmptyInputGivesEmptyOutput) {
    EXPECT_EQ(Utf8ToAnsi(""), "");
    EXPECT_EQ(AnsiToUtf8(""), "");
}

TEST(CodePageTest, AsciiPassesThroughUnchanged) {
    const std::string ascii = "<html><title>Love Song</title></html>\r\n";
    EXPECT_EQ(AnsiToUtf8(ascii), ascii);
    EXPECT_EQ(Utf8ToAnsi(ascii), ascii);
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

TEST(CodePageTest, InvalidInputAloneStillGivesText) {
    EXPECT_EQ(Utf8ToAnsi("\x80"), "?");
    EXPECT_EQ(AnsiToUtf8("\xB0"), "?");
    EXPECT_EQ(AnsiToUtf8("\xFF\xFF"), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

}  // namespace
}  // namespace bramix
