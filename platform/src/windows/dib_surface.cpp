#include "dib_surface.h"

#include <cstring>
#include <string>

namespace kestrix::win {

Result<std::unique_ptr<DibSurface>, PlatformError> DibSurface::create(int32_t width, int32_t height,
                                                                      const char* dc_context) {
    std::unique_ptr<DibSurface> surface(new DibSurface(width, height));
    if (!surface->dc_)
        return fail(PlatformError::os("CreateCompatibleDC(" + std::string(dc_context) + ")", int32_t(GetLastError())));

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(surface->dc(), &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) {
        const int32_t code = int32_t(GetLastError());
        if (bitmap) DeleteObject(bitmap);
        return fail(PlatformError::os("CreateDIBSection", code));
    }
    surface->bitmap_.reset(bitmap);
    surface->pixels_ = static_cast<uint8_t*>(bits);
    surface->previous_ = SelectObject(surface->dc(), bitmap);
    return surface;
}

DibSurface::~DibSurface() {
    if (previous_) SelectObject(dc_.get(), previous_);
    if (pixels_) {
        GdiFlush();  // nothing may still be drawing into the section
        std::memset(pixels_, 0, byte_size());
    }
}

}  // namespace kestrix::win
