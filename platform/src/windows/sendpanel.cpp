#include "sendpanel.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "clipboard.h"
#include "dialog_class.h"
#include "dib_surface.h"
#include "firewall.h"
#include "gdi_handles.h"
#include "kestrix/frame.h"
#include "kestrix/i18n.h"
#include "kestrix/qr.h"
#include "kestrix/send_panel.h"
#include "kestrix/transfer.h"
#include "kestrix/ui_scale.h"
#include "last_error.h"
#include "wide_text.h"
#include "window_dpi.h"
#include "winsock_sockets.h"

namespace kestrix::win {

namespace {

constexpr wchar_t kPanelClass[] = L"KestrixSendPanel";
constexpr int kCopyLinkId = 0x3001;
constexpr int kStopId = 0x3002;
constexpr int kFirewallSettingsId = 0x3003;
constexpr UINT_PTR kStatusTimer = 1;
constexpr UINT kStatusIntervalMs = 500;

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;

struct SendPanel {
    HWND window = nullptr;
    std::optional<DeliverySession> session;  // none: not on a network
    std::string url;
    std::unique_ptr<DibSurface> qr;
    int32_t qr_side = 0;  // as laid out; the code itself goes when the link closes
    HWND scan = nullptr, url_label = nullptr, warning = nullptr, status = nullptr;
    HWND copy_link = nullptr, stop = nullptr;
    HWND vpn_note = nullptr;                          // only when the address is a tunnel's
    HWND notice = nullptr, firewall_button = nullptr;  // only while a notice is shown
    GdiObject<HFONT> font;
    bool public_blocks = false;  // the firewall most likely keeps every device out
    SendNotice shown_notice = SendNotice::None;
    std::chrono::steady_clock::time_point opened = std::chrono::steady_clock::now();
    uint32_t ui_scale = 100;  // of the monitor the panel is on
    int32_t margin = kSendPanelMargin;  // where the code is drawn
    bool link_closed = false;
    bool closed = false;
};

// The open panels of the user-interface thread. A capture started with the hotkey
// while a panel is open may open a second one inside the first one's loop.
thread_local std::vector<SendPanel*> open_panels;

SendPanel* find_panel(HWND window) {
    for (SendPanel* panel : open_panels)
        if (panel->window == window) return panel;
    return nullptr;
}


bool right_to_left() { return language_tag(current_language()) == "ar"; }

void set_text(HWND control, std::string_view text) { SetWindowTextW(control, wide(text).c_str()); }

// The code as a bitmap in a memory context, ready to be copied to the window 1:1.
std::unique_ptr<DibSurface> qr_bitmap(const std::string& url, uint32_t ui_scale) {
    const std::optional<Image> code = qr_image(url, send_panel_module_pixels(ui_scale));
    if (!code) return nullptr;
    auto surface = DibSurface::create(int32_t(code->width()), int32_t(code->height()), "send panel");
    if (!surface) return nullptr;
    std::memcpy((*surface)->pixels(), code->pixels().data(), (*surface)->byte_size());
    return std::move(*surface);
}

// The width of a text on one line in the panel's font.
std::optional<int32_t> single_line_width(HWND window, HFONT font, std::string_view text) {
    const ScreenDc dc(window);
    if (!dc) return std::nullopt;
    const SelectGuard select(dc.get(), font);
    const std::wstring w = wide(text);
    RECT rect{0, 0, 0, 0};
    if (!DrawTextW(dc.get(), w.c_str(), int(w.size()), &rect, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX))
        return std::nullopt;
    return int32_t(rect.right - rect.left);
}

// The lines a text takes wrapped at `width` in the panel's font, at most `most`.
int32_t wrapped_lines(HWND window, HFONT font, std::string_view text, int32_t width, int32_t most) {
    const ScreenDc dc(window);
    if (!dc) return 1;
    const SelectGuard select(dc.get(), font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc.get(), &metrics);
    const std::wstring w = wide(text);
    RECT rect{0, 0, width, 0};
    DrawTextW(dc.get(), w.c_str(), int(w.size()), &rect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    return send_panel_wrapped_lines(int32_t(rect.bottom - rect.top), int32_t(metrics.tmHeight), most);
}

HWND make_control(const SendPanel& panel, const wchar_t* window_class, DWORD style, DWORD ex_style, std::string_view text,
                  int id = 0) {
    const HWND control =
        CreateWindowExW(ex_style, window_class, wide(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                        panel.window, reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleW(nullptr), nullptr);
    if (control) SendMessageW(control, WM_SETFONT, WPARAM(panel.font.get()), FALSE);
    return control;
}

// A label of catalogue text: right-aligned and read right to left in Arabic.
HWND make_label(const SendPanel& panel, std::string_view text) {
    const bool rtl = right_to_left();
    return make_control(panel, L"STATIC", SS_NOPREFIX | (rtl ? SS_RIGHT : SS_LEFT), rtl ? WS_EX_RTLREADING : 0, text);
}

void create_controls(SendPanel& panel) {
    panel.scan = make_label(panel, msg(Message::send_scan));
    // The URL stays left to right in every language; SS_EDITCONTROL breaks it where it must.
    panel.url_label = make_control(panel, L"STATIC", SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, 0, panel.url);
    panel.warning = make_label(panel, msg(Message::send_not_encrypted));
    panel.status = make_label(panel, msg(Message::send_waiting));
    panel.copy_link =
        make_control(panel, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0, msg(Message::send_copy_link), kCopyLinkId);
    panel.stop = make_control(panel, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0, msg(Message::send_stop), kStopId);
    EnableWindow(panel.copy_link, panel.session ? TRUE : FALSE);
    // A tunnel's address is all there is: say so under the warning.
    if (panel.session && panel.session->local_address().behind_vpn()) {
        panel.vpn_note = make_label(panel, msg(Message::send_vpn_note));
        // Read after the warning it qualifies.
        SetWindowPos(panel.vpn_note, panel.warning, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }

    if (!panel.session) {
        set_text(panel.scan, msg(Message::send_no_network));
        set_text(panel.status, "");
        set_text(panel.warning, "");
    }
}

void place(HWND control, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (control) SetWindowPos(control, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Every control in its place with the rows the panel has now, and the window sized
// around them, its top left corner kept (a notice grows or shrinks it downwards, so
// the code a camera may be aimed at stays where it is); returns the window's size.
SIZE place_controls(SendPanel& panel) {
    // The code's area stays when the code goes with the closed link.
    if (panel.qr) panel.qr_side = panel.qr->width();
    const int32_t content_width = send_panel_content_width(panel.qr_side, panel.ui_scale);
    const std::string_view warning_text = msg(Message::send_not_encrypted);
    const int32_t url_lines = send_panel_lines(
        panel.session ? single_line_width(panel.window, panel.font.get(), panel.url) : std::nullopt, content_width);
    const int32_t warning_lines =
        send_panel_lines(single_line_width(panel.window, panel.font.get(), warning_text), content_width);
    SendPanelNotes notes;
    if (panel.vpn_note)
        notes.vpn_lines = wrapped_lines(panel.window, panel.font.get(), msg(Message::send_vpn_note), content_width, 3);
    if (panel.notice) {
        notes.notice_lines =
            wrapped_lines(panel.window, panel.font.get(), send_notice_text(panel.shown_notice), content_width, 8);
        notes.firewall_label_width =
            single_line_width(panel.window, panel.font.get(), msg(Message::send_firewall_settings)).value_or(0);
    }
    const SendPanelLayout layout = layout_send_panel(panel.qr_side, url_lines, warning_lines, panel.ui_scale, notes);
    const int32_t x = layout.margin, w = layout.content_width;
    panel.margin = layout.margin;

    place(panel.scan, x, layout.scan_y, w, layout.line_height);
    place(panel.url_label, x, layout.url_y, w, layout.url_height);
    place(panel.warning, x, layout.warning_y, w, layout.warning_height);
    place(panel.vpn_note, x, layout.vpn_y, w, layout.vpn_height);
    place(panel.status, x, layout.status_y, w, layout.line_height);
    place(panel.notice, x, layout.notice_y, w, layout.notice_height);
    place(panel.firewall_button, x, layout.firewall_y, layout.firewall_width, layout.button_height);
    place(panel.copy_link, layout.copy_x, layout.buttons_y, layout.button_width, layout.button_height);
    place(panel.stop, layout.stop_x, layout.buttons_y, layout.button_width, layout.button_height);

    // The frame around that client area at the window's own DPI.
    const SIZE size = frame_size(layout.client_width, layout.client_height, kStyle, kExStyle,
                                 dpi_for_ui_scale(panel.ui_scale));
    SetWindowPos(panel.window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(panel.window, nullptr, TRUE);
    return size;
}

// The font and the code at the panel's scale, then everything laid out at it;
// returns the window's size.
SIZE lay_out(SendPanel& panel) {
    panel.font.reset(CreateFontW(-send_panel_font_height(panel.ui_scale), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                 DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                 DEFAULT_PITCH | FF_DONTCARE, L"Segoe UI"));
    for (HWND control : {panel.scan, panel.url_label, panel.warning, panel.vpn_note, panel.status, panel.notice,
                         panel.firewall_button, panel.copy_link, panel.stop})
        if (control) SendMessageW(control, WM_SETFONT, WPARAM(panel.font.get()), FALSE);
    if (panel.session && !panel.link_closed) panel.qr = qr_bitmap(panel.url, panel.ui_scale);
    return place_controls(panel);
}

// Shows `notice` with its button under the status line, or takes them away.
void show_notice(SendPanel& panel, SendNotice notice) {
    if (notice == panel.shown_notice) return;
    panel.shown_notice = notice;
    const bool had_focus = panel.firewall_button && GetFocus() == panel.firewall_button;
    for (HWND* control : {&panel.notice, &panel.firewall_button}) {
        if (*control) DestroyWindow(*control);
        *control = nullptr;
    }
    if (notice != SendNotice::None) {
        panel.notice = make_label(panel, send_notice_text(notice));
        panel.firewall_button = make_control(panel, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0,
                                             msg(Message::send_firewall_settings), kFirewallSettingsId);
        // In the tab order after the status, before Copy link.
        SetWindowPos(panel.firewall_button, panel.status, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        SetWindowPos(panel.notice, panel.status, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    } else if (had_focus) {
        SetFocus(IsWindowEnabled(panel.copy_link) ? panel.copy_link : panel.stop);
    }
    place_controls(panel);
}

// Every 500 ms: the count and the time left, or the closed link.
void update_status(SendPanel& panel) {
    if (!panel.session) return;
    const bool active = panel.session->is_active();
    set_text(panel.status, send_status_text(active, panel.session->delivered_count(), panel.session->remaining()));
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - panel.opened);
    show_notice(panel, send_notice(panel.session->reached(), panel.public_blocks, waited));
    if (active || panel.link_closed) return;
    panel.link_closed = true;
    set_text(panel.url_label, "");
    EnableWindow(panel.copy_link, FALSE);
    panel.qr.reset();
    // Only now does the window itself change: the code's area is painted blank.
    InvalidateRect(panel.window, nullptr, TRUE);
}

void on_paint(const SendPanel& panel) {
    PAINTSTRUCT paint{};
    const HDC dc = BeginPaint(panel.window, &paint);
    if (!dc) return;
    if (panel.qr)
        BitBlt(dc, panel.margin, panel.margin, panel.qr->width(), panel.qr->height(), panel.qr->dc(), 0, 0, SRCCOPY);
    EndPaint(panel.window, &paint);
}

LRESULT CALLBACK panel_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    SendPanel* panel = find_panel(window);
    if (!panel) return DefWindowProcW(window, message, wparam, lparam);  // during creation
    switch (message) {
    case WM_PAINT:
        on_paint(*panel);
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case kCopyLinkId:
            if (panel->session && !panel->link_closed) (void)copy_text(panel->url);  // a busy clipboard is not worth a message
            return 0;
        case kFirewallSettingsId:
            open_firewall_settings();
            return 0;
        case kStopId:
        case IDCANCEL:  // Esc
            panel->closed = true;
            return 0;
        default: break;
        }
        break;
    case WM_CLOSE:
        panel->closed = true;  // the loop destroys the window
        return 0;
    case WM_TIMER:
        if (wparam == kStatusTimer) update_status(*panel);
        return 0;
    case WM_DPICHANGED: {
        // Dragged to a monitor of another scale: everything is laid out again at it,
        // where the system suggests.
        const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
        const uint32_t old_scale = panel->ui_scale;
        panel->ui_scale = usable_ui_scale(ui_scale_for_dpi(LOWORD(wparam)));
        // With the link closed there is no code to measure: its blank area follows the scale.
        if (!panel->qr && old_scale > 0)
            panel->qr_side = int32_t(int64_t(panel->qr_side) * panel->ui_scale / old_scale);
        SetWindowPos(window, nullptr, suggested->left, suggested->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        lay_out(*panel);
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}


// Runs until the panel is closed; false when the application is quitting, with the
// exit code in `quit_code`.
bool run_loop(SendPanel& panel, int& quit_code) {
    while (!panel.closed) {
        MSG msg;
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            quit_code = int(msg.wParam);
            return false;
        }
        if (got == -1) return true;
        // Tab between the buttons, Esc for Stop.
        if (IsWindow(panel.window) && IsDialogMessageW(panel.window, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

// Stops the timer, destroys the window and its font; the delivery ends with the
// panel (waiting for the server thread) and the code's bitmap goes with it.
void close_panel(SendPanel& panel) {
    KillTimer(panel.window, kStatusTimer);
    DestroyWindow(panel.window);
    std::erase(open_panels, &panel);
    panel.font.reset();
    panel.session.reset();
    panel.qr.reset();
}

}  // namespace

Result<void, PlatformError> send_to_device(std::span<const uint8_t> png, std::string_view file_name) {
    WinsockServices& services = winsock_services();
    SendPanel panel;
    auto started = start_delivery(png, file_name, services);
    if (!started && started.error().kind == DeliveryError::Kind::NoRandomness)
        return fail(PlatformError::os("BCryptGenRandom(token)", services.random_status()));
    if (started) panel.session.emplace(std::move(*started));

    auto registered = register_dialog_class(kPanelClass, panel_procedure, "RegisterClassExW(send panel)");
    if (!registered) return registered;
    panel.window = CreateWindowExW(kExStyle, kPanelClass, wide(msg(Message::send_panel_title)).c_str(), kStyle, 0, 0,
                                   360, 520, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!panel.window) return fail(last_error("CreateWindowExW(send panel)"));  // the session ends on the way out
    open_panels.push_back(&panel);

    if (panel.session) {
        panel.url = panel.session->url();
        panel.public_blocks = public_network_blocks(read_firewall_facts(panel.session->local_address().adapter_id));
    }
    // At the scale of the primary monitor, where it opens.
    panel.ui_scale = window_ui_scale(panel.window);
    create_controls(panel);
    lay_out(panel);
    update_status(panel);  // a Public network's notice is there from the start
    const SIZE size = place_controls(panel);
    const int screen_w = GetSystemMetrics(SM_CXSCREEN), screen_h = GetSystemMetrics(SM_CYSCREEN);
    SetWindowPos(panel.window, nullptr, (screen_w - size.cx) / 2, (screen_h - size.cy) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(panel.window, SW_SHOW);
    SetForegroundWindow(panel.window);
    SetFocus(panel.session ? panel.copy_link : panel.stop);
    panel.opened = std::chrono::steady_clock::now();
    SetTimer(panel.window, kStatusTimer, kStatusIntervalMs, nullptr);

    int quit_code = 0;
    const bool quitting = !run_loop(panel, quit_code);
    close_panel(panel);
    // The application's own loop must see the quit request too.
    if (quitting) PostQuitMessage(quit_code);
    return {};
}

}  // namespace kestrix::win
