// Running the project's programs from tests, in scratch folders that are removed afterwards, and
// reading the log of howdy-record's run over a whole show.
#pragma once

#include <optional>
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

// The log's objects are flat, and no key occurs inside a value, so finding `"key":` is enough.
std::optional<long long> intField(const std::string &line, const std::string &key);
std::optional<std::string> stringField(const std::string &line, const std::string &key);

struct ShowLog {
    int status = -1;
    std::string errors;
    std::string text;                // the whole log, to compare runs
    std::vector<std::string> frames; // frames[i] is the line of frame i + 1
    std::vector<std::string> events; // every other line, in order
};

// Runs howdy-record with `options` and, unless empty, `script` as its input script.
ShowLog recordShow(const std::string &options, const std::string &script = "");
