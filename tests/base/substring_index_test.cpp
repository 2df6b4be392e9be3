#include "base/substring_index.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "base/mbcs_text.h"

namespace bramix {
namespace {

TEST(SubstringIndexTest, AnswersAsASearchOnCharacterBoundariesDoes) {
    // Short texts over a few bytes, two-byte characters among them whose
    // second byte looks like the single ones: every answer must agree.
    const char alphabet[] = {'a', 'b', 'A', ' ', '\xB0', '\xA1'};
    std::mt19937 random(11);
    auto draw = [&](size_t most) {
        std::string text;
        const size_t length = random() % (most + 1);
        for (size_t i = 0; i < length; ++i) {
            text += alphabet[random() % sizeof alphabet];
        }
        return text;
    };
    for (int round = 0; round < 3000; ++round) {
        const std::string text = draw(16);
        const SubstringIndex index(text);
        for (int probe = 0; probe < 20; ++probe) {
            const std::string needle = draw(5);
            ASSERT_EQ(index.Contains(needle), FindOnCharBoundary(text, needle) != std::string::npos)
                << "text '" << text << "' needle '" << needle << "'";
        }
    }
}

TEST(SubstringIndexTest, NeverMatchesFromTheSecondByteOfACharacter) {
    const std::string text =
        "x\xB0"
        "Ay";  // 0xB0 0x41 is one character
    const SubstringIndex index(text);
    EXPECT_FALSE(index.Contains("Ay"));
    EXPECT_TRUE(
        index.Contains("\xB0"
                       "A"));
    EXPECT_TRUE(index.Contains("x\xB0"));  // half a character at the needle's end
    EXPECT_TRUE(index.Contains(""));
    EXPECT_TRUE(index.Contains("y"));
}

}  // namespace
}  // namespace bramix
