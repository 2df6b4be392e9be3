#include "titles/keyword_match.h"

#include <gtest/gtest.h>

#include "support/web_test.h"

namespace bramix {
namespace {

using testing::Ansi;

std::string Normalized(std::string term) {
    return NormalizeSearchTerm(term);
}

TEST(NormalizeSearchTermTest, TrimsLowerCasesAndDropsFreeStandingFormatWords) {
    EXPECT_EQ(Normalized("  Love  MP3  "), "love");
    EXPECT_EQ(Normalized("mp3"), "");
    EXPECT_EQ(Normalized("WMA"), "");
    EXPECT_EQ(Normalized(" love mp3 song "), "lovesong");  // the neighbours join
    EXPECT_EQ(Normalized("love wma song"), "lovesong");
}

TEST(NormalizeSearchTermTest, KeepsFormatWordsInsideOtherWords) {
    EXPECT_EQ(Normalized("mp3player"), "mp3player");
    EXPECT_EQ(Normalized("my.mp3 list"), "my.mp3 list");
}

TEST(NormalizeSearchTermTest, RemovesOnlyTheFirstOfTwoAdjacentFormatWords) {
    EXPECT_EQ(Normalized(" mp3 mp3 "), "mp3");
}

TEST(NormalizeSearchTermTest, CollapsesRunsOfSpaces) {
    EXPECT_EQ(Normalized(Ansi("가을   편지\t노래")), Ansi("가을 편지\t노래"));
}

TEST(CompactForMatchTest, DropsWhiteSpaceAndPunctuationAndLowerCases) {
    EXPECT_EQ(CompactForMatch(" [M/V] Love-Song! (Live) "), "mvlovesonglive");
    EXPECT_EQ(CompactForMatch("!@#$%^&*() \t"), "");
    EXPECT_EQ(CompactForMatch(Ansi("[MV] 하늘, 푸른")), Ansi("mv하늘푸른"));
}

TEST(CompactForMatchTest, KeepsTwoByteCharactersWholeWhateverTheirSecondByte) {
    // Second bytes that look like 'A', '[' and ' ' in ASCII.
    EXPECT_EQ(CompactForMatch("\xB0"
                              "A"
                              "\xB0[ x"),
              "\xB0"
              "A"
              "\xB0[x");
}

TEST(CompactForMatchTest, ALeadByteCutOffAtTheEndStaysAndNothingIsReadBeyond) {
    const std::string text("a \xB0", 3);
    EXPECT_EQ(CompactForMatch(std::string_view(text.data(), 3)), "a\xB0");
}

TEST(MatchesSearchTermTest, EveryWordMustOccurInAnyOrder) {
    EXPECT_TRUE(MatchesSearchTerm(Ansi("푸른 하늘"), Ansi("푸른하늘")));
    EXPECT_TRUE(MatchesSearchTerm(Ansi("푸른 하늘"), Ansi("[MV] 하늘, 푸른")));
    EXPECT_TRUE(MatchesSearchTerm(Ansi("가을 편지 노래"), Ansi("편지노래 - 가을")));
    EXPECT_FALSE(MatchesSearchTerm(Ansi("가을 편지 노래"), Ansi("가을 - 하늘")));
}

TEST(MatchesSearchTermTest, FormatWordsAreNotPartOfTheTerm) {
    EXPECT_TRUE(MatchesSearchTerm("love mp3 song", "Love Song"));
    EXPECT_TRUE(MatchesSearchTerm("love mp3 song", "LOVESONG.mp3"));
    EXPECT_FALSE(MatchesSearchTerm("love mp3 song", "Song of Love"));
}

TEST(MatchesSearchTermTest, AnEmptyTermMatchesEverything) {
    EXPECT_TRUE(MatchesSearchTerm("mp3", ""));
    EXPECT_TRUE(MatchesSearchTerm("", "anything"));
    EXPECT_TRUE(MatchesSearchTerm(" !! ", "x"));
}

TEST(MatchesSearchTermTest, PunctuationInsideAWordIsIgnored) {
    EXPECT_TRUE(MatchesSearchTerm("a.b", "xaby"));
    EXPECT_TRUE(MatchesSearchTerm("a.b", "a-b"));
    EXPECT_FALSE(MatchesSearchTerm("a.b", "a x b"));
    EXPECT_TRUE(MatchesSearchTerm("love - song", "song, love"));  // a lone hyphen is no word
}

TEST(MatchesSearchTermTest, ATextOfPunctuationMatchesOnlyAnEmptyTerm) {
    EXPECT_FALSE(MatchesSearchTerm("x", "-- !! --"));
    EXPECT_TRUE(MatchesSearchTerm("--", "-- !! --"));
}

TEST(MatchesSearchTermTest, NeverMatchesAcrossACharacterBoundary) {
    // Text 0xC7 0xB0 0xB0 0xA1 holds the bytes of 0xB0 0xB0 only across two characters.
    EXPECT_FALSE(MatchesSearchTerm("\xB0\xB0", "\xC7\xB0\xB0\xA1"));
    EXPECT_TRUE(MatchesSearchTerm("\xB0\xA1", "\xC7\xB0\xB0\xA1"));
    EXPECT_FALSE(MatchesSearchTerm("a",
                                   "\xB0"
                                   "a"));  // 'a' as a second byte
}

TEST(MatchesSearchTermTest, LongTermsAndTextsAnswerAsShortOnesDo) {
    // Large enough to be answered through an index of the text.
    std::string term;
    std::string text;
    for (int i = 0; i < 3000; ++i) {
        term += "w" + std::to_string(i) + "\xB0\xA1 ";
        text.insert(0, "w" + std::to_string(i) + "\xB0\xA1-");
    }
    EXPECT_TRUE(MatchesSearchTerm(term, text));
    EXPECT_FALSE(MatchesSearchTerm(term + "w3000", text));
    EXPECT_TRUE(MatchesSearchTerm(text, text));
    // The bytes "\xA1w" are in the text only from a character's second byte.
    EXPECT_FALSE(MatchesSearchTerm(term + " \xA1w", text));
}

}  // namespace
}  // namespace bramix
