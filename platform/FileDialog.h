#pragma once
// The standard file-open dialog, as the folder pickers use it.

#include <cstdint>
#include <optional>
#include <string>

namespace ostrel {

struct OpenDialogSettings {
    std::string DialogTitle;
    std::string Filter;  // "description|pattern"
    std::int32_t Flags = 0;
    std::string InitDir;   // any text; where an unusable one opens is the dialog's choice
    std::string FileName;  // the content of the name box
};

class FileDialog {
public:
    virtual ~FileDialog() = default;
    // Shows the dialog modally. Returns the full path of the chosen or typed
    // name, or nothing when the user cancelled or the dialog could not be shown.
    virtual std::optional<std::string> ShowOpen(const OpenDialogSettings& settings) = 0;
};

}  // namespace ostrel
