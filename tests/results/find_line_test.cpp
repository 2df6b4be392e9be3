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

    EXPECT_FALSE(ParseFindLine(R"({"fileName":5,"fileUrl":"http://f/a.mp3"})"));
    EXPECT_FALSE(ParseFindLine(R"({"fileName":"a.mp3","fileUrl":null})"));
    EXPECT_FALSE(ParseFindLine(R"({"fileName":"a.mp3"})"));
    EXPECT_FALSE(ParseFindLine(R"({"fileName":"a.mp3","fileUrl":"http://f/a.mp3")"));
}

}  // namespace
}  // namespace bramix
