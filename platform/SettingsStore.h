#pragma once
// The per-user settings store: text values addressed by application name,
// section and key.

#include <memory>
#include <string>

namespace ostrel {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or `fallback` when nothing is stored under the key.
    virtual std::string Read(const std::string& application, const std::string& section,
                             const std::string& key, const std::string& fallback) = 0;
    // Stores the text, creating the application and section as needed. A store
    // that cannot be written loses the value; nothing is thrown.
    virtual void Write(const std::string& application, const std::string& section,
                       const std::string& key, const std::string& value) = 0;
};

// The current user's own store, where the window keeps its options (the
// registry on Windows).
std::unique_ptr<SettingsStore> MakeUserSettingsStore();

}  // namespace ostrel
