// Running the project's programs from tests, in a scratch folder of their own.
#pragma once

#include <string>
#include <vector>

struct RunResult {
    int status = -1;
    std::string errors;
};

// Runs `command` through the shell with stderr captured; returns the exit status.
RunResult run(const std::string &command);

// A new empty folder under the system's temporary folder.
std::string scratchFolder();

std::string readFile(const std::string &path);
std::vector<std::string> readLines(const std::string &path);
