#include "show_log.h"

#include "run.h"

#include <cctype>
#include <fstream>

std::optional<long long> intField(const std::string &line, const std::string &key)
{
    const std::string tag = "\"" + key + "\":";
    std::size_t at = line.find(tag);
    if (at == std::string::npos)
        return std::nullopt;
    at += tag.size();
    std::size_t end = at < line.size() && line[at] == '-' ? at + 1 : at;
    const std::size_t digits = end;
    while (end < line.size() && std::isdigit(static_cast<unsigned char>(line[end])))
        ++end;
    if (end == digits)
        return std::nullopt;
    return std::stoll(line.substr(at, end - at));
}

std::optional<std::string> stringField(const std::string &line, const std::string &key)
{
    const std::string tag = "\"" + key + "\":\"";
    std::size_t at = line.find(tag);
    if (at == std::string::npos)
        return std::nullopt;
    at += tag.size();
    const std::size_t end = line.find('"', at);
    if (end == std::string::npos)
        return std::nullopt;
    return line.substr(at, end - at);
}

ShowLog recordShow(const std::string &options, const std::string &script)
{
    ScratchFolder scratch;
    std::string command = std::string(HOWDY_RECORD) + " " + options + " --log " + scratch / "show.jsonl";
    if (!script.empty()) {
        std::ofstream(scratch / "input") << script;
        command += " --input " + scratch / "input";
    }
    RunResult result = run(command);
    ShowLog log{result.status, result.errors, readFile(scratch / "show.jsonl"), {}, {}};
    for (const std::string &line : readLines(scratch / "show.jsonl"))
        (stringField(line, "event") ? log.events : log.frames).push_back(line);
    return log;
}
