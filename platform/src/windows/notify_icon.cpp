#include "notify_icon.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "kestrix/utf8.h"
#include "toast.h"

namespace kestrix::win {

namespace {

constexpr UINT kIconId = 1;

// Copies text into a fixed wide field, cut to fit with its terminating zero.
template <size_t N>
void copy_field(wchar_t (&field)[N], std::u16string_view text) {
    size_t units = std::min(text.size(), N - 1);
    // Do not leave a high surrogate without its partner.
    if (units > 0 && units < text.size() && text[units - 1] >= 0xD800 && text[units - 1] <= 0xDBFF) --units;
    std::memcpy(field, text.data(), units * sizeof(wchar_t));
    field[units] = L'\0';
}

}  // namespace

NOTIFYICONDATAW NotifyIcon::record() const {
    NOTIFYICONDATAW data{};
    static_assert(sizeof data == 976, "the notification-icon record of the current shell");
    data.cbSize = sizeof data;
    data.hWnd = window_;
    data.uID = kIconId;
    return data;
}

void NotifyIcon::attach(HWND window, UINT callback_message) {
    window_ = window;
    callback_message_ = callback_message;
}

bool NotifyIcon::add() {
    if (!image_) image_ = make_tray_icon();
    NOTIFYICONDATAW data = record();
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    data.uCallbackMessage = callback_message_;
    data.hIcon = image_.get();
    copy_field(data.szTip, tooltip_);
    // A shell that was slow to answer may have added the icon after all, and an icon
    // already there refuses a second add: then it is brought up to date instead.
    if (!Shell_NotifyIconW(NIM_ADD, &data) && !Shell_NotifyIconW(NIM_MODIFY, &data)) return false;
    // Asked again after every add; the shell forgets it with the icon.
    data.uVersion = NOTIFYICON_VERSION_4;
    version4_ = Shell_NotifyIconW(NIM_SETVERSION, &data) != FALSE;
    return true;
}

void NotifyIcon::apply(const TrayStep& step) {
    if (step.timer == TrayTimer::Arm) SetTimer(window_, kRetryTimer, UINT(kTrayRetryInterval.count()), nullptr);
    if (step.timer == TrayTimer::Stop) KillTimer(window_, kRetryTimer);
    switch (step.notice) {
    case TrayNotice::None:
        break;
    case TrayNotice::Balloon:
        show_balloon();
        break;
    case TrayNotice::Toast:
        (void)show_toast(notice_, std::nullopt);  // a notice that cannot be shown is not worth an error
        break;
    }
}

void NotifyIcon::show_balloon() {
    NOTIFYICONDATAW data = record();
    data.uFlags = NIF_INFO;
    copy_field(data.szInfo, utf16_from_utf8(notice_));
    copy_field(data.szInfoTitle, u"Kestrix");
    data.dwInfoFlags = NIIF_INFO;
    Shell_NotifyIconW(NIM_MODIFY, &data);
}

void NotifyIcon::set_tooltip(std::u16string tooltip) {
    tooltip_ = std::move(tooltip);
    if (!presence_.shown) return;
    NOTIFYICONDATAW data = record();
    data.uFlags = NIF_TIP | NIF_SHOWTIP;
    copy_field(data.szTip, tooltip_);
    Shell_NotifyIconW(NIM_MODIFY, &data);
}

void NotifyIcon::show() {
    if (presence_.wanted && presence_.shown) return;
    apply(presence_.show(HostClock::now(), [this] { return add(); }));
}

void NotifyIcon::hide() {
    NOTIFYICONDATAW data = record();
    Shell_NotifyIconW(NIM_DELETE, &data);
    apply(presence_.hide());
}

void NotifyIcon::retry() { apply(presence_.retry(HostClock::now(), [this] { return add(); })); }

void NotifyIcon::shell_started() {
    // The new shell may run at another scale or theme: draw the icon for it.
    image_.reset();
    apply(presence_.shell_started(HostClock::now(), [this] { return add(); }));
}

void NotifyIcon::refresh_image() {
    IconHandle fresh = make_tray_icon();
    if (!fresh) return;
    if (presence_.shown) {
        NOTIFYICONDATAW data = record();
        data.uFlags = NIF_ICON;
        data.hIcon = fresh.get();
        Shell_NotifyIconW(NIM_MODIFY, &data);  // the shell keeps a copy, so the old image can go
    }
    image_ = std::move(fresh);
}

void NotifyIcon::announce(std::string text) {
    notice_ = std::move(text);
    apply(presence_.announce());
}

void NotifyIcon::remove() {
    NOTIFYICONDATAW data = record();
    Shell_NotifyIconW(NIM_DELETE, &data);
    if (window_) KillTimer(window_, kRetryTimer);
    presence_ = TrayPresence{};
    image_.reset();
    version4_ = false;
}

}  // namespace kestrix::win
