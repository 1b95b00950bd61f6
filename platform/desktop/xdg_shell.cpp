// What a live desktop does for the shell calls: drive C: is a private folder of the user's, the
// Windows directory is the home folder, and programs and addresses open the XDG way.
#include "desktop_backend.h"

#include "xdg.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <shellapi.h>
#include <sys/stat.h>
#include <unistd.h>

namespace desktop {

namespace {

// Opens (making it if need be) the folder `name` in `parent`, refusing a symbolic link and a
// folder that someone else owns or others may enter.
int openPrivateFolder(int parent, const char *name)
{
    if (mkdirat(parent, name, 0700) != 0 && errno != EEXIST)
        return -1;
    int folder = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0)
        return -1;
    struct stat info {};
    if (fstat(folder, &info) != 0 || info.st_uid != geteuid() || (info.st_mode & 077) != 0) {
        close(folder);
        errno = EACCES;
        return -1;
    }
    return folder;
}

std::string homeFolder()
{
    if (const char *home = std::getenv("HOME"); home && *home == '/')
        return home;
    struct passwd entry {};
    struct passwd *found = nullptr;
    char buffer[4096];
    if (getpwuid_r(geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return "/";
}

// The root of drive C:: $XDG_RUNTIME_DIR/howdy/c, or ~/.cache/howdy/c without a runtime folder.
int openDriveRoot()
{
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string base = runtime && *runtime == '/' ? runtime : homeFolder();
    int folder = open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0 && !(runtime && *runtime == '/')) {
        int cache = openat(folder, ".cache", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (cache < 0 && errno == ENOENT && mkdirat(folder, ".cache", 0700) == 0)
            cache = openat(folder, ".cache", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        close(folder);
        folder = cache;
    }
    for (const char *name : {"howdy", "c"}) {
        if (folder < 0)
            return -1;
        int inner = openPrivateFolder(folder, name);
        close(folder);
        folder = inner;
    }
    return folder;
}

// An argument as a word of an Exec value: quoted, with its escapes, when it needs to be.
std::string execWord(const std::string &argument)
{
    if (!argument.empty() && argument.find_first_of(" \t\"`$\\'") == std::string::npos)
        return argument;
    std::string word = "\"";
    for (char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            word += '\\';
        word += c;
    }
    word += '"';
    return word;
}

int shellError(int error)
{
    return error == ENOENT || error == ENOTDIR ? SE_ERR_FNF : error == EACCES ? SE_ERR_ACCESSDENIED : SE_ERR_NOASSOC;
}

// A web or mail address, or any other URI: a scheme of two letters or more and a colon. (One
// letter and a colon is a drive.)
bool isAddress(const std::string &text)
{
    std::size_t colon = text.find(':');
    if (colon == std::string::npos || colon < 2 || !std::isalpha(static_cast<unsigned char>(text[0])))
        return false;
    for (std::size_t i = 1; i < colon; ++i)
        if (!std::isalnum(static_cast<unsigned char>(text[i])) && text[i] != '+' && text[i] != '-' && text[i] != '.')
            return false;
    return true;
}

} // namespace

int DesktopBackend::openDriveFile(const std::string &name, int flags)
{
    int root = openDriveRoot();
    if (root < 0)
        return -1;
    int file = openat(root, name.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, 0644);
    int error = errno;
    close(root);
    errno = error;
    return file;
}

bool DesktopBackend::removeDriveFile(const std::string &name)
{
    int root = openDriveRoot();
    if (root < 0)
        return false;
    bool removed = unlinkat(root, name.c_str(), 0) == 0;
    close(root);
    return removed;
}

std::string DesktopBackend::windowsDirectory()
{
    return homeFolder();
}

std::variant<std::string, int> DesktopBackend::findExecutable(const std::string &name)
{
    lookedUpAt_ = now();
    int root = openDriveRoot();
    struct stat info {};
    bool exists = root >= 0 && fstatat(root, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode);
    if (root >= 0)
        close(root);
    if (!exists)
        return SE_ERR_FNF;
    std::size_t dot = name.rfind('.');
    std::string extension = dot == std::string::npos ? "" : name.substr(dot + 1);
    for (char &c : extension)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    if (extension != "html" && extension != "htm")
        return SE_ERR_NOASSOC;
    auto exec = xdg::defaultApplication("text/html");
    if (!exec || xdg::desktopExecArguments(*exec).empty())
        return SE_ERR_NOASSOC;
    // The command with its own arguments, field codes gone, as one line of Exec syntax.
    std::string command;
    for (const std::string &argument : xdg::desktopExecArguments(*exec)) {
        if (!command.empty())
            command += ' ';
        command += execWord(argument);
    }
    return command;
}

int DesktopBackend::shellExecute(const win32::ShellRequest &request)
{
    std::vector<std::string> argv;
    if (isAddress(request.file)) {
        argv = {"xdg-open", request.file};
    } else {
        argv = xdg::desktopExecArguments(request.file);
        for (std::string &argument : xdg::splitWindowsCommandLine(request.parameters.value_or("")))
            argv.push_back(std::move(argument));
    }
    int error = xdg::spawnDetached(argv, request.directory.value_or(""));
    return error ? shellError(error) : 42;
}

} // namespace desktop
