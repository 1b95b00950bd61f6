// The last route to a snapshot: the desktop portal's Screenshot call, asked not to show a
// dialog. The portal writes the whole desktop to a picture file and answers with its address;
// the file is read and removed, and each output's part cut out of it.
#include "wayland_capture.h"

#include <png.h>
#include <systemd/sd-bus.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace wayland {

namespace {

// The portal may first have to be started, and a permission dialog may stand between the call
// and the answer.
constexpr std::uint64_t kCallTimeoutUs = 25'000'000;
constexpr std::uint64_t kAnswerTimeoutUs = 60'000'000;

struct BusDeleter {
    void operator()(sd_bus *bus) const { sd_bus_flush_close_unref(bus); }
    void operator()(sd_bus_slot *slot) const { sd_bus_slot_unref(slot); }
    void operator()(sd_bus_message *message) const { sd_bus_message_unref(message); }
};
template <class T> using BusPtr = std::unique_ptr<T, BusDeleter>;

// The Request object's Response signal: a code (0 done, 1 refused, 2 failed) and results.
struct Answer {
    bool heard = false;
    std::uint32_t code = 2;
    std::string uri;
};

int readResponse(sd_bus_message *message, void *data, sd_bus_error *)
{
    auto &answer = *static_cast<Answer *>(data);
    answer.heard = true;
    if (sd_bus_message_read(message, "u", &answer.code) < 0 ||
        sd_bus_message_enter_container(message, SD_BUS_TYPE_ARRAY, "{sv}") < 0)
        return 0;
    while (sd_bus_message_enter_container(message, SD_BUS_TYPE_DICT_ENTRY, "sv") > 0) {
        const char *key = nullptr;
        const char *uri = nullptr;
        if (sd_bus_message_read(message, "s", &key) < 0)
            break;
        if (std::string_view(key) == "uri" && sd_bus_message_read(message, "v", "s", &uri) >= 0)
            answer.uri = uri;
        else if (sd_bus_message_skip(message, "v") < 0)
            break;
        sd_bus_message_exit_container(message);
    }
    return 0;
}

// The local path of a file:// address, with %XX escapes undone.
std::optional<std::string> pathOf(const std::string &uri)
{
    const std::string scheme = "file://";
    if (uri.compare(0, scheme.size(), scheme) != 0)
        return std::nullopt;
    std::string path;
    for (std::size_t i = scheme.size(); i < uri.size(); ++i) {
        auto hex = [&](std::size_t at) { return at < uri.size() && std::isxdigit(static_cast<unsigned char>(uri[at])); };
        if (uri[i] == '%' && hex(i + 1) && hex(i + 2)) {
            path += char(std::stoi(uri.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            path += uri[i];
        }
    }
    if (path.empty() || path[0] != '/')
        return std::nullopt;
    return path;
}

// Reads the picture file the portal wrote, never through a symbolic link, and removes it.
std::optional<Image> takePicture(const std::string &path, std::string &error)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    struct stat status {};
    std::vector<std::uint8_t> bytes;
    if (fd >= 0 && fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size < (off_t{1} << 30)) {
        bytes.resize(std::size_t(status.st_size));
        std::size_t got = 0;
        while (got < bytes.size()) {
            ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
            if (n <= 0)
                break;
            got += std::size_t(n);
        }
        bytes.resize(got);
    }
    if (fd >= 0)
        close(fd);
    unlink(path.c_str());
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (bytes.empty() || !png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) {
        error = "gave a picture that could not be read (" + path + ")";
        return std::nullopt;
    }
    png.format = PNG_FORMAT_BGRA;
    Image image;
    image.width = int(png.width);
    image.height = int(png.height);
    image.pixels.resize(std::size_t(png.width) * png.height);
    if (!png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr)) {
        png_image_free(&png);
        error = "gave a picture that could not be read (" + path + ")";
        return std::nullopt;
    }
    for (auto &pixel : image.pixels)
        pixel &= 0xFFFFFF;
    return image;
}

// What the desktop remembers of its question whether programs other than sandboxed apps (app
// id "") may take screenshots: "yes", "no", nothing when it never had an answer, or "unknown".
std::string storedScreenshotAnswer(sd_bus *bus)
{
    sd_bus_message *replied = nullptr;
    sd_bus_error failure = SD_BUS_ERROR_NULL;
    int called = sd_bus_call_method(bus, "org.freedesktop.impl.portal.PermissionStore",
                                    "/org/freedesktop/impl/portal/PermissionStore",
                                    "org.freedesktop.impl.portal.PermissionStore", "Lookup", &failure, &replied, "ss",
                                    "screenshot", "screenshot");
    bool none = sd_bus_error_has_name(&failure, "org.freedesktop.portal.Error.NotFound");
    sd_bus_error_free(&failure);
    if (called < 0)
        return none ? "" : "unknown";
    BusPtr<sd_bus_message> reply(replied);
    std::string stored;
    if (sd_bus_message_enter_container(replied, SD_BUS_TYPE_ARRAY, "{sas}") < 0)
        return "unknown";
    while (sd_bus_message_enter_container(replied, SD_BUS_TYPE_DICT_ENTRY, "sas") > 0) {
        const char *app = nullptr;
        char **answers = nullptr;
        if (sd_bus_message_read(replied, "s", &app) < 0 || sd_bus_message_read_strv(replied, &answers) < 0)
            return "unknown";
        if (app && !*app && answers && answers[0])
            stored = answers[0];
        for (char **each = answers; each && *each; ++each)
            std::free(*each);
        std::free(answers);
        sd_bus_message_exit_container(replied);
    }
    return stored;
}

// Why the portal gave no picture, with what the user can do where the desktop's ways are known:
// GNOME asks once whether programs may take screenshots and remembers the answer, and its
// portal gives up on an unanswered question without answering; KDE's portal refuses when it
// can't save its picture in the Pictures folder.
std::string whyNot(sd_bus *bus, const Answer &answer)
{
    std::string stored = answer.code == 1 ? "" : storedScreenshotAnswer(bus);
    if (!answer.heard)
        return stored.empty() ? "did not answer: the desktop's question whether to allow screenshots went "
                                "unanswered; run howdy again and choose Allow"
                              : "did not answer";
    const char *desktop = std::getenv("XDG_CURRENT_DESKTOP");
    if (answer.code == 1)
        return desktop && std::strstr(desktop, "KDE")
                   ? "was refused: KDE's portal says so when it can't save its picture; make sure the folder "
                     "Pictures in your home exists and you may write in it"
                   : "was refused";
    if (stored == "no")
        return "failed: the desktop remembers a Deny to screenshots; forget it with gdbus call --session --dest "
               "org.freedesktop.impl.portal.PermissionStore --object-path "
               "/org/freedesktop/impl/portal/PermissionStore --method "
               "org.freedesktop.impl.portal.PermissionStore.DeletePermission screenshot screenshot ''";
    return "failed";
}

std::optional<Image> desktopScreenshot(std::string &error)
{
    sd_bus *opened = nullptr;
    if (sd_bus_open_user(&opened) < 0) {
        error = "can't be asked: there is no session bus";
        return std::nullopt;
    }
    BusPtr<sd_bus> bus(opened);
    const char *unique = nullptr;
    sd_bus_get_unique_name(bus.get(), &unique);
    // The portal answers on a Request object whose path the caller can know before calling, so
    // it listens there first: the answer may come before the call returns.
    std::string sender = unique ? unique + 1 : "";
    std::replace(sender.begin(), sender.end(), '.', '_');
    std::string token = "howdy" + std::to_string(getpid());
    std::string request = "/org/freedesktop/portal/desktop/request/" + sender + "/" + token;
    Answer answer;
    sd_bus_slot *slot = nullptr;
    sd_bus_match_signal(bus.get(), &slot, nullptr, request.c_str(), "org.freedesktop.portal.Request", "Response",
                        readResponse, &answer);
    BusPtr<sd_bus_slot> match(slot);

    sd_bus_message *call = nullptr, *reply = nullptr;
    sd_bus_message_new_method_call(bus.get(), &call, "org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop",
                                   "org.freedesktop.portal.Screenshot", "Screenshot");
    BusPtr<sd_bus_message> callHeld(call);
    sd_bus_message_append(call, "sa{sv}", "", 2, "handle_token", "s", token.c_str(), "interactive", "b", 0);
    sd_bus_error failure = SD_BUS_ERROR_NULL;
    if (sd_bus_call(bus.get(), call, kCallTimeoutUs, &failure, &reply) < 0) {
        error = std::string("can't be asked (") + (failure.message ? failure.message : "no answer") + ")";
        sd_bus_error_free(&failure);
        return std::nullopt;
    }
    BusPtr<sd_bus_message> replyHeld(reply);
    const char *handle = nullptr;
    // A portal that ignores the token answers on the path it names instead.
    if (sd_bus_message_read(reply, "o", &handle) >= 0 && handle && request != handle) {
        match.reset();
        sd_bus_match_signal(bus.get(), &slot, nullptr, handle, "org.freedesktop.portal.Request", "Response",
                            readResponse, &answer);
        match.reset(slot);
    }
    auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(kAnswerTimeoutUs);
    while (!answer.heard) {
        int processed = sd_bus_process(bus.get(), nullptr);
        if (processed < 0)
            break;
        if (processed > 0)
            continue;
        auto left = std::chrono::duration_cast<std::chrono::microseconds>(until - std::chrono::steady_clock::now());
        if (left.count() <= 0 || sd_bus_wait(bus.get(), std::uint64_t(left.count())) < 0)
            break;
    }
    if (!answer.heard || answer.code != 0) {
        error = whyNot(bus.get(), answer);
        return std::nullopt;
    }
    auto path = pathOf(answer.uri);
    if (!path) {
        error = "gave an address that is not a local file (" + answer.uri + ")";
        return std::nullopt;
    }
    return takePicture(*path, error);
}

} // namespace

bool captureByPortal(const Connection &connection, const std::vector<Output *> &outputs,
                     std::map<Output *, Image> &into, std::string &error)
{
    auto desktop = desktopScreenshot(error);
    if (!desktop)
        return false;
    // The picture shows the layout's bounding box, every output in it.
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    for (auto &output : connection.outputs()) {
        LogicalRect rect = output->layoutRect();
        left = std::min(left, rect.x);
        top = std::min(top, rect.y);
        right = std::max(right, rect.x + rect.width);
        bottom = std::max(bottom, rect.y + rect.height);
    }
    LogicalRect layout{left, top, right - left, bottom - top};
    for (Output *output : outputs)
        into[output] = cropToOutput(*desktop, layout, output->layoutRect(), output->viewWidth(), output->viewHeight());
    return true;
}

} // namespace wayland
