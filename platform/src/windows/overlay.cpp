// Opening the region overlay, its modal loop and its teardown. What does not
// depend on the picture (the window, fonts, brushes, the window list, the back
// buffer) is made before the capture, so the first frame follows the capture at once.
#include "overlay.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

#include "capture.h"
#include "foreground.h"
#include "host.h"
#include "kestrix/overlay_layout.h"
#include "last_error.h"
#include "overlay_state.h"
#include "toast.h"
#include "windowlist.h"

namespace kestrix::win {

namespace {

enum class ClassRegistration { NotTried, Registered, Failed };
ClassRegistration registration = ClassRegistration::NotTried;

// The back buffer holds full rows of the desktop, this many bytes at most (and
// at least one row): a paint composes a large area band by band, so no
// buffer of the whole desktop is made.
constexpr size_t kBackBufferBytes = size_t(4) << 20;

// Registered once per process; a failure is reported by the first open only.
Result<void, PlatformError> register_overlay_class() {
    if (registration != ClassRegistration::NotTried) return {};
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = overlay_window_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kOverlayClass;
    if (!RegisterClassExW(&wc)) {
        registration = ClassRegistration::Failed;
        return fail(last_error("RegisterClassExW(overlay)"));
    }
    registration = ClassRegistration::Registered;
    return {};
}

struct WindowDestroyer {
    void operator()(HWND window) const { DestroyWindow(window); }
};
using OwnedWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

// Everything of an overlay that does not depend on the picture, made while the
// screen still shows what the user asked to capture. The window exists hidden.
struct PreparedOverlay {
    Rect desktop;
    uint32_t ui_scale = 100;
    std::vector<Rect> windows;
    GdiObject<HBRUSH> border_brush;
    GdiObject<HBRUSH> label_brush;
    GdiObject<HFONT> label_font;
    GdiObject<HFONT> hint_font;
    std::unique_ptr<DibSurface> back;
    HWND earlier_foreground = nullptr;
    OwnedWindow window;
};

// At most one, for the capture about to be taken; or why it could not be made.
thread_local std::optional<Result<PreparedOverlay, PlatformError>> prepared;

Result<PreparedOverlay, PlatformError> make_prepared(const std::vector<Monitor>& monitors) {
    PreparedOverlay p;
    p.earlier_foreground = GetForegroundWindow();
    p.desktop = virtual_desktop(monitors);
    if (auto registered = register_overlay_class(); !registered) return fail(registered.error());
    p.ui_scale = overlay_ui_scale(monitors);
    p.windows = list_windows();
    p.border_brush.reset(CreateSolidBrush(RGB(74, 158, 46)));
    p.label_brush.reset(CreateSolidBrush(RGB(26, 26, 26)));
    p.label_font.reset(overlay_font(size_label_font_height(p.ui_scale)));
    p.hint_font.reset(overlay_font(hint_font_height(p.ui_scale)));
    const Rect& d = p.desktop;
    if (d.width > 0 && d.height > 0) {
        const size_t row = size_t(d.width) * 4;
        const auto rows = int32_t(std::clamp<size_t>(kBackBufferBytes / row, 1, size_t(d.height)));
        auto back = DibSurface::create(d.width, rows, "overlay");
        if (!back) return fail(std::move(back).error());
        p.back = std::move(*back);
    }
    // Hidden until the picture is there. Clipping the children keeps the paint
    // handler off the text box.
    p.window.reset(CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kOverlayClass, L"", WS_POPUP | WS_CLIPCHILDREN,
                                   d.x, d.y, d.width, d.height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    if (!p.window) return fail(last_error("CreateWindowExW(overlay)"));
    return p;
}

// The prepared overlay for this desktop, made now when there is none.
Result<PreparedOverlay, PlatformError> take_prepared(const std::vector<Monitor>& monitors) {
    std::optional<Result<PreparedOverlay, PlatformError>> taken = std::exchange(prepared, std::nullopt);
    if (taken && (!*taken || (*taken)->desktop == virtual_desktop(monitors))) return std::move(*taken);
    taken.reset();  // made for another desktop: its window goes before a new one is made
    return make_prepared(monitors);
}

// The frozen desktop to paint from: the capture's own bitmap, or for a frame made
// elsewhere a copy of its pixels.
Result<void, PlatformError> attach_frozen(OverlayState& state, const Tile& tile) {
    if (const auto* captured = dynamic_cast<const CapturedDesktop*>(tile.image.owner())) {
        state.frozen = &captured->surface();
        return {};
    }
    auto copy = DibSurface::create(int32_t(tile.image.width()), int32_t(tile.image.height()), "overlay");
    if (!copy) return fail(std::move(copy).error());
    std::memcpy((*copy)->pixels(), tile.image.data(), (*copy)->byte_size());
    state.frozen_copy = std::move(*copy);
    state.frozen = state.frozen_copy.get();
    return {};
}

void adopt(OverlayState& state, PreparedOverlay&& p, bool save_as, bool transfer_enabled) {
    state.ui_scale = p.ui_scale;
    state.save_as = save_as;
    state.transfer_enabled = transfer_enabled;
    state.model.windows = std::move(p.windows);
    for (const Monitor& m : state.monitors) state.model.monitors.push_back(m.rect);
    state.model.bounds = state.desktop;
    // The first paint already shows the magnifier and highlight at the pointer.
    POINT at{};
    if (GetCursorPos(&at)) selecting_move(state.gesture, state.model, at.x, at.y);

    state.toolbar = layout_toolbar(std::nullopt, state.transfer_enabled, state.ui_scale);
    state.border_brush = std::move(p.border_brush);
    state.label_brush = std::move(p.label_brush);
    state.label_font = std::move(p.label_font);
    state.hint_font = std::move(p.hint_font);
    state.back = std::move(p.back);
    state.earlier_foreground = p.earlier_foreground;
    state.window = p.window.release();  // destroyed by the loop's end from here on
}

// Ends the window's life: no message reaches the state any more.
void close_window(OverlayState& state) {
    ReleaseCapture();
    SetWindowLongPtrW(state.window, GWLP_USERDATA, 0);
    DestroyWindow(state.window);
    state.window = nullptr;
}

void run_modal_loop(OverlayState& state) {
    while (!state.outcome) {
        MSG msg;
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // The host must still see the quit request.
            close_window(state);
            PostQuitMessage(int(msg.wParam));
            return;
        }
        if (got == -1) {
            close_window(state);
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    close_window(state);
}

Result<OverlayOutcome, PlatformError> run_overlay(const Frame& frame, const std::vector<Monitor>& monitors,
                                                  const Config& config, bool save_as,
                                                  const std::optional<Rect>& selection,
                                                  const EditAgainStart* edit_again = nullptr) {
    auto ready = take_prepared(monitors);
    if (!ready) return fail(ready.error());
    if (frame.tiles.size() != 1) return fail(PlatformError::capture("expected one desktop-wide tile"));

    OverlayState state(frame, monitors);
    state.desktop = virtual_desktop(monitors);
    state.dim_percent = std::min<uint32_t>(config.overlay_dim_percent, 100);
    if (auto attached = attach_frozen(state, frame.tiles.front()); !attached) return fail(attached.error());
    adopt(state, std::move(*ready), save_as, config.transfer_enabled);

    SetWindowLongPtrW(state.window, GWLP_USERDATA, LONG_PTR(&state));
    if (selection)
        begin_editing(state, *selection);
    else
        invalidate_all(state);
    if (edit_again && state.editor) {
        state.edit_again = OverlayState::EditAgain{edit_again->placement, crop_frame(edit_again->capture.crop)};
        state.editor->start_from(remapped(edit_again->capture.annotations, edit_again->placement.to_desktop()),
                                 edit_again->capture.backdrop);
        invalidate_all(state);
    }
    ShowWindow(state.window, SW_SHOW);
    take_foreground(state.window, state.earlier_foreground);
    SetCapture(state.window);

    run_modal_loop(state);
    remember_tools(state);
    if (state.edit_again) state.edit_again->crop.wipe();
    return state.outcome ? std::move(*state.outcome) : OverlayOutcome{};
}

}  // namespace

HFONT overlay_font(int32_t height) {
    return CreateFontW(-height, 0, 0, 0, 600, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Segoe UI");
}

OverlayState* overlay_state(HWND window) {
    return reinterpret_cast<OverlayState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void prepare_overlay(const std::vector<Monitor>& monitors) {
    prepared.reset();  // an unused earlier one goes first
    prepared = make_prepared(monitors);
}

void discard_prepared_overlay() { prepared.reset(); }

Result<OverlayOutcome, PlatformError> open_overlay(const Frame& frame, const std::vector<Monitor>& monitors,
                                                  const Config& config, bool save_as, std::optional<Rect> selection) {
    close_toast();
    set_overlay_open(true);
    auto outcome = run_overlay(frame, monitors, config, save_as, selection);
    // The hotkey may have been pressed meanwhile: those captures are dropped.
    set_overlay_open(false);
    purge_capture_events();
    return outcome;
}

Result<OverlayOutcome, PlatformError> open_overlay_for_editing(const Frame& frame, const std::vector<Monitor>& monitors,
                                                              const Config& config, const EditAgainStart& start) {
    close_toast();
    set_overlay_open(true);
    auto outcome = run_overlay(frame, monitors, config, false, start.placement.shown, &start);
    set_overlay_open(false);
    purge_capture_events();
    return outcome;
}

}  // namespace kestrix::win
