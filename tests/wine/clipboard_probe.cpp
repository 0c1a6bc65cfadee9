// Puts a known picture and a text on the clipboard through the platform layer
// and reads them back as another program would: the DIB byte for byte, the
// bitmap the system derives from it, the "PNG" format decoded pixel for pixel,
// and the Unicode text. Then a second copy of this program holds the clipboard
// while a copy is timed: held briefly or for half a second (a remote desktop syncing
// a big image), the copy gets through on a later try; held for three seconds, it
// gives up with ClipboardBusy after about one.
//   clipboard_probe.exe              all checks
//   clipboard_probe.exe --hold MS    (the holder) opens the clipboard for MS ms
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "clipboard.h"
#include "kestrix/image.h"
#include "clipboard_bytes.h"
#include "png_decode.h"

using namespace kestrix;

namespace {

int failures = 0;

void check(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    std::fflush(stdout);
    if (!ok) ++failures;
}

// 641 pixels make 1923-byte rows, padded to 1924; the pattern differs in every
// channel along both axes, so a flipped, shifted or swapped row shows.
Image known_image(uint32_t w, uint32_t h) {
    std::vector<uint8_t> px(size_t(w) * h * 4);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* p = &px[(size_t(y) * w + x) * 4];
            p[0] = uint8_t(x * 7 + y);      // blue
            p[1] = uint8_t(y * 3 + x / 5);  // green
            p[2] = uint8_t((x ^ y) + 11);   // red
            p[3] = 0xFF;
        }
    return make_image(w, h, std::move(px)).value();
}

// The bytes a 24-bit bottom-up DIB must carry after its header, spelled out
// pixel by pixel.
std::vector<uint8_t> expected_rows(const Image& image) {
    const uint32_t w = image.width(), h = image.height();
    std::vector<uint8_t> rows;
    for (uint32_t y = h; y-- > 0;) {
        for (uint32_t x = 0; x < w; ++x) {
            const uint32_t p = image.pixel_at(x, y).value();
            rows.push_back(uint8_t(p));
            rows.push_back(uint8_t(p >> 8));
            rows.push_back(uint8_t(p >> 16));
        }
        while (rows.size() % 4) rows.push_back(0);
    }
    return rows;
}

// The pixels of the bitmap the system derived from the DIB, read back top-down
// as 32-bit BGRX, compared with the image's own blue, green and red.
bool derived_bitmap_matches(const Image& image, std::string& detail) {
    HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    if (!bitmap) {
        detail = "no CF_BITMAP";
        return false;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = LONG(image.width());
    info.bmiHeader.biHeight = -LONG(image.height());
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<uint8_t> px(image.pixels().size());
    HDC dc = GetDC(nullptr);
    const int lines = GetDIBits(dc, bitmap, 0, image.height(), px.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    if (lines != int(image.height())) {
        detail = "GetDIBits gave " + std::to_string(lines) + " lines";
        return false;
    }
    for (size_t i = 0; i < px.size(); i += 4)
        if (std::memcmp(&px[i], &image.pixels()[i], 3) != 0) {
            const size_t n = i / 4;
            detail = "first difference at " + std::to_string(n % image.width()) + "," +
                     std::to_string(n / image.width());
            return false;
        }
    return true;
}

void check_image_copy() {
    const Image image = known_image(641, 480);
    auto copied = win::copy_image(image);
    check(copied.ok(), "copy_image of 641x480" + (copied ? std::string() : ": " + copied.error().plain()));
    if (!copied) return;

    if (!OpenClipboard(nullptr)) {
        check(false, "OpenClipboard to read back");
        return;
    }
    const std::vector<uint8_t> dib = read_format(CF_DIB);
    const UINT png_format = RegisterClipboardFormatW(L"PNG");
    const std::vector<uint8_t> png = read_format(png_format);
    std::string bitmap_detail;
    const bool bitmap_ok = derived_bitmap_matches(image, bitmap_detail);
    CloseClipboard();

    const std::vector<uint8_t> rows = expected_rows(image);
    const size_t stride = 1924;
    check(rows.size() == stride * 480, "641 pixels make rows of 1924 bytes");
    check(dib.size() >= sizeof(BITMAPINFOHEADER) + rows.size(),
          "CF_DIB holds the header and the rows (" + std::to_string(dib.size()) + " bytes)");
    if (dib.size() < sizeof(BITMAPINFOHEADER) + rows.size()) return;
    BITMAPINFOHEADER header;
    std::memcpy(&header, dib.data(), sizeof header);
    check(header.biSize == 40, "biSize 40");
    check(header.biWidth == 641 && header.biHeight == 480, "biWidth 641, biHeight +480 (bottom-up)");
    check(header.biPlanes == 1 && header.biBitCount == 24, "one plane of 24 bits");
    check(header.biCompression == BI_RGB, "uncompressed");
    check(header.biSizeImage == stride * 480, "biSizeImage is stride x height");
    check(header.biXPelsPerMeter == 3780 && header.biYPelsPerMeter == 3780, "3780 pixels a metre");
    check(header.biClrUsed == 0 && header.biClrImportant == 0, "no colour table");
    check(std::memcmp(dib.data() + 40, rows.data(), rows.size()) == 0,
          "DIB rows: bottom row first, blue-green-red, zero padding");
    check(bitmap_ok, "the bitmap derived from the DIB has the image's pixels" +
                         (bitmap_detail.empty() ? "" : ": " + bitmap_detail));

    check(png_format != 0 && !png.empty(), "the \"PNG\" format is there (" + std::to_string(png.size()) + " bytes)");
    const test::DecodedPng decoded = test::decode_png(png);
    check(decoded.ok, "the PNG decodes" + (decoded.error.empty() ? "" : ": " + decoded.error));
    if (!decoded.ok) return;
    check(decoded.width == 641 && decoded.height == 480 && decoded.color_type == 2 && decoded.bit_depth == 8,
          "the PNG is 641x480, 8-bit RGB");
    bool same = decoded.rgb.size() == size_t(641) * 480 * 3;
    for (size_t i = 0; same && i < size_t(641) * 480; ++i)
        same = decoded.rgb[i * 3] == image.pixels()[i * 4 + 2] && decoded.rgb[i * 3 + 1] == image.pixels()[i * 4 + 1] &&
               decoded.rgb[i * 3 + 2] == image.pixels()[i * 4];
    check(same, "the PNG has the image's pixels");
}

std::u16string read_text() {
    std::u16string text;
    if (!OpenClipboard(nullptr)) return u"(cannot open)";
    const std::vector<uint8_t> bytes = read_format(CF_UNICODETEXT);
    CloseClipboard();
    text.resize(bytes.size() / 2);
    std::memcpy(text.data(), bytes.data(), text.size() * 2);
    return text;
}

void check_text_copy() {
    auto copied = win::copy_text("abc");
    check(copied.ok(), "copy_text(\"abc\")");
    const std::u16string abc = read_text();
    check(abc.size() >= 4 && abc.compare(0, 4, std::u16string(u"abc\0", 4)) == 0,
          "CF_UNICODETEXT holds a, b, c and the 0 terminator (" + std::to_string(abc.size() * 2) + " bytes)");

    // A colour readout and a link with characters beyond ASCII and beyond the BMP.
    copied = win::copy_text("#1E90FF \xC3\xBC\xE2\x80\x94\xF0\x9F\x98\x80 http://192.168.1.5:8080/s/x");
    check(copied.ok(), "copy_text of a non-ASCII line");
    const std::u16string expected = u"#1E90FF \u00FC\u2014\U0001F600 http://192.168.1.5:8080/s/x";
    const std::u16string got = read_text();
    check(got.size() > expected.size() && got.compare(0, expected.size(), expected) == 0 && got[expected.size()] == 0,
          "the text reads back as UTF-16 with a surrogate pair and the terminator");
}

// Starts this program again to hold the clipboard for `hold_ms` and waits
// until it has it.
PROCESS_INFORMATION start_holder(int hold_ms) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring ready_name = L"Local\\KestrixClipboardProbe." + std::to_wstring(GetCurrentProcessId());
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, ready_name.c_str());
    std::wstring command = L"\"" + std::wstring(self) + L"\" --hold " + std::to_wstring(hold_ms) + L" " + ready_name;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        check(false, "start the holder (error " + std::to_string(GetLastError()) + ")");
    } else if (WaitForSingleObject(ready, 10000) != WAIT_OBJECT_0) {
        check(false, "the holder opened the clipboard");
    }
    CloseHandle(ready);
    return process;
}

