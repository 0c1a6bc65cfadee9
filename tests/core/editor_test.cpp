#include "kestrix/editor.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace kestrix;

namespace {

const Rect DESKTOP{0, 0, 1000, 800};
const Rect SELECTION{100, 100, 400, 300};

Editor editor_with(std::optional<Tool> tool) {
    Editor e(SELECTION, DESKTOP);
    if (tool) e.select_tool(int(*tool));
    return e;
}

void drag(Editor& e, Point from, Point to, bool shift = false) {
    e.pointer_down(from.x, from.y);
    e.pointer_move((from.x + to.x) / 2, (from.y + to.y) / 2, shift);
    e.pointer_move(to.x, to.y, shift);
    e.pointer_up(to.x, to.y, shift);
}

void click(Editor& e, Point at) { drag(e, at, at); }

// A stand-in for the drawing code's text measurement: 10 px per byte, 1.4 lines high.
TextExtent measure(std::string_view text, double pixel_size) { return {10.0 * double(text.size()), 1.4 * pixel_size}; }

template <class T>
const T& at(const Editor& e, std::size_t i) {
    return std::get<T>(e.annotations().at(i));
}

}  // namespace

TEST(EditorTools, SameToolTwiceMeansNoToolAndADragThenMovesTheSelection) {
    Editor e = editor_with(Tool::Rectangle);
    EXPECT_EQ(e.tool(), Tool::Rectangle);
    EXPECT_EQ(e.select_tool(int(Tool::Rectangle)).action, EditorAction::Redraw);
    EXPECT_FALSE(e.tool());
    drag(e, {200, 200}, {230, 190});
    EXPECT_EQ(e.selection(), (Rect{130, 90, 400, 300}));
    EXPECT_TRUE(e.annotations().empty());
    EXPECT_EQ(e.select_tool(TOOL_COUNT).action, EditorAction::None);
    EXPECT_EQ(e.select_tool(-1).action, EditorAction::None);
}

TEST(EditorTools, ColourAndSizeAreClampedToTheirTables) {
    Editor e = editor_with(std::nullopt);
    e.select_colour(12);
    EXPECT_EQ(e.colour(), 0xff212121u);
    e.select_colour(4);
    EXPECT_EQ(e.colour(), 0xffe5881eu);
    e.select_size(9);
    EXPECT_EQ(e.sizeIndex(), 2u);
    e.select_size(-3);
    EXPECT_EQ(e.sizeIndex(), 0u);
    e.toggle_backdrop();
    EXPECT_TRUE(e.backdrop());
}

TEST(EditorDrawing, ClickAddsNothingWithRectangleButAMarkerWithNumber) {
    Editor rect = editor_with(Tool::Rectangle);
    click(rect, {200, 200});
    EXPECT_TRUE(rect.annotations().empty());
    EXPECT_FALSE(rect.can_undo());

    Editor num = editor_with(Tool::Number);
    click(num, {200, 200});
    ASSERT_EQ(num.annotations().size(), 1u);
    EXPECT_EQ(at<NumberMark>(num, 0).number, 1u);
    EXPECT_EQ(at<NumberMark>(num, 0).centre, (Point{200, 200}));
    EXPECT_EQ(num.selected(), 0u);
}

TEST(EditorDrawing, MarkerNumbersFreedByUndoAreGivenAgain) {
    Editor e = editor_with(Tool::Number);
    click(e, {150, 150});
    click(e, {250, 150});
    click(e, {350, 150});
    EXPECT_EQ(at<NumberMark>(e, 2).number, 3u);
    e.undo();
    EXPECT_EQ(e.annotations().size(), 2u);
    EXPECT_FALSE(e.selected()) << "the selected marker went away with the undo";
    click(e, {350, 250});
    EXPECT_EQ(at<NumberMark>(e, 2).number, 3u);
}

TEST(EditorDrawing, ShapesAreClampedIntoTheSelectionAndNeedThreeUnits) {
    Editor e = editor_with(Tool::Ellipse);
    drag(e, {200, 200}, {900, 202});
    EXPECT_TRUE(e.annotations().empty()) << "2 units high is too thin";
    drag(e, {200, 200}, {900, 700});
    ASSERT_EQ(e.annotations().size(), 1u);
    EXPECT_EQ(at<EllipseMark>(e, 0).end, (Point{500, 400}));

    e.select_tool(int(Tool::Arrow));
    drag(e, {200, 200}, {202, 202});
    EXPECT_EQ(e.annotations().size(), 1u) << "an arrow shorter than 3 is dropped";
}

