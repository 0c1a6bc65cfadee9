#pragma once
// The mark-up the user puts on a capture: tools, colours, size tables and the
// annotations themselves. Plain values in desktop coordinates (doubles), shared
// by the editor, the drawing code and the export.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace kestrix {

// A point in desktop coordinates.
struct Point {
    double x = 0.0;
    double y = 0.0;
    friend bool operator==(const Point&, const Point&) = default;
};

// An axis-aligned box in desktop coordinates.
struct Box {
    double x = 0.0;
    double y = 0.0;
    double width = 0.0;
    double height = 0.0;
    friend bool operator==(const Box&, const Box&) = default;
};

// The mark-up tools. The first seven are numbered in the order of their labels;
// the toolbar shows them all in TOOLBAR_TOOLS order.
enum class Tool : uint8_t {
    Rectangle = 0,
    Ellipse = 1,
    Arrow = 2,
    Pen = 3,
    Mosaic = 4,
    Text = 5,
    Number = 6,
    Line = 7,
    Highlighter = 8,
    Redact = 9,
};
inline constexpr int TOOL_COUNT = 10;

inline constexpr std::array<Tool, TOOL_COUNT> TOOLBAR_TOOLS = {
    Tool::Rectangle, Tool::Ellipse, Tool::Arrow,  Tool::Line, Tool::Pen,
    Tool::Highlighter, Tool::Mosaic, Tool::Redact, Tool::Text, Tool::Number,
};

// Mosaic has no colour of its own and Redact no size; every other tool has both.
constexpr bool tool_has_colours(Tool tool) { return tool != Tool::Mosaic; }
constexpr bool tool_has_sizes(Tool tool) { return tool != Tool::Redact; }

// 32-bit colour, red in the lowest byte, then green, blue and alpha.
using Colour = uint32_t;

// The eight swatches, in toolbar order; all fully opaque.
inline constexpr std::array<Colour, 8> PALETTE = {
    0xff3539e5u,  // #E53935
    0xff008cfbu,  // #FB8C00
    0xff35d8fdu,  // #FDD835
    0xff47a043u,  // #43A047
    0xffe5881eu,  // #1E88E5
    0xffaa248eu,  // #8E24AA
    0xffffffffu,  // #FFFFFF
    0xff212121u,  // #212121
};

// The colour of swatch `index`; indices past the end give the last swatch.
constexpr Colour palette_colour(uint32_t index) { return PALETTE[index < 7 ? index : 7]; }

// Size step tables; one step (0, 1 or 2) serves every tool.
inline constexpr uint32_t MAX_SIZE_STEP = 2;
inline constexpr std::array<double, 3> THICKNESS = {2.0, 4.0, 7.0};        // stroke width, px
inline constexpr std::array<double, 3> MOSAIC_BLOCK = {6.0, 10.0, 16.0};   // block edge, px
inline constexpr std::array<double, 3> TEXT_SIZE = {14.0, 20.0, 28.0};     // font pixel size
inline constexpr std::array<double, 3> MARKER_DIAMETER = {24.0, 32.0, 44.0};

// Every read of a size step goes through this: larger steps count as the largest.
constexpr uint32_t size_step(uint32_t step) { return step < MAX_SIZE_STEP ? step : MAX_SIZE_STEP; }
constexpr double thickness(uint32_t step) { return THICKNESS[size_step(step)]; }
constexpr double mosaic_brush_width(uint32_t step) { return 4.0 * THICKNESS[size_step(step)]; }
constexpr double highlighter_width(uint32_t step) { return 4.0 * THICKNESS[size_step(step)]; }

// How strongly a highlighter tints what lies under it: each channel is multiplied
// by (1 - s) + s x colour / 255, so white takes a light tint and black stays black.
inline constexpr double HIGHLIGHTER_STRENGTH = 0.4;
constexpr double mosaic_block(uint32_t step) { return MOSAIC_BLOCK[size_step(step)]; }
constexpr double text_size(uint32_t step) { return TEXT_SIZE[size_step(step)]; }
constexpr double marker_diameter(uint32_t step) { return MARKER_DIAMETER[size_step(step)]; }

// Marks keep the interface scale they were drawn at (`scale`, 1 at 100 %): their
// widths and sizes are the tables' values times it, so that a mark looks the same
// beside the captured interface on a monitor of any scale. Mosaic strokes store
// their scaled brush width and block size instead; a redaction has no size to scale.

// The tag of an annotation; differs from the tool numbering for Text and Number.
enum class AnnotationKind : int32_t {
    Rectangle = 0,
    Ellipse = 1,
    Arrow = 2,
    Pen = 3,
    Mosaic = 4,
    Number = 5,
    Text = 6,
    Line = 7,
    Highlighter = 8,
    Redact = 9,
};

