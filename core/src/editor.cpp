// The editor's state and its entry points: properties, pointer presses and
// releases, double clicks and the hit tests the window uses for cursors.
#include "kestrix/editor.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "kestrix/ui_scale.h"

namespace kestrix {
namespace {

constexpr double MIN_BOX_DRAWN = 3.0;     // a rectangle or ellipse narrower than this is a click
constexpr double MIN_ARROW_LENGTH = 3.0;

bool inside(const Rect& r, const Point& p) {
    return p.x >= r.x && p.x < double(r.right()) && p.y >= r.y && p.y < double(r.bottom());
}

// The selection as handed over, made to lie inside the desktop.
Rect fit_into(const Rect& selection, const Rect& bounds) {
    if (auto cut = intersect(selection, bounds)) return *cut;
    Rect fitted = selection;
    fitted.width = std::clamp(fitted.width, 1, std::max(1, bounds.width));
    fitted.height = std::clamp(fitted.height, 1, std::max(1, bounds.height));
    return offset_within(fitted, 0, 0, bounds);
}

bool box_big_enough(const Point& start, const Point& end) {
    return std::abs(end.x - start.x) >= MIN_BOX_DRAWN && std::abs(end.y - start.y) >= MIN_BOX_DRAWN;
}

bool line_long_enough(const Point& start, const Point& end) {
    return std::hypot(end.x - start.x, end.y - start.y) >= MIN_ARROW_LENGTH;
}

bool big_enough(const Annotation& a) {
    if (const auto* r = std::get_if<RectangleMark>(&a)) return box_big_enough(r->start, r->end);
    if (const auto* e = std::get_if<EllipseMark>(&a)) return box_big_enough(e->start, e->end);
    if (const auto* x = std::get_if<RedactMark>(&a)) return box_big_enough(x->start, x->end);
    if (const auto* ar = std::get_if<ArrowMark>(&a)) return line_long_enough(ar->start, ar->end);
    if (const auto* l = std::get_if<LineMark>(&a)) return line_long_enough(l->start, l->end);
    if (const auto* pen = std::get_if<PenMark>(&a)) return pen->points.size() >= 2;
    if (const auto* mosaic = std::get_if<MosaicMark>(&a)) return mosaic->points.size() >= 2;
    if (const auto* h = std::get_if<HighlighterMark>(&a)) return h->points.size() >= 2;
    if (const auto* text = std::get_if<TextMark>(&a)) return !is_blank_text(text->text);
    return true;  // a marker is kept whatever the drag
}

// Freehand strokes are not hit-tested, so they are not selected when drawn either.
bool is_stroke(AnnotationKind kind) {
    return kind == AnnotationKind::Pen || kind == AnnotationKind::Mosaic || kind == AnnotationKind::Highlighter;
}

}  // namespace

Editor::Editor(const Rect& selection, const Rect& desktop_bounds, const ToolSettings& tools)
    : selection_(fit_into(selection, desktop_bounds)), bounds_(desktop_bounds), tools_(tools) {
    // Settings from elsewhere are held to the tables like every later choice.
    if (tools_.tool && int(*tools_.tool) >= TOOL_COUNT) tools_.tool.reset();
    for (ToolStyle& s : tools_.styles) s.size = size_step(s.size);
}

const ToolStyle& Editor::style() const { return tools_.tool ? tools_.styles[std::size_t(*tools_.tool)] : untooled_; }
ToolStyle& Editor::style() { return tools_.tool ? tools_.styles[std::size_t(*tools_.tool)] : untooled_; }

void Editor::start_from(std::vector<Annotation> annotations, bool backdrop) {
    annotations_ = std::move(annotations);
    backdrop_ = backdrop;
    selected_.reset();
    gesture_ = std::monostate{};
    undo_.clear();
    redo_.clear();
}

EditorOutcome Editor::select_tool(int index) {
    if (index < 0 || index >= TOOL_COUNT) return {};
    const Tool chosen = Tool(index);
    tools_.tool = (tools_.tool == chosen) ? std::nullopt : std::optional<Tool>(chosen);
    return {EditorAction::Redraw};
}

EditorOutcome Editor::select_colour(int swatch) {
    style().colour = palette_colour(uint32_t(std::max(swatch, 0)));
    return {EditorAction::Redraw};
}

EditorOutcome Editor::select_size(int step) {
    style().size = uint32_t(std::clamp(step, 0, int(MAX_SIZE_STEP)));
    return {EditorAction::Redraw};
}

EditorOutcome Editor::step_size(int delta) {
    const int step = std::clamp(int(sizeIndex()) + std::clamp(delta, -1, 1), 0, int(MAX_SIZE_STEP));
    if (uint32_t(step) == sizeIndex()) return {};
    return select_size(step);
}

EditorOutcome Editor::toggle_text_background() {
    bool& on = tools_.styles[std::size_t(Tool::Text)].text_background;
    on = !on;
    return {EditorAction::Redraw};
}

EditorOutcome Editor::toggle_backdrop() {
    backdrop_ = !backdrop_;
    return {EditorAction::Redraw};
}

void Editor::set_ui_scale(uint32_t ui_scale) { ui_scale_ = usable_ui_scale(ui_scale); }

const Annotation* Editor::in_progress() const {
    const auto* drawing = std::get_if<DrawingGesture>(&gesture_);
    return drawing ? &drawing->annotation : nullptr;
}

uint32_t Editor::next_marker_number() const {
    uint32_t largest = 0;
    for (const Annotation& a : annotations_)
        if (const auto* n = std::get_if<NumberMark>(&a)) largest = std::max(largest, n->number);
    return largest == std::numeric_limits<uint32_t>::max() ? largest : largest + 1;
}

EditorOutcome Editor::pointer_down(double x, double y) {
    // A press while a gesture is still open (its release never arrived) drops that gesture.
    abandon_gesture();
    const Point p{x, y};
    last_pointer_ = p;
    if (selected_ && *selected_ < annotations_.size()) {
        const Annotation& current = annotations_[*selected_];
        if (auto h = annotation_handle_at(x, y)) {
            gesture_ = ReshapingGesture{*selected_, *h, current};
            return {EditorAction::Redraw};
        }
    }
    if (auto h = selection_handle_at(x, y)) {
        gesture_ = ResizingSelectionGesture{*h, selection_};
        return {EditorAction::Redraw};
    }
    if (!inside(selection_, p)) return {};
    if (auto hit = annotation_at(x, y)) {
        selected_ = hit;
        gesture_ = MovingAnnotationGesture{*hit, p, annotations_[*hit]};
        return {EditorAction::Redraw};
    }
    selected_.reset();
    return start_gesture(p);
}

EditorOutcome Editor::start_gesture(const Point& pointer) {
    const Point p = clamp_into(selection_, pointer);
    const std::optional<Tool> tool = tools_.tool;
    const double scale = scale_factor(ui_scale_);
    if (!tool) {
        gesture_ = MovingSelectionGesture{pointer, selection_};
        return {EditorAction::Redraw};
    }
    const uint32_t size = sizeIndex();
    const Colour colour = this->colour();
    switch (*tool) {
        case Tool::Text:
            text_edit_index_.reset();
            return {EditorAction::OpenTextBox,
                    TextBoxRequest{p, std::nullopt, {}, size, colour, scale, text_background()}};
        case Tool::Rectangle:
            gesture_ = DrawingGesture{RectangleMark{p, p, size, colour, scale}};
            break;
        case Tool::Ellipse:
            gesture_ = DrawingGesture{EllipseMark{p, p, size, colour, scale}};
            break;
        case Tool::Arrow:
            gesture_ = DrawingGesture{ArrowMark{p, p, size, colour, std::nullopt, scale}};
            break;
        case Tool::Line:
            gesture_ = DrawingGesture{LineMark{p, p, size, colour, scale}};
            break;
        case Tool::Pen:
            gesture_ = DrawingGesture{PenMark{size, colour, {p}, scale}};
            break;
        case Tool::Highlighter:
            gesture_ = DrawingGesture{HighlighterMark{size, colour, {p}, scale}};
            break;
        case Tool::Mosaic:
            gesture_ = DrawingGesture{MosaicMark{mosaic_brush_width(size) * scale, mosaic_block(size) * scale, {p}}};
            break;
        case Tool::Redact:
            gesture_ = DrawingGesture{RedactMark{p, p, colour}};
            break;
        case Tool::Number:
            gesture_ = DrawingGesture{NumberMark{next_marker_number(), p, size, colour, scale}};
            break;
    }
    return {EditorAction::Redraw};
}

EditorOutcome Editor::pointer_move(double x, double y, bool shift) {
    last_pointer_ = {x, y};
    if (std::holds_alternative<std::monostate>(gesture_)) return {};
    apply_move(last_pointer_, shift);
    return {EditorAction::Redraw};
}

EditorOutcome Editor::pointer_up(double x, double y, bool shift) {
    last_pointer_ = {x, y};
    if (std::holds_alternative<std::monostate>(gesture_)) return {};
    apply_move(last_pointer_, shift);
    finish_gesture();
    return {EditorAction::Redraw};
}

void Editor::finish_gesture() {
    if (auto* g = std::get_if<ReshapingGesture>(&gesture_)) {
        if (g->index < annotations_.size() && annotations_[g->index] != g->start)
            record(ReplacedEntry{std::move(g->start), g->index});
    } else if (auto* g = std::get_if<MovingAnnotationGesture>(&gesture_)) {
        if (g->index < annotations_.size() && (g->dx != 0.0 || g->dy != 0.0)) {
            // A translation is undone by the opposite one; where rounding would make
            // that inexact, the history keeps the whole start value instead.
            if (translated(annotations_[g->index], -g->dx, -g->dy) == g->start)
                record(MovedEntry{g->index, g->dx, g->dy});
            else
                record(ReplacedEntry{std::move(g->start), g->index});
        }
    } else if (auto* g = std::get_if<DrawingGesture>(&gesture_)) {
        if (big_enough(g->annotation)) {
            const AnnotationKind kind = kind_of(g->annotation);
            annotations_.push_back(std::move(g->annotation));
            record(AddedEntry{});
            if (is_stroke(kind))
                selected_.reset();
            else
                selected_ = annotations_.size() - 1;
        }
    }
    gesture_ = std::monostate{};
}

void Editor::abandon_gesture() {
    if (auto* g = std::get_if<ReshapingGesture>(&gesture_)) {
        if (g->index < annotations_.size()) annotations_[g->index] = std::move(g->start);
    } else if (auto* g = std::get_if<MovingAnnotationGesture>(&gesture_)) {
        if (g->index < annotations_.size()) annotations_[g->index] = std::move(g->start);
    }
    gesture_ = std::monostate{};
}

EditorOutcome Editor::double_click(double x, double y) {
    const Point p{x, y};
    if (!inside(selection_, p)) return {};
    if (auto hit = annotation_at(x, y)) {
        if (const auto* text = std::get_if<TextMark>(&annotations_[*hit])) {
            text_edit_index_ = *hit;
            return {EditorAction::EditTextBox,
                    TextBoxRequest{{text->box.x, text->box.y}, *hit, text->text, size_step(text->size), text->colour,
                                   text->scale, text->background}};
        }
    }
    return confirm();
}

std::optional<Handle> Editor::selection_handle_at(double x, double y) const {
    const auto handles = rect_handles(selection_);
    return hit_handle({handles.begin(), handles.end()}, {x, y}, at_scale(SELECTION_HANDLE_TOLERANCE, ui_scale_));
}

std::optional<Handle> Editor::annotation_handle_at(double x, double y) const {
    return hit_handle(selected_annotation_handles(), {x, y}, at_scale(ANNOTATION_HANDLE_TOLERANCE, ui_scale_));
}

std::optional<std::size_t> Editor::annotation_at(double x, double y) const {
    return hit_annotation(annotations_, selection_, {x, y}, ui_scale_);
}

std::array<HandlePoint, 8> Editor::selection_handles() const { return rect_handles(selection_); }

std::vector<HandlePoint> Editor::selected_annotation_handles() const {
    if (!selected_ || *selected_ >= annotations_.size()) return {};
    return annotation_handles(annotations_[*selected_]);
}

}  // namespace kestrix
