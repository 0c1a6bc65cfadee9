// Long random mixes of gestures, keys, edits, undo and redo, checked against the
// invariants the overlay relies on and against a record of every history state.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <random>
#include <vector>

#include "kestrix/editor.h"
#include "kestrix/selection.h"

using namespace kestrix;

namespace {

// mt19937 is the same everywhere; the mapping to ranges is ours, so every
// standard library replays the same sequence.
class Dice {
public:
    explicit Dice(uint32_t seed) : gen_(seed) {}
    int below(int n) { return int(gen_() % uint32_t(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    bool chance(int percent) { return below(100) < percent; }

private:
    std::mt19937 gen_;
};

const Rect DESKTOP{-300, -200, 1600, 1000};

TextExtent measure(std::string_view text, double pixel_size) { return {7.5 * double(text.size()), 1.4 * pixel_size}; }

bool inside_bounds(const Rect& r, const Rect& bounds) {
    return r.x >= bounds.x && r.y >= bounds.y && r.right() <= bounds.right() && r.bottom() <= bounds.bottom();
}

// A point where something interesting is likely: a handle, an annotation, the
// selection, or anywhere on the desktop.
Point pick_point(Dice& d, const Editor& e) {
    const Rect& s = e.selection();
    switch (d.below(6)) {
        case 0: {
            const auto h = e.selection_handles()[std::size_t(d.below(8))].centre;
            return {h.x + d.between(-8, 8), h.y + d.between(-8, 8)};
        }
        case 1: {
            const auto handles = e.selected_annotation_handles();
            if (handles.empty()) break;
            const Point h = handles[std::size_t(d.below(int(handles.size())))].centre;
            return {std::round(h.x) + d.between(-4, 4), std::round(h.y) + d.between(-4, 4)};
        }
        case 2: {
            if (e.annotations().empty()) break;
            const Box b = visualBounds(e.annotations()[std::size_t(d.below(int(e.annotations().size())))]);
            return {std::round(b.x + d.below(int(b.width) + 1)), std::round(b.y + d.below(int(b.height) + 1))};
        }
        case 3:
            return {double(d.between(DESKTOP.x - 50, int(DESKTOP.right()) + 50)),
                    double(d.between(DESKTOP.y - 50, int(DESKTOP.bottom()) + 50))};
        default:
            break;
    }
    return {double(d.between(s.x - 20, int(s.right()) + 20)), double(d.between(s.y - 20, int(s.bottom()) + 20))};
}

// Returns whether an undo or redo came in the middle of the drag.
bool random_gesture(Dice& d, Editor& e, bool undo_midway) {
    bool history = false;
    Point p = pick_point(d, e);
    e.pointer_down(p.x, p.y);
    const int moves = d.below(6);
    for (int i = 0; i < moves; ++i) {
        p = {p.x + d.between(-60, 60), p.y + d.between(-60, 60)};
        e.pointer_move(p.x, p.y, d.chance(25));
        if (undo_midway && i == moves / 2) {
            d.chance(50) ? e.undo() : e.redo();
            history = true;
        }
    }
    if (d.chance(10)) p = pick_point(d, e);
    e.pointer_up(p.x, p.y, d.chance(25));
    return history;
}

const char* const TEXTS[] = {"note", "  ", "Größe", "a", "\u3000", "longer text here"};

class Recorder {
public:
    // Every annotation change must come with exactly one new history entry, and
    // undo and redo must bring back exactly the state seen at that depth.
    void check_or_record(const Editor& e, std::size_t depth_before, bool was_history_step) {
        const std::size_t depth = e.undo_stack().size();
        if (!was_history_step && depth == depth_before + 1) {
            ++kinds_[e.undo_stack().back().index()];
            seen_.resize(depth + 1);  // the redo stack is gone, and with it the deeper states
            seen_[depth] = e.annotations();
            return;
        }
        ASSERT_TRUE(was_history_step || depth == depth_before) << "an edit removed history entries";
        ASSERT_LT(depth, seen_.size());
        ASSERT_EQ(e.annotations(), seen_[depth]) << "state at history depth " << depth;
    }
    const std::vector<Annotation>& at(std::size_t depth) const { return seen_.at(depth); }
    std::size_t deepest() const { return seen_.size() - 1; }
    // How many Replaced, Added and Moved entries the run produced.
    const std::array<int, 3>& kinds() const { return kinds_; }

private:
    std::array<int, 3> kinds_{};
    std::vector<std::vector<Annotation>> seen_{{}};
};

void run_sequence(uint32_t seed, int steps) {
    Dice d(seed);
    Editor e({100, 100, 500, 400}, DESKTOP);
    Recorder rec;
    for (int step = 0; step < steps; ++step) {
        SCOPED_TRACE(testing::Message() << "seed " << seed << " step " << step);
        const std::size_t depth_before = e.undo_stack().size();
        bool history_step = false;
        const int what = d.below(100);
        if (what < 8) {
            e.select_tool(d.below(8));
        } else if (what < 11) {
            e.select_colour(d.below(10));
        } else if (what < 14) {
            e.select_size(d.below(4));
        } else if (what < 55) {
            history_step = random_gesture(d, e, d.chance(4));
        } else if (what < 62) {
            const int dir = d.below(4);
            const int dx = dir == 0 ? -1 : dir == 1 ? 1 : 0, dy = dir == 2 ? -1 : dir == 3 ? 1 : 0;
            if (d.chance(50))
                e.nudge(dx * d.between(1, 40), dy * d.between(1, 40));
            else
                e.grow_or_shrink(dx, dy, d.chance(50));
        } else if (what < 70) {
            const Point p = pick_point(d, e);
            const EditorOutcome o = e.double_click(p.x, p.y);
            const char* text = TEXTS[d.below(6)];
            if (o.action == EditorAction::EditTextBox)
                e.text_committed(text, o.text_box->anchor, o.text_box->index, measure);
            else if (d.chance(50))
                e.text_committed(text, p, std::nullopt, measure);
        } else if (what < 85) {
            e.undo();
            history_step = true;
        } else {
            e.redo();
            history_step = true;
        }

        const Rect& s = e.selection();
        ASSERT_TRUE(inside_bounds(s, DESKTOP)) << s.x << "," << s.y << " " << s.width << "x" << s.height;
        ASSERT_GE(s.width, 1);
        ASSERT_GE(s.height, 1);
        ASSERT_TRUE(std::holds_alternative<std::monostate>(e.gesture()));
        ASSERT_EQ(e.in_progress(), nullptr);
        if (e.selected()) {
            ASSERT_LT(*e.selected(), e.annotations().size());
        }
        rec.check_or_record(e, depth_before, history_step);
        if (testing::Test::HasFatalFailure()) return;
    }

    // The mix must really have reshaped, added and moved annotations.
    EXPECT_GT(rec.kinds()[0], 20) << "reshapes and text edits";
    EXPECT_GT(rec.kinds()[1], 100) << "additions";
    EXPECT_GT(rec.kinds()[2], 20) << "moves";
    std::printf("seed %u: %d replaced, %d added, %d moved, %zu annotations at the end\n", seed, rec.kinds()[0],
                rec.kinds()[1], rec.kinds()[2], e.annotations().size());

    // Undo everything, then redo everything.
    const std::vector<Annotation> final_state = e.annotations();
    const std::size_t depth = e.undo_stack().size();
    while (e.can_undo()) e.undo();
    ASSERT_TRUE(e.annotations().empty());
    EXPECT_EQ(e.annotations(), rec.at(0));
    for (std::size_t i = 0; i < depth; ++i) e.redo();
    EXPECT_EQ(e.annotations(), final_state);
    while (e.can_redo()) e.redo();
    EXPECT_EQ(e.annotations(), rec.at(rec.deepest()));
}

}  // namespace

TEST(EditorSequence, RandomMixesKeepTheSelectionValidAndTheHistoryExact) {
    for (uint32_t seed : {1u, 20240611u, 77u}) {
        run_sequence(seed, 4000);
        if (HasFatalFailure()) return;
    }
}

TEST(EditorSequence, ResizingNeverGoesBelowFourByFour) {
    Dice d(5);
    Editor e({100, 100, 300, 200}, DESKTOP);
    for (int step = 0; step < 3000; ++step) {
        const auto handles = e.selection_handles();
        const Point h = handles[std::size_t(d.below(8))].centre;
        e.pointer_down(h.x, h.y);
        ASSERT_TRUE(std::holds_alternative<ResizingSelectionGesture>(e.gesture())) << "step " << step;
        for (int i = 0; i < 4; ++i) {
            e.pointer_move(d.between(DESKTOP.x - 100, int(DESKTOP.right()) + 100),
                           d.between(DESKTOP.y - 100, int(DESKTOP.bottom()) + 100), false);
            const Rect& s = e.selection();
            ASSERT_TRUE(inside_bounds(s, DESKTOP)) << "step " << step;
            ASSERT_GE(s.width, 4);
            ASSERT_GE(s.height, 4);
        }
        e.pointer_up(e.last_pointer().x, e.last_pointer().y, false);
    }
}

TEST(SelectingSequence, AnySelectionLiesOnTheDesktop) {
    Dice d(9);
    SelectionModel m;
    m.bounds = DESKTOP;
    m.monitors = {{0, 0, 1000, 800}, {-300, -200, 300, 600}};
    for (int i = 0; i < 12; ++i)
        m.windows.push_back({d.between(-400, 1200), d.between(-300, 900), d.between(1, 600), d.between(1, 500)});
    int selections = 0;
    for (int round = 0; round < 3000; ++round) {
        SelectingGesture g;
        auto random_x = [&] { return d.between(-500, 1500); };
        auto random_y = [&] { return d.between(-400, 1000); };
        selecting_move(g, m, random_x(), random_y());
        selecting_press(g, m, g.cursor.x, g.cursor.y);
        for (int i = d.below(4); i > 0; --i) {
            selecting_move(g, m, g.cursor.x + d.between(-6, 6), g.cursor.y + d.between(-6, 6));
            if (auto shown = displayed_rect(g)) {
                ASSERT_GE(shown->width, 1);
            }
        }
        const auto sel = selecting_release(g, m, g.cursor.x + d.between(-3, 30), g.cursor.y + d.between(-3, 30));
        ASSERT_FALSE(g.dragging);
        if (!sel) continue;
        ++selections;
        ASSERT_TRUE(inside_bounds(*sel, DESKTOP)) << "round " << round;
        ASSERT_FALSE(sel->empty());
        const Editor e = start_editing(m, *sel);
        ASSERT_EQ(e.selection(), *sel);
    }
    EXPECT_GT(selections, 1000) << "the rounds should mostly end in a selection";
}
