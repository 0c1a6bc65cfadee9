#pragma once
// The mark-up editor's model: the annotations of one capture, the current tool,
// colour and size, the pointer gesture in progress, the selection rectangle
// while editing, and undo/redo. It owns no window and draws nothing: the overlay
// feeds it pointer positions (desktop units), the Shift state and commands, and
// acts on the EditorOutcome each operation returns.
#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "kestrix/annotation.h"
#include "kestrix/canvas.h"
#include "kestrix/editor_geometry.h"
#include "kestrix/rect.h"

namespace kestrix {

// Gestures: one starts on pointer down and ends on pointer up.
struct DrawingGesture {
    Annotation annotation;  // the new annotation, not yet in the list
};
struct ResizingSelectionGesture {
    Handle handle = Handle::TopLeft;
    Rect start;  // the selection when the drag began; edges not carried keep these
};
struct MovingSelectionGesture {
    Point anchor;
    Rect start;
};
struct ReshapingGesture {
    std::size_t index = 0;
    Handle handle = Handle::TopLeft;
    Annotation start;
};
struct MovingAnnotationGesture {
    std::size_t index = 0;
    Point anchor;
    Annotation start;
    double dx = 0.0;  // the translation applied to `start` so far
    double dy = 0.0;
};
using Gesture = std::variant<std::monostate, DrawingGesture, ResizingSelectionGesture, MovingSelectionGesture,
                             ReshapingGesture, MovingAnnotationGesture>;

// History entries. Undo and redo hand an entry between the two stacks.
struct ReplacedEntry {
    Annotation value;  // the value the annotation at `index` takes when the entry is applied
    std::size_t index = 0;
    friend bool operator==(const ReplacedEntry&, const ReplacedEntry&) = default;
};
struct AddedEntry {
    std::optional<Annotation> removed;  // empty on the undo stack, the removed annotation on the redo stack
    friend bool operator==(const AddedEntry&, const AddedEntry&) = default;
};
struct MovedEntry {
    std::size_t index = 0;
    double dx = 0.0;
    double dy = 0.0;
    friend bool operator==(const MovedEntry&, const MovedEntry&) = default;
};
using UndoEntry = std::variant<ReplacedEntry, AddedEntry, MovedEntry>;

// What the window has to do after an editor operation.
enum class EditorAction : uint8_t {
    None,
    Redraw,       // relayout the toolbar and repaint
    Copy,         // finish: copy
    Save,         // finish: copy and save
    Send,         // finish: send to a device
    Pin,          // finish: pin to the screen
    Cancel,       // close without output
    OpenTextBox,  // open the text box for new text (text_box holds where and how)
    EditTextBox,  // open the text box on an existing Text annotation (text_box.index)
};

struct TextBoxRequest {
    Point anchor;                      // top-left of the text, desktop units
    std::optional<std::size_t> index;  // the annotation being edited; none for new text
    std::string text;                  // initial text (UTF-8)
    uint32_t size_step = 1;
    Colour colour = PALETTE[0];
    double scale = 1.0;                // the text's interface scale: its font is text_size x scale
    bool background = false;           // the text goes on a box of `colour`
    friend bool operator==(const TextBoxRequest&, const TextBoxRequest&) = default;
};

// How one tool is set: its colour and size step, and for Text the background box.
struct ToolStyle {
    Colour colour = PALETTE[0];
    uint32_t size = 1;
    bool text_background = false;
    friend bool operator==(const ToolStyle&, const ToolStyle&) = default;
};

// The current tool and how every tool is set; an editor starts from these and the
// overlay keeps them for the next capture. A highlighter starts yellow and a
// redaction black (the palette's last swatch); the others start in the first colour.
struct ToolSettings {
    std::optional<Tool> tool;
    std::array<ToolStyle, TOOL_COUNT> styles = default_tool_styles();
    friend bool operator==(const ToolSettings&, const ToolSettings&) = default;

    static constexpr std::array<ToolStyle, TOOL_COUNT> default_tool_styles() {
        std::array<ToolStyle, TOOL_COUNT> styles{};
        // Whole values: when one member of an element is assigned here, GCC 12
        // at -O2 loses the element's other initialisers in a const ToolSettings.
        styles[std::size_t(Tool::Highlighter)] = ToolStyle{PALETTE[2], 1, false};
        styles[std::size_t(Tool::Redact)] = ToolStyle{PALETTE[7], 1, false};
        return styles;
    }
};

struct EditorOutcome {
    EditorAction action = EditorAction::None;
    std::optional<TextBoxRequest> text_box;  // with OpenTextBox and EditTextBox
    friend bool operator==(const EditorOutcome&, const EditorOutcome&) = default;
};

// Width and height of a text as drawn at a font size in pixels (TextExtent comes
// with the canvas); supplied by the drawing code.
using MeasureText = std::function<TextExtent(std::string_view text, double pixel_size)>;

// Whether a text is empty once white space (ASCII and Unicode spaces) is trimmed.
bool is_blank_text(std::string_view utf8);

class Editor {
public:
    Editor() = default;

    // Begin editing: the selection (kept inside the desktop bounds), no annotations,
    // empty history, no gesture, backdrop off, and the tools as `tools` has them
    // (by default no tool, size step 1, the first palette colour).
    Editor(const Rect& selection, const Rect& desktop_bounds, const ToolSettings& tools = {});

    // Marks made earlier, to edit again: they can be selected, moved, reshaped,
    // restyled and deleted like new ones. The history starts empty.
    void start_from(std::vector<Annotation> annotations, bool backdrop);

