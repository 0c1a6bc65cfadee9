#pragma once
// The region overlay's input rules that need no window: what a key does in each
// phase, which cursor a point gets, how a mouse message's position becomes a
// desktop point, and when the toolbar item under the pointer counts as changed.
#include <cstdint>
#include <optional>

#include "kestrix/annotation.h"
#include "kestrix/editor.h"
#include "kestrix/rect.h"
#include "kestrix/selection.h"
#include "kestrix/toolbar.h"

namespace kestrix {

// The keys the overlay reacts to; the platform maps its key codes onto these.
// Letters and digits are the keys that type them; the brackets are the characters
// "[" and "]", wherever a layout puts them.
enum class OverlayKey : uint8_t {
    Enter,
    Escape,
    C,
    P,
    S,
    Z,
    Y,
    Left,
    Up,
    Right,
    Down,
    Other,
    A,
    E,
    H,
    L,
    M,
    N,
    R,
    T,
    X,
    Digit1,
    Digit2,
    Digit3,
    Digit4,
    Digit5,
    Digit6,
    Digit7,
    Digit8,
    OpenBracket,
    CloseBracket,
};

// The letter that chooses a tool: R Rectangle, E Ellipse, A Arrow, L Line, P Pen,
// H Highlighter, M Mosaic, X Redact, T Text, N Number.
char tool_key(Tool tool);

enum class KeyCommand : uint8_t {
    None,
    Confirm,             // copy and close
    Cancel,
    Pin,
    Save,
    ToggleSaveAs,        // selecting phase: the size label's "Save as…" part
    Undo,
    Redo,
    Nudge,               // move the selection by (dx, dy)
    Grow,                // move the edge in (dx, dy)'s direction outward
    Shrink,              // ... inward
    ToggleColourFormat,  // hex <-> decimal readout
    CopyColour,          // the colour under the cursor as text
    ChooseTool,          // `index` is the Tool; the current tool's key puts it down
    ChooseColour,        // `index` is the swatch, for the current tool
    SmallerSize,         // the current tool's size, one step
    LargerSize,
};

struct KeyAction {
    KeyCommand command = KeyCommand::None;
    int dx = 0;  // arrows only
    int dy = 0;
    int index = 0;  // ChooseTool and ChooseColour only
    friend bool operator==(const KeyAction&, const KeyAction&) = default;
};

// What a key does. While selecting, only cancel, the save-as toggle and the
// colour keys act; everything that needs a selection waits for the editing phase.
// The tool, colour and size keys act while editing without Ctrl (so that AltGr,
// which holds Ctrl, types instead), the bracket characters with it too; colours
// and sizes only for a current tool that has them (`tool`).
KeyAction overlay_key_action(OverlayKey key, bool ctrl, bool shift, bool editing,
                             std::optional<Tool> tool = std::nullopt);

enum class OverlayCursor : uint8_t { Arrow, Cross, Move, TextBeam, SizeNwse, SizeNesw, SizeNs, SizeWe };

// The resize cursor of a box handle (0..7).
OverlayCursor resize_cursor(Handle handle);

// The cursor at a desktop point: a cross while selecting (`editor` null); over
// the toolbar an arrow; otherwise what the gesture in progress or the thing
// under the point suggests.
OverlayCursor overlay_cursor(const Editor* editor, bool over_toolbar, const Point& p);

// A mouse message's position (the low 32 bits of its parameter: signed 16-bit
// client x, then y) in desktop units.
DesktopPoint client_to_desktop(uint32_t position, const Rect& desktop);

// Whether the toolbar item under the pointer changed: in kind, or for tools,
// colours and sizes in index. The same button at a new place is no change.
bool toolbar_hover_changed(const std::optional<ToolbarItem>& before, const std::optional<ToolbarItem>& now);

}  // namespace kestrix
