#pragma once
// The host's notification-area icon: added with the version-4 callbacks (keyboard
// selection, the menu at the icon's anchor), kept wanted while the shell refuses it
// and retried on a timer and on every shell start, redrawn when the scale or the
// taskbar theme changes, and the place a start's notice appears.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "kestrix/tray_presence.h"
#include "tray_icon.h"

namespace kestrix::win {

class NotifyIcon {
public:
    // The host's timer that retries a refused add.
    static constexpr UINT_PTR kRetryTimer = 2;

    // The host window that gets the callback message; nothing is shown yet.
    void attach(HWND window, UINT callback_message);

    void set_tooltip(std::u16string tooltip);  // the shown icon's too
    void show();           // wanted from now on
    void hide();           // not wanted: removed from the shell
    void retry();          // the retry timer fired
    void shell_started();  // "TaskbarCreated": the shell has no icons
    void refresh_image();  // the scale or the taskbar theme changed
    // Says `text` once: in the icon's balloon, or in the confirmation toast when there
    // is no icon to show it at.
    void announce(std::string text);
    // At the host's tear-down: removed, and forgotten.
    void remove();

    bool wanted() const { return presence_.wanted; }
    bool shown() const { return presence_.shown; }
    // The shell took the version-4 callbacks: LOWORD(lParam) is the event, wParam the anchor.
    bool version4() const { return version4_; }

private:
    NOTIFYICONDATAW record() const;
    bool add();
    void apply(const TrayStep& step);
    void show_balloon();

    HWND window_ = nullptr;
    UINT callback_message_ = 0;
    IconHandle image_;
    std::u16string tooltip_;
    TrayPresence presence_;
    std::string notice_;
    bool version4_ = false;
};

}  // namespace kestrix::win
