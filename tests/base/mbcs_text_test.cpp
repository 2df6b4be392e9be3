#include "base/mbcs_text.h"

#include <gtest/gtest.h>

#include <random>

namespace bramix {
namespace {

constexpr auto npos = std::string_view::npos;

// 0xB0 0x41 is one character whose second byte looks like 'A'; in
// 0xC7 0xB0 0xB0 0xA1 the middle pair looks like a character but is not one.
TEST(FindOnCharBoundaryTest, FindsTheLeftmostOccurrenceThatStartsACharacter) {
    struct Row {
        std::string_view text, needle;
        size_t from, found;
    };
    const Row rows[] = {
        {"abcabc", "bc", 0, 1},
        {"abcabc", "bc", 2, 4},
        {"abc", "x", 0, npos},
        {"ab", "abc", 0, npos},
        {std::string_view(), "a", 0, npos},  // no data at all
        {"abc", "", 0, 0},
        {"", "", 0, 0},
        {"\xB0\x41", "A", 0, npos},
        {"\xB0\x41\x41", "A", 0, 2},
        {"\xC7\xB0\xB0\xA1", "\xB0\xB0", 0, npos},
        {"\xC7\xB0\xB0\xA1", "\xB0\xA1", 0, 2},
        {"ab\xB0", "\xB0", 0, 2},  // a lead byte cut off at the end reads nothing beyond
        {"ab\xB0", "\xB0\xA1", 0, npos}};
    for (const Row& row : rows) {
        EXPECT_EQ(FindOnCharBoundary(row.text, row.needle, row.from), row.found)
            << row.text << " / " << row.needle;
    }
}

TEST(ReplaceTest, ReplacesOnCharacterBoundariesOnceOrUntilNothingIsLeft) {
    struct Row {
        std::string text, from, to;
        bool repeatedly;
        std::string result;
    };
    const Row rows[] = {
        {"aaaa", "aa", "b", false, "bb"},
        {"aaa", "aa", "a", false, "aa"},  // what it wrote is not scanned again
        {"\xB0\x41-A", "A", "x", false, "\xB0\x41-x"},
        {"abc", "", "x", false, "abc"},
        {"a     b", "  ", " ", true, "a b"},
        {"x........y", "....", "...", true, "x...y"},
        {"-", "-", " - ", true, " - "},  // a growing replacement runs once
    };
    for (Row row : rows) {
        SCOPED_TRACE(row.text + " / " + row.from);
        if (row.repeatedly) {
            ReplaceRepeatedly(row.text, row.from, row.to);
        } else {
            ReplaceAll(row.text, row.from, row.to);
        }
        EXPECT_EQ(row.text, row.result);
    }
    std::string text = "aaaa";
    EXPECT_EQ(ReplaceAll(text, "aa", "b"), 2);
    EXPECT_EQ(ReplaceAll(text, "", "x"), 0);
}

// Whole passes until nothing changes, as the rule reads, are the reference
// for the one-pass version.
TEST(ReplaceTest, RepeatingReachesWhatRepeatedPassesReach) {
    auto passes = [](std::string text, std::string_view from, std::string_view to) {
        while (ReplaceAll(text, from, to) > 0) {
        }
        return text;
    };
    const std::pair<std::string_view, std::string_view> patterns[] = {
        {"  ", " "}, {"!!", "!"},     {"--", "-"},          {"~~", "~"},
        {"&&", "&"}, {"....", "..."}, {"amp;amp;", "amp;"}, {"[1].", "."}};
    // The patterns' own bytes and a lead byte whose next byte looks like them.
    const char alphabet[] = {' ', '!', '-', '~', '&', '.', 'a',
                             'm', 'p', ';', '[', '1', ']', '\xB0'};
    std::mt19937 random(7);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (size_t i = random() % 24; i > 0; --i) {
            text += alphabet[random() % sizeof alphabet];
        }
        for (const auto& [from, to] : patterns) {
            std::string once = text;
            ReplaceRepeatedly(once, from, to);
            ASSERT_EQ(once, passes(text, from, to)) << text << " / " << from;
        }
    }
    // One pass over a long run, not one per occurrence.
    std::string text;
    for (int i = 0; i < 60000; ++i) {
        text += "[1]";
    }
    text += ".mp3";
    ReplaceRepeatedly(text, "[1].", ".");
    EXPECT_EQ(text, ".mp3");
}

TEST(LowerAsciiTest, ChangesOnlyCapitalLettersThatStartACharacter) {
    std::string text =
        "ABC xyz 123 [Z] \xB0"
        "AB\xB0";
    LowerAscii(text);
    EXPECT_EQ(text,
              "abc xyz 123 [z] \xB0"
              "Ab\xB0");
}

}  // namespace
}  // namespace bramix
