// Time, sleeping and waiting as the real machine does them: the part that every backend for a
// live desktop shares.
#pragma once

#include "backend.h"

#include <chrono>

namespace win32 {

class RealtimeBackend : public Backend {
public:
    std::int64_t now() override;
    std::time_t calendarTime() override;
    void sleep(DWORD milliseconds) override;
    void startThread(std::function<void()> body) override;
    void block(std::unique_lock<std::mutex> &lock, ThreadState &self, std::optional<std::int64_t> until) override;
    void wake(ThreadState &thread) override;

    // The shell's side of a live desktop (realtime_desktop.cpp): drive C: is a private folder of
    // the user's, the Windows directory the home folder, and programs open the XDG way.
    int openDriveFile(const std::string &name, int flags) override;
    bool removeDriveFile(const std::string &name) override;
    std::string windowsDirectory() override;
    std::variant<std::string, int> findExecutable(const std::string &name) override;
    int shellExecute(const ShellRequest &request) override;

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

} // namespace win32
