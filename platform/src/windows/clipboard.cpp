#include "clipboard.h"

#include <windows.h>

#include <cstring>
#include <optional>
#include <utility>

#include "kestrix/dib.h"
#include "host.h"
#include "kestrix/utf8.h"

namespace kestrix::win {

namespace {

// Other programs often hold the clipboard for a moment, and a remote desktop session
// holds it longer while it syncs a big image: 50 tries, 20 ms apart, about 1 s in all.
constexpr int OPEN_TRIES = 50;
constexpr DWORD OPEN_RETRY_MS = 20;

// The names a failed call is reported under; text copies add "(text)".
struct CallNames {
    const char* alloc;
    const char* lock;
    const char* set;
};
constexpr CallNames IMAGE_CALLS{"GlobalAlloc", "GlobalLock", "SetClipboardData"};
constexpr CallNames TEXT_CALLS{"GlobalAlloc(text)", "GlobalLock(text)", "SetClipboardData(text)"};

PlatformError last_error(const char* call) { return PlatformError::os(call, int32_t(GetLastError())); }

// A movable global memory block, freed unless the clipboard has taken it.
class GlobalBlock {
public:
    GlobalBlock() = default;
    explicit GlobalBlock(HGLOBAL handle) : handle_(handle) {}
    ~GlobalBlock() {
        if (handle_) GlobalFree(handle_);
    }
    GlobalBlock(GlobalBlock&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    GlobalBlock& operator=(GlobalBlock&& other) noexcept {
        std::swap(handle_, other.handle_);
        return *this;
    }
    HGLOBAL get() const { return handle_; }
    HGLOBAL release() { return std::exchange(handle_, nullptr); }

private:
    HGLOBAL handle_ = nullptr;
};

// A block of `length` bytes that `fill` writes through a lock, so a payload is
// built in place rather than copied from a buffer of its own.
template <class Fill>
Result<GlobalBlock, PlatformError> make_block(size_t length, const CallNames& names, Fill&& fill) {
    GlobalBlock block(GlobalAlloc(GMEM_MOVEABLE, length));
    if (!block.get()) return fail(last_error(names.alloc));
    void* bytes = GlobalLock(block.get());
    if (!bytes) return fail(last_error(names.lock));
    fill(static_cast<uint8_t*>(bytes));
    GlobalUnlock(block.get());
    return block;
}

Result<GlobalBlock, PlatformError> copy_to_block(const void* data, size_t length, const CallNames& names) {
    return make_block(length, names, [&](uint8_t* out) { std::memcpy(out, data, length); });
}

// Hands the block to the clipboard; on failure it is freed here.
Result<void, PlatformError> place(UINT format, GlobalBlock block, const CallNames& names) {
    if (!SetClipboardData(format, block.get())) return fail(last_error(names.set));
    block.release();  // the clipboard owns it now
    return {};
}

// The clipboard held open by this thread until the scope ends. Opening makes up to
// OPEN_TRIES attempts, with a sleep between two attempts and none after the last. The
// host window owns it: opened without an owner, EmptyClipboard leaves the clipboard
// ownerless and SetClipboardData fails.
class ClipboardScope {
public:
    explicit ClipboardScope(HWND owner = host_window()) {
        for (int attempt = 1; attempt <= OPEN_TRIES && !open_; ++attempt) {
            open_ = OpenClipboard(owner);
            if (!open_ && attempt < OPEN_TRIES) Sleep(OPEN_RETRY_MS);
        }
    }
    ~ClipboardScope() {
        if (open_) CloseClipboard();
    }
    ClipboardScope(const ClipboardScope&) = delete;
    ClipboardScope& operator=(const ClipboardScope&) = delete;
    bool is_open() const { return open_; }

private:
    bool open_ = false;
};

PlatformError busy() { return {PlatformError::ClipboardBusy{}}; }

// The PNG bytes, already in a global block; none when the format is not registered.
Result<std::optional<GlobalBlock>, PlatformError> png_block(std::span<const uint8_t> png, UINT format) {
    if (!format) return std::optional<GlobalBlock>{};
    auto block = copy_to_block(png.data(), png.size(), IMAGE_CALLS);
    if (!block) return fail(std::move(block).error());
    return std::optional<GlobalBlock>{std::move(*block)};
}

}  // namespace

Result<void, PlatformError> copy_image(const Image& image, std::span<const uint8_t> png_bytes) {
    return copy_image_owned_by(host_window(), image, png_bytes);
}

Result<void, PlatformError> copy_image_owned_by(HWND owner, const Image& image, std::span<const uint8_t> png_bytes) {
    // Both payloads are ready before the clipboard is opened, so it is held
    // only for the hand-over, and a payload that cannot be made leaves the
    // user's clipboard as it was.
    auto dib_size = packed_dib_size(image.width(), image.height());
    if (!dib_size) return fail(PlatformError::image(dib_size.error()));
    auto dib = make_block(*dib_size, IMAGE_CALLS, [&](uint8_t* out) { write_packed_dib(image, out); });
    if (!dib) return fail(std::move(dib).error());
    const UINT png_format = RegisterClipboardFormatW(L"PNG");  // 0: the DIB goes alone
    auto png = png_block(png_bytes, png_format);
    if (!png) return fail(std::move(png).error());

    ClipboardScope clipboard(owner);
    if (!clipboard.is_open()) return fail(busy());
    if (!EmptyClipboard()) return fail(last_error("EmptyClipboard"));
    if (auto placed = place(CF_DIB, std::move(*dib), IMAGE_CALLS); !placed) return placed;
    if (*png) return place(png_format, std::move(**png), IMAGE_CALLS);
    return {};
}

Result<void, PlatformError> copy_image(const Image& image) {
    auto png = encodePng(image);
    if (!png) return fail(PlatformError::image(std::move(png).error()));
    return copy_image(image, *png);
}

Result<void, PlatformError> copy_text(std::string_view utf8) {
    std::u16string units = utf16_from_utf8(utf8);
    units.push_back(u'\0');
    auto block = copy_to_block(units.data(), units.size() * sizeof(char16_t), TEXT_CALLS);
    if (!block) return fail(std::move(block).error());

    ClipboardScope clipboard;
    if (!clipboard.is_open()) return fail(busy());
    EmptyClipboard();  // its failure does not stop the text from replacing what is there
    return place(CF_UNICODETEXT, std::move(*block), TEXT_CALLS);
}

}  // namespace kestrix::win
