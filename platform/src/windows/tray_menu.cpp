#include "tray_menu.h"

#include <utility>
#include <vector>

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
    // Handed to a parent menu, which destroys it with itself.
    HMENU release() { return std::exchange(menu_, nullptr); }

private:
    HMENU menu_;
};

void append_items(HMENU menu, const std::vector<TrayMenuItem>& items) {
    for (const TrayMenuItem& item : items) {
        if (item.separator()) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        const UINT state = item.enabled ? MF_ENABLED : MF_GRAYED;
        if (item.submenu.empty()) {
            AppendMenuW(menu, MF_STRING | state, item.id, wide(item.label).c_str());
            continue;
        }
        PopupMenu submenu;
        if (!submenu.get()) continue;  // no submenu is better than an empty one
        append_items(submenu.get(), item.submenu);
        if (AppendMenuW(menu, MF_POPUP | state, reinterpret_cast<UINT_PTR>(submenu.get()), wide(item.label).c_str()))
            submenu.release();
    }
}

}  // namespace

std::optional<uint32_t> track_tray_menu(HWND owner, std::optional<POINT> anchor, const TrayMenuState& state) {
    PopupMenu menu;
    if (!menu.get()) return std::nullopt;
    append_items(menu.get(), tray_menu_items(catalogue(), state));

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
    if (command == 0) return std::nullopt;
    return command;
}

}  // namespace kestrix::win
