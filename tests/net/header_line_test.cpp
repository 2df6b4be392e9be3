#include "net/header_line.h"

#include <gtest/gtest.h>

namespace bramix {
namespace {

TEST(HeaderLineTest, TellsStatusLinesFieldsAndTheEnd) {
    const HeaderLine ok = ParseHeaderLine("HTTP/1.1 200 OK\r\n");
    EXPECT_EQ(ok.kind, HeaderLine::Kind::Status);
    EXPECT_EQ(ok.status, 200);
    EXPECT_EQ(ParseHeaderLine("HTTP/2 404\r\n").status, 404);
    EXPECT_EQ(ParseHeaderLine("HTTP/1.1 2000 Odd\r\n").status, 200);  // three digits at most
    EXPECT_EQ(ParseHeaderLine("HTTP/1.1\r\n").status, 0);

    const HeaderLine field = ParseHeaderLine("Content-Disposition: \t attachment; x \r\n");
    EXPECT_EQ(field.kind, HeaderLine::Kind::Field);
    EXPECT_EQ(field.name, "Content-Disposition");
    EXPECT_EQ(field.value, "attachment; x");
    EXPECT_EQ(ParseHeaderLine("Empty:\r\n").value, "");
    const HeaderLine folded = ParseHeaderLine(" \t filename=\"a: b.mp3\" \r\n");
    EXPECT_EQ(folded.kind, HeaderLine::Kind::Continuation);
    EXPECT_EQ(folded.value, "filename=\"a: b.mp3\"");

    EXPECT_EQ(ParseHeaderLine("\r\n").kind, HeaderLine::Kind::End);
    EXPECT_EQ(ParseHeaderLine("no colon here\r\n").kind, HeaderLine::Kind::Other);
}

}  // namespace
}  // namespace bramix
