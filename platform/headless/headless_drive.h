// Drive C: of a headless run: files kept in memory, so that a recording writes nothing outside
// and runs side by side never meet.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace headless {

class MemoryDrive {
public:
    MemoryDrive() = default;
    MemoryDrive(const MemoryDrive &) = delete;
    MemoryDrive &operator=(const MemoryDrive &) = delete;
    ~MemoryDrive();

    // As open(2) in the drive's root: a new descriptor of its own, or -1 with errno set.
    int open(const std::string &name, int flags);
    bool remove(const std::string &name);
    // The file's size now; nothing if there is no such file.
    std::optional<std::int64_t> size(const std::string &name);

private:
    std::mutex mutex_;
    // Each file is an anonymous memory file, held open here.
    std::map<std::string, int> files_;
};

} // namespace headless
