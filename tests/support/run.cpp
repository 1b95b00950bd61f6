#include "run.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

RunResult run(const std::string &command)
{
    RunResult result;
    std::string errorsFile = scratchFolder() + "/stderr";
    int status = std::system((command + " 2>" + errorsFile).c_str());
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.errors = readFile(errorsFile);
    return result;
}

std::string scratchFolder()
{
    char pattern[] = "/tmp/howdy-test-XXXXXX";
    const char *made = mkdtemp(pattern);
    return made ? made : "/tmp";
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> readLines(const std::string &path)
{
    std::vector<std::string> lines;
    std::istringstream in(readFile(path));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}
