// Reading the clipboard back in the Wine test programs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// A copy of one clipboard format's bytes (the clipboard must be open); empty when
// the format is missing.
inline std::vector<uint8_t> read_format(UINT format) {
    std::vector<uint8_t> bytes;
    HANDLE data = GetClipboardData(format);
    if (!data) return bytes;
    const SIZE_T size = GlobalSize(data);
    if (const void* p = GlobalLock(data)) {
        bytes.assign(static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + size);
        GlobalUnlock(data);
    }
    return bytes;
}