TEST(EditorDrawing, ShiftSquaresBoxesAndSnapsAngles) {
    Editor e = editor_with(Tool::Rectangle);
    drag(e, {300, 300}, {250, 280}, true);
    EXPECT_EQ(at<RectangleMark>(e, 0).end, (Point{250, 250}));

    e.select_tool(int(Tool::Arrow));
    drag(e, {200, 200}, {300, 210}, true);
    const ArrowMark& a = at<ArrowMark>(e, 1);
    EXPECT_NEAR(a.end.x, 200 + std::hypot(100.0, 10.0), 1e-9);
    EXPECT_NEAR(a.end.y, 200, 1e-9);

    e.select_tool(int(Tool::Pen));
    e.pointer_down(200, 300);
    e.pointer_move(220, 310, false);
    e.pointer_move(240, 330, false);
    e.pointer_move(260, 362, true);
    e.pointer_up(260, 362, true);
    const PenMark& pen = at<PenMark>(e, 2);
    ASSERT_EQ(pen.points.size(), 2u) << "Shift turns the stroke into one straight segment";
    EXPECT_NEAR(pen.points[1].x - 200, pen.points[1].y - 300, 1e-9) << "snapped to 45 degrees";
}

TEST(EditorDrawing, StrokesSkipTinyStepsAndSinglePointsAreDropped) {
    Editor e = editor_with(Tool::Pen);
    click(e, {200, 200});
    EXPECT_TRUE(e.annotations().empty());
    e.select_tool(int(Tool::Mosaic));
    e.pointer_down(200, 200);
    e.pointer_move(200.5, 200, false);
    e.pointer_move(201, 200, false);
    e.pointer_up(205, 200, false);
    ASSERT_EQ(e.annotations().size(), 1u);
    const MosaicMark& m = at<MosaicMark>(e, 0);
    EXPECT_EQ(m.points.size(), 3u);
    EXPECT_EQ(m.brush_width, 16.0);
    EXPECT_EQ(m.block_size, 10.0);
    EXPECT_FALSE(e.selected()) << "strokes are not selected after drawing";
}

TEST(EditorHit, PenStrokesAreNeverHit) {
    Editor e = editor_with(Tool::Pen);
    drag(e, {200, 200}, {300, 200});
    ASSERT_EQ(e.annotations().size(), 1u);
    EXPECT_FALSE(e.annotation_at(250, 200));
    e.pointer_down(250, 200);
    EXPECT_TRUE(std::holds_alternative<DrawingGesture>(e.gesture()));
    e.pointer_up(250, 200, false);
    e.select_tool(int(Tool::Pen));
    e.pointer_down(250, 200);
    EXPECT_TRUE(std::holds_alternative<MovingSelectionGesture>(e.gesture()));
}

TEST(EditorHit, RectangleOnlyOnItsOutlineAndLaterAnnotationsFirst) {
    Editor e = editor_with(Tool::Number);
    click(e, {250, 225});
    e.select_tool(int(Tool::Rectangle));
    drag(e, {150, 150}, {350, 300});  // thickness 4: tolerance 7
    EXPECT_EQ(e.annotation_at(250, 225), 0u) << "the middle falls through to the marker";
    EXPECT_EQ(e.annotation_at(150, 225), 1u);
    EXPECT_EQ(e.annotation_at(143, 225), 1u);
    EXPECT_FALSE(e.annotation_at(142, 225));
    EXPECT_EQ(e.annotation_at(156, 225), 1u);
    EXPECT_FALSE(e.annotation_at(157, 225));
    // A text added on top of the marker wins.
    e.text_committed("Hi", {240, 215}, std::nullopt, measure);
    EXPECT_EQ(e.annotation_at(250, 225), 2u);
    EXPECT_FALSE(e.annotation_at(99, 99)) << "outside the selection nothing is hit";
}

TEST(EditorHit, ThinRectangleIsAllOutline) {
    RectangleMark thin{{150, 150}, {154, 250}, 1, PALETTE[0]};
    EXPECT_TRUE(annotation_hit(thin, {157, 200}, 100));
    EXPECT_TRUE(annotation_hit(thin, {152, 200}, 100));
    EXPECT_FALSE(annotation_hit(thin, {162, 200}, 100));
}

