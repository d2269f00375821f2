#pragma once
// The standard file-open dialog, as the folder pickers use it.

#include <optional>
#include <string>
#include <vector>

namespace ostrel {

struct OpenDialogRequest {
    std::string Title;
    std::string FilterName;             // "PMP Files"
    std::vector<std::string> Patterns;  // "*.PMP"; "*.*" is every file, with a dot or not
    std::string InitialFolder;  // any text; where an unusable one opens is the dialog's choice
    std::string FileName;       // the content of the name box
};

class FileDialog {
public:
    virtual ~FileDialog() = default;
    // Shows the dialog modally, with one filter: its name and its patterns.
    // Returns the full path of the chosen or typed name, or nothing when the
    // user cancelled or the dialog could not be shown.
    virtual std::optional<std::string> ShowOpen(const OpenDialogRequest& request) = 0;
};

}  // namespace ostrel
