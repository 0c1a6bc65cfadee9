#include "toast.h"

#include <windows.h>

#include <memory>
#include <string>

#include "capture.h"
#include "gdi_handles.h"
#include "kestrix/toast_layout.h"
#include "reading_order.h"
#include "wide_text.h"

namespace kestrix::win {

namespace {

constexpr wchar_t kToastClass[] = L"SnapConfirmation";
constexpr UINT_PTR kTimerId = 1;
constexpr UINT kLifetimeMs = 1100;
constexpr DWORD kExStyle = WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_TRANSPARENT;
constexpr BYTE kOpacity = 235;
constexpr COLORREF kBackground = RGB(26, 26, 26);
constexpr COLORREF kForeground = RGB(242, 242, 242);
// DT_NOPREFIX: an "&" in a message is a character to show, not a mnemonic.
constexpr UINT kLineFormat = DT_SINGLELINE | DT_NOPREFIX;

static_assert(kExStyle == 0x080800A8);

// What one toast window owns; freed when the window is destroyed.
struct ToastWindow {
    std::wstring text;
    GdiObject<HFONT> font;
    GdiObject<HBRUSH> brush;
};

struct ToastState {
    HWND window = nullptr;   // the toast on screen, if any
    bool registered = false;
    DWORD registration_error = 0;  // set when the one registration attempt failed
};

thread_local ToastState toast;

ToastWindow* state_of(HWND window) { return reinterpret_cast<ToastWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

void paint(HWND window) {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(window, &ps);
    if (const ToastWindow* state = state_of(window); dc && state) {
        RECT client{};
        GetClientRect(window, &client);
        FillRect(dc, &client, state->brush.get());
        SelectGuard font(dc, state->font.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, kForeground);
        DrawTextW(dc, state->text.c_str(), int(state->text.size()), &client, kLineFormat | DT_CENTER | DT_VCENTER | draw_text_reading_flags());
    }
    EndPaint(window, &ps);
}

LRESULT CALLBACK toast_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_PAINT:
        paint(window);
        return 0;
    case WM_TIMER:
        if (wparam != kTimerId) break;
        KillTimer(window, kTimerId);
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        delete state_of(window);
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        if (toast.window == window) toast.window = nullptr;
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

// Registers the class on the first call only; a failure sticks for the process.
Result<void, PlatformError> ensure_class() {
    if (!toast.registered && toast.registration_error == 0) {
        WNDCLASSEXW window_class{};
        window_class.cbSize = sizeof window_class;
        window_class.lpfnWndProc = toast_procedure;
        window_class.hInstance = GetModuleHandleW(nullptr);
        window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        window_class.lpszClassName = kToastClass;
        if (RegisterClassExW(&window_class)) {
            toast.registered = true;
        } else {
            // A code of 0 would read as "not tried yet".
            toast.registration_error = GetLastError() ? GetLastError() : ERROR_GEN_FAILURE;
        }
    }
    if (!toast.registered) return fail(PlatformError::os("RegisterClassExW(confirmation)", int32_t(toast.registration_error)));
    return {};
}

// The single-line size of the text in that font, if a device context could be had.
std::optional<TextExtent> measure(const std::wstring& text, HFONT font) {
    ScreenDc screen;
    MemoryDc dc(screen.get());
    if (!dc) return std::nullopt;
    SelectGuard selected(dc.get(), font);
    RECT rect{};
    if (!DrawTextW(dc.get(), text.c_str(), int(text.size()), &rect, kLineFormat | DT_CALCRECT | draw_text_reading_flags())) return std::nullopt;
    return TextExtent{rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace

Result<void, PlatformError> show_toast(std::string_view text, std::optional<Rect> anchor) {
    auto monitors = enumerate_monitors();
    if (!monitors) return fail(monitors.error());
    if (auto registered = ensure_class(); !registered) return registered;
    close_toast();

    const uint32_t scale = toast_scale(anchor, *monitors);
    auto state = std::make_unique<ToastWindow>();
    state->text = wide(text);
    state->font.reset(CreateFontW(-toast_font_height(scale), 0, 0, 0, 600, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH,
                                  L"Segoe UI"));
    const Rect rect = toast_rect(measure(state->text, state->font.get()), scale, toast_anchor(anchor, *monitors),
                                 toast_area(anchor, *monitors));

    HWND window = CreateWindowExW(kExStyle, kToastClass, L"", WS_POPUP, rect.x, rect.y, rect.width, rect.height, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window) return fail(PlatformError::os("CreateWindowExW(confirmation)", int32_t(GetLastError())));

    state->brush.reset(CreateSolidBrush(kBackground));
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state.release()));

    const int corner = toast_corner(rect.height, scale);
    HRGN region = CreateRoundRectRgn(0, 0, rect.width + 1, rect.height + 1, corner, corner);
    // The window owns the region once it is set; until then it is ours to free.
    if (region && !SetWindowRgn(window, region, FALSE)) DeleteObject(region);
    SetLayeredWindowAttributes(window, 0, kOpacity, LWA_ALPHA);

    ShowWindow(window, SW_SHOWNOACTIVATE);
    SetTimer(window, kTimerId, kLifetimeMs, nullptr);
    toast.window = window;
    return {};
}

void close_toast() {
    if (toast.window) DestroyWindow(toast.window);
    toast.window = nullptr;
}

}  // namespace kestrix::win