TEST(EditorHit, EllipseArrowNumberAndTextShapes) {
    const EllipseMark ellipse{{100, 100}, {300, 200}, 0, PALETTE[0]};  // tolerance 6
    EXPECT_TRUE(annotation_hit(ellipse, {300, 150}, 100));
    EXPECT_TRUE(annotation_hit(ellipse, {200, 106}, 100));
    EXPECT_FALSE(annotation_hit(ellipse, {200, 150}, 100)) << "the centre is far from the outline";
    EXPECT_FALSE(annotation_hit(EllipseMark{{100, 100}, {100, 200}, 0, PALETTE[0]}, {100, 150}, 100));

    ArrowMark arrow{{100, 100}, {300, 100}, 0, PALETTE[0], Point{200, 300}};
    EXPECT_TRUE(annotation_hit(arrow, arrow_curve_midpoint(arrow), 100));
    EXPECT_FALSE(annotation_hit(arrow, {200, 100}, 100)) << "the straight line is not the bent arrow";
    arrow.bend.reset();
    EXPECT_TRUE(annotation_hit(arrow, {200, 106}, 100));
    EXPECT_FALSE(annotation_hit(arrow, {307, 100}, 100));

    const NumberMark marker{1, {50, 50}, 2, PALETTE[0]};  // diameter 44: radius of hit 27
    EXPECT_TRUE(annotation_hit(marker, {77, 50}, 100));
    EXPECT_FALSE(annotation_hit(marker, {78, 50}, 100));

    const TextMark text{{10, 10, 50, 20}, 1, PALETTE[0], "hi"};
    EXPECT_TRUE(annotation_hit(text, {5, 35}, 100));
    EXPECT_FALSE(annotation_hit(text, {66, 20}, 100));
}

TEST(EditorHandles, CornersWinOverEdgesAndTiesGoToTheLowerId) {
    const std::array<HandlePoint, 8> h = rect_handles({100, 100, 10, 10});
    const std::vector<HandlePoint> handles(h.begin(), h.end());
    EXPECT_EQ(hit_handle(handles, {104, 100}, 11), Handle::TopLeft);
    EXPECT_EQ(hit_handle(handles, {105, 100}, 11), Handle::TopLeft);
    EXPECT_EQ(hit_handle(handles, {111, 106}, 11), Handle::BottomRight);
    const std::array<HandlePoint, 8> big = rect_handles({100, 100, 400, 300});
    EXPECT_EQ(hit_handle({big.begin(), big.end()}, {300, 95}, 11), Handle::TopMiddle);
    EXPECT_EQ(hit_handle({big.begin(), big.end()}, {300, 88}, 11), std::nullopt);

    const ArrowMark arrow{{0, 0}, {100, 0}, 1, PALETTE[0], Point{50, 100}};
    const auto ah = annotation_handles(arrow);
    ASSERT_EQ(ah.size(), 3u);
    EXPECT_EQ(ah[2].centre, (Point{50, 50}));
    EXPECT_TRUE(annotation_handles(PenMark{}).empty());
}

TEST(EditorReshape, DraggingACornerPastTheOppositeFlipsButKeepsEightByEight) {
    Editor e = editor_with(Tool::Rectangle);
    drag(e, {150, 150}, {350, 300});
    ASSERT_EQ(e.selected(), 0u);
    EXPECT_EQ(e.annotation_handle_at(350, 300), Handle::BottomRight);
    drag(e, {350, 300}, {120, 130});
    EXPECT_EQ(at<RectangleMark>(e, 0).start, (Point{120, 130}));
    EXPECT_EQ(at<RectangleMark>(e, 0).end, (Point{150, 150}));
    drag(e, {120, 130}, {152, 153});  // now the top-left handle
    EXPECT_EQ(at<RectangleMark>(e, 0).start, (Point{150, 150}));
    EXPECT_EQ(at<RectangleMark>(e, 0).end, (Point{158, 158}));
    EXPECT_EQ(e.undo_stack().size(), 3u);
    e.undo();
    e.undo();
    EXPECT_EQ(at<RectangleMark>(e, 0).end, (Point{350, 300}));
}

