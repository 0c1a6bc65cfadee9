#pragma once
// The toolbar's pictograms as geometry on a canvas: each shape is given in
// fractions of the button's rectangle, so one description serves every size.
#include <cstdint>

#include "kestrix/canvas.h"

namespace kestrix {

enum class Pictogram {
    RectangleTool,
    EllipseTool,
    ArrowTool,
    PenTool,
    MosaicTool,
    TextTool,
    NumberTool,
    Undo,
    Backdrop,
    Pin,
    Send,
    Save,
    Cancel,
    Copy,
    LineTool,
    HighlighterTool,
    RedactTool,
    TextBackground,
};

Pictogram toolPictogram(Tool tool);

// Draws the pictogram inside the button rectangle `item`. `ground` is the colour
// the button sits on, for the shapes cut out of a filled one.
void drawPictogram(Canvas& canvas, Pictogram pictogram, const Box& item, Argb colour, Argb ground = 0);

// The size button of step 0..2 for a tool: a disc, a square for Mosaic, the letter "A" for Text.
void drawSizeSymbol(Canvas& canvas, Tool tool, uint32_t step, const Box& item, Argb colour);

// A palette swatch: a disc 14 across in the middle of the item, outlined 1 wide in
// grey, both times `scale` (1 at 100 %).
void drawSwatch(Canvas& canvas, const Box& item, Argb colour, double scale);

// Measures `text` and draws it so that its measured box is centred on `box`;
// false when the font cannot be made.
bool drawCentredText(Canvas& canvas, std::string_view text, double pixelSize, const Box& box, Argb colour);

}  // namespace kestrix
