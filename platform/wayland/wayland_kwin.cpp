// KWin's route to the snapshot: its org.kde.KWin.ScreenShot2 D-Bus interface writes an output's
// pixels, without the pointer, into a pipe. KDE Plasma 5.27's portal would put the pointer in its
// picture. KWin answers only a program whose desktop entry, found by the executable's absolute
// path, lists the interface in X-KDE-DBUS-Restricted-Interfaces (howdy's installed entry does);
// others are refused at once, and where no KWin runs the bus says so at once.
#include "wayland_capture.h"

#include <systemd/sd-bus.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cstring>

namespace wayland {

namespace {

constexpr std::uint64_t kCallTimeoutUs = 5'000'000;
constexpr int kReadTimeoutMs = 5000;

using Bus = Owned<sd_bus, sd_bus_flush_close_unref>;
using Message = Owned<sd_bus_message, sd_bus_message_unref>;

// The reply's a{sv}: width, height, stride and format (a QImage::Format), each a u.
struct Shape {
    std::uint32_t width = 0, height = 0, stride = 0, format = 0;
};

bool readShape(sd_bus_message *reply, Shape &shape)
{
    if (sd_bus_message_enter_container(reply, SD_BUS_TYPE_ARRAY, "{sv}") < 0)
        return false;
    while (sd_bus_message_enter_container(reply, SD_BUS_TYPE_DICT_ENTRY, "sv") > 0) {
        const char *key = nullptr;
        if (sd_bus_message_read(reply, "s", &key) < 0)
            return false;
        std::string_view name = key;
        std::uint32_t *field = name == "width"    ? &shape.width
                               : name == "height" ? &shape.height
                               : name == "stride" ? &shape.stride
                               : name == "format" ? &shape.format
                                                  : nullptr;
        const char *contents = nullptr;
        if (field && sd_bus_message_peek_type(reply, nullptr, &contents) >= 0 && contents &&
            std::string_view(contents) == "u")
            sd_bus_message_read(reply, "v", "u", field);
        else
            sd_bus_message_skip(reply, "v");
        sd_bus_message_exit_container(reply);
    }
    return true;
}

// Reads `size` bytes, or fewer when the writer stops or stalls.
std::vector<std::uint8_t> readAll(int fd, std::size_t size)
{
    std::vector<std::uint8_t> bytes(size);
    std::size_t got = 0;
    pollfd watch{fd, POLLIN, 0};
    while (got < size && poll(&watch, 1, kReadTimeoutMs) > 0) {
        ssize_t n = read(fd, bytes.data() + got, size - got);
        if (n <= 0)
            break;
        got += std::size_t(n);
    }
    bytes.resize(got);
    return bytes;
}

} // namespace

std::optional<Image> captureByKWin(const Output &output, std::string &error)
{
    sd_bus *opened = nullptr;
    if (output.name.empty() || sd_bus_open_user(&opened) < 0) {
        error = "is out of reach: no output name or no session bus";
        return std::nullopt;
    }
    Bus bus(opened);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        error = "is out of reach: no pipe";
        return std::nullopt;
    }
    sd_bus_message *replied = nullptr;
    sd_bus_error failure = SD_BUS_ERROR_NULL;
    int called = sd_bus_call_method(bus.get(), "org.kde.KWin.ScreenShot2", "/org/kde/KWin/ScreenShot2",
                                    "org.kde.KWin.ScreenShot2", "CaptureScreen", &failure, &replied, "sa{sv}h",
                                    output.name.c_str(), 2, "native-resolution", "b", 1, "include-cursor", "b", 0,
                                    fds[1]);
    close(fds[1]);
    Message reply(replied);
    Shape shape;
    if (called < 0 || !readShape(reply.get(), shape)) {
        error = std::string("refused (") + (failure.message ? failure.message : "no answer") + ")";
        sd_bus_error_free(&failure);
        close(fds[0]);
        return std::nullopt;
    }
    // Formats 4, 5 and 6 (RGB32, ARGB32, premultiplied ARGB32) are 32-bit 0xAARRGGBB words, of
    // the output's size: nothing larger is read, whatever the reply says.
    bool readable = shape.format >= 4 && shape.format <= 6 && shape.width == std::uint32_t(output.viewWidth()) &&
                    shape.height == std::uint32_t(output.viewHeight()) && shape.width > 0 && shape.height > 0 &&
                    shape.stride >= shape.width * 4 && shape.stride <= shape.width * 4 + 4096;
    std::size_t size = std::size_t(shape.stride) * shape.height;
    std::vector<std::uint8_t> bytes = readable ? readAll(fds[0], size) : std::vector<std::uint8_t>{};
    close(fds[0]);
    if (bytes.size() != size || !readable) {
        error = "gave a picture that could not be read";
        return std::nullopt;
    }
    Image image;
    image.width = int(shape.width);
    image.height = int(shape.height);
    image.pixels.resize(std::size_t(shape.width) * shape.height);
    for (std::uint32_t y = 0; y < shape.height; ++y)
        std::memcpy(&image.pixels[std::size_t(y) * shape.width], &bytes[std::size_t(y) * shape.stride],
                    std::size_t(shape.width) * 4);
    for (auto &pixel : image.pixels)
        pixel &= 0xFFFFFF;
    return image;
}

} // namespace wayland
