#include "recorder.h"
#include "log_fields.h"
#include "signal_cleanup.h"

#include "../../state/show_state.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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
    if (auto *texts = std::get_if<std::vector<std::string>>(&value)) {
        std::string list = "[";
        for (const std::string &item : *texts) {
            if (list.size() > 1)
                list += ',';
            list += jsonString(item);
        }
        return list + "]";
    }
    return "null";
}

std::string_view bytesOf(const std::vector<std::uint8_t> &bytes)
{
    return {reinterpret_cast<const char *>(bytes.data()), bytes.size()};
}

std::string framePath(const OutputPath &folder, long long number)
{
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%04lld.png", number);
    return folder.path + name;
}

} // namespace

std::unique_ptr<Recorder> Recorder::open(const RecordOptions &options, std::string &error)
{
    std::unique_ptr<Recorder> recorder(new Recorder(options));
    auto temporary = [](const std::optional<OutputPath> &output) {
        return output && !output->direct ? temporaryName(output->path) : std::string();
    };
    std::string logTemp = temporary(options.log), outTemp = temporary(options.out);
    // One temporary name for every frame in turn, so that it is known before the run.
    if (options.frames)
        recorder->frameTemp_ = temporaryName(options.frames->path + "/frame.png");
    removeOnSignal({logTemp, outTemp, recorder->frameTemp_});

    auto refuse = [&](const std::string &problem) {
        recorder->discard();
        error = problem;
        return nullptr;
    };
    if (options.frames) {
        const char *folder = options.frames->path.c_str();
        if (::mkdir(folder, 0777) == 0)
            recorder->madeFramesFolder_ = true;
        else if (errno != EEXIST)
            return refuse("--frames " + options.frames->path + ": " + std::strerror(errno));
        // Making the frames' temporary file is the one sure test that the folder takes files.
        if (!recorder->frame_.open("--frames " + options.frames->path, "", recorder->frameTemp_))
            return refuse(recorder->frame_.problem());
        recorder->frame_.discard();
    }
    if (options.log && !recorder->log_.open("--log " + options.log->path, options.log->path, logTemp))
        return refuse(recorder->log_.problem());
    if (options.out) {
        if (!recorder->out_.open("--out " + options.out->path, options.out->path, outTemp))
            return refuse(recorder->out_.problem());
        recorder->animation_ = std::make_unique<WebPAnimation>(options.screen.width, options.screen.height);
    }
    return recorder;
}

Recorder::~Recorder() = default;

void Recorder::presented(const win32::Surface &frame, std::int64_t tMs)
{
    ++frames_;
    lastFrameMs_ = tMs;
    if (options_.frames) {
        std::string path = framePath(*options_.frames, frames_);
        auto png = encodePng(frame);
        if (png.empty())
            fail("--frames " + path + ": the PNG encoder failed");
        if (!frame_.open("--frames " + path, path, frameTemp_) || !frame_.write(bytesOf(png)) || !frame_.close() ||
            !frame_.commit())
            fail(frame_.problem());
        framesNamed_ = frames_;
    }
    if (animation_ && !animation_->add(frame, tMs))
        fail("--out " + options_.out->path + ": the WebP encoder failed");
    if (options_.log) {
        const long long frameNumber = frames_;
        std::string line;
#define LOG_FIELD(name, value) line += (line.empty() ? "{\"" name "\":" : ",\"" name "\":") + std::to_string(value);
        LOG_FIELDS(LOG_FIELD)
#undef LOG_FIELD
        writeLog(line + "}\n");
    }
    if (frames_ >= options_.maxFrames) {
        complete(tMs + showState.frameDelay);
        std::fflush(nullptr);
        std::_Exit(0);
    }
}

void Recorder::event(const headless::Event &event)
{
    if (!options_.log)
        return;
    std::string line = "{\"event\":" + jsonString(event.name);
    // Events of the render thread belong to the frame it is composing.
    if (!event.onMainThread)
        line += ",\"frame\":" + std::to_string(frames_ + 1);
    line += ",\"t_ms\":" + std::to_string(event.tMs);
    for (const auto &[key, value] : event.fields)
        line += ',' + jsonString(key) + ':' + jsonValue(value);
    writeLog(line + "}\n");
}

void Recorder::stalled()
{
    fail("the program waits for something that will never come (no frame, timer or input is due)");
}

void Recorder::programExited(int code, std::int64_t tMs)
{
    event(headless::Event{"exit", tMs, true, {{"code", std::int64_t(code)}}});
    complete(tMs > lastFrameMs_ ? tMs : lastFrameMs_ + showState.frameDelay);
    std::fflush(nullptr);
    std::_Exit(code);
}

void Recorder::complete(std::int64_t endMs)
{
    if (options_.log && !log_.close())
        fail(log_.problem());
    if (animation_) {
        auto bytes = animation_->finish(endMs);
        if (bytes.empty())
            fail("--out " + options_.out->path + ": the WebP encoder failed");
        if (!out_.write(bytesOf(bytes)) || !out_.close())
            fail(out_.problem());
    }
    // Names come last, so that a failure above leaves no output that looks finished.
    if (options_.log && !log_.commit())
        fail(log_.problem());
    if (options_.out && !out_.commit())
        fail(out_.problem());
}

void Recorder::writeLog(const std::string &line)
{
    if (!log_.write(line))
        fail(log_.problem());
}

void Recorder::discard()
{
    log_.discard();
    out_.discard();
    frame_.discard();
    for (long long number = 1; number <= framesNamed_; ++number)
        ::unlink(framePath(*options_.frames, number).c_str());
    if (madeFramesFolder_)
        ::rmdir(options_.frames->path.c_str());
}

void Recorder::fail(const std::string &problem)
{
    discard();
    std::fprintf(stderr, "howdy-record: %s\n", problem.c_str());
    std::fflush(nullptr);
    std::_Exit(3);
}
