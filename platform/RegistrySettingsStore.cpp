#include "RegistrySettingsStore.h"

#include <windows.h>

#include <memory>

#include "Utf16.h"

namespace ostrel {
namespace {

// QSettings' layout: the organisation, then the application, then one key
// for each section.
std::wstring SubkeyOf(const std::string& application, const std::string& section) {
    return L"Software\\Ostrel\\" + Utf16(application) + L"\\" + Utf16(section);
}

// QSettings marks its own encodings ("@Variant(...)", "@ByteArray(...)") with
// a leading "@", so a text that begins with "@" is kept with another before it.
constexpr char kMark = '@';

}  // namespace

std::string RegistrySettingsStore::Read(const std::string& application, const std::string& section,
                                        const std::string& key, const std::string& fallback) {
    const std::wstring subkey = SubkeyOf(application, section);
    const std::wstring name = Utf16(key);
    DWORD bytes = 0;
    if (::RegGetValueW(HKEY_CURRENT_USER, subkey.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr,
                       nullptr, &bytes) != ERROR_SUCCESS) {
        return fallback;
    }
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (::RegGetValueW(HKEY_CURRENT_USER, subkey.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr,
                       value.data(), &bytes) != ERROR_SUCCESS) {
        return fallback;
    }
    value.resize(wcsnlen(value.c_str(), value.size()));
    std::string text = Utf8(value);
    if (text.size() >= 2 && text[0] == kMark && text[1] == kMark) {
        text.erase(0, 1);
    }
    return text;
}

void RegistrySettingsStore::Write(const std::string& application, const std::string& section,
                                  const std::string& key, const std::string& value) {
    HKEY handle = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, SubkeyOf(application, section).c_str(), 0, nullptr, 0,
                          KEY_SET_VALUE, nullptr, &handle, nullptr) != ERROR_SUCCESS) {
        return;
    }
    const std::wstring text = Utf16(value.starts_with(kMark) ? kMark + value : value);
    ::RegSetValueExW(handle, Utf16(key).c_str(), 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(handle);
}

std::unique_ptr<SettingsStore> MakeUserSettingsStore() {
    return std::make_unique<RegistrySettingsStore>();
}

}  // namespace ostrel
