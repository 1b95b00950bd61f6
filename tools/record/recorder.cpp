#include "recorder.h"

#include "../../state/show_state.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <unistd.h>

namespace {

std::string temporaryName(const std::string &path)
{
    return path + ".partial-" + std::to_string(::getpid());
}

std::string jsonString(const std::string &text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

std::string jsonValue(const headless::Event::Value &value)
{
    if (auto *number = std::get_if<std::int64_t>(&value))
        return std::to_string(*number);
    if (auto *text = std::get_if<std::string>(&value))
        return jsonString(*text);
    return "null";
}

} // namespace

std::unique_ptr<Recorder> Recorder::open(const RecordOptions &options, std::string &error)
{
    std::unique_ptr<Recorder> recorder(new Recorder(options));
    if (options.logFile) {
        recorder->logTemp_ = temporaryName(*options.logFile);
        recorder->log_.open(recorder->logTemp_, std::ios::binary | std::ios::trunc);
        if (!recorder->log_) {
            error = "--log " + *options.logFile + ": can't be written";
            return nullptr;
        }
    }
    if (options.outFile) {
        recorder->outTemp_ = temporaryName(*options.outFile);
        std::ofstream probe(recorder->outTemp_, std::ios::binary | std::ios::trunc);
        if (!probe) {
            recorder->discard();
            error = "--out " + *options.outFile + ": can't be written";
            return nullptr;
        }
        recorder->animation_ = std::make_unique<WebPAnimation>(options.screen.width, options.screen.height);
    }
    if (options.framesDir) {
        std::error_code ignored;
        std::filesystem::create_directories(*options.framesDir, ignored);
        std::string probe = *options.framesDir + "/.howdy-record-probe";
        bool writable = std::ofstream(probe).good();
        std::filesystem::remove(probe, ignored);
        if (!writable) {
            recorder->discard();
            error = "--frames " + *options.framesDir + ": can't be written";
            return nullptr;
        }
    }
    return recorder;
}

Recorder::~Recorder() = default;

void Recorder::presented(const win32::Surface &frame, std::int64_t tMs)
{
    ++frames_;
    lastFrameMs_ = tMs;
    if (options_.framesDir) {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%04lld.png", frames_);
        std::string path = *options_.framesDir + "/" + name;
        std::string temp = temporaryName(path);
        std::error_code ignored;
        if (!writePng(temp, frame) || (std::filesystem::rename(temp, path, ignored), ignored)) {
            std::filesystem::remove(temp, ignored);
            fail("--frames: can't write " + path);
        }
        framesWritten_.push_back(path);
    }
    if (animation_ && !animation_->add(frame, tMs))
        fail("--out: the WebP encoder failed");
    if (log_.is_open()) {
        const ShowState &s = showState;
        log_ << "{\"frame\":" << frames_ << ",\"t_ms\":" << tMs << ",\"scene\":" << std::int32_t(s.walkerScene)
             << ",\"walkerX\":" << std::int32_t(s.walkerX) << ",\"walkerY\":" << std::int32_t(s.walkerY)
             << ",\"frameDelay\":" << s.frameDelay << ",\"pulse\":" << s.pulseActive << ",\"mouth\":" << s.mouthActive
             << ",\"escape\":" << s.escapePhase << ",\"flight\":" << s.flightKind
             << ",\"elephant\":" << s.elephantActive << ",\"creature\":" << s.creatureActive
             << ",\"timerArmed\":" << s.exitTimerArmed << "}\n";
    }
    if (frames_ >= options_.maxFrames) {
        if (!complete(tMs + showState.frameDelay))
            fail("can't complete the output files");
        std::fflush(nullptr);
        std::_Exit(0);
    }
}

void Recorder::event(const headless::Event &event)
{
    if (!log_.is_open())
        return;
    log_ << "{\"event\":" << jsonString(event.name);
    // Events of the render thread belong to the frame it is composing.
    if (!event.onMainThread)
        log_ << ",\"frame\":" << frames_ + 1;
    log_ << ",\"t_ms\":" << event.tMs;
    for (const auto &[key, value] : event.fields)
        log_ << "," << jsonString(key) << ":" << jsonValue(value);
    log_ << "}\n";
}

void Recorder::stalled()
{
    fail("the program waits for something that will never come (no frame, timer or input is due)");
}

void Recorder::programExited(int code, std::int64_t tMs)
{
    event(headless::Event{"exit", tMs, true, {{"code", std::int64_t(code)}}});
    std::int64_t end = tMs > lastFrameMs_ ? tMs : lastFrameMs_ + showState.frameDelay;
    if (!complete(end))
        fail("can't complete the output files");
    std::fflush(nullptr);
    std::_Exit(code);
}

bool Recorder::complete(std::int64_t endMs)
{
    std::error_code problem;
    if (log_.is_open()) {
        log_.close();
        if (!log_ || (std::filesystem::rename(logTemp_, *options_.logFile, problem), problem))
            return false;
    }
    if (animation_) {
        auto bytes = animation_->finish(endMs);
        std::ofstream out(outTemp_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
        out.close();
        if (bytes.empty() || !out || (std::filesystem::rename(outTemp_, *options_.outFile, problem), problem))
            return false;
    }
    return true;
}

void Recorder::discard()
{
    std::error_code ignored;
    if (log_.is_open())
        log_.close();
    if (!logTemp_.empty())
        std::filesystem::remove(logTemp_, ignored);
    if (!outTemp_.empty())
        std::filesystem::remove(outTemp_, ignored);
}

void Recorder::fail(const std::string &problem)
{
    discard();
    std::fprintf(stderr, "howdy-record: %s\n", problem.c_str());
    std::fflush(nullptr);
    std::_Exit(3);
}
