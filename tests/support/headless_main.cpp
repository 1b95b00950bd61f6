// Test main: every test runs in a process of its own on a fresh headless screen of 1024 x 768.
// The program's state, the headless clock and the installed backend are process-wide, so a
// binary asked for several tests runs itself once per test, as ctest does: shard i of as many
// shards as there are tests runs the i-th test the filter selects, alone, or none.
#include "../../platform/headless/headless.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

int main(int argc, char **argv)
{
    std::vector<char *> arguments(argv, argv + argc);
    arguments.insert(arguments.end(), {const_cast<char *>("--gtest_brief=1"), nullptr});
    testing::InitGoogleTest(&argc, argv);
    const std::string filter = testing::GTEST_FLAG(filter);
    const int tests = testing::UnitTest::GetInstance()->total_test_count();
    char self[4096] = {};
    if (std::getenv("GTEST_SHARD_INDEX") || testing::GTEST_FLAG(list_tests) || tests <= 1 ||
        filter.find_first_of("*?:-") == std::string::npos || readlink("/proc/self/exe", self, sizeof self - 1) <= 0) {
        headless::start(headless::Config{}, nullptr);
        int result = RUN_ALL_TESTS();
        // Threads the tests started may still be parked: end the way a Windows process ends.
        std::fflush(nullptr);
        std::_Exit(result);
    }
    std::vector<int> failed;
    for (int shard = 0; shard < tests; ++shard) {
        std::fflush(nullptr);
        pid_t child = fork();
        if (child == 0) {
            setenv("GTEST_TOTAL_SHARDS", std::to_string(tests).c_str(), 1);
            setenv("GTEST_SHARD_INDEX", std::to_string(shard).c_str(), 1);
            execv(self, arguments.data());
            std::_Exit(127);
        }
        int status = 0;
        if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            failed.push_back(shard);
    }
    std::printf("%d shards, a test each at most, each in its own process: %zu failed\n", tests, failed.size());
    for (int shard : failed)
        std::printf("  FAILED shard %d\n", shard);
    return failed.empty() ? 0 : 1;
}
