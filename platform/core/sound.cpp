// PlaySoundA over the WAVE resources.
#include "backend.h"

#include <mmsystem.h>

#include <cstring>

namespace win32 {

namespace {

std::uint32_t read32(const std::uint8_t *p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

std::uint16_t read16(const std::uint8_t *p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}

// Reads a RIFF WAVE file of PCM samples, 8 or 16 bits, one or two channels.
std::optional<Wave> parseWave(const std::uint8_t *data, std::size_t size)
{
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0)
        return std::nullopt;
    Wave wave;
    bool haveFormat = false;
    std::size_t at = 12;
    // A chunk of odd length is followed by a pad byte, which the file's last chunk may lack.
    while (at <= size && size - at >= 8) {
        const std::uint8_t *chunk = data + at;
        std::size_t length = read32(chunk + 4);
        if (length > size - at - 8)
            return std::nullopt;
        if (std::memcmp(chunk, "fmt ", 4) == 0 && length >= 16) {
            if (read16(chunk + 8) != 1)
                return std::nullopt;
            wave.channels = read16(chunk + 10);
            wave.sampleRate = int(read32(chunk + 12));
            wave.bitsPerSample = read16(chunk + 22);
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            wave.samples = chunk + 8;
            wave.bytes = length;
        }
        at += 8 + length + (length & 1);
    }
    if (!haveFormat || !wave.samples || wave.channels < 1 || wave.channels > 2 || wave.sampleRate <= 0 ||
        (wave.bitsPerSample != 8 && wave.bitsPerSample != 16))
        return std::nullopt;
    return wave;
}

} // namespace

} // namespace win32

using namespace win32;

// Plays WAVE resources asynchronously, or stops every sound when given no name.
extern "C" BOOL WINAPI PlaySoundA(LPCSTR sound, HMODULE module, DWORD flags)
{
    if (!sound) {
        backend().stopSounds();
        return TRUE;
    }
    if ((flags & SND_RESOURCE) != SND_RESOURCE || !(flags & SND_ASYNC))
        return FALSE;
    HRSRC resource = FindResourceA(module, sound, "WAVE");
    auto *data = static_cast<const std::uint8_t *>(LockResource(LoadResource(module, resource)));
    std::optional<Wave> wave;
    if (data)
        wave = parseWave(data, SizeofResource(module, resource));
    if (wave) {
        std::string name = IS_INTRESOURCE(sound) ? std::string("#").append(std::to_string(ULONG_PTR(sound))) : sound;
        backend().playSound(*wave, name);
        return TRUE;
    }
    if (flags & SND_NODEFAULT)
        return FALSE;
    backend().playSound(Wave{}, "SystemDefault");
    return TRUE;
}
