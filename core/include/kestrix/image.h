#pragma once
// The 32-bit pixel buffer every stage passes on: blue, green, red, alpha bytes,
// rows top to bottom, stride exactly 4 x width.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "kestrix/result.h"

namespace kestrix {

struct ImageError {
    enum class Kind { ZeroSized, BadLength, TooLarge, Encode, Decode };
    Kind kind = Kind::ZeroSized;
    uint64_t expected = 0;  // BadLength
    uint64_t got = 0;       // BadLength
    std::string encoder_message;  // Encode, Decode

    std::string text() const;
    friend bool operator==(const ImageError&, const ImageError&) = default;
};

class Image {
public:
    uint32_t width() const { return width_; }
    uint32_t height() const { return height_; }
    const std::vector<uint8_t>& pixels() const { return pixels_; }
    std::vector<uint8_t>& pixels() { return pixels_; }
    size_t stride() const { return size_t(width_) * 4; }

    // 0xAARRGGBB: the pixel's four bytes read as a little-endian number.
    std::optional<uint32_t> pixel_at(uint32_t x, uint32_t y) const;

    // Overwrites every byte with zero; used before screen pixels are released.
    void wipe();

    // The dots per inch of the monitor the picture was taken on (96 at 100 %, 192 at
    // 200 %). The PNG's pHYs chunk and the clipboard DIB's pixels per metre state it,
    // so that document programs show a capture at its on-screen size.
    uint32_t dpi() const { return dpi_; }
    void set_dpi(uint32_t dpi) { dpi_ = dpi == 0 ? kDefaultDpi : dpi; }
    static constexpr uint32_t kDefaultDpi = 96;

    friend bool operator==(const Image&, const Image&) = default;

private:
    friend Result<Image, ImageError> make_image(uint32_t, uint32_t, std::vector<uint8_t>);
    Image(uint32_t w, uint32_t h, std::vector<uint8_t> px) : pixels_(std::move(px)), width_(w), height_(h) {}

    std::vector<uint8_t> pixels_;
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    uint32_t dpi_ = kDefaultDpi;
};

// Dots per inch as pixels per metre, rounded: 96 gives 3780, 192 gives 7559.
uint32_t pixels_per_metre(uint32_t dpi);

// The only way to build an Image: checks zero size, then overflow, then length.
Result<Image, ImageError> make_image(uint32_t width, uint32_t height, std::vector<uint8_t> pixels);

// Deflate settings for encodePng; the defaults are the ones Kestrix ships with.
// Level 5 with the "up" row filter alone encodes screenshots about twice as
// fast as libpng's defaults (level 6, every filter tried per row) for files at
// most a few percent larger, and flat, mostly uniform screens do not grow; the
// fast levels 1-3 make interface screens 1.5 to 3 times larger. With one of the
// cheap filters (none, sub, up) the image is also deflated in strips side by
// side, one per processor (bench/png_bench.cpp measures the trade-off).
struct PngSettings {
    int level = 5;         // zlib level, -1 = library default
    int filters = 0x20;    // PNG_FILTER_* mask (0x20 = PNG_FILTER_UP), -1 = library default
    int strategy = 0;      // zlib strategy (0 = Z_DEFAULT_STRATEGY), -1 = library default
    uint32_t strips = 0;   // deflate strips: 0 = one per processor (at most 8), 1 = libpng's single stream
    // The most bytes a strip hands deflate (and the most output room it offers) per
    // call: zlib's counts are 32 bits wide on Windows. 0 = 1 GiB; tests use small ones.
    size_t piece = 0;
};

// 8-bit RGB PNG without alpha, entirely in memory; its one ancillary chunk, pHYs,
// gives the image's dpi in pixels per metre. Running out of memory is an Encode
// error like any other.
Result<std::vector<uint8_t>, ImageError> encodePng(const Image& image, const PngSettings& settings = PngSettings{});

// A PNG of any colour type back into an opaque picture (Kestrix reads only the PNGs
// it made itself); a Decode error with libpng's text for anything it cannot read.
Result<Image, ImageError> decodePng(const std::vector<uint8_t>& png);

// The Adler-32 checksum of two pieces of data one after the other, from the
// checksum of each and the length of the second (any length: 64 bits).
uint32_t adler32_join(uint32_t first, uint32_t second, uint64_t second_length);

}  // namespace kestrix
