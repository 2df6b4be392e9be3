#include "net/address.h"

#include <gtest/gtest.h>

#include "net/http_request.h"

namespace bramix {
namespace {

ServiceType ServiceOf(std::string_view text) {
    const auto parsed = ParseAddress(text);
    return parsed ? parsed->service : ServiceType::Other;
}

TEST(ParseAddressTest, TellsServicesBySchemeInAnyCase) {
    EXPECT_EQ(ServiceOf("http://blog.naver.com/abc/123"), ServiceType::Http);
    EXPECT_EQ(ServiceOf("HTTP://blog.naver.com/"), ServiceType::Http);
    EXPECT_EQ(ServiceOf("https://blog.naver.com/abc"), ServiceType::Https);
    EXPECT_EQ(ServiceOf("ftp://files.example/a.mp3"), ServiceType::Ftp);
    EXPECT_EQ(ServiceOf("http://a.tistory.com:8080/1"), ServiceType::Http);
}

TEST(ParseAddressTest, AcceptsOtherSchemesAsAddresses) {
    ASSERT_TRUE(ParseAddress("gopher://host/x"));
    EXPECT_EQ(ServiceOf("gopher://host/x"), ServiceType::Other);
    EXPECT_EQ(ServiceOf("file:///home/me/a.mp3"), ServiceType::File);
}

TEST(ParseAddressTest, RejectsSearchTermsAndAddressesWithoutScheme) {
    EXPECT_FALSE(ParseAddress("blog.naver.com/abc/123"));
    EXPECT_FALSE(ParseAddress("love song"));
    EXPECT_FALSE(ParseAddress("http://"));
    EXPECT_FALSE(ParseAddress("://host"));
    EXPECT_FALSE(ParseAddress("a b://host"));
    EXPECT_FALSE(ParseAddress("\xB0\xA1://host"));
}

TEST(EscapeForRequestTest, EscapesOnlyWhatCannotGoOnTheWire) {
    EXPECT_EQ(EscapeForRequest("http://h/a b?q=%41&x=1"), "http://h/a%20b?q=%41&x=1");
    EXPECT_EQ(EscapeForRequest("http://h/\xB0\xA1.mp3"), "http://h/%B0%A1.mp3");
}

TEST(IsRequestableAddressTest, TakesWhatLibcurlCanAskFor) {
    for (const char* address : {"http://h/a.mp3", "https://h.example.com:8080/my song.mp3",
                                "http://[::1]/a", "http://h/\xB0\xA1.mp3"}) {
        EXPECT_TRUE(IsRequestableAddress(address)) << address;
    }
    for (const char* address : {"http://h:99999/x", "http://[::1/x", "http://", "notaurl", ""}) {
        EXPECT_FALSE(IsRequestableAddress(address)) << address;
    }
}

}  // namespace
}  // namespace bramix
