// Undo and redo, and the text box results that add or replace Text annotations.
#include <utility>

#include "kestrix/editor.h"
#include "kestrix/ui_scale.h"

namespace kestrix {
namespace {

bool is_white_space(char32_t c) {
    return (c >= 0x09 && c <= 0x0d) || c == 0x20 || c == 0x85 || c == 0xa0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200a) || c == 0x2028 || c == 0x2029 || c == 0x202f || c == 0x205f ||
           c == 0x3000;
}

// Decodes one UTF-8 sequence at `i`; malformed input yields a non-space value.
char32_t next_code_point(std::string_view s, std::size_t& i) {
    const unsigned char lead = static_cast<unsigned char>(s[i++]);
    if (lead < 0x80) return lead;
    int extra = lead >= 0xf0 ? 3 : lead >= 0xe0 ? 2 : lead >= 0xc0 ? 1 : -1;
    if (extra < 0) return 0xfffd;
    char32_t c = lead & (0x3f >> extra);
    for (; extra > 0; --extra) {
        if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xc0) != 0x80) return 0xfffd;
        c = (c << 6) | (static_cast<unsigned char>(s[i++]) & 0x3f);
    }
    return c;
}

void apply_moved(std::vector<Annotation>& annotations, const MovedEntry& m, double sign) {
    if (m.index < annotations.size())
        annotations[m.index] = translated(annotations[m.index], sign * m.dx, sign * m.dy);
}

}  // namespace

bool is_blank_text(std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size();)
        if (!is_white_space(next_code_point(utf8, i))) return false;
    return true;
}

void Editor::record(UndoEntry entry) {
    redo_.clear();
    undo_.push_back(std::move(entry));
}

void Editor::forget_stale_selection() {
    if (selected_ && *selected_ >= annotations_.size()) selected_.reset();
}

EditorOutcome Editor::undo() {
    // A key pressed in the middle of a drag: the drag is dropped first, so that
    // the list matches the history before the history is applied to it.
    abandon_gesture();
    if (undo_.empty()) return {EditorAction::Redraw};
    UndoEntry entry = std::move(undo_.back());
    undo_.pop_back();
    if (auto* r = std::get_if<ReplacedEntry>(&entry)) {
        if (r->index < annotations_.size()) std::swap(r->value, annotations_[r->index]);
    } else if (auto* a = std::get_if<AddedEntry>(&entry)) {
        if (!annotations_.empty()) {
            a->removed = std::move(annotations_.back());
            annotations_.pop_back();
        }
    } else if (auto* m = std::get_if<MovedEntry>(&entry)) {
        apply_moved(annotations_, *m, -1.0);
    }
    redo_.push_back(std::move(entry));
    forget_stale_selection();
    return {EditorAction::Redraw};
}

EditorOutcome Editor::redo() {
    abandon_gesture();
    if (redo_.empty()) return {EditorAction::Redraw};
    UndoEntry entry = std::move(redo_.back());
    redo_.pop_back();
    if (auto* r = std::get_if<ReplacedEntry>(&entry)) {
        if (r->index < annotations_.size()) std::swap(r->value, annotations_[r->index]);
    } else if (auto* a = std::get_if<AddedEntry>(&entry)) {
        if (a->removed) annotations_.push_back(std::move(*a->removed));
        a->removed.reset();
    } else if (auto* m = std::get_if<MovedEntry>(&entry)) {
        apply_moved(annotations_, *m, 1.0);
    }
    undo_.push_back(std::move(entry));
    forget_stale_selection();
    return {EditorAction::Redraw};
}

EditorOutcome Editor::text_committed(std::string text, const Point& anchor, std::optional<std::size_t> index,
                                     const MeasureText& measure) {
    text_edit_index_.reset();
    if (is_blank_text(text)) return {};
    const auto extent = [&](const TextMark& mark) { return measure ? measure(text, font_size(mark)) : TextExtent{}; };

    if (!index) {
        TextMark mark{{anchor.x, anchor.y, 0, 0}, sizeIndex(), colour(), {}, scale_factor(ui_scale_), text_background()};
        const TextExtent e = extent(mark);
        mark.box.width = e.width;
        mark.box.height = e.height;
        mark.text = std::move(text);
        annotations_.push_back(std::move(mark));
        record(AddedEntry{});
        return {EditorAction::Redraw};
    }

    // The annotation may only be replaced by a text of its own place, size and colour.
    if (*index >= annotations_.size()) return {};
    const auto* old = std::get_if<TextMark>(&annotations_[*index]);
    if (!old) return {};
    const TextExtent e = extent(*old);
    TextMark edited{{old->box.x, old->box.y, e.width, e.height}, old->size, old->colour, std::move(text), old->scale,
                    old->background};
    if (edited == *old) return {};
    Annotation previous = std::exchange(annotations_[*index], Annotation{std::move(edited)});
    record(ReplacedEntry{std::move(previous), *index});
    return {EditorAction::Redraw};
}

void Editor::text_cancelled() { text_edit_index_.reset(); }

}  // namespace kestrix