TEST(EditorReshape, ShiftOnACornerMakesASquareFromTheOppositeCorner) {
    Editor e = editor_with(Tool::Ellipse);
    drag(e, {150, 150}, {350, 300});
    drag(e, {350, 300}, {400, 220}, true);
    EXPECT_EQ(at<EllipseMark>(e, 0).end, (Point{400, 400}));
}

TEST(EditorReshape, ReleasedWhereItStartedRecordsNothing) {
    Editor e = editor_with(Tool::Rectangle);
    drag(e, {150, 150}, {350, 300});
    drag(e, {350, 300}, {350, 300});
    EXPECT_EQ(e.undo_stack().size(), 1u);
}

TEST(EditorReshape, BendHandleBackOnTheMidpointStraightensTheArrow) {
    Editor e = editor_with(Tool::Arrow);
    drag(e, {150, 200}, {350, 200});
    drag(e, {250, 200}, {250, 150});
    const ArrowMark& bent = at<ArrowMark>(e, 0);
    ASSERT_TRUE(bent.bend);
    EXPECT_EQ(*bent.bend, (Point{250, 100}));
    EXPECT_EQ(arrow_curve_midpoint(bent), (Point{250, 150}));
    drag(e, {250, 150}, {250, 201});
    EXPECT_FALSE(at<ArrowMark>(e, 0).bend);
    // Dragging the end with Shift snaps it around the start.
    drag(e, {350, 200}, {300, 290}, true);
    const ArrowMark& a = at<ArrowMark>(e, 0);
    EXPECT_NEAR(a.end.y - 200, a.end.x - 150, 1e-9);
}

TEST(EditorMove, FittingAnnotationsStayInsideWiderOnesMoveFreely) {
    Editor e = editor_with(Tool::Number);
    click(e, {200, 200});  // bounds 184..216
    drag(e, {200, 200}, {900, 200});
    EXPECT_EQ(at<NumberMark>(e, 0).centre, (Point{484, 200}));
    ASSERT_EQ(e.undo_stack().size(), 2u);
    EXPECT_EQ(std::get<MovedEntry>(e.undo_stack().back()), (MovedEntry{0, 284, 0}));

    e.select_tool(int(Tool::Rectangle));
    drag(e, {100, 150}, {500, 250});  // 404 wide with its stroke: wider than the selection
    drag(e, {200, 150}, {250, 800});
    EXPECT_EQ(at<RectangleMark>(e, 1).start, (Point{150, 298}));
    EXPECT_EQ(at<RectangleMark>(e, 1).end, (Point{550, 398}));
}

TEST(EditorMove, ReleasedAtTheStartRecordsNothingAndUndoRedoAreExact) {
    Editor e = editor_with(Tool::Number);
    click(e, {200, 200});
    e.pointer_down(200, 200);
    e.pointer_move(260, 240, false);
    e.pointer_up(200, 200, false);
    EXPECT_EQ(e.undo_stack().size(), 1u);

    drag(e, {200, 200}, {237, 181});
    const Annotation moved = e.annotations()[0];
    e.undo();
    EXPECT_EQ(at<NumberMark>(e, 0).centre, (Point{200, 200}));
    e.redo();
    EXPECT_EQ(e.annotations()[0], moved);
}

TEST(EditorMove, InexactTranslationsAreRecordedAsReplacement) {
    Editor e = editor_with(Tool::Arrow);
    // Shift makes an end point that no whole-number move can undo exactly.
    drag(e, {150, 150}, {213, 191}, true);
    ASSERT_EQ(e.annotations().size(), 1u);
    const Annotation before = e.annotations()[0];
    drag(e, {160, 160}, {360, 260});
    ASSERT_EQ(e.undo_stack().size(), 2u);
    EXPECT_TRUE(std::holds_alternative<ReplacedEntry>(e.undo_stack().back()));
    const Annotation after = e.annotations()[0];
    EXPECT_NE(after, before);
    e.undo();
    EXPECT_EQ(e.annotations()[0], before);
    e.redo();
    EXPECT_EQ(e.annotations()[0], after);
}

