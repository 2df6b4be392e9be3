#include "titles/title_cleaning.h"

#include <gtest/gtest.h>

#include <tuple>

#include "support/web_test.h"

namespace bramix {

using testing::Ansi;

// Rows in UTF-8, cleaned as code page 949; a null term is none given.
TEST(TitleCleaningTest, CleansTitles) {
    // clang-format off
    const std::tuple<const char*, const char*, const char*> rows[] = {
        {"[MP3] 봄노래 - 가수 듣기/가사 ♪", nullptr, "봄노래 - 가수"},
        {"★봄노래★ mp3 다운로드", nullptr, "봄노래"}, {"봄노래 ( 라이브)", nullptr, "봄노래 (라이브)"},
        // Removing "듣기/mp3" forms "듣기/가사" anew; a later entry of the table catches it.
        {"봄 듣기/가듣기/mp3사", nullptr, "봄"},
        // Entities are decoded after the tags are stripped, and only once.
        {"<b>봄노래</b> &amp; 가을 M/V", nullptr, "봄노래 & 가을 MV"},
        {"&lt;b&gt;x", nullptr, "b x"}, {"a&amp;amp;b", nullptr, "a&b"},
        {"~~봄노래!!", nullptr, "봄노래"}, {"wait...", nullptr, "wait"},
        {"봄 다운다운", nullptr, "봄 다운"},  // one trailing listen or download goes
        {"2008-01-01 노래", nullptr, "2008 - 01 - 01 노래"},
        // The longer side of a blog separator, else the side that holds the term,
        // else the whole with the colons as spaces.
        {"봄노래 :: 블로그 이름", "봄노래", "블로그 이름"}, {"블로그 이름 :: 봄노래 듣기", "봄노래", "봄노래"},
        {"ab :: cd", "cd", "cd"}, {"ab :: cd", "ab", "ab"}, {"ab :: cd", "zz", "ab cd"},
        {"ab :: cd", nullptr, "ab cd"}};
    // clang-format on
    for (const auto& [title, term, cleaned] : rows) {
        std::string text = Ansi(title);
        const std::string ansiTerm = term ? Ansi(term) : std::string();
        CleanTitle(text, term ? std::optional<std::string_view>(ansiTerm) : std::nullopt);
        EXPECT_EQ(text, Ansi(cleaned)) << title;
    }
}

// Code page 949 bytes: 0x81 followed by '_' or '|' and 0xB0 followed by
// anything is one character; 0xA1 0xA1 is the full-width space.
TEST(TitleCleaningTest, ExtractsStripsAndTidies) {
    using Edit = std::string (*)(std::string);
    const Edit title = [](std::string s) { return ExtractPageTitle(s); };
    const Edit strip = [](std::string s) { return StripTags(s), s; };
    const Edit tidy = [](std::string s) { return TidyText(s), s; };
    const Edit name = [](std::string s) { return TidyFileName(s), s; };
    // clang-format off
    const std::tuple<Edit, std::string, std::string> rows[] = {
        {title, "<head><title> a &amp; b </title></head>", " a &amp; b "},
        {title, "<title>one</title><title>two</title>", "one"},
        {title, "<title>never closed", ""}, {title, "<TITLE>upper</TITLE>", ""},
        {strip, "a<b>c", "ac"}, {strip, "a<b", "a"}, {strip, "a>b", "a>b"},
        {tidy, "a!!!b---c~~~d&&&e", "a!b - c~d&e"}, {tidy, "a....b", "a... b"},
        {tidy, "x[1][1].", "x"}, {tidy, "amp;amp;amp;", "amp;"},
        {tidy, "a\\b/c:d*e?f\"g<h>i|j_k+l", "a b c d e f g h i j k l"},
        {tidy, "a\xA1\xA1" "b", "a b"}, {tidy, "\x81_x\x81|", "\x81_x\x81|"},
        {tidy, ". - x", "- x"},  // trimmed in order, so a space shields a hyphen
        {tidy, ",,x,,", "x"}, {tidy, "a_\xB0", "a \xB0"},  // a lead byte cut off at the end
        {name, "Hello_World+Song.MP3", "Hello World Song.mp3"}, {name, "a--b!!!.mp3", "a - b!.mp3"},
        {name, "song mp3.mp3", "song.mp3"}, {name, "wait...for.mp3", "wait... for.mp3"},
        {name, "ABC", "abc"}, {name, "", ""},  // a short name is all extension
        {name, "TRACK", "Track"}};  // a bare name's last four bytes count as extension
    // clang-format on
    for (const auto& [function, input, output] : rows) {
        EXPECT_EQ(function(input), output) << input;
    }
}

TEST(TitleCleaningTest, AHostileLengthIsCutOnACharacterBoundary) {
    // Odd offsets for the two-byte characters, so that the limit falls inside one.
    std::string title = "a";
    while (title.size() < 3 * kLongestTitle) {
        title += Ansi("봄");
    }
    CleanTitle(title, std::nullopt);
    EXPECT_EQ(title.size(), kLongestTitle - 1);
    EXPECT_EQ(title.substr(title.size() - 2), Ansi("봄"));
    std::string name = "a" + std::string(5000, '\xB0') + ".MP3";
    TidyFileName(name);
    EXPECT_EQ(name, "a" + std::string(kLongestTitle - 2, '\xB0') + ".mp3");
}

}  // namespace bramix
