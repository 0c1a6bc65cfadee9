#include "tray_menu.h"

#include "kestrix/i18n.h"
#include "kestrix/tray.h"
#include "reading_order.h"
#include "wide_text.h"

namespace kestrix::win {

namespace {

class PopupMenu {
public:
    PopupMenu() : menu_(CreatePopupMenu()) {}
    ~PopupMenu() { if (menu_) DestroyMenu(menu_); }
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;
    HMENU get() const { return menu_; }

private:
    HMENU menu_;
};

}  // namespace

std::optional<uint8_t> track_tray_menu(HWND owner, std::optional<POINT> anchor,
                                       const std::optional<std::string>& available_update) {
    PopupMenu menu;
    if (!menu.get()) return std::nullopt;
    for (const TrayMenuItem& item : tray_menu_items(catalogue(), available_update)) {
        if (item.id == 0)
            AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuW(menu.get(), MF_STRING, item.id, wide(item.label).c_str());
    }

    POINT at{};
    if (anchor)
        at = *anchor;
    else
        GetCursorPos(&at);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(owner);
    const UINT flags = TPM_RETURNCMD | TPM_RIGHTBUTTON | popup_menu_reading_flags();
    const UINT command = UINT(TrackPopupMenu(menu.get(), flags, at.x, at.y, 0, owner, nullptr));
    PostMessageW(owner, WM_NULL, 0, 0);
    return event_for_menu_command(command);
}

}  // namespace kestrix::win
