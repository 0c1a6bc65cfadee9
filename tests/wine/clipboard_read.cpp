// Reads the clipboard as another program would and leaves what it holds where a
// script can look at it:
//   clipboard_read DIR         prints the owner's window class, the formats, the DIB's
//                              header and resolution, the "PNG" decoded and compared with
//                              the DIB with its pHYs chunk, the Unicode text and the
//                              sequence number; writes DIR\dib.bmp and DIR\clip.png
//   clipboard_read --set-text TEXT   puts TEXT on the clipboard (a marker that must survive)
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "clipboard_bytes.h"
#include "png_decode.h"
#include "wide_text.h"

namespace {

bool write_file(const std::wstring& path, const void* head, size_t head_size, const std::vector<uint8_t>& body) {
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file) return false;
    bool ok = (head_size == 0 || std::fwrite(head, 1, head_size, file) == head_size) &&
              std::fwrite(body.data(), 1, body.size(), file) == body.size();
    return std::fclose(file) == 0 && ok;
}

std::string format_name(UINT format) {
    switch (format) {
    case CF_TEXT: return "CF_TEXT";
    case CF_BITMAP: return "CF_BITMAP";
    case CF_DIB: return "CF_DIB";
    case CF_DIBV5: return "CF_DIBV5";
    case CF_UNICODETEXT: return "CF_UNICODETEXT";
    case CF_OEMTEXT: return "CF_OEMTEXT";
    case CF_LOCALE: return "CF_LOCALE";
    }
    wchar_t name[128] = {};
    if (GetClipboardFormatNameW(format, name, int(std::size(name))) > 0) return kestrix::win::narrow(name);
    return std::to_string(format);
}

// The DIB's pixel at (x, y) from the top, as red, green, blue; only 24-bit BI_RGB.
bool dib_pixel(const std::vector<uint8_t>& dib, const BITMAPINFOHEADER& header, uint32_t x, uint32_t y, uint8_t rgb[3]) {
    const uint32_t height = uint32_t(header.biHeight < 0 ? -header.biHeight : header.biHeight);
    const size_t stride = (size_t(header.biWidth) * 3 + 3) & ~size_t(3);
    const uint32_t row = header.biHeight > 0 ? height - 1 - y : y;
    const size_t at = header.biSize + row * stride + size_t(x) * 3;
    if (at + 3 > dib.size()) return false;
    rgb[0] = dib[at + 2], rgb[1] = dib[at + 1], rgb[2] = dib[at];
    return true;
}

// The class of the window that owns the clipboard, "none" without one.
std::string owner_class() {
    const HWND owner = GetClipboardOwner();
    wchar_t name[128] = {};
    if (!owner || GetClassNameW(owner, name, int(std::size(name))) == 0) return "none";
    return kestrix::win::narrow(name);
}

int dump(const std::wstring& dir) {
    const std::string owner = owner_class();
    if (!OpenClipboard(nullptr)) {
        std::printf("error: OpenClipboard failed (%lu)\n", GetLastError());
        return 1;
    }
    std::string formats;
    for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format))
        formats += (formats.empty() ? "" : " ") + format_name(format);
    const std::vector<uint8_t> dib = read_format(CF_DIB);
    const std::vector<uint8_t> png = read_format(RegisterClipboardFormatW(L"PNG"));
    const std::vector<uint8_t> text = read_format(CF_UNICODETEXT);
    CloseClipboard();

    std::printf("owner: %s\n", owner.c_str());
    std::printf("formats: %s\n", formats.empty() ? "none" : formats.c_str());
    BITMAPINFOHEADER header{};
    if (dib.size() >= sizeof header) {
        std::memcpy(&header, dib.data(), sizeof header);
        std::printf("dib: %ldx%ld %u bits compression %lu\n", header.biWidth, header.biHeight, header.biBitCount,
                    header.biCompression);
        std::printf("dib pixels per metre: %ld %ld\n", header.biXPelsPerMeter, header.biYPelsPerMeter);
        // A .bmp file is the DIB behind a file header naming where the pixels start.
        BITMAPFILEHEADER file{};
        file.bfType = 0x4D42;
        file.bfSize = DWORD(sizeof file + dib.size());
        file.bfOffBits = DWORD(sizeof file + header.biSize + header.biClrUsed * 4);
        if (!write_file(dir + L"\\dib.bmp", &file, sizeof file, dib)) std::printf("error: cannot write dib.bmp\n");
    } else {
        std::printf("dib: none\n");
    }

    if (png.empty()) {
        std::printf("png: none\n");
    } else {
        if (!write_file(dir + L"\\clip.png", nullptr, 0, png)) std::printf("error: cannot write clip.png\n");
        const kestrix::test::DecodedPng decoded = kestrix::test::decode_png(png);
        if (!decoded.ok) {
            std::printf("png: undecodable (%s)\n", decoded.error.c_str());
        } else {
            std::printf("png: %ux%u\n", decoded.width, decoded.height);
            if (const auto density = kestrix::test::png_density(png))
                std::printf("png pHYs: %u %u unit %u\n", density->x, density->y, unsigned(density->unit));
            else
                std::printf("png pHYs: none\n");
            // Every pixel of the PNG against the DIB's, so the two formats cannot disagree.
            bool same = header.biBitCount == 24 && header.biCompression == BI_RGB &&
                        uint32_t(header.biWidth) == decoded.width &&
                        uint32_t(header.biHeight < 0 ? -header.biHeight : header.biHeight) == decoded.height;
            for (uint32_t y = 0; same && y < decoded.height; ++y)
                for (uint32_t x = 0; same && x < decoded.width; ++x) {
                    uint8_t rgb[3];
                    same = dib_pixel(dib, header, x, y, rgb) &&
                           std::memcmp(rgb, &decoded.rgb[(size_t(y) * decoded.width + x) * 3], 3) == 0;
                }
            std::printf("png equals dib: %s\n", same ? "yes" : "no");
        }
    }

    if (text.size() >= 2) {
        std::wstring wide(reinterpret_cast<const wchar_t*>(text.data()), text.size() / 2);
        wide.resize(wcsnlen(wide.c_str(), wide.size()));
        std::printf("text: %s\n", kestrix::win::narrow(wide).c_str());
    } else {
        std::printf("text: none\n");
    }
    std::printf("sequence: %lu\n", GetClipboardSequenceNumber());
    return 0;
}

int set_text(const std::wstring& text) {
    if (!OpenClipboard(nullptr)) return 1;
    EmptyClipboard();
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory) {
        std::memcpy(GlobalLock(memory), text.c_str(), bytes);
        GlobalUnlock(memory);
        if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
    }
    CloseClipboard();
    std::printf("sequence: %lu\n", GetClipboardSequenceNumber());
    return memory ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wstring(argv[1]) == L"--set-text") return set_text(argv[2]);
    if (argc == 2) return dump(argv[1]);
    std::fprintf(stderr, "usage: clipboard_read DIR | --set-text TEXT\n");
    return 2;
}
