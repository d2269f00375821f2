#include "StoredOptions.h"

#include <algorithm>
#include <cstdlib>
#include <type_traits>
#include <vector>

#include "CodePage.h"

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

// The Windows ANSI code pages, each with its number as ostrel-convert takes it
// and its entry in the list.
struct CodePageChoice {
    unsigned CodePage;
    std::string_view Word;
    std::string_view Entry;
};
constexpr CodePageChoice CodePageChoices[] = {
    {874, "874", "Thai (874)"},         {932, "932", "Japanese (932)"},
    {936, "936", "Chinese GBK (936)"},  {949, "949", "Korean (949)"},
    {950, "950", "Chinese Big5 (950)"}, {1250, "1250", "Central European (1250)"},
    {1251, "1251", "Cyrillic (1251)"},  {1252, "1252", "Western European (1252)"},
    {1253, "1253", "Greek (1253)"},     {1254, "1254", "Turkish (1254)"},
    {1255, "1255", "Hebrew (1255)"},    {1256, "1256", "Arabic (1256)"},
    {1257, "1257", "Baltic (1257)"},    {1258, "1258", "Vietnamese (1258)"},
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
                 const char* option, std::span<const OptionWord> words, const char* help,
                 const char* section = Main) {
    return {section, key, OptionKind::List, field, entries, {}, option, words, help};
}

// `option`: the word of --omit that unchecks it, or the flag that checks it.
OptionField Check(const char* key, CheckBox S::*field, const char* option = nullptr,
                  const char* help = nullptr) {
    return {Advanced, key, OptionKind::Check, field, {}, {}, option, {}, help};
}

OptionField ModeOf(const char* key, Mode S::*field, std::array<const char*, 2> buttons,
                   const char* option, std::span<const OptionWord> words, const char* help) {
    return {Advanced, key, OptionKind::ButtonPair, field, {}, buttons, option, words, help};
}

const std::vector<OptionField>& Table() {
    // The list's entries and ostrel-convert's words: the system's code page
    // first, then each of the choices.
    static const auto [codePageEntries, codePageWords] = [] {
        std::vector<std::string_view> entries{"System default"};
        std::vector<OptionWord> words{{"system", 0}};
        for (const CodePageChoice& choice : CodePageChoices) {
            words.emplace_back(choice.Word, static_cast<int>(entries.size()));
            entries.push_back(choice.Entry);
        }
        return std::pair{entries, words};
    }();
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
        Check("WriteExifData", &S::WriteExifData, "--exif",
              "Write the history into each JPG file as Exif data (dates, camera, flash, "
              "exposure time, comment); the picture data is otherwise copied unchanged"),
        List("CommentCodePage", &S::CommentCodePage, codePageEntries, "--code-page", codePageWords,
             "The Windows code page the comments were written in (932 for Japanese); by "
             "default Windows' own ANSI code page on Windows, and 1252 elsewhere",
             Advanced),
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
    const std::span<const unsigned> listed = CommentCodePages();
    if (s.CommentCodePage >= 1 && static_cast<std::size_t>(s.CommentCodePage) <= listed.size()) {
        o.CommentCodePage = listed[static_cast<std::size_t>(s.CommentCodePage) - 1];
    } else if (const unsigned system = SystemCodePage();
               std::find(listed.begin(), listed.end(), system) != listed.end()) {
        o.CommentCodePage = system;
    }
    // Otherwise (a system whose ANSI code page is UTF-8, as Windows can be
    // set), the comments are read as they always were.
    return o;
}

std::span<const unsigned> CommentCodePages() {
    static const std::vector<unsigned> codePages = [] {
        std::vector<unsigned> all;
        for (const CodePageChoice& choice : CodePageChoices) {
            all.push_back(choice.CodePage);
        }
        return all;
    }();
    return codePages;
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
