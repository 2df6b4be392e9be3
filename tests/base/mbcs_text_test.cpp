#include "base/mbcs_text.h"

#include <gtest/gtest.h>

#include <random>

namespace bramix {
namespace {

constexpr auto npos = std::string_view::npos;

TEST(FindOnCharBoundaryTest, FindsTheLeftmostOccurrence) {
    EXPECT_EQ(FindOnCharBoundary("abcabc", "bc"), 1u);
    EXPECT_EQ(FindOnCharBoundary("abcabc", "bc", 2), 4u);
    EXPECT_EQ(FindOnCharBoundary("abc", "x"), npos);
    EXPECT_EQ(FindOnCharBoundary("ab", "abc"), npos);
    EXPECT_EQ(FindOnCharBoundary(std::string_view(), "a"), npos);  // no data at all
}

TEST(FindOnCharBoundaryTest, AnEmptyNeedleIsFoundAtTheStart) {
    EXPECT_EQ(FindOnCharBoundary("abc", ""), 0u);
    EXPECT_EQ(FindOnCharBoundary("", ""), 0u);
}

TEST(FindOnCharBoundaryTest, NeverMatchesFromATrailByte) {
    // 0xB0 0x41 is one character whose second byte looks like 'A'.
    EXPECT_EQ(FindOnCharBoundary("\xB0"
                                 "A",
                                 "A"),
              npos);
    EXPECT_EQ(FindOnCharBoundary("\xB0"
                                 "AA",
                                 "A"),
              2u);
    // 0xC7 0xB0 0xB0 0xA1: the middle pair looks like a character but is not one.
    EXPECT_EQ(FindOnCharBoundary("\xC7\xB0\xB0\xA1", "\xB0\xB0"), npos);
    EXPECT_EQ(FindOnCharBoundary("\xC7\xB0\xB0\xA1", "\xB0\xA1"), 2u);
}

TEST(FindOnCharBoundaryTest, ALeadByteCutOffAtTheEndReadsNothingBeyond) {
    EXPECT_EQ(FindOnCharBoundary("ab\xB0", "\xB0"), 2u);
    EXPECT_EQ(FindOnCharBoundary("ab\xB0", "\xB0\xA1"), npos);
}

TEST(ReplaceAllTest, ReplacesNonOverlappingOccurrencesInOnePass) {
    std::string text = "aaaa";
    EXPECT_EQ(ReplaceAll(text, "aa", "b"), 2);
    EXPECT_EQ(text, "bb");

    text = "aaa";
    EXPECT_EQ(ReplaceAll(text, "aa", "a"), 1);
    EXPECT_EQ(text, "aa");  // what it wrote is not scanned again
}

TEST(ReplaceAllTest, LeavesTrailBytesAlone) {
    std::string text =
        "\xB0"
        "A-A";
    EXPECT_EQ(ReplaceAll(text, "A", "x"), 1);
    EXPECT_EQ(text,
              "\xB0"
              "A-x");
}

TEST(ReplaceAllTest, AnEmptyPatternReplacesNothing) {
    std::string text = "abc";
    EXPECT_EQ(ReplaceAll(text, "", "x"), 0);
    EXPECT_EQ(text, "abc");
}

TEST(ReplaceRepeatedlyTest, RepeatsUntilNothingIsLeft) {
    std::string text = "a     b";
    ReplaceRepeatedly(text, "  ", " ");
    EXPECT_EQ(text, "a b");
    text = "x........y";
    ReplaceRepeatedly(text, "....", "...");
    EXPECT_EQ(text, "x...y");
}

TEST(ReplaceRepeatedlyTest, ReachesWhatRepeatedPassesReach) {
    // Whole passes until nothing changes, as the rule reads; kept here as the
    // reference for the one-pass version.
    auto passes = [](std::string text, std::string_view from, std::string_view to) {
        while (ReplaceAll(text, from, to) > 0) {
        }
        return text;
    };
    const std::pair<std::string_view, std::string_view> patterns[] = {
        {"  ", " "}, {"!!", "!"},     {"--", "-"},          {"~~", "~"},
        {"&&", "&"}, {"....", "..."}, {"amp;amp;", "amp;"}, {"[1].", "."},
    };
    // Texts of the patterns' own bytes and of two-byte characters whose
    // second byte looks like them.
    const char alphabet[] = {' ', '!', '-', '~', '&', '.', 'a',
                             'm', 'p', ';', '[', '1', ']', '\xB0'};
    std::mt19937 random(7);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const size_t length = random() % 24;
        for (size_t i = 0; i < length; ++i) {
            text += alphabet[random() % sizeof alphabet];
        }
        for (const auto& [from, to] : patterns) {
            std::string once = text;
            ReplaceRepeatedly(once, from, to);
            ASSERT_EQ(once, passes(text, from, to)) << text << " / " << from;
        }
    }
}

TEST(ReplaceRepeatedlyTest, TakesOnePassOverALongRun) {
    std::string text;
    for (int i = 0; i < 60000; ++i) {
        text += "[1]";
    }
    text += ".mp3";
    ReplaceRepeatedly(text, "[1].", ".");
    EXPECT_EQ(text, ".mp3");
}

TEST(ReplaceRepeatedlyTest, AGrowingReplacementRunsOnce) {
    std::string text = "-";
    ReplaceRepeatedly(text, "-", " - ");
    EXPECT_EQ(text, " - ");
}

TEST(LowerAsciiTest, ChangesOnlyCapitalLetters) {
    std::string text = "ABC xyz 123 [Z]";
    LowerAscii(text);
    EXPECT_EQ(text, "abc xyz 123 [z]");
}

TEST(LowerAsciiTest, NeverChangesTheSecondByteOfACharacter) {
    std::string text =
        "\xB0"
        "A"
        "B\xB0";
    LowerAscii(text);
    EXPECT_EQ(text,
              "\xB0"
              "Ab\xB0");
}

}  // namespace
}  // namespace bramix
