// What every backend for a live Linux desktop shares: the real clock, threads parked on
// condition variables, drive C: as a private folder of the user's, the XDG conventions for
// opening programs and addresses, sound on ALSA, and what HOWDY_DEBUG says of the run.
#pragma once

#include "../core/backend.h"
#include "alsa_sound.h"

#include <atomic>
#include <chrono>

namespace desktop {

class DesktopBackend : public win32::Backend {
public:
    // The clock and threads (realtime.cpp).
    std::int64_t now() override;
    std::time_t calendarTime() override;
    void sleep(DWORD milliseconds) override;
    void startThread(std::function<void()> body) override;
    void block(std::unique_lock<std::mutex> &lock, win32::ThreadState &self,
               std::optional<std::int64_t> until) override;
    void wake(win32::ThreadState &thread) override;

    // The shell's side (xdg_shell.cpp): drive C: is a private folder of the user's, the Windows
    // directory the home folder, and programs open the XDG way.
    int openDriveFile(const std::string &name, int flags) override;
    bool removeDriveFile(const std::string &name) override;
    std::string windowsDirectory() override;
    std::variant<std::string, int> findExecutable(const std::string &name) override;
    int shellExecute(const win32::ShellRequest &request) override;

    // On a player made with the first sound (desktop_backend.cpp).
    void playSound(const win32::Wave &wave, const std::string &name) override;
    void stopSounds() override;

    // When a timer was last set and a program last looked up for a file (the page's launcher
    // starting), which HOWDY_DEBUG's summary tells, counted from the start.
    void timerSet(UINT_PTR, UINT) override { timerSetAt_ = now(); }
    std::string runSummary() override;

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::unique_ptr<AlsaSound> sound_;
    std::atomic<std::int64_t> timerSetAt_ = -1, lookedUpAt_ = -1;
};

} // namespace desktop
