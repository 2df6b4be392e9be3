#include "base/text_helpers.h"

#include <gtest/gtest.h>

#include <tuple>

#include "base/percent_coding.h"
#include "support/web_test.h"

namespace bramix {

TEST(TextHelpersTest, FindsBytesFromWhereItIsToldAndNeverPastTheEnd) {
    EXPECT_EQ(FindBytes("a.b.c", ".", 2), 3u);
    EXPECT_EQ(FindBytes("a.b.c", "", 5), 5u);
    EXPECT_EQ(FindBytes("a.b.c", "", 6), std::string_view::npos);
    EXPECT_EQ(FindBytes(std::string_view(), "x"), std::string_view::npos);
    EXPECT_EQ(FindBytes("a.b.c", "c.", 0), std::string_view::npos);
    EXPECT_EQ(FindBytes(std::string(100000, '.') + ".tistory.com/", ".tistory.com/"), 100000u);
}

// Trimming steps over two-byte characters (0xB0 0x7E is one whose second byte
// is the tilde); the escape keeps letters, digits and "-_.", writes white
// space as '+' and everything else as upper-case hex of the bytes given.
TEST(TextHelpersTest, TrimsAndEscapes) {
    using Edit = std::string (*)(std::string);
    const Edit trim = [](std::string s) -> std::string { return TrimSpaces(s); };
    const Edit trimTilde = [](std::string s) -> std::string { return TrimChar(s, '~'); };
    const Edit escape = [](std::string s) { return UrlEncode(s); };
    const std::tuple<Edit, std::string, std::string> rows[] = {
        {trim, " \t\r\n\v\fa b\t \n", "a b"},
        {trim, "   ", ""},
        {trim, testing::Ansi(" 봄노래  "), testing::Ansi("봄노래")},
        {trim, " a\xB0", "a\xB0"},  // a lead byte cut off at the end stays
        {trimTilde, "~~x~y~", "x~y"},
        {trimTilde, "~~~", ""},
        {trimTilde, "~\xB0~~", "\xB0~"},
        {escape, "Az09-_./?&=+%#~*!()", "Az09-_.%2F%3F%26%3D%2B%25%23%7E%2A%21%28%29"},
        {escape, std::string("\0\x7F", 2), "%00%7F"},
        {escape, "a \t\n\rb", "a++++b"},
        {escape, "\xEA\xB0\x80\xB0\xA1", "%EA%B0%80%B0%A1"}};  // UTF-8, then code page 949
    for (const auto& [function, input, output] : rows) {
        EXPECT_EQ(function(input), output) << input;
    }
}

}  // namespace bramix
