#pragma once
// The settings store in the Windows registry, where the window's QSettings
// keeps its options: HKEY_CURRENT_USER\Software\Ostrel\<application>\<section>,
// one REG_SZ value for each key, a text that begins with "@" with another "@"
// before it, as QSettings writes it. Reads a REG_DWORD or REG_QWORD value as
// its signed decimal and a REG_EXPAND_SZ one as its unexpanded text, as
// QSettings does; a value of any other type reads as missing. Needs no Qt, so
// that ostrel-convert reads what the window stored.

#include "SettingsStore.h"

namespace ostrel {

class RegistrySettingsStore final : public SettingsStore {
public:
    std::string Read(const std::string& application, const std::string& section,
                     const std::string& key, const std::string& fallback) override;
    void Write(const std::string& application, const std::string& section, const std::string& key,
               const std::string& value) override;
};

}  // namespace ostrel
