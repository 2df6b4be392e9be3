#include "net/address.h"

#include <gtest/gtest.h>

#include "net/http_request.h"

namespace bramix {
namespace {

// Services by scheme in any case; other schemes are addresses too; search
// terms and addresses without a scheme or host are none.
TEST(ParseAddressTest, TellsServicesAndRefusesWhatIsNoAddress) {
    const std::pair<const char*, std::optional<ServiceType>> rows[] = {
        {"http://blog.naver.com/abc/123", ServiceType::Http},
        {"HTTP://blog.naver.com/", ServiceType::Http},
        {"https://blog.naver.com/abc", ServiceType::Https},
        {"ftp://files.example/a.mp3", ServiceType::Ftp},
        {"http://a.tistory.com:8080/1", ServiceType::Http},
        {"http://me@a.tistory.com/1", ServiceType::Http},
        {"gopher://host/x", ServiceType::Other},
        {"file:///home/me/a.mp3", ServiceType::File},
        {"blog.naver.com/abc/123", std::nullopt},
        {"love song", std::nullopt},
        {"http://", std::nullopt},
        {"http://me@/x", std::nullopt},
        {"://host", std::nullopt},
        {"a b://host", std::nullopt},
        {"1a://host", std::nullopt},
        {"\xB0\xA1://host", std::nullopt}};
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

}  // namespace
}  // namespace bramix
