#include "tray_icon.h"

#include <cstring>
#include <vector>

#include "gdi_handles.h"
#include "kestrix/icon.h"

namespace kestrix::win {

bool taskbar_uses_light_theme() {
    DWORD value = 0;
    DWORD size = sizeof value;
    const LSTATUS status =
        RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
                     L"SystemUsesLightTheme", RRF_RT_REG_DWORD, nullptr, &value, &size);
    return status == ERROR_SUCCESS && value == 1;
}

IconHandle icon_from_image(const Image& image) {
    const LONG width = LONG(image.width());
    const LONG height = LONG(image.height());

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down, like the Image
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;

    void* bits = nullptr;
    GdiObject<HBITMAP> colour(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!colour || !bits) return {};
    std::memcpy(bits, image.pixels().data(), image.pixels().size());

    // The mask only matters for pixels the alpha channel does not decide; keep it all zero.
    const std::vector<uint8_t> zero_mask(size_t((width + 15) / 16 * 2) * size_t(height), 0);
    GdiObject<HBITMAP> mask(CreateBitmap(width, height, 1, 1, zero_mask.data()));

    ICONINFO icon_info{};
    icon_info.fIcon = TRUE;
    icon_info.hbmMask = mask.get();
    icon_info.hbmColor = colour.get();
    IconHandle icon(CreateIconIndirect(&icon_info));

    std::memset(bits, 0, image.pixels().size());
    return icon;
}

IconHandle make_tray_icon() {
    // The shell draws the notification area at the system scale; asked each time, since
    // the user may change the scale while Kestrix runs.
    const UINT dpi = GetDpiForSystem();
    const uint32_t d = icon_size(GetSystemMetricsForDpi(SM_CXSMICON, dpi), GetSystemMetricsForDpi(SM_CYSMICON, dpi));
    return icon_from_image(draw_icon(d, icon_colour(taskbar_uses_light_theme())));
}

}  // namespace kestrix::win
