#include "RegistrySettingsStore.h"

#include <windows.h>

#include <memory>

namespace ostrel {
namespace {

std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                              static_cast<int>(wide.size()))));
    return wide;
}

std::string Narrow(const std::wstring& wide) {
    std::string text(wide.size() * 3, '\0');
    text.resize(static_cast<std::size_t>(
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(),
                              static_cast<int>(text.size()), nullptr, nullptr)));
    return text;
}

// QSettings' layout: the organisation, then the application, then one key
// for each section.
std::wstring SubkeyOf(const std::string& application, const std::string& section) {
    return L"Software\\Ostrel\\" + Wide(application) + L"\\" + Wide(section);
}

}  // namespace

std::string RegistrySettingsStore::Read(const std::string& application, const std::string& section,
                                        const std::string& key, const std::string& fallback) {
    const std::wstring subkey = SubkeyOf(application, section);
    const std::wstring name = Wide(key);
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
    return Narrow(value);
}

void RegistrySettingsStore::Write(const std::string& application, const std::string& section,
                                  const std::string& key, const std::string& value) {
    HKEY handle = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, SubkeyOf(application, section).c_str(), 0, nullptr, 0,
                          KEY_SET_VALUE, nullptr, &handle, nullptr) != ERROR_SUCCESS) {
        return;
    }
    const std::wstring text = Wide(value);
    ::RegSetValueExW(handle, Wide(key).c_str(), 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(handle);
}

std::unique_ptr<SettingsStore> MakeUserSettingsStore() {
    return std::make_unique<RegistrySettingsStore>();
}

}  // namespace ostrel
