#pragma once
// A memory device context with a top-down 32-bit DIB section selected into it.
// The section may hold screen pixels, so they are overwritten with zeros before
// it is released.
#include <windows.h>

#include <cstdint>
#include <memory>

#include "gdi_handles.h"
#include "kestrix/platform_error.h"
#include "kestrix/result.h"

namespace kestrix::win {

class DibSurface {
public:
    // Failures: "CreateCompatibleDC(<dc_context>)" or "CreateDIBSection", with the system error.
    static Result<std::unique_ptr<DibSurface>, PlatformError> create(int32_t width, int32_t height,
                                                                    const char* dc_context);
    ~DibSurface();
    DibSurface(const DibSurface&) = delete;
    DibSurface& operator=(const DibSurface&) = delete;

    HDC dc() const { return dc_.get(); }
    uint8_t* pixels() const { return pixels_; }
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    size_t byte_size() const { return size_t(width_) * size_t(height_) * 4; }

private:
    // The context is made compatible with the screen.
    DibSurface(int32_t width, int32_t height) : dc_(nullptr), width_(width), height_(height) {}

    // Declared before the context so that the context goes first and the
    // section, no longer selected anywhere, is wiped and deleted last.
    GdiObject<HBITMAP> bitmap_;
    MemoryDc dc_;
    HGDIOBJ previous_ = nullptr;
    uint8_t* pixels_ = nullptr;
    int32_t width_;
    int32_t height_;
};

}  // namespace kestrix::win
