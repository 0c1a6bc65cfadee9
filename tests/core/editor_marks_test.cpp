// The line, highlighter and redaction tools, text on a background box, and how
// the editor keeps each tool's colour and size.
#include <gtest/gtest.h>

#include <cmath>

#include "kestrix/editor.h"

using namespace kestrix;

namespace {

const Rect DESKTOP{0, 0, 1000, 800};
const Rect SELECTION{100, 100, 400, 300};

Editor editor_with(Tool tool) {
    Editor e(SELECTION, DESKTOP);
    e.select_tool(int(tool));
    return e;
}

void drag(Editor& e, Point from, Point to, bool shift = false) {
    e.pointer_down(from.x, from.y);
    e.pointer_move((from.x + to.x) / 2, (from.y + to.y) / 2, shift);
    e.pointer_move(to.x, to.y, shift);
    e.pointer_up(to.x, to.y, shift);
}

TextExtent measure(std::string_view text, uint32_t step) { return {10.0 * double(text.size()), 1.4 * text_size(step)}; }

template <class T>
const T& at(const Editor& e, std::size_t i) {
    return std::get<T>(e.annotations().at(i));
}

}  // namespace

TEST(EditorLine, DrawnInTheToolsColourAndSizeWithTwoEndHandles) {
    Editor e = editor_with(Tool::Line);
    e.select_colour(4);
    e.select_size(2);
    drag(e, {150, 150}, {250, 190});
    ASSERT_EQ(e.annotations().size(), 1u);
    EXPECT_EQ(at<LineMark>(e, 0), (LineMark{{150, 150}, {250, 190}, 2, PALETTE[4]}));
    EXPECT_EQ(e.selected(), 0u) << "a new line is selected, as an arrow is";
    const auto handles = e.selected_annotation_handles();
    ASSERT_EQ(handles.size(), 2u) << "no bend handle";
    EXPECT_EQ(handles[0], (HandlePoint{Handle::ArrowStart, {150, 150}}));
    EXPECT_EQ(handles[1], (HandlePoint{Handle::ArrowEnd, {250, 190}}));

    // Shorter than 3 units is a click; the end is clamped into the selection.
    drag(e, {300, 300}, {302, 301});
    EXPECT_EQ(e.annotations().size(), 1u);
    drag(e, {300, 300}, {900, 300});
    EXPECT_EQ(at<LineMark>(e, 1).end, (Point{500, 300}));

    // Shift snaps the angle while drawing.
    drag(e, {200, 300}, {300, 310}, true);
    EXPECT_NEAR(at<LineMark>(e, 2).end.y, 300, 1e-9);
    EXPECT_NEAR(at<LineMark>(e, 2).end.x, 200 + std::hypot(100.0, 10.0), 1e-9);
}

TEST(EditorLine, HitNearTheSegmentOnlyAndReshapedByEitherEnd) {
    Editor e = editor_with(Tool::Line);  // size step 1: 4 wide, tolerance 5 + 2
    drag(e, {150, 200}, {350, 200});
    EXPECT_EQ(e.annotation_at(250, 207), 0u);
    EXPECT_FALSE(e.annotation_at(250, 208));
    EXPECT_FALSE(e.annotation_at(360, 200)) << "past the end by more than the tolerance";
    EXPECT_EQ(e.annotation_at(356, 200), 0u) << "round past the end within it";

    // Grabbed by its middle it moves.
    drag(e, {250, 200}, {260, 230});
    EXPECT_EQ(at<LineMark>(e, 0), (LineMark{{160, 230}, {360, 230}, 1, PALETTE[0]}));

    // The end handle moves the end; Shift snaps it around the start.
    e.pointer_down(360, 230);
    e.pointer_move(310, 360, true);
    e.pointer_up(310, 360, true);
    const LineMark line = at<LineMark>(e, 0);
    EXPECT_EQ(line.start, (Point{160, 230}));
    EXPECT_NEAR(line.end.x - 160, line.end.y - 230, 1e-9) << "45 degrees";
    EXPECT_GT(line.end.x, 260.0);
    e.undo();
    EXPECT_EQ(at<LineMark>(e, 0).end, (Point{360, 230}));
    e.redo();
    EXPECT_EQ(at<LineMark>(e, 0), line);
}

