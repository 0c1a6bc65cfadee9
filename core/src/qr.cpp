#include "kestrix/qr.h"

#include <qrencode.h>

#include <memory>
#include <string>
#include <vector>

namespace kestrix {

namespace {

struct QrCodeDeleter {
    void operator()(QRcode* code) const { QRcode_free(code); }
};

}  // namespace

std::optional<Image> qr_image(std::string_view text, uint32_t module_pixels) {
    if (module_pixels == 0) return std::nullopt;
    // The encoder reads up to a NUL: a text holding one would be cut, so it is refused.
    if (text.find('\0') != std::string_view::npos) return std::nullopt;
    const std::string terminated(text);
    // Version 0 asks for the smallest that fits; QR_MODE_8 lets the encoder mix
    // numeric, alphanumeric and byte segments by its own rules; case is kept.
    const std::unique_ptr<QRcode, QrCodeDeleter> code(
        QRcode_encodeString(terminated.c_str(), 0, QR_ECLEVEL_M, QR_MODE_8, 1));
    if (!code || code->width <= 0) return std::nullopt;

    const uint32_t modules = uint32_t(code->width);
    const uint32_t side = module_pixels * (modules + 2 * kQrQuietModules);
    const size_t stride = size_t(side) * 4;
    std::vector<uint8_t> pixels(stride * side, 255);
    for (uint32_t r = 0; r < modules; ++r) {
        for (uint32_t c = 0; c < modules; ++c) {
            if (!(code->data[size_t(r) * modules + c] & 1)) continue;  // bit 0: dark module
            const uint32_t x0 = module_pixels * (kQrQuietModules + c);
            const uint32_t y0 = module_pixels * (kQrQuietModules + r);
            for (uint32_t y = y0; y < y0 + module_pixels; ++y) {
                uint8_t* px = pixels.data() + size_t(y) * stride + size_t(x0) * 4;
                for (uint32_t x = 0; x < module_pixels; ++x, px += 4) px[0] = px[1] = px[2] = 0;  // alpha stays 255
            }
        }
    }
    auto image = make_image(side, side, std::move(pixels));
    if (!image) return std::nullopt;  // cannot happen: square and non-empty by construction
    return std::move(*image);
}

}  // namespace kestrix
