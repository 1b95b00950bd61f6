#include "xdg.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace xdg {

namespace {

// The program file for a command name: a path as it is, else the first executable of that name
// in PATH.
std::string resolveProgram(const std::string &name)
{
    if (name.find('/') != std::string::npos)
        return name;
    const char *path = std::getenv("PATH");
    std::istringstream folders(path && *path ? path : "/usr/local/bin:/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        struct stat info {};
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

// What a command prints on its standard output, at most 64 KiB and within five seconds.
std::optional<std::string> outputOf(const std::vector<std::string> &argv)
{
    std::string program = resolveProgram(argv.at(0));
    if (program.empty())
        return std::nullopt;
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char *> args;
    for (const std::string &arg : argv)
        args.push_back(const_cast<char *>(arg.c_str()));
    args.push_back(nullptr);
    pid_t child = -1;
    int failed = posix_spawn(&child, program.c_str(), &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (failed) {
        close(out[0]);
        return std::nullopt;
    }
    std::string text;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd ready{out[0], POLLIN, 0};
        if (left.count() <= 0 || poll(&ready, 1, int(left.count())) <= 0)
            break;
        char buffer[4096];
        ssize_t got = read(out[0], buffer, sizeof buffer);
        if (got <= 0 || text.size() > 65536)
            break;
        text.append(buffer, std::size_t(got));
    }
    close(out[0]);
    kill(child, SIGKILL); // harmless once it has ended; stops one that hangs
    int status = 0;
    waitpid(child, &status, 0);
    return text;
}

std::vector<std::string> dataFolders()
{
    std::vector<std::string> folders;
    const char *home = std::getenv("HOME");
    const char *dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && *dataHome == '/')
        folders.push_back(dataHome);
    else if (home && *home)
        folders.push_back(std::string(home) + "/.local/share");
    const char *dirs = std::getenv("XDG_DATA_DIRS");
    std::istringstream list(dirs && *dirs ? dirs : "/usr/local/share:/usr/share");
    for (std::string folder; std::getline(list, folder, ':');)
        if (!folder.empty() && folder[0] == '/')
            folders.push_back(folder);
    return folders;
}

// A value of a desktop entry with its escapes (\s \n \t \r \\) undone.
std::string unescapeValue(std::string_view value)
{
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        char next = value[++i];
        out += next == 's' ? ' ' : next == 'n' ? '\n' : next == 't' ? '\t' : next == 'r' ? '\r' : next;
    }
    return out;
}

// The Exec value of the [Desktop Entry] group of a .desktop file.
std::optional<std::string> execOf(const std::string &path)
{
    std::ifstream file(path);
    bool inEntry = false;
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line[0] == '[') {
            inEntry = line.rfind("[Desktop Entry]", 0) == 0;
            continue;
        }
        std::size_t equals = line.find('=');
        if (!inEntry || equals == std::string::npos)
            continue;
        std::string key = line.substr(0, line.find_last_not_of(' ', equals - 1) + 1);
        if (key == "Exec") {
            std::size_t value = line.find_first_not_of(' ', equals + 1);
            return unescapeValue(value == std::string::npos ? "" : std::string_view(line).substr(value));
        }
    }
    return std::nullopt;
}

} // namespace

std::vector<std::string> splitWindowsCommandLine(std::string_view text)
{
    std::vector<std::string> arguments;
    std::string current;
    bool quoted = false, started = false;
    for (std::size_t i = 0; i < text.size();) {
        char c = text[i];
        if (c == '\\') {
            std::size_t run = text.find_first_not_of('\\', i);
            std::size_t count = (run == std::string_view::npos ? text.size() : run) - i;
            i += count;
            started = true;
            if (i < text.size() && text[i] == '"') {
                current.append(count / 2, '\\');
                if (count % 2) {
                    current += '"';
                    ++i;
                }
            } else {
                current.append(count, '\\');
            }
        } else if (c == '"') {
            started = true;
            if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
                current += '"';
                i += 2;
            } else {
                quoted = !quoted;
                ++i;
            }
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (started)
                arguments.push_back(std::move(current));
            current.clear();
            started = false;
            ++i;
        } else {
            current += c;
            started = true;
            ++i;
        }
    }
    if (started)
        arguments.push_back(std::move(current));
    return arguments;
}

std::vector<std::string> desktopExecArguments(std::string_view exec)
{
    std::vector<std::string> arguments;
    std::string current;
    // An argument made of nothing but field codes stands for what this launch doesn't hand
    // over, and goes with them.
    bool kept = false, quoted = false;
    auto finish = [&] {
        if (kept)
            arguments.push_back(current);
        current.clear();
        kept = false;
    };
    for (std::size_t i = 0; i < exec.size(); ++i) {
        char c = exec[i];
        if (quoted) {
            if (c == '"')
                quoted = false;
            else
                current += c == '\\' && i + 1 < exec.size() ? exec[++i] : c;
        } else if (c == '"') {
            quoted = kept = true;
        } else if (c == ' ' || c == '\t') {
            finish();
        } else if (c == '%' && i + 1 < exec.size()) {
            if (exec[++i] == '%') {
                current += '%';
                kept = true;
            }
        } else {
            current += c;
            kept = true;
        }
    }
    finish();
    return arguments;
}

std::optional<std::string> defaultApplication(const std::string &mimeType)
{
    auto answer = outputOf({"xdg-mime", "query", "default", mimeType});
    if (!answer)
        return std::nullopt;
    std::string id = answer->substr(0, answer->find_first_of("\r\n;"));
    if (id.empty() || id.find('/') != std::string::npos || id == "." || id == "..")
        return std::nullopt;
    for (const std::string &folder : dataFolders()) {
        if (auto exec = execOf(folder + "/applications/" + id))
            return exec;
    }
    return std::nullopt;
}

int spawnDetached(const std::vector<std::string> &argv, const std::string &directory)
{
    if (argv.empty() || argv[0].empty())
        return ENOENT;
    std::string program = resolveProgram(argv[0]);
    if (program.empty())
        return ENOENT;
    std::vector<char *> args;
    for (const std::string &arg : argv)
        args.push_back(const_cast<char *>(arg.c_str()));
    args.push_back(nullptr);

    // The grandchild reports a failure to start through the pipe; a start closes it.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0)
        return errno;
    pid_t child = fork();
    if (child < 0) {
        int error = errno;
        close(report[0]);
        close(report[1]);
        return error;
    }
    if (child == 0) {
        close(report[0]);
        setsid();
        if (fork() != 0)
            _exit(0);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        int error = 0;
        if (!directory.empty() && chdir(directory.c_str()) != 0)
            error = errno;
        else
            execv(program.c_str(), args.data());
        if (!error)
            error = errno;
        (void)!write(report[1], &error, sizeof error);
        _exit(127);
    }
    close(report[1]);
    int status = 0;
    waitpid(child, &status, 0);
    int error = 0;
    ssize_t got;
    do
        got = read(report[0], &error, sizeof error);
    while (got < 0 && errno == EINTR);
    close(report[0]);
    return got == sizeof error ? error : 0;
}

} // namespace xdg
