#pragma once
// Keeping the options between runs: the 23 keys under the application name
// "Ostrel <major>.<minor>", in the sections "Main" and "Advanced".

#include <string>

#include "SettingsStore.h"
#include "StoredOptions.h"

namespace ostrel {

// "Ostrel 2.8": title, blank, major and minor version; the revision is not part
// of it, so releases that differ only there share their settings.
std::string FormAppName(const std::string& title, int major, int minor);

// Reads every option. A missing key takes its default; so does a stored value
// that cannot be loaded (not a decimal number in the field's range, a list
// index past the list, a check box other than 0 or 1). A mode other than 1
// loads as 2.
StoredOptions LoadOptions(SettingsStore& store, const std::string& appName);

// Writes all 23 keys.
void SaveOptions(SettingsStore& store, const std::string& appName, const StoredOptions& options);

}  // namespace ostrel