TEST(EditorSelection, ResizeKeepsTheFixedEdgeAndFourByFour) {
    Editor e = editor_with(std::nullopt);
    e.pointer_down(500, 400);  // bottom-right handle
    ASSERT_TRUE(std::holds_alternative<ResizingSelectionGesture>(e.gesture()));
    e.pointer_move(50, 50, false);
    EXPECT_EQ(e.selection(), (Rect{50, 50, 50, 50}));
    e.pointer_move(98, 97, false);
    EXPECT_EQ(e.selection(), (Rect{96, 96, 4, 4}));
    e.pointer_move(600, 500, false);
    EXPECT_EQ(e.selection(), (Rect{100, 100, 500, 400})) << "the top-left edge stays where it was";
    e.pointer_up(5000, 5000, false);
    EXPECT_EQ(e.selection(), (Rect{100, 100, 900, 700}));
    EXPECT_FALSE(e.can_undo()) << "selection changes are not in the history";
}

TEST(EditorSelection, MovingNudgingGrowingStayOnTheDesktop) {
    Editor e = editor_with(std::nullopt);
    drag(e, {300, 250}, {2000, -500});
    EXPECT_EQ(e.selection(), (Rect{600, 0, 400, 300}));
    EXPECT_EQ(e.nudge(1, 0).action, EditorAction::None);
    EXPECT_EQ(e.nudge(-1, 0).action, EditorAction::Redraw);
    EXPECT_EQ(e.grow_or_shrink(0, -1, true).action, EditorAction::None) << "top already at the desktop edge";
    EXPECT_EQ(e.grow_or_shrink(0, 1, true).action, EditorAction::Redraw);
    EXPECT_EQ(e.selection(), (Rect{599, 0, 400, 301}));
    EXPECT_EQ(e.grow_or_shrink(1, 1, true).action, EditorAction::None) << "one direction only";
    EXPECT_EQ(e.grow_or_shrink(-1, 0, false).action, EditorAction::Redraw);
    EXPECT_EQ(e.selection(), (Rect{600, 0, 399, 301}));

    Editor one({10, 10, 1, 1}, DESKTOP);
    EXPECT_EQ(one.grow_or_shrink(1, 0, false).action, EditorAction::None);
    EXPECT_EQ(one.selection(), (Rect{10, 10, 1, 1}));
}

TEST(EditorText, NewTextIsAddedUnlessBlank) {
    Editor e = editor_with(Tool::Text);
    EXPECT_EQ(e.pointer_down(700, 150).action, EditorAction::None) << "outside the selection";
    const EditorOutcome open = e.pointer_down(300, 150);
    ASSERT_EQ(open.action, EditorAction::OpenTextBox);
    EXPECT_EQ(open.text_box->anchor, (Point{300, 150}));
    EXPECT_FALSE(open.text_box->index);
    EXPECT_EQ(open.text_box->colour, PALETTE[0]);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(e.gesture())) << "no gesture with the text tool";
    EXPECT_EQ(e.text_committed(" \t\u3000 ", open.text_box->anchor, std::nullopt, measure).action, EditorAction::None);
    EXPECT_TRUE(e.annotations().empty());
    e.select_size(2);
    EXPECT_EQ(e.text_committed("Hello", {200, 150}, std::nullopt, measure).action, EditorAction::Redraw);
    ASSERT_EQ(e.annotations().size(), 1u);
    EXPECT_EQ(at<TextMark>(e, 0).box, (Box{200, 150, 50, 1.4 * 28}));
    EXPECT_FALSE(e.selected());
}

TEST(EditorText, DoubleClickEditsTextAndUndoRestoresIt) {
    Editor e = editor_with(Tool::Text);
    e.text_committed("Hello", {200, 150}, std::nullopt, measure);
    const EditorOutcome edit = e.double_click(210, 160);
    ASSERT_EQ(edit.action, EditorAction::EditTextBox);
    EXPECT_EQ(edit.text_box->index, 0u);
    EXPECT_EQ(edit.text_box->text, "Hello");
    EXPECT_EQ(e.text_edit_index(), 0u);

    EXPECT_EQ(e.text_committed("Hello", {0, 0}, 0, measure).action, EditorAction::None) << "unchanged";
    EXPECT_EQ(e.text_committed("   ", {0, 0}, 0, measure).action, EditorAction::None);
    EXPECT_EQ(e.text_committed("Goodbye", {0, 0}, 0, measure).action, EditorAction::Redraw);
    EXPECT_FALSE(e.text_edit_index());
    EXPECT_EQ(at<TextMark>(e, 0).box, (Box{200, 150, 70, 28}));
    EXPECT_EQ(at<TextMark>(e, 0).text, "Goodbye");
    e.undo();
    EXPECT_EQ(at<TextMark>(e, 0).text, "Hello");
    EXPECT_EQ(e.text_committed("x", {0, 0}, 7, measure).action, EditorAction::None) << "stale index";
}

