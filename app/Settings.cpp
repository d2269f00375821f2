#include "Settings.h"

#include <charconv>
#include <optional>

namespace ostrel {
namespace {

constexpr const char* MainSection = "Main";
constexpr const char* AdvancedSection = "Advanced";

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

class Reader {
public:
    Reader(SettingsStore& store, const std::string& app) : store_(store), app_(app) {}

    std::string Text(const char* section, const char* key, const std::string& fallback) {
        return store_.Read(app_, section, key, fallback);
    }

    // A list index: -1 (no entry) or one of the list's `entries`.
    ListIndex Index(const char* section, const char* key, ListIndex fallback, std::size_t entries) {
        const auto value =
            Decimal(Text(section, key, std::to_string(fallback)), -1, long(entries) - 1);
        return value ? static_cast<ListIndex>(*value) : fallback;
    }

    CheckBox Check(const char* key) {
        const auto value = Decimal(Text(AdvancedSection, key, "1"), 0, 1);
        return value ? static_cast<CheckBox>(*value) : CheckBox{1};
    }

    // A mode: 1 stays 1, any other 8-bit value becomes 2.
    Mode ModeOf(const char* key) {
        const auto value = Decimal(Text(AdvancedSection, key, "1"), 0, 255);
        return !value || *value == 1 ? Mode{1} : Mode{2};
    }

private:
    SettingsStore& store_;
    const std::string& app_;
};

}  // namespace

std::string FormAppName(const std::string& title, int major, int minor) {
    return title + " " + std::to_string(major) + "." + std::to_string(minor);
}

ConversionOptions LoadOptions(SettingsStore& store, const std::string& AppName) {
    const ConversionOptions defaults;
    ConversionOptions o;
    Reader read(store, AppName);
    o.SourcePath = read.Text(MainSection, "SourcePath", defaults.SourcePath);
    o.OutputPath = read.Text(MainSection, "OutputPath", defaults.OutputPath);
    o.ProcessSubfolders =
        read.Index(MainSection, "ProcessSubfolders", 0, ProcessSubfoldersEntries.size());
    o.DeleteSourceFiles =
        read.Index(MainSection, "DeleteSourceFiles", 0, DeleteSourceFilesEntries.size());
    o.DeleteSourceSubfolders =
        read.Index(MainSection, "DeleteSourceSubfolders", 0, DeleteSourceSubfoldersEntries.size());
    o.JPGNameFormat = read.Index(MainSection, "JPGNameFormat", 1, JPGNameFormatEntries.size());
    o.ExtractRecorded = read.Check("ExtractRecorded");
    o.AddSerialNumber = read.Check("AddSerialNumber");
    o.SerialNumberMode = read.ModeOf("SerialNumberMode");
    o.ExtractAlbumNumber = read.Check("ExtractAlbumNumber");
    o.ExtractShotNumber = read.Check("ExtractShotNumber");
    o.ExtractLensOrientation = read.Check("ExtractLensOrientation");
    o.ExtractFlash = read.Check("ExtractFlash");
    o.ExtractShutter = read.Check("ExtractShutter");
    o.ExtractQuality = read.Check("ExtractQuality");
    o.ExtractEdited = read.Check("ExtractEdited");
    o.ExtractEditedDifferent = read.ModeOf("ExtractEditedDifferent");
    o.ExtractComment = read.Check("ExtractComment");
    o.IllegalCharacters = read.ModeOf("IllegalCharacters");
    o.AddDeviceName = read.Check("AddDeviceName");
    o.DeviceName = read.Text(AdvancedSection, "DeviceName", defaults.DeviceName);
    return o;
}

void SaveOptions(SettingsStore& store, const std::string& AppName, const ConversionOptions& o) {
    const auto main = [&](const char* key, const std::string& value) {
        store.Write(AppName, MainSection, key, value);
    };
    const auto advanced = [&](const char* key, const std::string& value) {
        store.Write(AppName, AdvancedSection, key, value);
    };
    const auto number = [](long value) { return std::to_string(value); };
    main("SourcePath", o.SourcePath);
    main("OutputPath", o.OutputPath);
    main("ProcessSubfolders", number(o.ProcessSubfolders));
    main("DeleteSourceFiles", number(o.DeleteSourceFiles));
    main("DeleteSourceSubfolders", number(o.DeleteSourceSubfolders));
    main("JPGNameFormat", number(o.JPGNameFormat));
    advanced("ExtractRecorded", number(o.ExtractRecorded));
    advanced("AddSerialNumber", number(o.AddSerialNumber));
    advanced("SerialNumberMode", number(o.SerialNumberMode));
    advanced("ExtractAlbumNumber", number(o.ExtractAlbumNumber));
    advanced("ExtractShotNumber", number(o.ExtractShotNumber));
    advanced("ExtractLensOrientation", number(o.ExtractLensOrientation));
    advanced("ExtractFlash", number(o.ExtractFlash));
    advanced("ExtractShutter", number(o.ExtractShutter));
    advanced("ExtractQuality", number(o.ExtractQuality));
    advanced("ExtractEdited", number(o.ExtractEdited));
    advanced("ExtractEditedDifferent", number(o.ExtractEditedDifferent));
    advanced("ExtractComment", number(o.ExtractComment));
    advanced("IllegalCharacters", number(o.IllegalCharacters));
    advanced("AddDeviceName", number(o.AddDeviceName));
    advanced("DeviceName", o.DeviceName);
}

}  // namespace ostrel