struct RectangleMark {
    Point start;
    Point end;
    uint32_t size = 1;
    Colour colour = PALETTE[0];
    double scale = 1.0;
    friend bool operator==(const RectangleMark&, const RectangleMark&) = default;
};

// Inscribed in the box of its two points.
struct EllipseMark {
    Point start;
    Point end;
    uint32_t size = 1;
    Colour colour = PALETTE[0];
    double scale = 1.0;
    friend bool operator==(const EllipseMark&, const EllipseMark&) = default;
};

struct ArrowMark {
    Point start;
    Point end;
    uint32_t size = 1;
    Colour colour = PALETTE[0];
    std::optional<Point> bend;  // control point of the curve; none for a straight arrow
    double scale = 1.0;
    friend bool operator==(const ArrowMark&, const ArrowMark&) = default;
};

struct PenMark {
    uint32_t size = 1;
    Colour colour = PALETTE[0];
    std::vector<Point> points;
    double scale = 1.0;
    friend bool operator==(const PenMark&, const PenMark&) = default;
};

// Brush width and block size are values, taken from the tables when the stroke starts.
struct MosaicMark {
    double brush_width = 0.0;
    double block_size = 0.0;
    std::vector<Point> points;
    friend bool operator==(const MosaicMark&, const MosaicMark&) = default;
};

struct NumberMark {
    uint32_t number = 1;
    Point centre;
    uint32_t size = 1;
    Colour colour = PALETTE[0];
    double scale = 1.0;
    friend bool operator==(const NumberMark&, const NumberMark&) = default;
};

struct TextMark {
    Box box;  // position, and the extent measured for the text
    uint32_t size = 1;
    Colour colour = PALETTE[0];
    std::string text;  // UTF-8
    double scale = 1.0;
    // On a rounded box of `colour`, the text in black or white, whichever reads on it.
    bool background = false;
    friend bool operator==(const TextMark&, const TextMark&) = default;
};

// A straight line between two points: the arrow's thickness and caps, no head.
struct LineMark {
    Point start;
    Point end;
    uint32_t size = 1;
    Colour colour = PALETTE[0];
    double scale = 1.0;
    friend bool operator==(const LineMark&, const LineMark&) = default;
};

// A band highlighter_width() wide that tints what lies under it (HIGHLIGHTER_STRENGTH);
// where the stroke crosses itself it tints once.
struct HighlighterMark {
    uint32_t size = 1;
    Colour colour = PALETTE[2];
    std::vector<Point> points;
    double scale = 1.0;
    friend bool operator==(const HighlighterMark&, const HighlighterMark&) = default;
};

// A box filled opaque with its colour over everything else, in every output: no
// pixel under it survives.
struct RedactMark {
    Point start;
    Point end;
    Colour colour = PALETTE[7];
    friend bool operator==(const RedactMark&, const RedactMark&) = default;
};

// The alternatives are in tag order, so the variant index is the AnnotationKind.
using Annotation = std::variant<RectangleMark, EllipseMark, ArrowMark, PenMark, MosaicMark, NumberMark, TextMark,
                                LineMark, HighlighterMark, RedactMark>;

inline AnnotationKind kind_of(const Annotation& a) { return AnnotationKind(int32_t(a.index())); }

// A mark's sizes as drawn, in desktop units: the table's value times its scale.
template <class Mark>
double stroke_width(const Mark& m) {
    return thickness(m.size) * m.scale;
}
inline double stroke_width(const HighlighterMark& m) { return highlighter_width(m.size) * m.scale; }
inline double marker_size(const NumberMark& m) { return marker_diameter(m.size) * m.scale; }
inline double font_size(const TextMark& m) { return text_size(m.size) * m.scale; }

// The points an arrow is drawn through: [start, end], or 33 points of the
// quadratic curve through start, bend (control) and end.
std::vector<Point> arrow_path(const ArrowMark& arrow);

// The point of the bent curve at t = 0.5 (the midpoint of start and end when straight).
Point arrow_curve_midpoint(const ArrowMark& arrow);

// The box the annotation covers when drawn, margins for stroke width included.
Box visualBounds(const Annotation& annotation);

// The annotation moved by (dx, dy): every point, the bend point and the text box.
Annotation translated(const Annotation& annotation, double dx, double dy);

// A change of coordinates: x becomes x * sx + dx and y becomes y * sy + dy; what a
// mark stores as a width or size of its own is multiplied by `size`.
struct CoordinateMap {
    double sx = 1.0, sy = 1.0;
    double dx = 0.0, dy = 0.0;
    double size = 1.0;
    Point operator()(const Point& p) const { return {p.x * sx + dx, p.y * sy + dy}; }
    friend bool operator==(const CoordinateMap&, const CoordinateMap&) = default;
};

// The annotation in other coordinates: every point, the bend point and the text box.
Annotation remapped(const Annotation& annotation, const CoordinateMap& map);

}  // namespace kestrix
