#include <gtest/gtest.h>

#include "net/address.h"
#include "net/header_line.h"
#include "net/http_request.h"

namespace bramix {
namespace {

// Services by scheme in any case; other schemes are addresses too; search
// terms and addresses without a scheme or host are none.
TEST(ParseAddressTest, TellsServicesAndRefusesWhatIsNoAddress) {
    const auto none = std::optional<ServiceType>();
    // clang-format off
    const std::pair<const char*, std::optional<ServiceType>> rows[] = {
        {"HTTP://blog.naver.com/", ServiceType::Http}, {"http://me@a.com:8080/1", ServiceType::Http},
        {"https://blog.naver.com/abc", ServiceType::Https}, {"ftp://f.example/a", ServiceType::Ftp},
        {"gopher://host/x", ServiceType::Other}, {"file:///home/me/a.mp3", ServiceType::File},
        {"blog.naver.com/abc/123", none}, {"love song", none}, {"http://", none},
        {"http://me@/x", none}, {"://host", none}, {"a b://host", none}, {"1a://host", none},
        {"\xB0\xA1://host", none}};
    // clang-format on
    for (const auto& [text, service] : rows) {
        const auto parsed = ParseAddress(text);
        EXPECT_EQ(parsed ? std::optional(parsed->service) : std::nullopt, service) << text;
    }
}

TEST(HttpRequestTest, EscapesOnlyWhatCannotGoOnTheWireAndTakesWhatLibcurlCanAskFor) {
    EXPECT_EQ(EscapeForRequest("http://h/a b?q=%41&x=1"), "http://h/a%20b?q=%41&x=1");
    EXPECT_EQ(EscapeForRequest("http://h/\xB0\xA1.mp3"), "http://h/%B0%A1.mp3");
    for (const char* address : {"http://h/a.mp3", "https://h.example.com:8080/my song.mp3",
                                "http://[::1]/a", "http://h/\xB0\xA1.mp3"}) {
        EXPECT_TRUE(IsRequestableAddress(address)) << address;
    }
    for (const char* address : {"http://h:99999/x", "http://[::1/x", "http://", "notaurl", ""}) {
        EXPECT_FALSE(IsRequestableAddress(address)) << address;
    }
}

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
