#include "error_text.h"

#include <variant>

#include "kestrix/i18n.h"

namespace kestrix {

std::string error_text(const PlatformError& error) {
    using E = PlatformError;
    return std::visit(
        [&](const auto& e) -> std::string {
            using V = std::decay_t<decltype(e)>;
            if constexpr (std::is_same_v<V, E::HotkeyTaken>) {
                return msg(Message::error_hotkey_in_use, e.hotkey);
            } else if constexpr (std::is_same_v<V, E::Permission>) {
                return e.detail;
            } else if constexpr (std::is_same_v<V, E::ClipboardBusy>) {
                return std::string(msg(Message::error_clipboard_busy));
            } else if constexpr (std::is_same_v<V, E::Io>) {
                return msg(Message::error_write_failed, e.text);
            } else if constexpr (std::is_same_v<V, E::Message>) {
                return msg(Message::update_failed, e.text);
            } else {
                // Unsupported, Os, ImageFailed and Capture: a capture step that could not be done.
                return msg(Message::error_capture_failed, error.plain());
            }
        },
        error.value);
}

}  // namespace kestrix
