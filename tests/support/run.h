// Running the project's programs from tests, in scratch folders that are removed afterwards.
#pragma once

#include <string>
#include <vector>

struct RunResult {
    int status = -1;
    std::string errors;
};

// Runs `command` through the shell with stderr captured.
RunResult run(const std::string &command);

// A new empty folder under the system's temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;

    const std::string &path() const { return path_; }
    std::string operator/(const std::string &name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string readFile(const std::string &path);
std::vector<std::string> readLines(const std::string &path);
