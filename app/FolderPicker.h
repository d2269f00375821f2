#pragma once
// The two "..." buttons: a folder is picked through the file-open dialog by
// choosing (or typing) any file name in it. And what a folder typed into a
// box means.

#include <string>

#include "FileDialog.h"
#include "FileSystem.h"
#include "MessageBox.h"

namespace ostrel {

enum class PickerKind { Source, Output };

// The folder of a full path the dialog returned: cut back to the last
// separator, then drop that separator unless it is the first one (so a root
// keeps it). `path` holds at least one separator.
std::string DeriveFolder(const std::string& path, char separator);

// One run of a picker. `text` is the text box: it sets where the dialog opens
// and receives the picked folder. Returns true when it was changed.
bool RunFolderPicker(PickerKind kind, std::string& text, FileDialog& dialog, FileSystem& files,
                     MessageBox& messages, char separator);

// A folder box's text as a path: "~" is the home folder, "~/..." lies in it,
// and any other relative text is taken relative to the home folder, not to
// wherever the program was started. An absolute path and the empty text stay
// as they are; with "\" for `separator` (Windows), so do "\...", "C:..." and
// "\\server\...", and "~\..." lies in the home folder too.
std::string ResolveTypedFolder(const std::string& typed, const std::string& home, char separator);

}  // namespace ostrel
