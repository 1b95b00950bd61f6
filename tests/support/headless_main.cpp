// Test main: every test process runs on a fresh headless screen of 1024 x 768.
#include "../../platform/headless/headless.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    headless::start(headless::Config{}, nullptr);
    int result = RUN_ALL_TESTS();
    // Threads the tests started may still be parked: end the way a Windows process ends.
    std::fflush(nullptr);
    std::_Exit(result);
}
