// Test main: every test runs in a process of its own on a fresh headless screen of 1024 x 768.
// The program's state, the headless clock and the installed backend are process-wide, so a
// binary asked for several tests runs itself once per test, as ctest does.
#include "../../platform/headless/headless.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char *kOneTest = "HOWDY_ONE_TEST";

int runHere()
{
    headless::start(headless::Config{}, nullptr);
    int result = RUN_ALL_TESTS();
    // Threads the tests started may still be parked: end the way a Windows process ends.
    std::fflush(nullptr);
    std::_Exit(result);
}

// The full names of the tests the filter selects, as the binary lists them.
std::vector<std::string> selectedTests(const std::string &self)
{
    std::string command = "'" + self + "' --gtest_list_tests '--gtest_filter=" + testing::GTEST_FLAG(filter) + "'";
    std::vector<std::string> tests;
    FILE *list = popen(command.c_str(), "r");
    if (!list)
        return tests;
    std::string suite;
    char line[1024];
    while (std::fgets(line, sizeof line, list)) {
        std::string text(line);
        std::string name = text.substr(0, text.find_first_of(" \n#"));
        if (text[0] != ' ')
            suite = name;
        else
            tests.push_back(suite + text.substr(2, text.find_first_of(" \n#", 2) - 2));
    }
    pclose(list);
    return tests;
}

int runEach(const std::string &self, const std::vector<std::string> &tests)
{
    std::vector<std::string> failed;
    for (const std::string &test : tests) {
        std::fflush(nullptr);
        pid_t child = fork();
        if (child == 0) {
            setenv(kOneTest, "1", 1);
            std::string filter = "--gtest_filter=" + test;
            execl(self.c_str(), self.c_str(), filter.c_str(), "--gtest_brief=1", static_cast<char *>(nullptr));
            std::_Exit(127);
        }
        int status = 0;
        if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            failed.push_back(test);
    }
    std::printf("%zu tests, each in its own process: %zu failed\n", tests.size(), failed.size());
    for (const std::string &test : failed)
        std::printf("  FAILED %s\n", test.c_str());
    return failed.empty() ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (std::getenv(kOneTest) || testing::GTEST_FLAG(list_tests))
        return runHere();
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0)
        return runHere();
    std::vector<std::string> tests = selectedTests(self);
    if (tests.size() <= 1)
        return runHere();
    return runEach(self, tests);
}