TEST(EditorHighlighter, StrokesAreKeptLikePenStrokesAndNeverHit) {
    Editor e = editor_with(Tool::Highlighter);
    EXPECT_EQ(e.colour(), PALETTE[2]) << "a highlighter starts yellow";
    e.pointer_down(150, 150);
    for (int x = 160; x <= 300; x += 10) e.pointer_move(x, 150 + (x % 20), false);
    e.pointer_up(300, 150, false);
    ASSERT_EQ(e.annotations().size(), 1u);
    const auto& h = at<HighlighterMark>(e, 0);
    EXPECT_EQ(h.colour, PALETTE[2]);
    EXPECT_EQ(h.size, 1u);
    EXPECT_GE(h.points.size(), 10u);
    EXPECT_FALSE(e.selected()) << "strokes leave nothing selected";
    EXPECT_FALSE(e.annotation_at(200, 150)) << "not hit-tested: a press starts another stroke";
    EXPECT_DOUBLE_EQ(visualBounds(e.annotations()[0]).x, 150 - highlighter_width(1) / 2);

    // Shift makes it straight, snapped like the pen.
    e.pointer_down(150, 300);
    e.pointer_move(200, 320, false);
    e.pointer_move(260, 352, true);
    e.pointer_up(260, 352, true);
    const auto& straight = at<HighlighterMark>(e, 1);
    ASSERT_EQ(straight.points.size(), 2u);
    EXPECT_NEAR(straight.points[1].x - 150, straight.points[1].y - 300, 1e-9);

    // A single point is no stroke; undo takes strokes back one at a time.
    drag(e, {400, 300}, {400, 300});
    EXPECT_EQ(e.annotations().size(), 2u);
    e.undo();
    EXPECT_EQ(e.annotations().size(), 1u);
}

TEST(EditorRedact, DrawnBlackByDefaultSquaredWithShiftAndReshapedLikeARectangle) {
    Editor e = editor_with(Tool::Redact);
    EXPECT_EQ(e.colour(), PALETTE[7]);
    drag(e, {300, 300}, {250, 280}, true);
    ASSERT_EQ(e.annotations().size(), 1u);
    EXPECT_EQ(at<RedactMark>(e, 0), (RedactMark{{300, 300}, {250, 250}, PALETTE[7]}));
    ASSERT_EQ(e.selected(), 0u);
    EXPECT_EQ(e.selected_annotation_handles().size(), 8u);

    // Dragging the top-left corner past the opposite one flips the box, never below 8 x 8.
    e.pointer_down(250, 250);
    e.pointer_move(303, 330, false);
    e.pointer_up(303, 330, false);
    EXPECT_EQ(at<RedactMark>(e, 0), (RedactMark{{300, 300}, {308, 330}, PALETTE[7]}));
    e.undo();
    EXPECT_EQ(at<RedactMark>(e, 0).end, (Point{250, 250}));

    // Too small to hide anything: a click adds nothing.
    drag(e, {400, 350}, {402, 390});
    EXPECT_EQ(e.annotations().size(), 1u);
}

TEST(EditorRedact, HitAllOverAndBeforeWhatIsDrawnLaterUnderIt) {
    Editor e = editor_with(Tool::Redact);
    drag(e, {200, 200}, {300, 260});
    e.select_tool(int(Tool::Rectangle));
    drag(e, {150, 150}, {400, 350});  // a rectangle around it
    drag(e, {190, 210}, {290, 250});  // one drawn later, its left edge beside the redaction
    ASSERT_EQ(e.annotations().size(), 3u);
    EXPECT_EQ(e.annotation_at(250, 230), 0u) << "a redaction is solid";
    EXPECT_EQ(e.annotation_at(250, 210), 0u) << "the later rectangle's outline under the redaction is hidden";
    EXPECT_EQ(e.annotation_at(196, 230), 0u) << "the slack around it";
    EXPECT_EQ(e.annotation_at(190, 230), 2u) << "beside it the later rectangle is hit as before";
    EXPECT_EQ(e.annotation_at(150, 230), 1u);

    // Moved by its middle, kept inside the selection.
    e.pointer_down(250, 230);
    e.pointer_move(600, 230, false);
    e.pointer_up(600, 230, false);
    EXPECT_EQ(at<RedactMark>(e, 0).end.x, 500.0);
    e.undo();
    EXPECT_EQ(at<RedactMark>(e, 0).end.x, 300.0);
}

TEST(EditorText, BackgroundSwitchGoesWithNewTextAndStaysWithEditedText) {
    Editor e = editor_with(Tool::Text);
    EXPECT_FALSE(e.text_background());
    EXPECT_EQ(e.toggle_text_background().action, EditorAction::Redraw);
    EXPECT_TRUE(e.text_background());
    const EditorOutcome open = e.pointer_down(200, 200);
    ASSERT_EQ(open.action, EditorAction::OpenTextBox);
    EXPECT_TRUE(open.text_box->background) << "the box shows the background while typing";
    e.text_committed("secret", open.text_box->anchor, std::nullopt, measure);
    ASSERT_EQ(e.annotations().size(), 1u);
    EXPECT_TRUE(at<TextMark>(e, 0).background);

    // Switched off afterwards: the next text is plain, the first keeps its box when edited.
    e.toggle_text_background();
    const EditorOutcome again = e.double_click(210, 205);
    ASSERT_EQ(again.action, EditorAction::EditTextBox);
    EXPECT_TRUE(again.text_box->background);
    e.text_committed("hidden", again.text_box->anchor, again.text_box->index, measure);
    EXPECT_TRUE(at<TextMark>(e, 0).background);
    EXPECT_EQ(at<TextMark>(e, 0).text, "hidden");
    e.text_committed("plain", {200, 300}, std::nullopt, measure);
    EXPECT_FALSE(at<TextMark>(e, 1).background);
    e.undo();
    e.undo();
    EXPECT_EQ(at<TextMark>(e, 0).text, "secret");
    EXPECT_TRUE(at<TextMark>(e, 0).background);
}

