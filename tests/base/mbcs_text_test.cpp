#include "base/mbcs_text.h"

#include <gtest/gtest.h>

namespace bramix {
namespace {

constexpr auto npos = std::string_view::npos;

TEST(FindOnCharBoundaryTest, FindsTheLeftmostOccurrence) {
    EXPECT_EQ(FindOnCharBoundary("abcabc", "bc"), 1u);
    EXPECT_EQ(FindOnCharBoundary("abcabc", "bc", 2), 4u);
    EXPECT_EQ(FindOnCharBoundary("abc", "x"), npos);
    EXPECT_EQ(FindOnCharBoundary("ab", "abc"), npos);
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