    // --- properties ---
    // Colour and size belong to the current tool; with no tool they are kept
    // aside and given to none.
    EditorOutcome select_tool(int index);  // the current tool again means no tool
    EditorOutcome select_colour(int swatch);
    EditorOutcome select_size(int step);
    EditorOutcome step_size(int delta);  // one step smaller (-1) or larger (+1); nothing past the ends
    EditorOutcome toggle_text_background();  // the Text tool's background box
    EditorOutcome toggle_backdrop();
    // The interface scale (percent) of the monitor the selection is on: new marks
    // take it, and the handles and hit tests work at it. 100 until set.
    void set_ui_scale(uint32_t ui_scale);

    // --- pointer (desktop units) ---
    EditorOutcome pointer_down(double x, double y);
    EditorOutcome pointer_move(double x, double y, bool shift);
    EditorOutcome pointer_up(double x, double y, bool shift);
    EditorOutcome double_click(double x, double y);

    // --- text box results ---
    // `index` is the edited annotation (from an EditTextBox request) or none for new text.
    EditorOutcome text_committed(std::string text, const Point& anchor, std::optional<std::size_t> index,
                                 const MeasureText& measure);
    void text_cancelled();

    // --- history ---
    EditorOutcome undo();
    EditorOutcome redo();

    // --- keyboard adjustments of the selection ---
    EditorOutcome nudge(int dx, int dy);
    EditorOutcome grow_or_shrink(int dx, int dy, bool grow);

    // --- commands that finish or cancel the capture ---
    static EditorOutcome confirm() { return {EditorAction::Copy}; }
    static EditorOutcome save() { return {EditorAction::Save}; }
    static EditorOutcome pin() { return {EditorAction::Pin}; }
    static EditorOutcome send() { return {EditorAction::Send}; }
    static EditorOutcome cancel() { return {EditorAction::Cancel}; }

    // --- hit tests and handles, for cursors and painting ---
    std::optional<Handle> selection_handle_at(double x, double y) const;
    std::optional<Handle> annotation_handle_at(double x, double y) const;  // of the selected annotation
    std::optional<std::size_t> annotation_at(double x, double y) const;
    std::array<HandlePoint, 8> selection_handles() const;
    std::vector<HandlePoint> selected_annotation_handles() const;

    // --- state, read-only ---
    const Rect& selection() const { return selection_; }
    const Rect& bounds() const { return bounds_; }
    const std::vector<Annotation>& annotations() const { return annotations_; }
    std::optional<std::size_t> selected() const { return selected_; }
    const Gesture& gesture() const { return gesture_; }
    const Annotation* in_progress() const;  // the annotation being drawn, if any
    std::optional<Tool> tool() const { return tools_.tool; }
    uint32_t sizeIndex() const { return size_step(style().size); }
    Colour colour() const { return style().colour; }
    bool text_background() const { return tools_.styles[std::size_t(Tool::Text)].text_background; }
    const ToolSettings& tool_settings() const { return tools_; }
    bool backdrop() const { return backdrop_; }
    uint32_t ui_scale() const { return ui_scale_; }
    bool can_undo() const { return !undo_.empty(); }
    bool can_redo() const { return !redo_.empty(); }
    const std::vector<UndoEntry>& undo_stack() const { return undo_; }
    const std::vector<UndoEntry>& redo_stack() const { return redo_; }
    std::optional<std::size_t> text_edit_index() const { return text_edit_index_; }  // open in the text box
    Point last_pointer() const { return last_pointer_; }

private:
    EditorOutcome start_gesture(const Point& p);
    void apply_move(const Point& p, bool shift);
    void move_drawing(DrawingGesture& g, const Point& p, bool shift);
    void resize_selection(const ResizingSelectionGesture& g, const Point& p);
    void move_selection(const MovingSelectionGesture& g, const Point& p);
    void reshape(const ReshapingGesture& g, const Point& p, bool shift);
    void move_annotation(MovingAnnotationGesture& g, const Point& p);
    void finish_gesture();
    void abandon_gesture();
    void record(UndoEntry entry);
    void forget_stale_selection();
    uint32_t next_marker_number() const;
    const ToolStyle& style() const;
    ToolStyle& style();

    Rect selection_;
    Rect bounds_;
    std::vector<Annotation> annotations_;
    std::optional<std::size_t> selected_;
    Gesture gesture_;
    ToolSettings tools_;
    ToolStyle untooled_;  // colour and size chosen while no tool is current
    bool backdrop_ = false;
    uint32_t ui_scale_ = 100;
    std::vector<UndoEntry> undo_;
    std::vector<UndoEntry> redo_;
    std::optional<std::size_t> text_edit_index_;
    Point last_pointer_;
};

// Selection arithmetic shared by the editor's gestures and keys; every result lies
// inside `bounds` (when bounds is big enough to hold the minimum).
// The start rectangle offset by (dx, dy), kept inside the bounds.
Rect offset_within(const Rect& start, int64_t dx, int64_t dy, const Rect& bounds);
// The selection with the edges carried by `handle` at the pointer, at least 4 x 4.
Rect resize_by_handle(const Rect& start, Handle handle, const Point& pointer, const Rect& bounds);
// One edge moved outward (grow) or inward by one unit; at least 1 x 1.
Rect grow_or_shrink_edge(const Rect& selection, int dx, int dy, bool grow, const Rect& bounds);

}  // namespace kestrix