TEST(EditorCommands, DoubleClickElsewhereConfirmsAndOutsideDoesNothing) {
    Editor e = editor_with(std::nullopt);
    EXPECT_EQ(e.double_click(300, 300).action, EditorAction::Copy);
    EXPECT_EQ(e.double_click(50, 50).action, EditorAction::None);
    EXPECT_EQ(e.pointer_down(50, 50).action, EditorAction::None);
}

TEST(EditorHistory, UndoInTheMiddleOfADragDropsTheDrag) {
    Editor e = editor_with(Tool::Number);
    click(e, {200, 200});
    e.pointer_down(200, 200);
    e.pointer_move(260, 240, false);
    e.undo();
    EXPECT_TRUE(e.annotations().empty());
    EXPECT_EQ(e.pointer_move(270, 250, false).action, EditorAction::None);
    e.pointer_up(270, 250, false);
    e.redo();
    ASSERT_EQ(e.annotations().size(), 1u);
    EXPECT_EQ(at<NumberMark>(e, 0).centre, (Point{200, 200}));
    EXPECT_FALSE(e.can_redo());
}

TEST(EditorHistory, NewActionClearsRedo) {
    Editor e = editor_with(Tool::Number);
    click(e, {200, 200});
    e.undo();
    EXPECT_TRUE(e.can_redo());
    click(e, {250, 250});
    EXPECT_FALSE(e.can_redo());
}

TEST(AnnotationGeometry, ArrowPathAndVisualBounds) {
    const ArrowMark straight{{0, 0}, {10, 0}, 1, PALETTE[0], std::nullopt};
    EXPECT_EQ(arrow_path(straight).size(), 2u);
    ArrowMark bent = straight;
    bent.bend = Point{5, 10};
    const auto path = arrow_path(bent);
    ASSERT_EQ(path.size(), 33u);
    EXPECT_EQ(path.front(), bent.start);
    EXPECT_EQ(path.back(), bent.end);
    EXPECT_EQ(path[16], (Point{5, 5}));

    EXPECT_EQ(visualBounds(straight), (Box{-10, -10, 30, 20})) << "arrow margin 2.5 x thickness";
    EXPECT_EQ(visualBounds(RectangleMark{{10, 20}, {0, 0}, 2, PALETTE[0]}), (Box{-3.5, -3.5, 17, 27}));
    EXPECT_EQ(visualBounds(PenMark{0, PALETTE[0], {{1, 1}, {5, 3}}}), (Box{0, 0, 6, 4}));
    EXPECT_EQ(visualBounds(MosaicMark{16, 10, {{20, 20}}}), (Box{12, 12, 16, 16}));
    EXPECT_EQ(visualBounds(NumberMark{1, {50, 50}, 0, PALETTE[0]}), (Box{38, 38, 24, 24}));
    EXPECT_EQ(visualBounds(PenMark{}), Box{});
    const TextMark t{{1, 2, 3, 4}, 1, PALETTE[0], "a"};
    EXPECT_EQ(visualBounds(t), t.box);
    EXPECT_EQ(std::get<TextMark>(translated(t, 10, 20)).box, (Box{11, 22, 3, 4}));
}

TEST(AnnotationGeometry, ConstraintsAndBlankText) {
    EXPECT_EQ(square_constrain({10, 10}, {4, 30}), (Point{-10, 30}));
    EXPECT_EQ(angle_snap({5, 5}, {5, 5}), (Point{5, 5}));
    const Point s = angle_snap({0, 0}, {-10, -1});
    EXPECT_NEAR(s.x, -std::hypot(10.0, 1.0), 1e-9);
    EXPECT_NEAR(s.y, 0, 1e-9);
    EXPECT_TRUE(is_blank_text(" \u00a0\n\u3000"));
    EXPECT_FALSE(is_blank_text(" a "));
    EXPECT_FALSE(is_blank_text("\xc2"));
    EXPECT_EQ(PALETTE[2], 0xff35d8fdu);
}
