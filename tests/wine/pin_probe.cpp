// Pins known pictures and reports what the pin windows look like from outside, so
// that a script can drive them with the mouse and keyboard and check the result.
//   pin_probe [--image WxH] X,Y,W,H [X,Y,W,H ...]
// Every pin gets the same test picture (of the --image size, else of its own
// rectangle's size): red, green and blue quadrants and a one-pixel black and white
// checkerboard in the bottom-right one. Printed lines:
//   class style 0x... cursor sizeall|other background none|set
//   pin N: x,y WxH alpha A exstyle 0x... style 0x... visible V   (whenever it changes)
//   pin N closed
//   all pins closed                                               (then it exits 0)
// It gives up after 170 s with exit code 2.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "kestrix/image.h"
#include "pin.h"
#include "prepare.h"

namespace {

void report(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

std::string hex(uint64_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

kestrix::Image test_picture(uint32_t width, uint32_t height) {
    std::vector<uint8_t> pixels(size_t(width) * height * 4);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const bool right = x >= width / 2, bottom = y >= height / 2;
            uint8_t b = 0, g = 0, r = 0;
            if (!right && !bottom) r = 0xE0, g = 0x30, b = 0x30;
            else if (right && !bottom) r = 0x30, g = 0xC0, b = 0x30;
            else if (!right && bottom) r = 0x30, g = 0x30, b = 0xE0;
            else r = g = b = ((x + y) % 2) ? 0xFF : 0x00;
            uint8_t* p = &pixels[(size_t(y) * width + x) * 4];
            p[0] = b, p[1] = g, p[2] = r, p[3] = 0xFF;
        }
    }
    return std::move(kestrix::make_image(width, height, std::move(pixels))).value();
}

std::map<HWND, int> numbers;           // pin windows in the order they were made
std::map<HWND, std::string> described;  // the last line printed for each

std::string describe(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    BYTE alpha = 0;
    DWORD flags = 0;
    COLORREF key = 0;
    const std::string alpha_text =
        GetLayeredWindowAttributes(window, &key, &alpha, &flags) && (flags & LWA_ALPHA) ? std::to_string(alpha) : "none";
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
           std::to_string(r.bottom - r.top) + " alpha " + alpha_text + " exstyle " +
           hex(GetWindowLongPtrW(window, GWL_EXSTYLE)) + " style " + hex(uint32_t(GetWindowLongPtrW(window, GWL_STYLE))) +
           " visible " + (IsWindowVisible(window) ? "1" : "0");
}

BOOL CALLBACK note_pin(HWND window, LPARAM param) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, int(std::size(name)));
    if (std::wstring(name) != L"KestrixPinWindow") return TRUE;
    auto* alive = reinterpret_cast<std::vector<HWND>*>(param);
    alive->push_back(window);
    if (!numbers.count(window)) {
        const int number = int(numbers.size());
        numbers[window] = number;
        if (number == 0) {
            const ULONG_PTR style = GetClassLongPtrW(window, GCL_STYLE);
            const HCURSOR cursor = reinterpret_cast<HCURSOR>(GetClassLongPtrW(window, GCLP_HCURSOR));
            const bool background = GetClassLongPtrW(window, GCLP_HBRBACKGROUND) != 0;
            report("class style " + hex(style) + " cursor " +
                   (cursor == LoadCursorW(nullptr, IDC_SIZEALL) ? "sizeall" : "other") + " background " +
                   (background ? "set" : "none"));
        }
    }
    const std::string now = describe(window);
    if (described[window] != now) {
        described[window] = now;
        report("pin " + std::to_string(numbers[window]) + ": " + now);
    }
    return TRUE;
}

// Reports every pin whose window changed and every pin that went away.
void survey() {
    std::vector<HWND> alive;
    EnumThreadWindows(GetCurrentThreadId(), note_pin, reinterpret_cast<LPARAM>(&alive));
    for (auto it = described.begin(); it != described.end();) {
        if (std::find(alive.begin(), alive.end(), it->first) == alive.end()) {
            report("pin " + std::to_string(numbers[it->first]) + " closed");
            it = described.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    kestrix::win::request_dpi_awareness();
    unsigned image_w = 0, image_h = 0;
    int first = 1;
    if (argc > 2 && std::string(argv[1]) == "--image") {
        std::sscanf(argv[2], "%ux%u", &image_w, &image_h);
        first = 3;
    }
    for (int i = first; i < argc; ++i) {
        kestrix::Rect rect;
        if (std::sscanf(argv[i], "%d,%d,%d,%d", &rect.x, &rect.y, &rect.width, &rect.height) != 4) {
            report("bad rectangle " + std::string(argv[i]));
            return 1;
        }
        const uint32_t w = image_w ? image_w : uint32_t(std::max(rect.width, 1));
        const uint32_t h = image_h ? image_h : uint32_t(std::max(rect.height, 1));
        auto pinned = kestrix::win::pin_image(test_picture(w, h), rect);
        if (!pinned) {
            report("pin_image failed: " + pinned.error().plain());
            return 1;
        }
        survey();
    }
    report("foreground is a pin: " + std::string(numbers.count(GetForegroundWindow()) ? "yes" : "no"));
    report("ready");

    SetTimer(nullptr, 0, 50, nullptr);
    const DWORD started = GetTickCount();
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (msg.message != WM_TIMER) continue;
        survey();
        if (kestrix::win::pin_count() == 0) {
            report("all pins closed");
            return 0;
        }
        if (GetTickCount() - started > 170'000) {
            report("gave up waiting for the pins to close");
            return 2;
        }
    }
    return 0;
}
