#include "titles/title_cleaning.h"

#include <gtest/gtest.h>

#include "support/web_test.h"

namespace bramix {
namespace {

using testing::Ansi;

std::string Cleaned(std::string_view utf8Title, std::optional<std::string_view> utf8Term = {}) {
    std::string title = Ansi(utf8Title);
    const std::string term = utf8Term ? Ansi(*utf8Term) : std::string();
    CleanTitle(title, utf8Term ? std::optional<std::string_view>(term) : std::nullopt);
    return title;
}

std::string Tidied(std::string_view utf8) {
    std::string text = Ansi(utf8);
    TidyText(text);
    return text;
}

std::string TidiedName(std::string_view utf8) {
    std::string name = Ansi(utf8);
    TidyFileName(name);
    return name;
}

TEST(ExtractPageTitleTest, ReturnsTheTextBetweenTheTagsUntouched) {
    EXPECT_EQ(ExtractPageTitle("<head><title> a &amp; b </title></head>"), " a &amp; b ");
    EXPECT_EQ(ExtractPageTitle("<title>one</title><title>two</title>"), "one");
}

TEST(ExtractPageTitleTest, IsEmptyWithoutBothTags) {
    EXPECT_EQ(ExtractPageTitle("<title>never closed"), "");
    EXPECT_EQ(ExtractPageTitle("<title></title>"), "");
    EXPECT_EQ(ExtractPageTitle("<TITLE>upper</TITLE>"), "");
    EXPECT_EQ(ExtractPageTitle(""), "");
}

TEST(StripTagsTest, RemovesMarkupAndKeepsLoneClosingBrackets) {
    std::string text = "a<b>c";
    StripTags(text);
    EXPECT_EQ(text, "ac");
    text = "a<b";
    StripTags(text);
    EXPECT_EQ(text, "a");
    text = "a>b";
    StripTags(text);
    EXPECT_EQ(text, "a>b");
}

TEST(CleanTitleTest, RemovesStockPhrasesAndSymbols) {
    EXPECT_EQ(Cleaned("[MP3] 봄노래 - 가수 듣기/가사 ♪"), Ansi("봄노래 - 가수"));
    EXPECT_EQ(Cleaned("봄노래 듣기/다운/가사"), Ansi("봄노래"));
    EXPECT_EQ(Cleaned("★봄노래★ mp3 다운로드"), Ansi("봄노래"));
    EXPECT_EQ(Cleaned("봄노래 전곡 모음"), Ansi("봄노래 모음"));
    EXPECT_EQ(Cleaned("봄노래 ( 라이브)"), Ansi("봄노래 (라이브)"));
    EXPECT_EQ(Cleaned("[/봄노래]"), Ansi("[봄노래]"));
}

TEST(CleanTitleTest, AppliesTheTableInItsOrder) {
    // Removing "듣기/mp3" forms "듣기/가사" anew; its second entry catches it.
    EXPECT_EQ(Cleaned("봄 듣기/가듣기/mp3사"), Ansi("봄"));
}

TEST(CleanTitleTest, RemovesTheSymbolsByTheirCodePageBytes) {
    EXPECT_EQ(Ansi("♤"), "\xA2\xBB");
    EXPECT_EQ(Ansi("♣"), "\xA2\xC0");
    EXPECT_EQ(Ansi("♧"), "\xA2\xBF");
    EXPECT_EQ(Ansi("♪"), "\xA2\xDC");
    EXPECT_EQ(Ansi("♬"), "\xA2\xDD");
    EXPECT_EQ(Ansi("★"), "\xA1\xDA");
    for (const char* symbol :
         {"\xA2\xBB", "\xA2\xC0", "\xA2\xBF", "\xA2\xDC", "\xA2\xDD", "\xA1\xDA"}) {
        std::string title = std::string("x") + symbol + "y";
        CleanTitle(title, std::nullopt);
        EXPECT_EQ(title, "xy");
    }
}

TEST(CleanTitleTest, DecodesEntitiesAfterStrippingTags) {
    EXPECT_EQ(Cleaned("<b>봄노래</b> &amp; 가을 M/V"), Ansi("봄노래 & 가을 MV"));
    EXPECT_EQ(Cleaned("&lt;b&gt;x"), "b x");  // decoded brackets are not markup
    EXPECT_EQ(Cleaned("a&amp;amp;b"), "a&b");
}

TEST(CleanTitleTest, TrimsDecorationAndOneTrailingListenOrDownload) {
    EXPECT_EQ(Cleaned("~~봄노래!!"), Ansi("봄노래"));
    EXPECT_EQ(Cleaned("봄 다운다운"), Ansi("봄 다운"));
    EXPECT_EQ(Cleaned("wait..."), "wait");
    EXPECT_EQ(Cleaned("Love Song"), "Love Song");
    EXPECT_EQ(Cleaned("2008-01-01 노래"), Ansi("2008 - 01 - 01 노래"));
}

TEST(CleanTitleTest, KeepsTheLongerSideOfABlogSeparator) {
    EXPECT_EQ(Cleaned("봄노래 :: 블로그 이름"), Ansi("블로그 이름"));
    EXPECT_EQ(Cleaned("봄노래 :: 블로그 이름", "봄노래"), Ansi("블로그 이름"));
}

TEST(CleanTitleTest, LetsTheTermChooseWhenTheRightSideIsNotLonger) {
    EXPECT_EQ(Cleaned("블로그 이름 :: 봄노래 듣기", "봄노래"), Ansi("봄노래"));
    EXPECT_EQ(Cleaned("ab :: cd", "cd"), "cd");
    EXPECT_EQ(Cleaned("ab :: cd", "ab"), "ab");
    EXPECT_EQ(Cleaned("ab :: cd", "zz"), "ab cd");  // whole; the colons become spaces
    EXPECT_EQ(Cleaned("ab :: cd"), "ab cd");
}

TEST(TidyFileNameTest, AHostileStemIsCutAndTheExtensionKept) {
    std::string name = "a" + std::string(5000, '\xB0') + ".MP3";
    TidyFileName(name);
    EXPECT_EQ(name, "a" + std::string(kLongestTitle - 2, '\xB0') + ".mp3");  // whole characters
}

TEST(CleanTitleTest, AHostileLengthIsCutOnACharacterBoundary) {
    // Odd offsets for the two-byte characters, so that the limit falls inside one.
    std::string title = "a";
    while (title.size() < 3 * kLongestTitle) {
        title += Ansi("봄");
    }
    CleanTitle(title, std::nullopt);
    EXPECT_EQ(title.size(), kLongestTitle - 1);
    EXPECT_EQ(title.substr(title.size() - 2), Ansi("봄"));
    EXPECT_EQ(Cleaned("봄노래 모음"), Ansi("봄노래 모음"));
}

TEST(TidyTextTest, CollapsesPunctuationRuns) {
    EXPECT_EQ(Tidied("a!!!b---c~~~d&&&e"), "a!b - c~d&e");
    EXPECT_EQ(Tidied("a....b"), "a... b");
    EXPECT_EQ(Tidied("x[1][1]."), "x");
    EXPECT_EQ(Tidied("amp;amp;amp;"), "amp;");
}

TEST(TidyTextTest, TurnsPathAndShellCharactersIntoSpaces) {
    EXPECT_EQ(Tidied("a\\b/c:d*e?f\"g<h>i|j_k+l"), "a b c d e f g h i j k l");
    EXPECT_EQ(Tidied("a\xA1\xA1"
                     "b"),
              "a b");  // the full-width space
}

TEST(TidyTextTest, LeavesTwoByteCharactersWholeWhateverTheirSecondByte) {
    // Two-byte characters whose second bytes look like '_' and '|'.
    std::string text = "\x81_x\x81|";
    TidyText(text);
    EXPECT_EQ(text, "\x81_x\x81|");
}

TEST(TidyTextTest, TrimsInOrderSoASpaceShieldsAHyphen) {
    EXPECT_EQ(Tidied(". - x"), "- x");
    EXPECT_EQ(Tidied(",,x,,"), "x");
}

TEST(TidyTextTest, StopsAtALeadByteCutOffAtTheEnd) {
    std::string text("a_\xB0", 3);
    TidyText(text);
    EXPECT_EQ(text, "a \xB0");
}

TEST(TidyFileNameTest, TidiesTheStemAndLowerCasesTheExtension) {
    EXPECT_EQ(TidiedName("Hello_World+Song.MP3"), "Hello World Song.mp3");
    EXPECT_EQ(TidiedName("a--b!!!.mp3"), "a - b!.mp3");
    EXPECT_EQ(TidiedName("song mp3.mp3"), "song.mp3");
    EXPECT_EQ(TidiedName("wait...for.mp3"), "wait... for.mp3");
    EXPECT_EQ(TidiedName("Song C.wma"), "Song C.wma");
}

TEST(TidyFileNameTest, TreatsAShortNameAsAllExtension) {
    EXPECT_EQ(TidiedName("ABC"), "abc");
    EXPECT_EQ(TidiedName(".mp3"), ".mp3");
    EXPECT_EQ(TidiedName(""), "");
    EXPECT_EQ(TidiedName("TRACK"), "Track");  // a bare name's last four bytes count as extension
}

}  // namespace
}  // namespace bramix
