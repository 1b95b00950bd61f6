// What every backend for a live Linux desktop shares: the real clock, threads parked on
// condition variables, drive C: as a private folder of the user's, the XDG conventions for
// opening programs and addresses, and sound on ALSA.
#pragma once

#include "../core/backend.h"
#include "alsa_sound.h"

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

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::unique_ptr<AlsaSound> sound_;
};

} // namespace desktop
