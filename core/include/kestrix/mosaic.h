#pragma once
// Pixelation of the picture under the editor's Mosaic strokes.
#include <vector>

#include "kestrix/annotation.h"
#include "kestrix/canvas.h"
#include "kestrix/image.h"

namespace kestrix {

// Pixelates `target`, whose top-left pixel shows desktop point `origin` at
// `scale` pixels per desktop unit, under every Mosaic stroke of the list, in
// list order. Each stroke is a round-capped band of its brush width whose inside
// shows blocks of its block size on a grid anchored at the image's top-left; the
// blocks are averaged from the picture as it was before any stroke.
void applyMosaic(Image& target, const std::vector<Annotation>& annotations, Origin origin, double scale);

}  // namespace kestrix
