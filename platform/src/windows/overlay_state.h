#pragma once
// The overlay's state while it is open, shared by its loop, window procedure,
// paint handler and text box. Reached from the window through its user-data slot.
#include <windows.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dib_surface.h"
#include "gdi_handles.h"
#include "kestrix/edit_again.h"
#include "kestrix/editor.h"
#include "kestrix/frame.h"
#include "kestrix/overlay_outcome.h"
#include "kestrix/rect.h"
#include "kestrix/selection.h"
#include "kestrix/toolbar.h"
#include "overlay.h"

namespace kestrix::win {

// The commit and cancel requests the text box posts to the overlay.
inline constexpr UINT kTextBoxCommit = WM_APP + 1;
inline constexpr UINT kTextBoxCancel = WM_APP + 2;
// The short wait between a colour copy and the overlay closing.
inline constexpr UINT_PTR kColourCopiedTimer = 1;
inline constexpr UINT kColourCopiedDelayMs = 400;

// The open text box: a child edit control with its own font and background brush.
struct TextBox {
    std::optional<std::size_t> index;  // the Text annotation being edited; none for new text
    HWND edit = nullptr;
    GdiObject<HFONT> font;
    GdiObject<HBRUSH> brush;
    Point anchor;  // top-left of the text, desktop units
    COLORREF colour = 0;      // of the text
    COLORREF background = 0;  // of the box
    ~TextBox();
};

// The selection cut from the frozen desktop with its Mosaic strokes applied,
// kept until the selection or the strokes change.
struct AnnotationLayer {
    Rect selection;
    std::vector<Annotation> strokes;  // the Mosaic strokes it was made with, and the redactions under them
    std::unique_ptr<DibSurface> surface;
};

struct OverlayState {
    OverlayState(const Frame& f, const std::vector<Monitor>& m) : frame(f), monitors(m) {}

    const Frame& frame;
    const std::vector<Monitor>& monitors;

    SelectionModel model;
    SelectingGesture gesture;
    std::optional<Editor> editor;  // present from the hand-off to the editing phase on

    ToolbarLayout toolbar;
    ToolbarPosition toolbar_at;
    std::optional<ToolbarItem> hover_item;

    Rect desktop;  // client (0, 0) is (desktop.x, desktop.y)
    uint32_t ui_scale = 100;
    uint32_t dim_percent = 0;
    bool save_as = false;
    bool transfer_enabled = false;
    bool focus_seen = false;
    bool colour_decimal = false;
    bool colour_copied = false;
    std::optional<std::string> pending_colour;
    std::optional<OverlayOutcome> outcome;
    // Editing a kept capture again: where its crop is shown, and the crop alone as the
    // frame the finished picture is made from.
    struct EditAgain {
        EditPlacement placement;
        Frame crop;
    };
    std::optional<EditAgain> edit_again;

    // Drawing: the frozen desktop (never drawn on: the capture's own bitmap, or a
    // copy of a frame from elsewhere), dimmed while painting, and the back buffer
    // everything is composed in, a band of full rows that a paint goes through
    // as often as it needs.
    const DibSurface* frozen = nullptr;
    std::unique_ptr<DibSurface> frozen_copy;
    std::unique_ptr<DibSurface> back;
    GdiObject<HBRUSH> border_brush;
    GdiObject<HBRUSH> label_brush;
    GdiObject<HFONT> label_font;
    GdiObject<HFONT> hint_font;
    AnnotationLayer layer;
    // What the selecting phase last showed around the highlight, and the client
    // areas it invalidated, so that a move repaints only what changed.
    struct Highlight {
        std::optional<Rect> shown;  // desktop units
        bool save_as = false;
        int32_t thickness = 0;
        std::optional<Rect> area;  // client coordinates
        friend bool operator==(const Highlight&, const Highlight&) = default;
    };
    std::optional<Highlight> last_highlight;
    std::optional<Rect> last_readout;
    // What the editing phase last showed over the dimmed desktop (client coordinates).
    std::vector<Rect> last_editing;

    // Last, so that it goes first: the edit control is a child of the window.
    std::unique_ptr<TextBox> text_box;

    HWND window = nullptr;
    HWND earlier_foreground = nullptr;  // in front when the capture was asked for

    bool editing() const { return editor.has_value(); }
    int32_t client_width() const { return desktop.width; }
    int32_t client_height() const { return desktop.height; }
    Rect to_client(const Rect& r) const { return {r.x - desktop.x, r.y - desktop.y, r.width, r.height}; }
    // The monitor that what is shown beside a rectangle or a point stays on (desktop units).
    Rect area_of(const Rect& r) const { return monitor_of(monitors, r).value_or(desktop); }
    Rect area_at(DesktopPoint p) const { return monitor_at(monitors, p.x, p.y).value_or(desktop); }
    // The scale what is drawn at the pointer follows while selecting (the magnifier).
    uint32_t pointer_scale() const { return ui_scale_at(monitors, gesture.cursor.x, gesture.cursor.y); }
};

// The size label's and the hint's font: semibold "Segoe UI", `height` pixels.
HFONT overlay_font(int32_t height);

OverlayState* overlay_state(HWND window);
LRESULT CALLBACK overlay_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// overlay_paint.cpp
void paint_overlay(OverlayState& state);
void invalidate_selecting_changes(OverlayState& state);
void invalidate_readout(OverlayState& state);
// In the editing phase: where the selection, its handles, the toolbar and its
// tooltip were and are, not the rest of the desktop.
void invalidate_editing(OverlayState& state);
void invalidate_all(OverlayState& state);
void notify_paint_observer(const OverlayPaint& paint);

// overlay_input.cpp
void relayout_toolbar(OverlayState& state);
// The hand-off to the editing phase with this selection (also where the overlay opens with one).
void begin_editing(OverlayState& state, const Rect& selection);
// The next capture of the process starts with the tools as this one leaves them.
void remember_tools(const OverlayState& state);
void apply_editor_outcome(OverlayState& state, const EditorOutcome& outcome);

// text_box.cpp
void open_text_box(OverlayState& state, const TextBoxRequest& request);
void close_text_box(OverlayState& state, bool commit);
LRESULT text_box_colours(OverlayState& state, HDC dc);

}  // namespace kestrix::win
