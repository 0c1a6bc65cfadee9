// Reading a PNG back into a picture, through libpng's simplified interface.
#include <png.h>

#include <new>

#include "kestrix/image.h"
#include "kestrix/wipe.h"

namespace kestrix {

namespace {

ImageError decode_error(std::string text) { return ImageError{ImageError::Kind::Decode, 0, 0, std::move(text)}; }

// Frees libpng's reading state on every way out.
struct ReadingImage {
    png_image image{};
    ReadingImage() { image.version = PNG_IMAGE_VERSION; }
    ~ReadingImage() { png_image_free(&image); }
};

}  // namespace

Result<Image, ImageError> decodePng(const std::vector<uint8_t>& png) {
    ReadingImage reading;
    png_image& image = reading.image;
    if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) return fail(decode_error(image.message));
    image.format = PNG_FORMAT_BGRA;  // the byte order of an Image
    const uint64_t bytes = uint64_t(image.width) * image.height * 4;
    if (image.width == 0 || image.height == 0) return fail(ImageError{ImageError::Kind::ZeroSized});
    if (bytes > (uint64_t(1) << 40)) return fail(ImageError{ImageError::Kind::TooLarge});
    std::vector<uint8_t> pixels;
    try {
        pixels.resize(size_t(bytes));
    } catch (const std::bad_alloc&) {
        return fail(decode_error("out of memory"));
    }
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        // Part of the picture may have arrived: it goes as screen pixels do.
        wipe_bytes(pixels);
        return fail(decode_error(image.message));
    }
    // Kestrix's own files are opaque; a file with transparency keeps its colours.
    for (size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 255;
    return make_image(image.width, image.height, std::move(pixels));
}

}  // namespace kestrix
