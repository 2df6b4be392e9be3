#include "support/web_test.h"

#include <cstdlib>

namespace bramix::testing {

void WebTest::SetUp() {
    web_.Start();
    setenv("http_proxy", web_.ProxyUrl().c_str(), 1);
    unsetenv("no_proxy");
    unsetenv("NO_PROXY");
}

void WebTest::ServeWorld(standin::World world) {
    world_ = std::move(world);
    web_.SetFallback(
        [this](const standin::RecordedRequest& request) { return world_.Answer(request); });
}

void WebTest::TearDown() {
    unsetenv("http_proxy");
    web_.Stop();
}

}  // namespace bramix::testing
