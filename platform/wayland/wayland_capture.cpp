// The screen copy protocols' routes to the snapshot, and the choice among all routes.
#include "wayland_capture.h"
#include "wayland_shm.h"

#include "ext-image-capture-source-v1-client-protocol.h"
#include "ext-image-copy-capture-v1-client-protocol.h"
#include "wlr-screencopy-unstable-v1-client-protocol.h"

#include <cstdlib>

namespace wayland {

namespace {

// How long a compositor may take to hand over one output's picture.
constexpr int kCaptureTimeoutMs = 5000;

// What a capture has heard so far.
struct Capture {
    std::uint32_t width = 0, height = 0, format = 0;
    std::ptrdiff_t stride = 0;
    bool formatFound = false;
    bool constraintsDone = false;
    std::int32_t transform = WL_OUTPUT_TRANSFORM_NORMAL;
    bool yInverted = false;
    bool ready = false;
    bool failed = false;

    void offer(std::uint32_t offered)
    {
        if (!formatFound && readableFormat(offered)) {
            format = offered;
            formatFound = true;
        }
    }
};

struct CaptureEvents {
    static Capture &of(void *data) { return *static_cast<Capture *>(data); }

    static void bufferSize(void *data, ext_image_copy_capture_session_v1 *, std::uint32_t width,
                           std::uint32_t height)
    {
        of(data).width = width;
        of(data).height = height;
    }
    static void shmFormat(void *data, ext_image_copy_capture_session_v1 *, std::uint32_t format)
    {
        of(data).offer(format);
    }
    static void dmabufDevice(void *, ext_image_copy_capture_session_v1 *, wl_array *) {}
    static void dmabufFormat(void *, ext_image_copy_capture_session_v1 *, std::uint32_t, wl_array *) {}
    static void constraintsDone(void *data, ext_image_copy_capture_session_v1 *)
    {
        of(data).constraintsDone = true;
    }
    static void stopped(void *data, ext_image_copy_capture_session_v1 *)
    {
        of(data).failed = true;
    }
    static constexpr ext_image_copy_capture_session_v1_listener session{
        bufferSize, shmFormat, dmabufDevice, dmabufFormat, constraintsDone, stopped};

    static void frameTransform(void *data, ext_image_copy_capture_frame_v1 *, std::uint32_t transform)
    {
        of(data).transform = std::int32_t(transform);
    }
    static void frameDamage(void *, ext_image_copy_capture_frame_v1 *, std::int32_t, std::int32_t, std::int32_t,
                            std::int32_t)
    {
    }
    static void frameTime(void *, ext_image_copy_capture_frame_v1 *, std::uint32_t, std::uint32_t, std::uint32_t) {}
    static void frameReady(void *data, ext_image_copy_capture_frame_v1 *)
    {
        of(data).ready = true;
    }
    static void frameFailed(void *data, ext_image_copy_capture_frame_v1 *, std::uint32_t)
    {
        of(data).failed = true;
    }
    static constexpr ext_image_copy_capture_frame_v1_listener frame{frameTransform, frameDamage, frameTime,
                                                                    frameReady, frameFailed};

