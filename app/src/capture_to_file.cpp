#include "capture_to_file.h"

#include <filesystem>
#include <system_error>

#include "frozen_desktop.h"
#include "kestrix/file_io.h"
#include "kestrix/image.h"
#include "kestrix/utf8.h"
#include "startup.h"

namespace kestrix {

namespace {

namespace fs = std::filesystem;

std::string rect_text(const Rect& r) {
    return std::to_string(r.x) + "," + std::to_string(r.y) + "," + std::to_string(r.width) + "," +
           std::to_string(r.height);
}

// The picture of the request's rectangle, or the line that says why there is none.
Result<Image, std::string> picture(Platform& platform, const CaptureCommand& command) {
    // A given rectangle is cut to the monitors the way the last region is.
    CaptureRequest request = command.request;
    if (command.rect) request.mode = CaptureMode::LastRegion;
    auto frozen = freeze_desktop(platform, request, command.rect, AfterFreeze::Picture);
    if (!frozen) return fail("Kestrix could not capture the screen: " + frozen.error().plain());
    if (!frozen->has_value()) return fail(std::string("Kestrix did not capture: the countdown was cancelled."));
    FrozenDesktop& desktop = **frozen;
    if (!desktop.selection) {
        desktop.frame.wipe();
        if (command.rect) return fail("Kestrix could not capture " + rect_text(*command.rect) + ": no screen shows it.");
        return fail(std::string("Kestrix could not capture: no screen was found."));
    }
    std::optional<Image> image = desktop.frame.crop(*desktop.selection);
    desktop.frame.wipe();
    if (!image) return fail(std::string("Kestrix could not capture: there is not enough memory for the picture."));
    return std::move(*image);
}

}  // namespace

int capture_to_file(AppEnvironment& env, const CaptureCommand& command) {
    // Per-monitor awareness first, or the capture would see a scaled-down desktop.
    if (auto prepared = env.platform.prepare(); !prepared) {
        env.print("Kestrix cannot start: " + prepared.error().plain());
        return kExitFailure;
    }
    auto image = picture(env.platform, command);
    if (!image) {
        env.print(image.error());
        return kExitFailure;
    }
    auto png = encodePng(*image);
    image->wipe();
    if (!png) {
        env.print("Kestrix could not encode the picture: " + png.error().text());
        return kExitFailure;
    }

    const fs::path target = path_from_utf8(*command.output);
    std::error_code ec;
    const fs::path absolute = fs::absolute(target, ec);
    const fs::path& shown = ec ? target : absolute;
    // Written beside the target and renamed into place, as Save As does.
    auto written = write_file_atomically(shown, {reinterpret_cast<const char*>(png->data()), png->size()});
    if (!written) {
        env.print("Kestrix could not write " + utf8_from_path(shown) + ": " + written.error());
        return kExitFailure;
    }
    env.print(utf8_from_path(shown));
    return kExitSuccess;
}

}  // namespace kestrix
