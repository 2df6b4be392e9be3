#include "base/mbcs_text.h"

#include <gtest/gtest.h>

#include <random>

namespace bramix {
namespace {

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

TEST(MbcsTextTest, ReplacesAndLowerCasesOnlyWhereACharacterStarts) {
    std::string text = "aaaa";
    EXPECT_EQ(ReplaceAll(text, "aa", "b"), 2);
    EXPECT_EQ(text, "bb");
    EXPECT_EQ(ReplaceAll(text, "", "x"), 0);
    text = "aaa";
    ReplaceAll(text, "aa", "a");
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

// Whole passes until nothing changes, as the rule reads, are the reference
// for the one-pass version: on random texts of the patterns' own bytes and a
// lead byte whose next byte looks like them, and on a long run in one pass.
TEST(MbcsTextTest, ReplacingRepeatedlyReachesWhatRepeatedPassesReach) {
    // clang-format off
    const std::pair<std::string_view, std::string_view> patterns[] = {
        {"  ", " "}, {"!!", "!"}, {"--", "-"}, {"~~", "~"}, {"&&", "&"}, {"....", "..."},
        {"amp;amp;", "amp;"}, {"[1].", "."}};
    // clang-format on
    const std::string_view alphabet = " !-~&.amp;[1]\xB0";
    std::mt19937 random(7);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (size_t i = random() % 24; i > 0; --i) {
            text += alphabet[random() % alphabet.size()];
        }
        for (const auto& [from, to] : patterns) {
            std::string once = text;
            std::string passes = text;
            ReplaceRepeatedly(once, from, to);
            while (ReplaceAll(passes, from, to) > 0) {
            }
            ASSERT_EQ(once, passes) << text << " / " << from;
        }
    }
    std::string text;
    for (int i = 0; i < 60000; ++i) {
        text += "[1]";
    }
    text += ".mp3";
    ReplaceRepeatedly(text, "[1].", ".");
    EXPECT_EQ(text, ".mp3");
}

}  // namespace
}  // namespace bramix
