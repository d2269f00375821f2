#pragma once
// The per-user settings store: text values addressed by application name,
// section and key.

#include <memory>
#include <optional>
#include <string>

namespace ostrel {

// Why stored settings cannot be read: where they are kept, and the reason.
struct SettingsProblem {
    std::string Where;
    std::string Why;
};

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // What keeps the application's stored settings from being read, when
    // something is stored and cannot be: Read then gives every fallback.
    virtual std::optional<SettingsProblem> Unreadable(const std::string& /*application*/) {
        return std::nullopt;
    }
    // The stored text, or `fallback` when nothing is stored under the key.
    virtual std::string Read(const std::string& application, const std::string& section,
                             const std::string& key, const std::string& fallback) = 0;
    // Stores the text, creating the application and section as needed. A store
    // that cannot be written loses the value; nothing is thrown.
    virtual void Write(const std::string& application, const std::string& section,
                       const std::string& key, const std::string& value) = 0;
    // What kept values written since the last call from being stored (a
    // read-only or full medium, a settings file that is no file), once.
    virtual std::optional<SettingsProblem> Unwritten(const std::string& /*application*/) {
        return std::nullopt;
    }
};

// The current user's own store, where the window keeps its options (the
// registry on Windows).
std::unique_ptr<SettingsStore> MakeUserSettingsStore();

}  // namespace ostrel
