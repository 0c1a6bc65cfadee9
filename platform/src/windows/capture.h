#pragma once
#include <memory>
#include <vector>

#include "dib_surface.h"
#include "kestrix/frame.h"
#include "kestrix/platform_error.h"
#include "kestrix/result.h"

namespace kestrix::win {

Result<std::vector<Monitor>, PlatformError> enumerate_monitors();

// One tile of the whole virtual desktop whose pixels stay in the bitmap the screen
// was copied into (a CapturedDesktop), so that nothing is copied before the overlay
// paints from it.
Result<Frame, PlatformError> capture_desktop(const std::vector<Monitor>& monitors);

// The owner of a captured tile's pixels: the bitmap, selected into its memory
// device context for the overlay to paint from.
class CapturedDesktop final : public PixelOwner {
public:
    explicit CapturedDesktop(std::unique_ptr<DibSurface> surface) : surface_(std::move(surface)) {}
    const DibSurface& surface() const { return *surface_; }

private:
    std::unique_ptr<DibSurface> surface_;
};

}  // namespace kestrix::win
