#include "RegistrySettingsStore.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

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
    // A text, or a number as a hand edit or a deployment tool stores it, read
    // as the window's QSettings reads it: a signed decimal, an unexpanded text.
    constexpr DWORD kinds =
        RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND | RRF_RT_REG_DWORD | RRF_RT_REG_QWORD;
    DWORD type = 0;
    DWORD bytes = 0;
    std::vector<BYTE> data;
    LSTATUS status = ERROR_MORE_DATA;
    while (status == ERROR_MORE_DATA) {  // until it holds still
        status = ::RegGetValueW(HKEY_CURRENT_USER, subkey.c_str(), name.c_str(), kinds, &type,
                                nullptr, &bytes);
        if (status == ERROR_SUCCESS) {
            data.assign(bytes + sizeof(wchar_t), 0);
            bytes = static_cast<DWORD>(data.size());
            status = ::RegGetValueW(HKEY_CURRENT_USER, subkey.c_str(), name.c_str(), kinds, &type,
                                    data.data(), &bytes);
        }
    }
    if (status != ERROR_SUCCESS) {
        return fallback;
    }
    if (type == REG_DWORD) {
        std::int32_t number = 0;
        std::memcpy(&number, data.data(), sizeof number);
        return std::to_string(number);
    }
    if (type == REG_QWORD) {
        std::int64_t number = 0;
        std::memcpy(&number, data.data(), sizeof number);
        return std::to_string(number);
    }
    std::wstring value(data.size() / sizeof(wchar_t), L'\0');
    std::memcpy(value.data(), data.data(), value.size() * sizeof(wchar_t));
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
