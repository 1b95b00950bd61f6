#include "headless_drive.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace headless {

MemoryDrive::~MemoryDrive()
{
    for (auto &[name, file] : files_)
        close(file);
}

int MemoryDrive::open(const std::string &name, int flags)
{
    std::lock_guard lock(mutex_);
    auto found = files_.find(name);
    if (found == files_.end()) {
        if (!(flags & O_CREAT)) {
            errno = ENOENT;
            return -1;
        }
        int file = memfd_create("howdy-drive-c", MFD_CLOEXEC);
        if (file < 0)
            return -1;
        found = files_.emplace(name, file).first;
    } else if ((flags & O_CREAT) && (flags & O_EXCL)) {
        errno = EEXIST;
        return -1;
    }
    // Opened anew through /proc, the descriptor has an offset of its own, as a file opened twice.
    std::string path = "/proc/self/fd/" + std::to_string(found->second);
    return ::open(path.c_str(), (flags & ~(O_CREAT | O_EXCL | O_NOFOLLOW)) | O_CLOEXEC);
}

bool MemoryDrive::remove(const std::string &name)
{
    std::lock_guard lock(mutex_);
    auto found = files_.find(name);
    if (found == files_.end())
        return false;
    close(found->second);
    files_.erase(found);
    return true;
}

std::optional<std::int64_t> MemoryDrive::size(const std::string &name)
{
    std::lock_guard lock(mutex_);
    auto found = files_.find(name);
    struct stat info {};
    if (found == files_.end() || fstat(found->second, &info) != 0)
        return std::nullopt;
    return std::int64_t(info.st_size);
}

} // namespace headless
