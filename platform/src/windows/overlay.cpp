// Opening the region overlay, its modal loop and its teardown.
#include "overlay.h"

#include <algorithm>
#include <array>
#include <cstring>

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

// Each colour channel darkened as by black laid over it at `percent` opacity.
void dim_pixels(const uint8_t* from, uint8_t* to, size_t bytes, uint32_t percent) {
    const uint32_t alpha = std::min<uint32_t>(percent, 100) * 255 / 100;
    std::array<uint8_t, 256> table;
    for (uint32_t v = 0; v < 256; ++v) table[v] = uint8_t((v * (255 - alpha) + 127) / 255);
    for (size_t i = 0; i + 3 < bytes; i += 4) {
        to[i] = table[from[i]];
        to[i + 1] = table[from[i + 1]];
        to[i + 2] = table[from[i + 2]];
        to[i + 3] = 255;
    }
}

// The drawing surfaces: the frozen desktop as a bitmap, the desktop dimmed once
// (painting then copies instead of blending every time) and the back buffer.
Result<void, PlatformError> create_surfaces(OverlayState& state, const Tile& tile) {
    const auto width = int32_t(tile.image.width());
    const auto height = int32_t(tile.image.height());
    const uint8_t* pixels = tile.image.pixels().data();
    auto frozen = DibSurface::create(width, height, "overlay");
    if (!frozen) return fail(std::move(frozen.error()));
    std::memcpy((*frozen)->pixels(), pixels, (*frozen)->byte_size());
    state.frozen = std::move(*frozen);
    if (state.dim_percent > 0) {
        auto dimmed = DibSurface::create(width, height, "overlay");
        if (!dimmed) return fail(std::move(dimmed.error()));
        dim_pixels(pixels, (*dimmed)->pixels(), (*dimmed)->byte_size(), state.dim_percent);
        state.dimmed = std::move(*dimmed);
    }
    auto back = DibSurface::create(width, height, "overlay");
    if (!back) return fail(std::move(back.error()));
    state.back = std::move(*back);
    return {};
}

void build_state(OverlayState& state, bool save_as, bool transfer_enabled) {
    state.ui_scale = overlay_ui_scale(state.monitors);
    state.save_as = save_as;
    state.transfer_enabled = transfer_enabled;

    state.model.windows = list_windows();
    for (const Monitor& m : state.monitors) state.model.monitors.push_back(m.rect);
    state.model.bounds = state.desktop;
    // The first paint already shows the magnifier and highlight at the pointer.
    POINT at{};
    if (GetCursorPos(&at)) selecting_move(state.gesture, state.model, at.x, at.y);

    state.toolbar = layout_toolbar(std::nullopt, state.transfer_enabled, state.ui_scale);
    state.border_brush.reset(CreateSolidBrush(RGB(74, 158, 46)));
    state.label_brush.reset(CreateSolidBrush(RGB(26, 26, 26)));
    state.label_font.reset(overlay_font(size_label_font_height(state.ui_scale)));
    state.hint_font.reset(overlay_font(hint_font_height(state.ui_scale)));
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
    if (auto registered = register_overlay_class(); !registered) return fail(registered.error());
    if (frame.tiles.size() != 1) return fail(PlatformError::capture("expected one desktop-wide tile"));

    OverlayState state(frame, monitors);
    state.desktop = virtual_desktop(monitors);
    state.dim_percent = std::min<uint32_t>(config.overlay_dim_percent, 100);
    if (auto made = create_surfaces(state, frame.tiles.front()); !made) return fail(made.error());
    build_state(state, save_as, config.transfer_enabled);

    const Rect& d = state.desktop;
    // Clipping the children keeps the paint handler off the text box.
    state.window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kOverlayClass, L"", WS_POPUP | WS_CLIPCHILDREN,
                                   d.x, d.y, d.width, d.height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!state.window) return fail(last_error("CreateWindowExW(overlay)"));

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
    SetForegroundWindow(state.window);
    SetFocus(state.window);
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
