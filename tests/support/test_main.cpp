// The same process-wide set-up as the program's own main.

#include <gtest/gtest.h>

#include "net/network_setup.h"

int main(int argc, char** argv) {
    const bramix::NetworkSetup network;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
