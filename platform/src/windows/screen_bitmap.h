#pragma once
// A top-down 32-bit DIB section for pixels of the screen or a capture; they are
// zeroed before the bitmap is deleted.
#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace kestrix::win {

class ScreenBitmap {
public:
    ScreenBitmap(HDC dc, int width, int height) : size_(size_t(width) * size_t(height) * 4) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        bitmap_ = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    }
    ~ScreenBitmap() {
        GdiFlush();  // drawing still queued must not read the pixels after they are wiped
        if (bits_) SecureZeroMemory(bits_, size_);
        if (bitmap_) DeleteObject(bitmap_);
    }
    ScreenBitmap(const ScreenBitmap&) = delete;
    ScreenBitmap& operator=(const ScreenBitmap&) = delete;
    bool valid() const { return bitmap_ && bits_; }
    HBITMAP handle() const { return bitmap_; }
    const uint8_t* bits() const { return static_cast<const uint8_t*>(bits_); }
    uint8_t* bits() { return static_cast<uint8_t*>(bits_); }
    size_t size() const { return size_; }

private:
    size_t size_;
    HBITMAP bitmap_ = nullptr;
    void* bits_ = nullptr;
};

}  // namespace kestrix::win
