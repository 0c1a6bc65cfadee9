#include "folder_dialog.h"

#include <shobjidl.h>

#include "com.h"

namespace kestrix::win {

namespace {

// Frees what the shell allocated for a name.
struct ShellText {
    wchar_t* text = nullptr;
    ~ShellText() { CoTaskMemFree(text); }
};

}  // namespace

std::optional<std::filesystem::path> ask_folder(HWND owner, const std::filesystem::path& start) {
    ComApartment com;
    ComRef<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                dialog.put_void())))
        return std::nullopt;
    FILEOPENDIALOGOPTIONS options = 0;
    if (FAILED(dialog->GetOptions(&options))) return std::nullopt;
    // Only folders that are real file-system folders: a library or "This PC" cannot take files.
    if (FAILED(dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST)))
        return std::nullopt;
    if (!start.empty()) {
        ComRef<IShellItem> folder;
        if (SUCCEEDED(SHCreateItemFromParsingName(start.c_str(), nullptr, IID_IShellItem, folder.put_void())))
            (void)dialog->SetFolder(folder.get());
    }
    if (FAILED(dialog->Show(owner))) return std::nullopt;  // cancelled, too
    ComRef<IShellItem> chosen;
    if (FAILED(dialog->GetResult(chosen.put()))) return std::nullopt;
    ShellText path;
    if (FAILED(chosen->GetDisplayName(SIGDN_FILESYSPATH, &path.text)) || !path.text) return std::nullopt;
    return std::filesystem::path(path.text);
}

}  // namespace kestrix::win