void finish_holder(PROCESS_INFORMATION& process) {
    if (!process.hProcess) return;
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}

double timed_copy(const Image& image, Result<void, PlatformError>& result) {
    const auto start = std::chrono::steady_clock::now();
    result = win::copy_image(image);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void check_busy_clipboard() {
    const Image small = known_image(9, 7);
    Result<void, PlatformError> result;

    for (const int hold_ms : {100, 500}) {
        PROCESS_INFORMATION holder = start_holder(hold_ms);
        const double ms = timed_copy(small, result);
        finish_holder(holder);
        const std::string held = "held for " + std::to_string(hold_ms) + " ms";
        std::printf("     %s: copy_image took %.0f ms\n", held.c_str(), ms);
        check(result.ok(), held + ", the copy gets through on a later try" +
                               (result ? std::string() : ": " + result.error().plain()));
        check(ms >= hold_ms * 0.6 && ms < hold_ms + 400, "... once the holder let go (" + std::to_string(hold_ms * 6 / 10) +
                                                             " to " + std::to_string(hold_ms + 400) + " ms)");
    }

    PROCESS_INFORMATION long_hold = start_holder(3000);
    const double long_ms = timed_copy(small, result);
    finish_holder(long_hold);
    std::printf("     held for 3 s: copy_image gave up after %.0f ms\n", long_ms);
    check(!result.ok() && result.error().is<PlatformError::ClipboardBusy>(), "held for 3 s, the copy fails with ClipboardBusy");
    check(!result.ok() && result.error().plain() == "the clipboard is locked by another app",
          "... rendered \"the clipboard is locked by another app\"");
    check(long_ms >= 950 && long_ms < 2500, "... after about a second (950 to 2500 ms)");
}

// Holds the clipboard through a window of its own, as programs do (Wine lets
// a second open without a window take over one that was also made without).
int hold(int ms, const wchar_t* ready_name) {
    HWND window = CreateWindowExW(0, L"STATIC", L"clipboard holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!window || !OpenClipboard(window)) return 3;
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, ready_name);
    if (ready) SetEvent(ready);
    Sleep(DWORD(ms));
    CloseClipboard();
    DestroyWindow(window);
    if (ready) CloseHandle(ready);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 4 && std::wstring(argv[1]) == L"--hold") return hold(_wtoi(argv[2]), argv[3]);
    check_image_copy();
    check_text_copy();
    check_busy_clipboard();
    std::printf("%s: %d failure(s)\n", failures ? "FAILED" : "passed", failures);
    return failures ? 1 : 0;
}
