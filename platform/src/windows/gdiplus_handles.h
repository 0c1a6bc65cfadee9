#pragma once
// Owners for GDI+ flat-API objects: each is released when it goes out of scope,
// so a drawing object lives exactly as long as the call that made it.
#include <windows.h>
// objidl.h first: WIN32_LEAN_AND_MEAN leaves out what gdiplus.h expects
#include <objidl.h>
#include <gdiplus.h>

#include <utility>

namespace kestrix::win {

template <class T, Gdiplus::GpStatus(WINGDIPAPI* Release)(T*)>
class GdipObject {
public:
    GdipObject() = default;
    ~GdipObject() { reset(); }
    GdipObject(const GdipObject&) = delete;
    GdipObject& operator=(const GdipObject&) = delete;
    GdipObject(GdipObject&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    GdipObject& operator=(GdipObject&& other) noexcept {
        if (this != &other) {
            reset();
            object_ = std::exchange(other.object_, nullptr);
        }
        return *this;
    }

    void reset(T* object = nullptr) {
        if (object_) Release(object_);
        object_ = object;
    }
    T* get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    T* object_ = nullptr;
};

using GdipGraphics = GdipObject<Gdiplus::GpGraphics, Gdiplus::DllExports::GdipDeleteGraphics>;
using GdipPen = GdipObject<Gdiplus::GpPen, Gdiplus::DllExports::GdipDeletePen>;
using GdipBrush = GdipObject<Gdiplus::GpBrush, Gdiplus::DllExports::GdipDeleteBrush>;
using GdipFontFamily = GdipObject<Gdiplus::GpFontFamily, Gdiplus::DllExports::GdipDeleteFontFamily>;
using GdipFont = GdipObject<Gdiplus::GpFont, Gdiplus::DllExports::GdipDeleteFont>;
using GdipStringFormat = GdipObject<Gdiplus::GpStringFormat, Gdiplus::DllExports::GdipDeleteStringFormat>;
using GdipImage = GdipObject<Gdiplus::GpImage, Gdiplus::DllExports::GdipDisposeImage>;

}  // namespace kestrix::win
