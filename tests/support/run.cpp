#include "run.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>

RunResult run(const std::string &command)
{
    ScratchFolder scratch;
    RunResult result;
    int status = std::system((command + " 2>" + scratch / "stderr").c_str());
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.errors = readFile(scratch / "stderr");
    return result;
}

ScratchFolder::ScratchFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "howdy-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("can't make a scratch folder in " + pattern);
    path_ = pattern;
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
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
