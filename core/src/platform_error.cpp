#include "kestrix/platform_error.h"

namespace kestrix {

namespace {
template <class... F>
struct Overload : F... { using F::operator()...; };
template <class... F>
Overload(F...) -> Overload<F...>;
}  // namespace

std::string PlatformError::plain() const {
    return std::visit(
        Overload{
            [](const Unsupported& e) { return e.what + " is not supported by this build"; },
            [](const Os& e) { return e.call + " failed (os error " + std::to_string(e.code) + ")"; },
            [](const HotkeyTaken& e) { return "another application already owns " + e.hotkey; },
            [](const Permission& e) { return e.name + " permission has not been granted.\n\n" + e.detail; },
            [](const ClipboardBusy&) { return std::string("the clipboard is locked by another app"); },
            [](const ImageFailed& e) { return e.error.text(); },
            [](const Io& e) { return e.text; },
            [](const Message& e) { return e.text; },
            [](const Capture& e) { return e.text; },
        },
        value);
}

}  // namespace kestrix
