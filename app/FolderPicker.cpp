#include "FolderPicker.h"

namespace ostrel {
namespace {

OpenDialogRequest RequestFor(PickerKind kind, const std::string& text) {
    if (kind == PickerKind::Source) {
        return {"Select PMP Source Folder", "PMP Files", {"*.PMP"}, text, "*.PMP"};
    }
    return {"Select JPG Output Folder", "All Files", {"*.*"}, text, "*.*"};
}

}  // namespace

std::string DeriveFolder(const std::string& path, char separator) {
    std::string folder = path.substr(0, path.find_last_of(separator) + 1);
    if (folder.find(separator) + 1 != folder.size()) {
        folder.pop_back();
    }
    return folder;
}

std::string ResolveTypedFolder(const std::string& typed, const std::string& home, char separator) {
    const bool drive = separator == '\\' && typed.size() >= 2 && typed[1] == ':';
    if (typed.empty() || typed.front() == '/' || typed.front() == separator || drive) {
        return typed;
    }
    if (typed == "~") {
        return home;
    }
    const bool inHome =
        typed.size() >= 2 && typed[0] == '~' && (typed[1] == '/' || typed[1] == separator);
    const std::string rest = inHome ? typed.substr(2) : typed;
    return home.ends_with(separator) ? home + rest : home + separator + rest;
}

bool RunFolderPicker(PickerKind kind, std::string& text, FileDialog& dialog, FileSystem& files,
                     MessageBox& messages, char separator) {
    OpenDialogRequest request = RequestFor(kind, text);
    for (;;) {
        const std::optional<std::string> picked = dialog.ShowOpen(request);
        if (!picked) {
            return false;
        }
        if (picked->find(separator) == std::string::npos) {
            messages.Show("You have selected an invalid folder. Please try again.", request.Title,
                          MessageKind::Information);
            request.FileName = *picked;
            continue;
        }
        const std::string folder = DeriveFolder(*picked, separator);
        if (!files.FolderExists(folder)) {
            messages.Show("CommonDialog returned invalid path despite cdlOFNPathMustExist",
                          request.Title, MessageKind::Critical);
            return false;
        }
        text = folder;
        return true;
    }
}

}  // namespace ostrel
