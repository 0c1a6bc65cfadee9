// Captures the virtual desktop the way a capture session does, prints the
// monitor list and the desktop rectangle, and writes the capture as PNG so a
// script can compare it with the X server's own screenshot.
//   capture_probe.exe OUTPUT.png
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <optional>

#include "capture.h"
#include "kestrix/image.h"

using namespace kestrix;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: capture_probe OUTPUT.png\n");
        return 2;
    }
    // Desktop units are physical pixels only for a per-monitor aware process.
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);

    auto monitors = win::enumerate_monitors();
    if (!monitors) {
        std::printf("enumerate_monitors: %s\n", monitors.error().plain().c_str());
        return 1;
    }
    for (size_t i = 0; i < monitors->size(); ++i) {
        const Monitor& m = (*monitors)[i];
        std::printf("monitor %zu: %d,%d %dx%d scale %u%s\n", i, m.rect.x, m.rect.y, m.rect.width, m.rect.height,
                    m.ui_scale, m.primary ? " primary" : "");
    }
    const Rect desktop = virtual_desktop(*monitors);
    std::printf("desktop: %d,%d %dx%d\n", desktop.x, desktop.y, desktop.width, desktop.height);

    auto frame = win::capture_desktop(*monitors);
    if (!frame) {
        std::printf("capture_desktop: %s\n", frame.error().plain().c_str());
        return 1;
    }
    const Tile& tile = frame->tiles.at(0);
    const std::optional<Image> desktop_picture = frame->crop(tile.rect);
    if (!desktop_picture) {
        std::printf("crop: no picture of the tile\n");
        return 1;
    }
    auto png = encodePng(*desktop_picture);
    if (!png) {
        std::printf("encodePng: %s\n", png.error().text().c_str());
        return 1;
    }
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(png->data()), std::streamsize(png->size()));
    out.close();
    if (!out) {
        std::printf("cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("capture: %ux%u tile at %d,%d\n", tile.image.width(), tile.image.height(), tile.rect.x, tile.rect.y);
    frame->wipe();
    return 0;
}
