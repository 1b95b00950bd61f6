#include "image_files.h"

#include <png.h>
#include <webp/encode.h>
#include <webp/mux.h>

static_assert(kWebPMaxSide == WEBP_MAX_DIMENSION);

namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t size)
{
    auto *bytes = static_cast<std::vector<std::uint8_t> *>(png_get_io_ptr(png));
    bytes->insert(bytes->end(), data, data + size);
}

} // namespace

std::vector<std::uint8_t> encodePng(const win32::Surface &frame)
{
    std::vector<std::uint8_t> bytes;
    std::vector<png_byte> row(std::size_t(frame.width) * 3);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &bytes, appendBytes, nullptr);
    // Fast compression: a recording writes hundreds of full-screen frames.
    png_set_compression_level(png, 1);
    png_set_IHDR(png, info, png_uint_32(frame.width), png_uint_32(frame.height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < frame.height; ++y) {
        const std::uint32_t *pixels = frame.pixels(y);
        for (int x = 0; x < frame.width; ++x) {
            row[std::size_t(x) * 3] = png_byte(pixels[x] >> 16);
            row[std::size_t(x) * 3 + 1] = png_byte(pixels[x] >> 8);
            row[std::size_t(x) * 3 + 2] = png_byte(pixels[x]);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return bytes;
}

struct WebPAnimation::Encoder {
    WebPAnimEncoder *encoder = nullptr;
    WebPConfig config;
    WebPPicture picture;
    ~Encoder()
    {
        WebPPictureFree(&picture);
        if (encoder)
            WebPAnimEncoderDelete(encoder);
    }
};

WebPAnimation::WebPAnimation(int width, int height) : encoder_(std::make_unique<Encoder>())
{
    WebPAnimEncoderOptions options;
    WebPAnimEncoderOptionsInit(&options);
    options.anim_params.loop_count = 0;
    encoder_->encoder = WebPAnimEncoderNew(width, height, &options);
    WebPConfigInit(&encoder_->config);
    encoder_->config.quality = 80;
    encoder_->config.method = 2;
    WebPPictureInit(&encoder_->picture);
    encoder_->picture.width = width;
    encoder_->picture.height = height;
    encoder_->picture.use_argb = 1;
    WebPPictureAlloc(&encoder_->picture);
}

WebPAnimation::~WebPAnimation() = default;

bool WebPAnimation::add(const win32::Surface &frame, std::int64_t tMs)
{
    if (!encoder_->encoder)
        return false;
    WebPPicture &picture = encoder_->picture;
    for (int y = 0; y < frame.height; ++y) {
        const std::uint32_t *pixels = frame.pixels(y);
        std::uint32_t *argb = picture.argb + std::ptrdiff_t(y) * picture.argb_stride;
        for (int x = 0; x < frame.width; ++x)
            argb[x] = 0xFF000000u | pixels[x];
    }
    // Timestamps must grow: a frame that follows the previous one without a sleep holds that
    // one for a millisecond.
    if (tMs <= last_)
        tMs = last_ + 1;
    last_ = tMs;
    return WebPAnimEncoderAdd(encoder_->encoder, &picture, int(tMs), &encoder_->config) != 0;
}

std::vector<std::uint8_t> WebPAnimation::finish(std::int64_t endMs)
{
    std::vector<std::uint8_t> bytes;
    if (!encoder_->encoder)
        return bytes;
    if (endMs <= last_)
        endMs = last_ + 1;
    WebPData data;
    WebPDataInit(&data);
    if (WebPAnimEncoderAdd(encoder_->encoder, nullptr, int(endMs), nullptr) &&
        WebPAnimEncoderAssemble(encoder_->encoder, &data))
        bytes.assign(data.bytes, data.bytes + data.size);
    WebPDataClear(&data);
    return bytes;
}
