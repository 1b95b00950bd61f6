// Turns what the headless program presents and does into the recording's files: PNG frames,
// an animated WebP and the JSON Lines log. Files are written under temporary names and take
// their real names only when the run ends well.
#pragma once

#include "image_files.h"
#include "options.h"

#include <fstream>
#include <memory>
#include <string>
#include <vector>

class Recorder final : public headless::Observer {
public:
    // Opens every output; on failure returns nothing and sets `error`.
    static std::unique_ptr<Recorder> open(const RecordOptions &options, std::string &error);
    ~Recorder() override;

    void presented(const win32::Surface &frame, std::int64_t tMs) override;
    void event(const headless::Event &event) override;
    [[noreturn]] void stalled() override;

    // The program returned `code` from WinMain: notes it, completes the files and ends the
    // process with that code.
    [[noreturn]] void programExited(int code, std::int64_t tMs);

private:
    explicit Recorder(const RecordOptions &options) : options_(options) {}
    // Gives every file its real name; false if any could not be written.
    bool complete(std::int64_t endMs);
    void discard();
    [[noreturn]] void fail(const std::string &problem);

    RecordOptions options_;
    std::ofstream log_;
    std::string logTemp_;
    std::string outTemp_;
    std::unique_ptr<WebPAnimation> animation_;
    std::vector<std::string> framesWritten_;
    long long frames_ = 0;
    std::int64_t lastFrameMs_ = 0;
};