    static void copyBuffer(void *data, zwlr_screencopy_frame_v1 *, std::uint32_t format, std::uint32_t width,
                           std::uint32_t height, std::uint32_t stride)
    {
        Capture &capture = of(data);
        if (capture.formatFound || !readableFormat(format))
            return;
        capture.offer(format);
        capture.width = width;
        capture.height = height;
        capture.stride = std::ptrdiff_t(stride);
    }
    static void copyFlags(void *data, zwlr_screencopy_frame_v1 *, std::uint32_t flags)
    {
        of(data).yInverted = flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT;
    }
    static void copyReady(void *data, zwlr_screencopy_frame_v1 *, std::uint32_t, std::uint32_t, std::uint32_t)
    {
        of(data).ready = true;
    }
    static void copyFailed(void *data, zwlr_screencopy_frame_v1 *)
    {
        of(data).failed = true;
    }
    static void copyDamage(void *, zwlr_screencopy_frame_v1 *, std::uint32_t, std::uint32_t, std::uint32_t,
                           std::uint32_t)
    {
    }
    static void copyDmabuf(void *, zwlr_screencopy_frame_v1 *, std::uint32_t, std::uint32_t, std::uint32_t) {}
    static void copyBuffersNamed(void *data, zwlr_screencopy_frame_v1 *)
    {
        of(data).constraintsDone = true;
    }
    static constexpr zwlr_screencopy_frame_v1_listener screencopy{
        copyBuffer, copyFlags, copyReady, copyFailed, copyDamage, copyDmabuf, copyBuffersNamed};
};

std::optional<Image> captureByImageCopy(Connection &connection, Output &output)
{
    const Globals &globals = connection.globals();
    Capture capture;
    auto *source =
        ext_output_image_capture_source_manager_v1_create_source(globals.capture.outputSources, output.proxy);
    // Options 0: the cursor stays out of the picture.
    auto *session = ext_image_copy_capture_manager_v1_create_session(globals.capture.imageCopy, source, 0);
    ext_image_copy_capture_session_v1_add_listener(session, &CaptureEvents::session, &capture);
    std::unique_ptr<ShmBuffer> buffer;
    ext_image_copy_capture_frame_v1 *frame = nullptr;
    if (connection.dispatchUntil([&] { return capture.constraintsDone || capture.failed; }, kCaptureTimeoutMs) &&
        capture.formatFound && !capture.failed)
        buffer = ShmBuffer::create(globals.shm, int(capture.width), int(capture.height), capture.format);
    if (buffer) {
        frame = ext_image_copy_capture_session_v1_create_frame(session);
        ext_image_copy_capture_frame_v1_add_listener(frame, &CaptureEvents::frame, &capture);
        ext_image_copy_capture_frame_v1_attach_buffer(frame, buffer->buffer());
        ext_image_copy_capture_frame_v1_damage_buffer(frame, 0, 0, buffer->width(), buffer->height());
        ext_image_copy_capture_frame_v1_capture(frame);
        connection.dispatchUntil([&] { return capture.ready || capture.failed; }, kCaptureTimeoutMs);
        ext_image_copy_capture_frame_v1_destroy(frame);
    }
    ext_image_copy_capture_session_v1_destroy(session);
    ext_image_capture_source_v1_destroy(source);
    if (!buffer || !capture.ready)
        return std::nullopt;
    return imageFromBuffer(buffer->data(), buffer->width(), buffer->height(), buffer->stride(), capture.format,
                           capture.transform, false);
}

std::optional<Image> captureByScreencopy(Connection &connection, Output &output)
{
    const Globals &globals = connection.globals();
    Capture capture;
    // Overlay cursor 0: a cursor the compositor draws apart from the picture stays out of it.
    auto *frame = zwlr_screencopy_manager_v1_capture_output(globals.capture.screencopy, 0, output.proxy);
    zwlr_screencopy_frame_v1_add_listener(frame, &CaptureEvents::screencopy, &capture);
    std::unique_ptr<ShmBuffer> buffer;
    if (connection.dispatchUntil([&] { return capture.constraintsDone || capture.failed; }, kCaptureTimeoutMs) &&
        capture.formatFound && !capture.failed)
        buffer = ShmBuffer::create(globals.shm, int(capture.width), int(capture.height), capture.format,
                                   capture.stride);
    if (buffer) {
        zwlr_screencopy_frame_v1_copy(frame, buffer->buffer());
        connection.dispatchUntil([&] { return capture.ready || capture.failed; }, kCaptureTimeoutMs);
    }
    zwlr_screencopy_frame_v1_destroy(frame);
    if (!buffer || !capture.ready)
        return std::nullopt;
    // The copy holds the output's own pixels, which its transform turns into what the user sees.
    return imageFromBuffer(buffer->data(), buffer->width(), buffer->height(), buffer->stride(), capture.format,
                           output.transform, capture.yInverted);
}

} // namespace

bool takeSnapshots(Connection &connection, const std::vector<Output *> &outputs, std::map<Output *, Image> &into,
                   std::string &error)
{
    const Globals &globals = connection.globals();
    const char *forced = std::getenv("HOWDY_SNAPSHOT");
    std::string route = forced ? forced : "";
    if (!route.empty() && route != "ext" && route != "wlr" && route != "kwin" && route != "portal") {
        error = "HOWDY_SNAPSHOT is '" + route + "': use ext, wlr, kwin or portal";
        return false;
    }
    auto tryProtocol = [&](const char *name, bool offered, auto capture) {
        if (!offered || (!route.empty() && route != name))
            return false;
        std::map<Output *, Image> pictures;
        for (Output *output : outputs) {
            auto picture = capture(connection, *output);
            if (!picture)
                return false;
            pictures[output] = std::move(*picture);
        }
        into = std::move(pictures);
        return true;
    };
    std::string why;
    auto byKWin = [&why](Connection &, const Output &output) { return captureByKWin(output, why); };
    if (tryProtocol("ext", globals.capture.imageCopy && globals.capture.outputSources, captureByImageCopy) ||
        tryProtocol("wlr", globals.capture.screencopy != nullptr, captureByScreencopy) ||
        tryProtocol("kwin", true, byKWin))
        return true;
    if (route == "kwin") {
        error = "KWin's screenshot interface " + why;
        return false;
    }
    if ((route.empty() || route == "portal") && captureByPortal(connection, outputs, into, why))
        return true;
    if (route.empty())
        error = "no way to read the screen: no screen capture protocol worked, and the screenshot portal " + why;
    else if (route == "portal")
        error = "the screenshot portal " + why;
    else
        error = "the " + route + " screen capture protocol is not offered or failed";
    return false;
}

} // namespace wayland
