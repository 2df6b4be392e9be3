#include "results/find_line.h"

#include <gtest/gtest.h>

#include <tuple>

#include "support/web_test.h"

namespace bramix {

using testing::Ansi;

// Seven fields in UTF-8, control bytes as spaces so the fields stay seven; in
// JSON, UTF-8 raw, control bytes and DEL as \u00XX except \t, \n and \r.
TEST(FindLineTest, WritesTabSeparatedLinesAndJson) {
    // clang-format off
    const FoundFile found{.pageUrl = "http://a.tistory.com/1", .title = Ansi("김봄"),
                          .fileUrl = "http://a.tistory.com/f", .fileName = Ansi("봄노래.mp3"),
                          .size = 4718592, .type = FILE_TYPE_MP3};
    const FoundFile odd{.pageUrl = {}, .title = std::string("x\x7Fy\rz\0w", 7), .fileUrl = {},
                        .fileName = "a\tb\n.wma", .type = FILE_TYPE_WMA};
    const FoundFile escaped{.pageUrl = {},
                            .title = std::string("\"\\/\b\f\n\r\t\x01\x7F\0", 11) + Ansi("봄"),
                            .fileUrl = "http://f/a.mp3", .fileName = Ansi("봄 \"노래\".mp3"),
                            .size = 7, .type = FILE_TYPE_WMA};
    // clang-format on
    EXPECT_EQ(FormatFindLine(found, true),
              "mp3\t4718592\t1\t봄노래.mp3\t김봄\thttp://a.tistory.com/1\thttp://a.tistory.com/f");
    EXPECT_EQ(FormatFindLine(odd, false), "wma\t0\t0\ta b .wma\tx y z w\t\t");
    EXPECT_EQ(FormatFindJson(escaped, false),
              R"({"type":"wma","size":7,"matched":false,"fileName":"봄 \"노래\".mp3",)"
              R"("title":"\"\\/\u0008\u000c\n\r\t\u0001\u007f\u0000봄","pageUrl":"",)"
              R"("fileUrl":"http://f/a.mp3"})");
}

// Either form: the last fileUrl counts, other keys and numbers of any length
// are passed over, and a name outside code page 949 becomes '?'.
TEST(FindLineTest, ReadsBackTheAddressAndTheName) {
    const std::string name = Ansi("봄노래.mp3");
    const std::tuple<std::string, std::string, std::string> rows[] = {
        {"mp3\t1\t1\t봄노래.mp3\t\thttp://p/1\thttp://f/%EB%B4%84.mp3\r", name,
         "http://f/%EB%B4%84.mp3"},
        {R"({ "fileName" : "봄노래.mp3" , "fileUrl":"http://f/1", "size" : 1 ,)"
         R"("fileUrl":"http://f/2","n":null,"b":true,"big":123456789012345678901234567890 }  )",
         name, "http://f/2"},
        {R"({"fileName":"\uBD04\ud83c\udf38","fileUrl":"u"})", Ansi("봄") + "?", "u"}};
    for (const auto& [line, fileName, fileUrl] : rows) {
        const auto target = ParseFindLine(line);
        ASSERT_TRUE(target) << line;
        EXPECT_EQ(target->fileName, fileName);
        EXPECT_EQ(target->fileUrl, fileUrl);
    }
}

TEST(FindLineTest, RefusesWhatIsNoFind) {
    // clang-format off
    for (const char* line : {
             "mp3\t1\t1\tname\ttitle\tpage", "mp3\t1\t1\tname\ttitle\tpage\tfile\textra", "",
             "mp3\t1\t1\tname\ttitle\tpage\t", R"({"fileName":5,"fileUrl":"http://f/a.mp3"})",
             R"({"fileName":"a.mp3","fileUrl":null})", R"({"fileName":"a.mp3"})",
             R"({"fileName":"a.mp3","fileUrl":"http://f/a.mp3")",
             R"({"fileName":"a.mp3","fileUrl":""})",
             R"({"fileName":"a","fileUrl":"http://f/a.mp3","fileUrl":1})",
             R"({"fileName":"a","fileUrl":"http://f/a.mp3"} x)",
             R"({"fileName":"a","fileUrl":"http://f/a.mp3","size":-1})",
             R"({"fileName":"a","fileUrl":"http://f/a.mp3","size":1.5})",
             R"({"fileName":"a","fileUrl":"http://f/a.mp3","size":[1]})",
             R"({"fileName":"a","fileUrl":"http://f/a.mp3","size":{}})",
             "{\"fileName\":\"a\",\"size\":1\t,\"fileUrl\":\"http://f/a.mp3\"}"}) {
        // clang-format on
        EXPECT_FALSE(ParseFindLine(line)) << line;
    }
}

}  // namespace bramix
