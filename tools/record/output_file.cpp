#include "output_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The log is written in pieces of this size, so a full disk shows while the run goes on.
constexpr std::size_t kBufferSize = 1 << 16;

void identify(const struct stat &info, OutputPath &output)
{
    output.device = info.st_dev;
    output.inode = info.st_ino;
}

// A file or folder still to be made: its folder must exist, and with its name identifies it.
std::string checkNew(const std::string &path, OutputPath &output)
{
    auto slash = path.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    struct stat info;
    if (::stat(folder.c_str(), &info) != 0)
        return folder + ": " + std::strerror(errno);
    if (!S_ISDIR(info.st_mode))
        return folder + " is not a folder";
    identify(info, output);
    output.name = slash == std::string::npos ? path : path.substr(slash + 1);
    return {};
}

} // namespace

std::string checkOutputFile(const std::string &path, OutputPath &output)
{
    output.path = path;
    if (path.ends_with('/'))
        return "names a folder";
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0)
        return errno == ENOENT ? checkNew(path, output) : std::strerror(errno);
    if (S_ISDIR(info.st_mode))
        return "is a folder";
    if (S_ISLNK(info.st_mode))
        return "is a symbolic link; give the path it points to";
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode) || S_ISFIFO(info.st_mode))
        output.direct = true;
    else if (!S_ISREG(info.st_mode))
        return "is not a file, a device or a pipe";
    identify(info, output);
    return {};
}

std::string checkOutputFolder(const std::string &path, OutputPath &output)
{
    output.path = path;
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
        if (errno != ENOENT)
            return std::strerror(errno);
        std::string trimmed = path;
        while (trimmed.size() > 1 && trimmed.ends_with('/'))
            trimmed.pop_back();
        return checkNew(trimmed, output);
    }
    if (!S_ISDIR(info.st_mode))
        return "is not a folder";
    identify(info, output);
    return {};
}

std::string temporaryName(const std::string &path)
{
    return path + ".partial-" + std::to_string(::getpid());
}

OutputFile::~OutputFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool OutputFile::open(const std::string &label, const std::string &path, const std::string &temp)
{
    label_ = label;
    path_ = path;
    temp_ = temp;
    buffer_.clear();
    made_ = committed_ = false;
    if (temp.empty()) {
        fd_ = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC);
        return fd_ >= 0 || failed(std::strerror(errno));
    }
    // O_EXCL: never write through something already there, not even a link.
    fd_ = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    made_ = fd_ >= 0;
    return made_ || failed("can't make " + temp + ": " + std::strerror(errno));
}

bool OutputFile::write(std::string_view bytes)
{
    buffer_ += bytes;
    return buffer_.size() < kBufferSize || flush();
}

bool OutputFile::flush()
{
    for (std::size_t done = 0; done < buffer_.size();) {
        ssize_t written = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return failed(std::strerror(errno));
        done += std::size_t(written);
    }
    buffer_.clear();
    return true;
}

bool OutputFile::close()
{
    bool flushed = flush();
    int closed = ::close(fd_);
    int reason = errno;
    fd_ = -1;
    return flushed && (closed == 0 || failed(std::strerror(reason)));
}

bool OutputFile::commit()
{
    if (!made_)
        return true;
    // Checked right before the rename: the path may have changed since the run began.
    struct stat info;
    if (::lstat(path_.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        return failed("is not a regular file, so it is not replaced");
    if (::rename(temp_.c_str(), path_.c_str()) != 0)
        return failed(std::strerror(errno));
    made_ = false;
    committed_ = true;
    return true;
}

void OutputFile::discard()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (made_)
        ::unlink(temp_.c_str());
    if (committed_)
        ::unlink(path_.c_str());
    made_ = committed_ = false;
}

bool OutputFile::failed(const std::string &reason)
{
    problem_ = label_ + ": " + reason;
    return false;
}
