#pragma once

// A test with its own stand-in web, reached as the program reaches any proxy:
// http_proxy points at it for the duration of the test.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "base/code_page.h"
#include "stand_in_web.h"
#include "world.h"

namespace bramix::testing {

class WebTest : public ::testing::Test {
protected:
    void SetUp() override {
        web_.Start();
        setenv("http_proxy", web_.ProxyUrl().c_str(), 1);
        unsetenv("no_proxy");
        unsetenv("NO_PROXY");
    }
    void TearDown() override {
        unsetenv("http_proxy");
        web_.Stop();
    }

    // Answers every address without a reply of its own from a world.
    void ServeWorld(standin::World world) {
        world_ = std::move(world);
        web_.SetFallback(
            [this](const standin::RecordedRequest& request) { return world_.Answer(request); });
    }

    standin::StandInWeb web_;
    standin::World world_;
};

// Code page 949 bytes of a UTF-8 literal, so that tests can be read.
inline std::string Ansi(std::string_view utf8) {
    return Utf8ToAnsi(utf8);
}

}  // namespace bramix::testing
