#pragma once
// The one error record of the platform layer.
#include <cstdint>
#include <string>
#include <variant>

#include "kestrix/image.h"

namespace kestrix {

struct PlatformError {
    struct Unsupported { std::string what; };
    struct Os { std::string call; int32_t code = 0; };
    struct HotkeyTaken { std::string hotkey; };
    struct Permission { std::string name; std::string detail; };
    struct ClipboardBusy {};
    struct ImageFailed { ImageError error; };
    struct Io { std::string text; };
    struct Message { std::string text; };
    // A step of the capture that failed for a reason with no system call behind it.
    struct Capture { std::string text; };
    using Variant =
        std::variant<Unsupported, Os, HotkeyTaken, Permission, ClipboardBusy, ImageFailed, Io, Message, Capture>;

    Variant value;

    static PlatformError os(std::string call, int32_t code) { return {Os{std::move(call), code}}; }
    static PlatformError message(std::string text) { return {Message{std::move(text)}}; }
    static PlatformError capture(std::string text) { return {Capture{std::move(text)}}; }
    static PlatformError image(ImageError e) { return {ImageFailed{std::move(e)}}; }

    template <class V>
    bool is() const { return std::holds_alternative<V>(value); }

    // The plain rendering, used when the error is printed or wrapped in another message.
    std::string plain() const;
};

}  // namespace kestrix
