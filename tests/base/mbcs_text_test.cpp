#include "base/mbcs_text.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "base/substring_index.h"

namespace bramix {

constexpr auto npos = std::string_view::npos;

// 0xB0 0x41 is one character whose second byte looks like 'A'; in
// 0xC7 0xB0 0xB0 0xA1 the middle pair looks like a character but is not one.
TEST(MbcsTextTest, FindsTheLeftmostOccurrenceThatStartsACharacter) {
    // clang-format off
    const std::tuple<std::string_view, std::string_view, size_t, size_t> rows[] = {
        {"abcabc", "bc", 0, 1}, {"abcabc", "bc", 2, 4}, {"ab", "abc", 0, npos}, {"", "", 0, 0},
        {std::string_view(), "a", 0, npos},  // no data at all
        {"\xB0\x41", "A", 0, npos}, {"\xB0\x41\x41", "A", 0, 2},
        {"\xC7\xB0\xB0\xA1", "\xB0\xB0", 0, npos}, {"\xC7\xB0\xB0\xA1", "\xB0\xA1", 0, 2},
        // A lead byte cut off at the end reads nothing beyond.
        {"ab\xB0", "\xB0", 0, 2}, {"ab\xB0", "\xB0\xA1", 0, npos}};
    // clang-format on
    for (const auto& [text, needle, from, found] : rows) {
        EXPECT_EQ(FindOnCharBoundary(text, needle, from), found) << text << " / " << needle;
    }
}

// What the fuzz target's check against whole passes cannot tell.
TEST(MbcsTextTest, ReplacesAndLowerCasesOnlyWhereACharacterStarts) {
    std::string text = "aaa";
    EXPECT_EQ(ReplaceAll(text, "aa", "a"), 1);
    EXPECT_EQ(text, "aa");  // what it wrote is not scanned again
    text = "\xB0\x41-A";
    ReplaceAll(text, "A", "x");
    EXPECT_EQ(text, "\xB0\x41-x");
    text = "-";
    ReplaceRepeatedly(text, "-", " - ");
    EXPECT_EQ(text, " - ");  // a growing replacement runs once
    text = "ABC xyz [Z] \xB0\x41\x42\xB0";
    LowerAscii(text);
    EXPECT_EQ(text, "abc xyz [z] \xB0\x41\x62\xB0");
}

// On random texts over a few bytes, among them a two-byte character whose
// second byte looks like a single one; then over enough characters that states
// lead on more than their list holds.
TEST(MbcsTextTest, TheIndexesAnswerAsASearchOnCharacterBoundariesDoes) {
    const std::string few = {'a', 'b', 'A', ' ', '\xB0', '\xA1'};
    std::mt19937 random(11);
    for (const auto& [letters, longestText, rounds] :
         {std::tuple(few, 16, 3000), std::tuple(few + "cdefghijklmnopqrstuvwxyz", 300, 300)}) {
        const std::string& alphabet = letters;  // clang 14 captures no bindings
        auto draw = [&](size_t most) {
            std::string text;
            for (size_t i = random() % (most + 1); i > 0; --i) {
                text += alphabet[random() % alphabet.size()];
            }
            return text;
        };
        for (int round = 0; round < rounds; ++round) {
            const std::string text = draw(longestText);
            const SubstringIndex index(text);
            const CharacterStarts starts(text);
            for (int probe = 0; probe < 20; ++probe) {
                // Needles from the text itself, too, so that most are found.
                const size_t from = text.empty() ? 0 : random() % text.size();
                const std::string needle =
                    probe % 2 == 0 ? draw(5) : text.substr(from, random() % 6);
                const bool found = FindOnCharBoundary(text, needle) != npos;
                ASSERT_EQ(index.Contains(needle), found) << text << " / " << needle;
                ASSERT_EQ(starts.Contain(needle), found) << text << " / " << needle;
            }
        }
    }
}

}  // namespace bramix
