#include "kestrix/image.h"

#include <png.h>

#include <algorithm>
#include <cstring>

namespace kestrix {

std::string ImageError::text() const {
    switch (kind) {
    case Kind::ZeroSized: return "image has zero width or height";
    case Kind::BadLength:
        return "buffer length " + std::to_string(got) + " does not match expected " + std::to_string(expected);
    case Kind::TooLarge: return "image dimensions are too large";
    case Kind::Encode: return "png encoding failed: " + encoder_message;
    }
    return {};
}

Result<Image, ImageError> make_image(uint32_t width, uint32_t height, std::vector<uint8_t> pixels) {
    if (width == 0 || height == 0) return fail(ImageError{ImageError::Kind::ZeroSized});
    const uint64_t count = uint64_t(width) * height;
    if (count > 0x3FFFFFFFFFFFFFFFull) return fail(ImageError{ImageError::Kind::TooLarge});
    if (pixels.size() != count * 4) {
        ImageError e{ImageError::Kind::BadLength};
        e.expected = count * 4;
        e.got = pixels.size();
        return fail(std::move(e));
    }
    return Image(width, height, std::move(pixels));
}

std::optional<uint32_t> Image::pixel_at(uint32_t x, uint32_t y) const {
    if (x >= width_ || y >= height_) return std::nullopt;
    const uint8_t* p = pixels_.data() + (size_t(y) * width_ + x) * 4;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void Image::wipe() {
    // volatile writes so the wipe of screen pixels is not optimised away before release
    volatile uint8_t* p = pixels_.data();
    for (size_t i = 0; i < pixels_.size(); ++i) p[i] = 0;
}

namespace {

struct PngWriteState {
    std::vector<uint8_t>* out;
    std::string error;
};

void on_png_write(png_structp png, png_bytep data, png_size_t length) {
    auto* state = static_cast<PngWriteState*>(png_get_io_ptr(png));
    state->out->insert(state->out->end(), data, data + length);
}

void on_png_flush(png_structp) {}

[[noreturn]] void on_png_error(png_structp png, png_const_charp message) {
    auto* state = static_cast<PngWriteState*>(png_get_error_ptr(png));
    state->error = message ? message : "unknown error";
    png_longjmp(png, 1);
}

void on_png_warning(png_structp, png_const_charp) {}

// Everything that may be skipped by longjmp lives outside this function's frame.
bool write_png(png_structp png, png_infop info, const Image& image, const std::vector<png_bytep>& rows,
               const PngSettings& settings) {
    if (setjmp(png_jmpbuf(png))) return false;
    if (settings.level >= 0) png_set_compression_level(png, settings.level);
    if (settings.strategy >= 0) png_set_compression_strategy(png, settings.strategy);
    if (settings.filters >= 0) png_set_filter(png, PNG_FILTER_TYPE_BASE, settings.filters);
    png_set_IHDR(png, info, image.width(), image.height(), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, const_cast<png_bytepp>(rows.data()));
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

Result<std::vector<uint8_t>, ImageError> encodePng(const Image& image, const PngSettings& settings) {
    const size_t w = image.width(), h = image.height();
    std::vector<uint8_t> rgb(w * h * 3);
    const uint8_t* src = image.pixels().data();
    for (size_t i = 0, n = w * h; i < n; ++i) {
        rgb[i * 3 + 0] = src[i * 4 + 2];
        rgb[i * 3 + 1] = src[i * 4 + 1];
        rgb[i * 3 + 2] = src[i * 4 + 0];
    }
    std::vector<png_bytep> rows(h);
    for (size_t y = 0; y < h; ++y) rows[y] = rgb.data() + y * w * 3;

    std::vector<uint8_t> out;
    PngWriteState state{&out, {}};
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, on_png_error, on_png_warning);
    if (!png) return fail(ImageError{ImageError::Kind::Encode, 0, 0, "cannot create the write structure"});
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return fail(ImageError{ImageError::Kind::Encode, 0, 0, "cannot create the info structure"});
    }
    png_set_write_fn(png, &state, on_png_write, on_png_flush);
    const bool written = write_png(png, info, image, rows, settings);
    png_destroy_write_struct(&png, &info);
    if (!written) return fail(ImageError{ImageError::Kind::Encode, 0, 0, state.error});
    return out;
}

}  // namespace kestrix
