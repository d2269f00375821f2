#pragma once
// The settings store on QSettings; it needs Qt Core only, so that the command
// line can read what the window stored.

#include <QString>
#include <map>
#include <optional>
#include <string>

#include "SettingsStore.h"

namespace ostrel {

// QSettings in the user's native store (the registry on Windows, an INI file
// "Ostrel/<application>.conf" under the XDG configuration folder elsewhere),
// one store per application name. With `folder`, an INI file
// "<application>.conf" in that folder instead. A file is read and written only
// when it is a regular file (or none yet) of at most 1 MiB, so that a FIFO or
// a device put there never blocks the program, nor a huge file exhausts its
// memory.
class QtSettingsStore final : public SettingsStore {
public:
    explicit QtSettingsStore(std::optional<QString> folder = std::nullopt)
        : folder_(std::move(folder)) {}
    std::optional<SettingsProblem> Unreadable(const std::string& application) override;
    std::string Read(const std::string& application, const std::string& section,
                     const std::string& key, const std::string& fallback) override;
    void Write(const std::string& application, const std::string& section, const std::string& key,
               const std::string& value) override;
    std::optional<SettingsProblem> Unwritten(const std::string& application) override;

private:
    std::optional<QString> folder_;
    std::map<std::string, SettingsProblem> unwritten_;  // the first, by application
};

}  // namespace ostrel
