#pragma once
// The notification-area icon as a Windows icon handle: drawn by the core at the
// system's small-icon size in the green that suits the taskbar theme.
#include <windows.h>

#include <utility>

#include "kestrix/image.h"

namespace kestrix::win {

class IconHandle {
public:
    IconHandle() = default;
    explicit IconHandle(HICON icon) : icon_(icon) {}
    ~IconHandle() { reset(); }
    IconHandle(IconHandle&& other) noexcept : icon_(std::exchange(other.icon_, nullptr)) {}
    IconHandle& operator=(IconHandle&& other) noexcept {
        if (this != &other) { reset(); icon_ = std::exchange(other.icon_, nullptr); }
        return *this;
    }
    void reset() {
        if (icon_) DestroyIcon(icon_);
        icon_ = nullptr;
    }
    HICON get() const { return icon_; }
    explicit operator bool() const { return icon_ != nullptr; }

private:
    HICON icon_ = nullptr;
};

// True when the taskbar uses the light theme; a value that cannot be read counts as dark.
bool taskbar_uses_light_theme();

// An icon whose pixels and transparency are the Image's (straight alpha); empty when
// the colour bitmap cannot be made.
IconHandle icon_from_image(const Image& image);

// The tray icon for the system's small-icon size at the system scale, in the taskbar theme's green.
IconHandle make_tray_icon();

}  // namespace kestrix::win
