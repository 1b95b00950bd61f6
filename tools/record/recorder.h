// Turns what the headless program presents and does into the recording's files: PNG frames,
// an animated WebP and the JSON Lines log. The files take their names only when the run ends
// well; a run that fails removes them, its frames too.
#pragma once

#include "image_files.h"
#include "options.h"
#include "output_file.h"

#include <memory>
#include <string>

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
    // Writes what is left and gives every file its name, or fails.
    void complete(std::int64_t endMs);
    void writeLog(const std::string &line);
    void discard();
    [[noreturn]] void fail(const std::string &problem);

    RecordOptions options_;
    OutputFile log_;
    OutputFile out_;
    OutputFile frame_;
    std::string frameTemp_;
    bool madeFramesFolder_ = false;
    std::unique_ptr<WebPAnimation> animation_;
    long long frames_ = 0;
    // Frames 1 to this have taken their names in this run.
    long long framesNamed_ = 0;
    std::int64_t lastFrameMs_ = 0;
};
