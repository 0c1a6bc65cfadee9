#include "tray_menu.h"

#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "gdi_handles.h"
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

// A picture beside a menu item: a 32-bit DIB section the menu draws from. It may show
// a capture, so its pixels are zeroed before it goes.
class MenuPicture {
public:
    explicit MenuPicture(const Image& image) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = LONG(image.width());
        info.bmiHeader.biHeight = -LONG(image.height());  // top-down, as the image
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!bitmap_ || !bits) return;
        bits_ = static_cast<uint8_t*>(bits);
        size_ = image.pixels().size();
        std::memcpy(bits_, image.pixels().data(), size_);
        // Opaque: a 32-bit menu bitmap is blended by its alpha.
        for (size_t at = 3; at < size_; at += 4) bits_[at] = 0xFF;
    }
    ~MenuPicture() {
        if (bits_) SecureZeroMemory(bits_, size_);
    }
    MenuPicture(const MenuPicture&) = delete;
    MenuPicture& operator=(const MenuPicture&) = delete;
    HBITMAP get() const { return bits_ ? bitmap_.get() : nullptr; }

private:
    GdiObject<HBITMAP> bitmap_;
    uint8_t* bits_ = nullptr;
    size_t size_ = 0;
};

// The pictures of one open menu, kept until it has closed.
using MenuPictures = std::vector<std::unique_ptr<MenuPicture>>;

void add_picture(HMENU menu, MenuPictures& pictures, const Image& image) {
    auto picture = std::make_unique<MenuPicture>(image);
    if (!picture->get()) return;  // the item stands without it
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_BITMAP;
    info.hbmpItem = picture->get();
    const int last = GetMenuItemCount(menu) - 1;
    if (last >= 0 && SetMenuItemInfoW(menu, UINT(last), TRUE, &info)) pictures.push_back(std::move(picture));
}

void append_items(HMENU menu, const std::vector<TrayMenuItem>& items, MenuPictures& pictures) {
    for (const TrayMenuItem& item : items) {
        if (item.separator()) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        const UINT state = item.enabled ? MF_ENABLED : MF_GRAYED;
        if (item.submenu.empty()) {
            if (AppendMenuW(menu, MF_STRING | state, item.id, wide(item.label).c_str()) && item.picture)
                add_picture(menu, pictures, *item.picture);
            continue;
        }
        PopupMenu submenu;
        if (!submenu.get()) continue;  // no submenu is better than an empty one
        append_items(submenu.get(), item.submenu, pictures);
        if (AppendMenuW(menu, MF_POPUP | state, reinterpret_cast<UINT_PTR>(submenu.get()), wide(item.label).c_str())) {
            submenu.release();
            if (item.picture) add_picture(menu, pictures, *item.picture);
        }
    }
}

}  // namespace

std::optional<uint32_t> track_tray_menu(HWND owner, std::optional<POINT> anchor, const TrayMenuState& state) {
    MenuPictures pictures;  // declared first: they go after the menu that shows them
    PopupMenu menu;
    if (!menu.get()) return std::nullopt;
    append_items(menu.get(), tray_menu_items(catalogue(), state), pictures);

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
