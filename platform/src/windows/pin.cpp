#include "pin.h"

#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "capture.h"
#include "clipboard.h"
#include "kestrix/file_io.h"
#include "kestrix/local_time.h"
#include "kestrix/pin.h"
#include "kestrix/ui_scale.h"
#include "last_error.h"
#include "local_clock.h"
#include "picture_file.h"
#include "pin_paint.h"
#include "save_dialog.h"

namespace kestrix::win {

namespace {

constexpr wchar_t kPinClass[] = L"KestrixPinWindow";

struct Pin {
    HWND window = nullptr;
    PinState state;
    Image image;

    Pin(HWND w, PinState s, Image i) : window(w), state(s), image(std::move(i)) {}
    ~Pin() { image.wipe(); }  // the capture's pixels do not outlive the window
    Pin(const Pin&) = delete;
    Pin& operator=(const Pin&) = delete;
};

// The open pins of the user-interface thread; an entry is released when its
// window is finally destroyed.
thread_local std::vector<std::unique_ptr<Pin>> pins;

Pin* find_pin(HWND window) {
    for (const auto& pin : pins)
        if (pin->window == window) return pin.get();
    return nullptr;
}

void forget_pin(HWND window) {
    std::erase_if(pins, [window](const std::unique_ptr<Pin>& pin) { return pin->window == window; });
}

// Kept on screen, and its chrome at the scale of the monitor it now shows on.
void settle(PinState& state) {
    auto monitors = win::enumerate_monitors();
    if (!monitors) return;  // the pin stays where it is, as it is
    std::vector<Rect> rects;
    for (const Monitor& monitor : *monitors) rects.push_back(monitor.rect);
    keep_pin_on_screen(state, rects);
    state.ui_scale = ui_scale_of(*monitors, pin_window_rect(state));
}

void apply_geometry(const Pin& pin) {
    SetLayeredWindowAttributes(pin.window, 0, pin_alpha(pin.state), LWA_ALPHA);
    const Rect r = pin_window_rect(pin.state);
    SetWindowPos(pin.window, nullptr, r.x, r.y, r.width, r.height, SWP_NOACTIVATE | SWP_NOZORDER);
    InvalidateRect(pin.window, nullptr, FALSE);
}

void redraw_for_hover(const Pin& pin) {
    if (pin_close_box(pin_window_rect(pin.state), pin.state.ui_scale)) InvalidateRect(pin.window, nullptr, FALSE);
}

POINT message_cursor() {
    const DWORD position = GetMessagePos();
    return {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
}

void end_drag(Pin& pin) {
    pin.state.drag.reset();
    settle(pin.state);
    apply_geometry(pin);
}

void save_as(HWND window) {
    const std::optional<std::filesystem::path> path = ask_save_path(window, default_file_name(local_time_now()));
    // The dialog ran its own message loop: look the pin up again rather than trust
    // a pointer taken before it.
    const Pin* pin = find_pin(window);
    if (!path || !pin) return;
    const auto picture = picture_file_bytes(*path, pin->image);
    if (!picture) return;  // the pin's actions report nothing
    const std::vector<uint8_t>& bytes = *picture;
    (void)write_file_atomically(*path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::optional<PinKey> pin_key(WPARAM key) {
    switch (key) {
    case VK_LEFT: return PinKey::Left;
    case VK_UP: return PinKey::Up;
    case VK_RIGHT: return PinKey::Right;
    case VK_DOWN: return PinKey::Down;
    case VK_ESCAPE: return PinKey::Escape;
    case '0': return PinKey::Zero;
    case VK_OEM_PLUS:
    case VK_ADD: return PinKey::Plus;
    case VK_OEM_MINUS:
    case VK_SUBTRACT: return PinKey::Minus;
    case VK_OEM_4: return PinKey::OpenBracket;
    case VK_OEM_6: return PinKey::CloseBracket;
    case 'C': return PinKey::C;
    case 'S': return PinKey::S;
    case 'W': return PinKey::W;
    default: return std::nullopt;
    }
}

// Runs one command. Closing destroys the pin: nothing may touch it afterwards.
void run_command(Pin& pin, PinCommand command) {
    PinState& state = pin.state;
    bool changed = false;
    PinPoint centre;
    switch (command) {
    case PinCommand::None: return;
    case PinCommand::MoveLeft: state.x -= 1; changed = true; break;
    case PinCommand::MoveRight: state.x += 1; changed = true; break;
    case PinCommand::MoveUp: state.y -= 1; changed = true; break;
    case PinCommand::MoveDown: state.y += 1; changed = true; break;
    case PinCommand::ResetZoom: changed = reset_pin_zoom(state); break;
    case PinCommand::ZoomIn:
    case PinCommand::ZoomOut:
        centre = pin_centre(state);
        changed = zoom_pin(state, command == PinCommand::ZoomIn ? 1 : -1, centre.x, centre.y);
        break;
    case PinCommand::OpacityDown: changed = change_pin_opacity(state, -1); break;
    case PinCommand::OpacityUp: changed = change_pin_opacity(state, 1); break;
    case PinCommand::Copy: (void)copy_image(pin.image); return;
    case PinCommand::SaveAs: save_as(pin.window); return;
    case PinCommand::Close: DestroyWindow(pin.window); return;
    }
    if (changed) apply_geometry(pin);
}

void on_mouse_move(Pin& pin) {
    if (pin.state.drag) {
        const POINT cursor = message_cursor();
        drag_pin_to(pin.state, cursor.x, cursor.y);
        apply_geometry(pin);
        return;
    }
    if (pin.state.hover) return;
    pin.state.hover = true;
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, pin.window, 0};
    TrackMouseEvent(&track);
    redraw_for_hover(pin);
}

void on_left_down(Pin& pin, LPARAM lparam) {
    if (pin_close_hit(pin.state, GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam))) {
        DestroyWindow(pin.window);
        return;
    }
    const POINT cursor = message_cursor();
    SetCapture(pin.window);
    pin.state.drag = PinDrag{cursor.x, cursor.y, pin.state.x, pin.state.y};
}

void on_wheel(Pin& pin, WPARAM wparam, LPARAM lparam) {
    const int steps = take_wheel_steps(pin.state, GET_WHEEL_DELTA_WPARAM(wparam));
    if (steps == 0) return;
    const bool changed = (GET_KEYSTATE_WPARAM(wparam) & MK_CONTROL)
                             ? change_pin_opacity(pin.state, steps)
                             : zoom_pin(pin.state, steps, GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
    if (changed) apply_geometry(pin);
}

void on_paint(const Pin& pin) {
    PAINTSTRUCT paint{};
    const HDC dc = BeginPaint(pin.window, &paint);
    if (!dc) return;
    RECT client{};
    GetClientRect(pin.window, &client);
    paint_pin(dc, client, pin.state, pin.image);
    EndPaint(pin.window, &paint);
}

LRESULT CALLBACK pin_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    Pin* pin = find_pin(window);
    if (!pin) return DefWindowProcW(window, message, wparam, lparam);  // during creation
    switch (message) {
    case WM_ERASEBKGND:
        return 1;  // the picture covers every pixel
    case WM_PAINT:
        on_paint(*pin);
        return 0;
    case WM_MOUSEMOVE:
        on_mouse_move(*pin);
        return 0;
    case WM_MOUSELEAVE:
        pin->state.hover = false;
        redraw_for_hover(*pin);
        return 0;
    case WM_LBUTTONDOWN:
        on_left_down(*pin, lparam);
        return 0;
    case WM_LBUTTONUP:
        // Ended before the capture goes, so that the capture-lost notice below
        // sees no drag left to end.
        end_drag(*pin);
        ReleaseCapture();
        return 0;
    case WM_CAPTURECHANGED:
        // Another window took the mouse mid-drag: end it where it stands.
        if (pin->state.drag) end_drag(*pin);
        return 0;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
        DestroyWindow(window);
        return 0;
    case WM_MOUSEWHEEL:
        on_wheel(*pin, wparam, lparam);
        return 0;
    case WM_KEYDOWN:
        if (const std::optional<PinKey> key = pin_key(wparam)) {
            run_command(*pin, pin_command(*key, GetKeyState(VK_CONTROL) < 0));
            return 0;
        }
        break;
    case WM_DPICHANGED:
        // Dragged to a monitor of another scale: the chrome follows it, while the
        // picture keeps its pixels 1:1, so the suggested new size is not taken.
        pin->state.ui_scale = usable_ui_scale(ui_scale_for_dpi(LOWORD(wparam)));
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_NCDESTROY:
        forget_pin(window);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}


Result<void, PlatformError> register_pin_class(HINSTANCE instance) {
    static bool registered = false;  // once per process
    if (registered) return {};
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.style = CS_DBLCLKS | CS_DROPSHADOW;
    window_class.lpfnWndProc = pin_procedure;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorW(nullptr, IDC_SIZEALL);
    window_class.lpszClassName = kPinClass;
    if (!RegisterClassExW(&window_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return fail(last_error("RegisterClassExW(pin)"));
    registered = true;
    return {};
}

}  // namespace

Result<void, PlatformError> pin_image(const Image& image, const Rect& rect) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (auto registered = register_pin_class(instance); !registered) return registered;

    PinState state = new_pin(rect);
    settle(state);
    const Rect r = pin_window_rect(state);
    const HWND window = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kPinClass, L"", WS_POPUP,
                                        r.x, r.y, r.width, r.height, nullptr, nullptr, instance, nullptr);
    if (!window) return fail(last_error("CreateWindowExW(pin)"));

    pins.push_back(std::make_unique<Pin>(window, state, image));
    SetLayeredWindowAttributes(window, 0, 255, LWA_ALPHA);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    return {};
}

size_t pin_count() { return pins.size(); }

}  // namespace kestrix::win
