#include "base/text_helpers.h"

#include <gtest/gtest.h>

#include "base/percent_coding.h"
#include "support/web_test.h"

namespace bramix {
namespace {

using testing::Ansi;

std::string Trimmed(std::string text) {
    return TrimSpaces(text);
}

std::string TrimmedOf(std::string text, char ch) {
    return TrimChar(text, ch);
}

TEST(FindBytesTest, FindsFromWhereItIsToldAndNeverPastTheEnd) {
    EXPECT_EQ(FindBytes("a.b.c", ".c"), 3u);
    EXPECT_EQ(FindBytes("a.b.c", ".", 2), 3u);
    EXPECT_EQ(FindBytes("a.b.c", "", 5), 5u);
    EXPECT_EQ(FindBytes("a.b.c", "", 6), std::string_view::npos);
    EXPECT_EQ(FindBytes("", "x"), std::string_view::npos);
    EXPECT_EQ(FindBytes(std::string_view(), "x"), std::string_view::npos);
    EXPECT_EQ(FindBytes("a.b.c", "c.", 0), std::string_view::npos);
    EXPECT_EQ(FindBytes(std::string(100000, '.') + ".tistory.com/", ".tistory.com/"), 100000u);
}

TEST(TrimSpacesTest, RemovesEveryWhiteSpaceByteAtBothEndsOnly) {
    EXPECT_EQ(Trimmed(" \t\r\n\v\fa b\t \n"), "a b");
    EXPECT_EQ(Trimmed("   "), "");
    EXPECT_EQ(Trimmed(""), "");
    EXPECT_EQ(Trimmed("x"), "x");
}

TEST(TrimSpacesTest, KeepsKoreanCharacterAndDropsTheSpacesAfterIt) {
    EXPECT_EQ(Trimmed(Ansi("  봄노래  ")), Ansi("봄노래"));
}

TEST(TrimSpacesTest, KeepsALeadByteCutOffAtTheEnd) {
    EXPECT_EQ(Trimmed(" a\xB0"), "a\xB0");
}

TEST(TrimCharTest, RemovesTheByteAtBothEnds) {
    EXPECT_EQ(TrimmedOf("\"\"a\"b\"", '"'), "a\"b");
    EXPECT_EQ(TrimmedOf("\"\"\"", '"'), "");
    EXPECT_EQ(TrimmedOf("~~x~", '~'), "x");
}

TEST(TrimCharTest, NeverTakesATrailByteForTheCharacter) {
    // 0xB0 0x7E is one character whose trail byte is the tilde.
    EXPECT_EQ(TrimmedOf("~\xB0~~", '~'), "\xB0~");
    EXPECT_EQ(TrimmedOf("\xB0~", '~'), "\xB0~");
}

TEST(UrlEncodeTest, KeepsLettersDigitsAndThreeMarks) {
    EXPECT_EQ(UrlEncode("Az09-_."), "Az09-_.");
}

TEST(UrlEncodeTest, EscapesEverythingElseWithUpperCaseHex) {
    EXPECT_EQ(UrlEncode("/?&=+%#"), "%2F%3F%26%3D%2B%25%23");
    EXPECT_EQ(UrlEncode("~*!()"), "%7E%2A%21%28%29");
    EXPECT_EQ(UrlEncode(std::string("\0\x7F", 2)), "%00%7F");
}

TEST(UrlEncodeTest, WhiteSpaceBecomesPlus) {
    EXPECT_EQ(UrlEncode(" \t\n\r"), "++++");
    EXPECT_EQ(UrlEncode("abc def"), "abc+def");
}

TEST(UrlEncodeTest, EscapesTheBytesItIsGiven) {
    EXPECT_EQ(UrlEncode("\xEA\xB0\x80"), "%EA%B0%80");  // U+AC00 in UTF-8
    EXPECT_EQ(UrlEncode("\xB0\xA1"), "%B0%A1");         // the same in code page 949
}

}  // namespace
}  // namespace bramix
