#include "Settings.h"

#include <charconv>
#include <optional>
#include <utility>

namespace ostrel {
namespace {

// A decimal integer in [low, high], the whole text and nothing else.
std::optional<long> Decimal(const std::string& text, long low, long high) {
    long value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

// What the store's text means for the field, or nothing for its default.
std::optional<long> Loaded(const OptionField& field, const std::string& text) {
    switch (field.Kind) {
        case OptionKind::List:  // -1 (no entry) or one of the entries
            return Decimal(text, -1, static_cast<long>(field.Entries.size()) - 1);
        case OptionKind::Check:
            return Decimal(text, 0, 1);
        case OptionKind::ButtonPair:  // 1 stays 1, any other 8-bit value becomes 2
            if (const auto value = Decimal(text, 0, 255)) {
                return *value == 1 ? 1 : 2;
            }
            return std::nullopt;
        case OptionKind::Text:
            break;
    }
    return std::nullopt;
}

}  // namespace

std::string FormAppName(const std::string& title, int major, int minor) {
    return title + " " + std::to_string(major) + "." + std::to_string(minor);
}

StoredOptions LoadOptions(SettingsStore& store, const std::string& appName) {
    StoredOptions options;
    for (const OptionField& field : OptionTable()) {
        const bool text = field.Kind == OptionKind::Text;
        // A missing key reads as the default, as stored.
        std::string stored =
            store.Read(appName, field.Section, field.Key,
                       text ? field.Text(options) : std::to_string(field.Number(options)));
        if (text) {
            field.SetText(options, std::move(stored));
        } else if (const auto value = Loaded(field, stored)) {
            field.SetNumber(options, *value);
        }
    }
    return options;
}

void SaveOptions(SettingsStore& store, const std::string& appName, const StoredOptions& options) {
    for (const OptionField& field : OptionTable()) {
        store.Write(appName, field.Section, field.Key,
                    field.Kind == OptionKind::Text ? field.Text(options)
                                                   : std::to_string(field.Number(options)));
    }
}

}  // namespace ostrel