TEST(EditorToolSettings, EachToolKeepsItsOwnColourAndSize) {
    Editor e = editor_with(Tool::Pen);
    e.select_colour(3);
    e.select_size(2);
    e.select_tool(int(Tool::Arrow));
    EXPECT_EQ(e.colour(), PALETTE[0]) << "the arrow was never set";
    EXPECT_EQ(e.sizeIndex(), 1u);
    e.select_colour(5);
    drag(e, {150, 150}, {250, 250});
    EXPECT_EQ(at<ArrowMark>(e, 0).colour, PALETTE[5]);
    e.select_tool(int(Tool::Pen));
    EXPECT_EQ(e.colour(), PALETTE[3]);
    EXPECT_EQ(e.sizeIndex(), 2u);
    drag(e, {150, 300}, {250, 320});
    EXPECT_EQ(at<PenMark>(e, 1).colour, PALETTE[3]);
    EXPECT_EQ(at<PenMark>(e, 1).size, 2u);

    // The mosaic's brush and blocks follow its own size.
    e.select_tool(int(Tool::Mosaic));
    e.select_size(0);
    drag(e, {300, 300}, {350, 300});
    EXPECT_EQ(at<MosaicMark>(e, 2).brush_width, 8.0);
    EXPECT_EQ(at<MosaicMark>(e, 2).block_size, 6.0);

    // With no tool a choice belongs to no tool.
    e.select_tool(int(Tool::Mosaic));
    ASSERT_FALSE(e.tool());
    e.select_colour(6);
    e.select_tool(int(Tool::Pen));
    EXPECT_EQ(e.colour(), PALETTE[3]);
}

TEST(EditorToolSettings, SizeStepsOneAtATimeWithinTheTable) {
    Editor e = editor_with(Tool::Pen);
    EXPECT_EQ(e.step_size(1).action, EditorAction::Redraw);
    EXPECT_EQ(e.sizeIndex(), 2u);
    EXPECT_EQ(e.step_size(1).action, EditorAction::None) << "already the largest";
    EXPECT_EQ(e.step_size(-5).action, EditorAction::Redraw) << "one step whatever the delta";
    EXPECT_EQ(e.sizeIndex(), 1u);
    e.step_size(-1);
    EXPECT_EQ(e.step_size(-1).action, EditorAction::None);
    EXPECT_EQ(e.sizeIndex(), 0u);
}

TEST(EditorToolSettings, AnEditorStartsWithTheToolsTheLastOneLeft) {
    Editor first = editor_with(Tool::Highlighter);
    first.select_colour(1);
    first.select_size(0);
    first.select_tool(int(Tool::Text));
    first.toggle_text_background();
    first.select_size(2);

    const ToolSettings kept = first.tool_settings();
    Editor next({50, 60, 200, 100}, DESKTOP, kept);
    EXPECT_EQ(next.tool(), Tool::Text);
    EXPECT_EQ(next.sizeIndex(), 2u);
    EXPECT_TRUE(next.text_background());
    EXPECT_TRUE(next.annotations().empty());
    EXPECT_FALSE(next.backdrop()) << "the backdrop is per capture";
    next.select_tool(int(Tool::Highlighter));
    EXPECT_EQ(next.colour(), PALETTE[1]);
    EXPECT_EQ(next.sizeIndex(), 0u);
    EXPECT_EQ(next.tool_settings().styles, kept.styles);

    // The defaults: no tool, every tool at step 1 in the first colour, but yellow
    // for the highlighter and the palette's black for redactions.
    const ToolSettings fresh;
    EXPECT_FALSE(fresh.tool);
    for (int t = 0; t < TOOL_COUNT; ++t) {
        EXPECT_EQ(fresh.styles[size_t(t)].size, 1u) << t;
        EXPECT_FALSE(fresh.styles[size_t(t)].text_background) << t;
    }
    EXPECT_EQ(fresh.styles[size_t(Tool::Rectangle)].colour, PALETTE[0]);
    EXPECT_EQ(fresh.styles[size_t(Tool::Highlighter)].colour, PALETTE[2]);
    EXPECT_EQ(fresh.styles[size_t(Tool::Redact)].colour, PALETTE[7]);

    // Settings from elsewhere are held to the tables.
    ToolSettings odd;
    odd.tool = Tool(42);
    odd.styles[size_t(Tool::Pen)].size = 9;
    Editor held(SELECTION, DESKTOP, odd);
    EXPECT_FALSE(held.tool());
    held.select_tool(int(Tool::Pen));
    EXPECT_EQ(held.sizeIndex(), 2u);
    EXPECT_EQ(held.tool_settings().styles[size_t(Tool::Pen)].size, 2u);
}
