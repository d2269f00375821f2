#include "StoredOptions.h"

#include <cstdlib>
#include <type_traits>
#include <vector>

namespace ostrel {
namespace {

using S = StoredOptions;

constexpr std::string_view ProcessSubfoldersEntries[] = {
    "Do nothing",
    "Convert into matching output subfolders",
    "Convert directly into top-level output folder",
};
constexpr std::string_view DeleteSourceFilesEntries[] = {
    "Do nothing",
    "Delete Sony picture files (*.PMP)",
    "Delete all Sony files (*.PMP, *.PMX, *.PMF)",
};
constexpr std::string_view DeleteSourceSubfoldersEntries[] = {
    "Do nothing",
    "Delete source subfolders if empty",
};
constexpr std::string_view JPGNameFormatEntries[] = {
    "History Data 1.x",
    "History Data 2.x (with short attribute names)",
    "History Data 2.x (with long attribute names)",
};

constexpr OptionWord SubfolderWords[] = {{"none", 0}, {"matching", 1}, {"top", 2}};
constexpr OptionWord DeletionWords[] = {{"none", 0}, {"pmp", 1}, {"sony", 2}};
constexpr OptionWord FormatWords[] = {{"1.x", 0}, {"2.x-short", 1}, {"2.x-long", 2}};
constexpr OptionWord SerialWords[] = {{"needed", 1}, {"always", 2}};
constexpr OptionWord RevisedWords[] = {{"different", 1}, {"always", 2}};
constexpr OptionWord IllegalWords[] = {{"translate", 1}, {"remove", 2}};

constexpr const char* Main = "Main";
constexpr const char* Advanced = "Advanced";

OptionField Text(const char* section, const char* key, std::string S::*field,
                 const char* option = nullptr, const char* help = nullptr) {
    return {section, key, OptionKind::Text, field, {}, {}, option, {}, help};
}

OptionField List(const char* key, ListIndex S::*field, std::span<const std::string_view> entries,
                 const char* option, std::span<const OptionWord> words, const char* help) {
    return {Main, key, OptionKind::List, field, entries, {}, option, words, help};
}

OptionField Check(const char* key, CheckBox S::*field, const char* omitWord = nullptr) {
    return {Advanced, key, OptionKind::Check, field, {}, {}, omitWord};
}

OptionField ModeOf(const char* key, Mode S::*field, std::array<const char*, 2> buttons,
                   const char* option, std::span<const OptionWord> words, const char* help) {
    return {Advanced, key, OptionKind::ButtonPair, field, {}, buttons, option, words, help};
}

const std::vector<OptionField>& Table() {
    static const std::vector<OptionField> table = {
        Text(Main, "SourcePath", &S::SourcePath),
        Text(Main, "OutputPath", &S::OutputPath),
        List("ProcessSubfolders", &S::ProcessSubfolders, ProcessSubfoldersEntries, "--subfolders",
             SubfolderWords,
             "Process subfolders: not at all, into matching output subfolders, or "
             "into the output folder itself"),
        List("DeleteSourceFiles", &S::DeleteSourceFiles, DeleteSourceFilesEntries, "--delete-files",
             DeletionWords, "Delete converted PMP files, or all Sony files (PMP, PMX, PMF)"),
        List("DeleteSourceSubfolders", &S::DeleteSourceSubfolders, DeleteSourceSubfoldersEntries,
             "--delete-empty-subfolders", {},
             "Delete source subfolders that are left without files"),
        List("JPGNameFormat", &S::JPGNameFormat, JPGNameFormatEntries, "--format", FormatWords,
             "File name format"),
        Check("ExtractRecorded", &S::ExtractRecorded, "recorded"),
        Check("AddSerialNumber", &S::AddSerialNumber),
        ModeOf("SerialNumberMode", &S::SerialNumberMode, {"Option1", "Option2"}, "--serial",
               SerialWords, "Add a serial number only when needed, or always"),
        Check("ExtractAlbumNumber", &S::ExtractAlbumNumber, "album"),
        Check("ExtractShotNumber", &S::ExtractShotNumber, "shot"),
        Check("ExtractLensOrientation", &S::ExtractLensOrientation, "lens"),
        Check("ExtractFlash", &S::ExtractFlash, "flash"),
        Check("ExtractShutter", &S::ExtractShutter, "shutter"),
        Check("ExtractQuality", &S::ExtractQuality, "quality"),
        Check("ExtractEdited", &S::ExtractEdited, "revised"),
        ModeOf("ExtractEditedDifferent", &S::ExtractEditedDifferent, {"Option3", "Option4"},
               "--revised", RevisedWords,
               "Include the revised date only if different from the recorded one, or always"),
        Check("ExtractComment", &S::ExtractComment, "comment"),
        ModeOf("IllegalCharacters", &S::IllegalCharacters, {"Option5", "Option6"}, "--illegal",
               IllegalWords, "Translate or remove characters that file names cannot hold"),
        Check("AddDeviceName", &S::AddDeviceName, "device"),
        Text(Advanced, "DeviceName", &S::DeviceName, "--device-name",
             "The device name put into the names"),
    };
    return table;
}

}  // namespace

std::string DefaultFolder() {
#ifdef _WIN32
    return "C:\\";
#else
    const char* home = std::getenv("HOME");
    return home != nullptr && *home != '\0' ? std::string(home) : std::string("/");
#endif
}

ConversionOptions EngineOptions(const StoredOptions& s) {
    ConversionOptions o;
    o.Subfolders = s.ProcessSubfolders <= 0   ? SubfolderMode::None
                   : s.ProcessSubfolders == 1 ? SubfolderMode::Matching
                                              : SubfolderMode::TopLevel;
    o.DeleteFiles = s.DeleteSourceFiles == 1   ? SourceDeletion::Pictures
                    : s.DeleteSourceFiles == 2 ? SourceDeletion::AllSonyFiles
                                               : SourceDeletion::None;
    o.DeleteEmptySubfolders = s.DeleteSourceSubfolders == 1;
    o.Format = s.JPGNameFormat == 0   ? NameFormat::HistoryData1
               : s.JPGNameFormat == 1 ? NameFormat::HistoryData2Short
                                      : NameFormat::HistoryData2Long;
    o.Serial = s.SerialNumberMode == 2 ? SerialNumbers::Always : SerialNumbers::WhenNeeded;
    o.Revised = s.ExtractEditedDifferent == 2 ? RevisedDate::Always : RevisedDate::WhenDifferent;
    o.Illegal = s.IllegalCharacters == 1 ? IllegalCharacters::Translate : IllegalCharacters::Remove;
    NameComponents& include = o.Include;
    include.Recorded = s.ExtractRecorded != 0;
    include.AlbumNumber = s.ExtractAlbumNumber != 0;
    include.ShotNumber = s.ExtractShotNumber != 0;
    include.LensOrientation = s.ExtractLensOrientation != 0;
    include.Flash = s.ExtractFlash != 0;
    include.ShutterSpeed = s.ExtractShutter != 0;
    include.Quality = s.ExtractQuality != 0;
    include.Revised = s.ExtractEdited != 0;
    include.Comment = s.ExtractComment != 0;
    include.DeviceName = s.AddDeviceName != 0;
    o.DeviceName = s.DeviceName;
    return o;
}

long OptionField::Number(const StoredOptions& options) const {
    return std::visit(
        [&](auto field) -> long {
            if constexpr (std::is_same_v<decltype(field), std::string S::*>) {
                return 0;
            } else {
                return options.*field;
            }
        },
        Field);
}

void OptionField::SetNumber(StoredOptions& options, long value) const {
    std::visit(
        [&](auto field) {
            if constexpr (!std::is_same_v<decltype(field), std::string S::*>) {
                using Value = std::remove_reference_t<decltype(options.*field)>;
                options.*field = static_cast<Value>(value);
            }
        },
        Field);
}

const std::string& OptionField::Text(const StoredOptions& options) const {
    return options.*std::get<std::string S::*>(Field);
}

void OptionField::SetText(StoredOptions& options, std::string value) const {
    options.*std::get<std::string S::*>(Field) = std::move(value);
}

std::span<const OptionField> OptionTable() {
    return Table();
}

}  // namespace ostrel
