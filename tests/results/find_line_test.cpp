#include "results/find_line.h"

#include <gtest/gtest.h>

#include "support/web_test.h"

namespace bramix {
namespace {

using testing::Ansi;

TEST(FindLineTest, WritesSevenTabSeparatedFieldsInUtf8) {
    FoundFile found;
    found.fileName = Ansi("봄노래.mp3");
    found.title = Ansi("김봄");
    found.pageUrl = "http://a.tistory.com/1";
    found.fileUrl = "http://a.tistory.com/f";
    found.size = 4718592;
    found.type = FILE_TYPE_MP3;
    EXPECT_EQ(FormatFindLine(found, true),
              "mp3\t4718592\t1\t봄노래.mp3\t김봄\thttp://a.tistory.com/1\thttp://a.tistory.com/f");
}

TEST(FindLineTest, ControlBytesBecomeSpacesSoTheFieldsStaySeven) {
    FoundFile found;
    found.fileName = "a\tb\n.wma";
    found.title = std::string("x\x7Fy\rz\0w", 7);
    found.type = FILE_TYPE_WMA;
    const std::string line = FormatFindLine(found, false);
    EXPECT_EQ(line, std::string("wma\t0\t0\ta b .wma\tx y z w\t\t"));
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 6);
}

TEST(FindLineTest, EveryOtherTypeIsZip) {
    FoundFile found;
    found.type = 9;
    EXPECT_EQ(FormatFindLine(found, false).substr(0, 4), "zip\t");
}

TEST(FindLineTest, ReadsBackTheAddressAndTheName) {
    const auto target =
        ParseFindLine("mp3\t1\t1\t봄노래.mp3\t\thttp://p/1\thttp://f/%EB%B4%84.mp3\r");
    ASSERT_TRUE(target);
    EXPECT_EQ(target->fileName, Ansi("봄노래.mp3"));
    EXPECT_EQ(target->fileUrl, "http://f/%EB%B4%84.mp3");
}

TEST(FindLineTest, RejectsLinesWithoutSevenFields) {
    EXPECT_FALSE(ParseFindLine("mp3\t1\t1\tname\ttitle\tpage"));
    EXPECT_FALSE(ParseFindLine("mp3\t1\t1\tname\ttitle\tpage\tfile\textra"));
    EXPECT_FALSE(ParseFindLine(""));
    EXPECT_FALSE(ParseFindLine("mp3\t1\t1\tname\ttitle\tpage\t"));
}

TEST(FindLineTest, ReadsJsonBackAndRefusesWhatIsNoFind) {
    FoundFile found;
    found.fileName = Ansi("봄 \"노래\".mp3");
    found.fileUrl = "http://f/a.mp3";
    found.size = 7;
    const auto target = ParseFindLine(FormatFindJson(found, true));
    ASSERT_TRUE(target);
    EXPECT_EQ(target->fileName, found.fileName);
    EXPECT_EQ(target->fileUrl, found.fileUrl);

    // Every byte as lines have always had it: UTF-8 raw, control bytes and
    // DEL as \u00XX except \t, \n and \r.
    found.title = std::string("\"\\/\b\f\n\r\t\x01\x7F\0", 11) + Ansi("봄");
    found.type = FILE_TYPE_WMA;
    EXPECT_EQ(FormatFindJson(found, false),
              R"({"type":"wma","size":7,"matched":false,"fileName":"봄 \"노래\".mp3",)"
              R"("title":"\"\\/\u0008\u000c\n\r\t\u0001\u007f\u0000봄","pageUrl":"",)"
              R"("fileUrl":"http://f/a.mp3"})");

    for (const char* line : {
             R"({"fileName":5,"fileUrl":"http://f/a.mp3"})",
             R"({"fileName":"a.mp3","fileUrl":null})",
             R"({"fileName":"a.mp3"})",
             R"({"fileName":"a.mp3","fileUrl":"http://f/a.mp3")",
             R"({"fileName":"a.mp3","fileUrl":""})",
             R"({"fileName":"a","fileUrl":"http://f/a.mp3","fileUrl":1})",
             R"({"fileName":"a","fileUrl":1,"fileUrl":"http://f/a.mp3"})",
             R"({"fileName":"a","fileUrl":"http://f/a.mp3"} x)",
             R"({"fileName":"a","fileUrl":"http://f/a.mp3","size":-1})",
             R"({"fileName":"a","fileUrl":"http://f/a.mp3","size":1.5})",
             R"({"fileName":"a","fileUrl":"http://f/a.mp3","size":[1]})",
             R"({"fileName":"a","fileUrl":"http://f/a.mp3","size":{}})",
             "{\"fileName\":\"a\",\"size\":1\t,\"fileUrl\":\"http://f/a.mp3\"}",
         }) {
        EXPECT_FALSE(ParseFindLine(line)) << line;
    }
    const auto spaced = ParseFindLine(
        R"({ "fileName" : "\uBD04\ud83c\udf38" , "fileUrl":"http://f/1", "size" : 1 ,)"
        R"("fileUrl":"http://f/2","n":null,"big":123456789012345678901234567890 }  )");
    ASSERT_TRUE(spaced);
    EXPECT_EQ(spaced->fileUrl, "http://f/2");
    EXPECT_EQ(spaced->fileName, Ansi("봄") + "?");
}

}  // namespace
}  // namespace bramix
