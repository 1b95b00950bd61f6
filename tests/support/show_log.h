// Running howdy-record over a whole show and reading its log.
#pragma once

#include <optional>
#include <string>
#include <vector>

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
