#include "titles/keyword_match.h"

#include <gtest/gtest.h>

#include <tuple>

#include "support/web_test.h"

namespace bramix {

using testing::Ansi;

// 0xB0 followed by 'A', '[' or ' ' is one character whatever its second byte.
TEST(KeywordMatchTest, NormalizesTermsAndCompactsTexts) {
    using Edit = std::string (*)(std::string);
    const Edit normalize = [](std::string s) -> std::string { return NormalizeSearchTerm(s); };
    const Edit compact = [](std::string s) { return CompactForMatch(s); };
    // clang-format off
    const std::tuple<Edit, std::string, std::string> rows[] = {
        {normalize, "  Love  MP3  ", "love"}, {normalize, "WMA", ""},
        {normalize, " love mp3 song ", "lovesong"},  // the neighbours join
        {normalize, "mp3player", "mp3player"}, {normalize, "my.mp3 list", "my.mp3 list"},
        {normalize, " mp3 mp3 ", "mp3"},  // only the first of two adjacent ones goes
        {normalize, Ansi("가을   편지\t노래"), Ansi("가을 편지\t노래")},
        {compact, " [M/V] Love-Song! (Live) ", "mvlovesonglive"},
        {compact, Ansi("[MV] 하늘, 푸른"), Ansi("mv하늘푸른")},
        {compact, "\xB0\x41\xB0[ x", "\xB0\x41\xB0[x"},
        {compact, "a \xB0", "a\xB0"}};  // a lead byte cut off at the end
    // clang-format on
    for (const auto& [function, input, output] : rows) {
        EXPECT_EQ(function(input), output) << input;
    }
}

// Every word of the term, in any order, on character boundaries; format words,
// white space and punctuation take no part. The long rows go through an index
// of the text, where "\xA1w" is only from a character's second byte.
TEST(KeywordMatchTest, MatchesEveryWordOfTheTerm) {
    std::string longTerm;
    std::string longText;
    for (int i = 0; i < 3000; ++i) {
        longTerm += "w" + std::to_string(i) + "\xB0\xA1 ";
        longText.insert(0, "w" + std::to_string(i) + "\xB0\xA1-");
    }
    // clang-format off
    const std::tuple<std::string, std::string, bool> rows[] = {
        {Ansi("푸른 하늘"), Ansi("푸른하늘"), true},
        {Ansi("푸른 하늘"), Ansi("[MV] 하늘, 푸른"), true},
        {Ansi("가을 편지 노래"), Ansi("편지노래 - 가을"), true},
        {Ansi("가을 편지 노래"), Ansi("가을 - 하늘"), false},
        {"love mp3 song", "LOVESONG.mp3", true}, {"love mp3 song", "Song of Love", false},
        {"", "anything", true}, {" !! ", "x", true}, {"mp3", "", true},
        {"a.b", "xaby", true}, {"a.b", "a-b", true}, {"a.b", "a x b", false},
        {"love - song", "song, love", true},  // a lone hyphen is no word
        {"x", "-- !! --", false}, {"--", "-- !! --", true},
        {"\xB0\xB0", "\xC7\xB0\xB0\xA1", false}, {"\xB0\xA1", "\xC7\xB0\xB0\xA1", true},
        {"a", "\xB0" "a", false},
        {longTerm, longText, true}, {longText, longText, true},
        {longTerm + "w3000", longText, false}, {longTerm + " \xA1w", longText, false}};
    // clang-format on
    for (const auto& [term, text, matches] : rows) {
        EXPECT_EQ(MatchesSearchTerm(term, text), matches)
            << term.substr(0, 40) << " / " << text.substr(0, 40);
    }
}

}  // namespace bramix
