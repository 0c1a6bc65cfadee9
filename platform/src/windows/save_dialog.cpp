#include "save_dialog.h"

#include <commdlg.h>

#include <algorithm>
#include <string>
#include <vector>

#include "wide_text.h"

namespace kestrix::win {

namespace {

constexpr size_t kBufferUnits = 32768;
// Fixed English texts: the dialog reads the same in every interface language.
constexpr wchar_t kFilter[] =
    L"PNG image (*.png)\0*.png\0JPEG image (*.jpg, *.jpeg)\0*.jpg;*.jpeg\0All files (*.*)\0*.*\0";
constexpr wchar_t kTitle[] = L"Save screenshot";
constexpr wchar_t kExtension[] = L"png";
constexpr DWORD kFlags = OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_EXPLORER;

static_assert(kFlags == 0x8080A);
static_assert(sizeof(OPENFILENAMEW) == 152 || sizeof(void*) != 8);

// The folder last saved to in this process: the next dialog starts there.
thread_local std::optional<std::filesystem::path> last_folder;

// The proposed name in a zeroed buffer, in `folder` when there is one (the dialog then
// opens there); the last unit stays 0 so the dialog always finds the end of a name
// that had to be cut, and a cut never leaves half a surrogate pair.
std::vector<wchar_t> name_buffer(std::string_view suggested_name, const std::optional<std::filesystem::path>& folder) {
    std::vector<wchar_t> buffer(kBufferUnits, L'\0');
    std::wstring name = wide(suggested_name);
    // A folder removed since would make the dialog refuse the whole name.
    std::error_code ec;
    if (folder && !folder->empty() && std::filesystem::is_directory(*folder, ec))
        name = (*folder / std::filesystem::path(name)).wstring();
    size_t units = std::min(name.size(), kBufferUnits - 1);
    if (units < name.size() && units > 0 && IS_HIGH_SURROGATE(name[units - 1])) --units;
    std::copy_n(name.begin(), units, buffer.begin());
    return buffer;
}

}  // namespace

std::optional<std::filesystem::path> ask_save_path(HWND owner, std::string_view suggested_name,
                                                   const std::optional<std::filesystem::path>& start_folder) {
    std::vector<wchar_t> buffer = name_buffer(suggested_name, last_folder ? last_folder : start_folder);

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kFilter;  // the literal's own terminator closes the list
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = DWORD(buffer.size());
    dialog.lpstrTitle = kTitle;
    dialog.lpstrDefExt = kExtension;
    dialog.Flags = kFlags;
    if (!GetSaveFileNameW(&dialog)) return std::nullopt;  // cancelled or failed: both mean "no path"

    const auto end = std::find(buffer.begin(), buffer.end(), L'\0');
    if (end == buffer.begin() || end == buffer.end()) return std::nullopt;
    std::filesystem::path chosen(std::wstring(buffer.begin(), end));
    last_folder = chosen.parent_path();
    return chosen;
}

}  // namespace kestrix::win
