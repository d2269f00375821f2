#include "CommandLine.h"

#include <CLI/CLI.hpp>
#include <map>

#include "ProgramIdentity.h"
#include "Settings.h"

namespace ostrel::cli {
namespace {

// An option that takes one of a few words, each standing for a value.
CLI::Option* Choice(CLI::App& app, const char* name, std::optional<int>& target,
                    const std::vector<std::pair<std::string, int>>& values, const char* help) {
    std::string names;
    for (const auto& [word, value] : values) {
        names += (names.empty() ? "" : "|") + word;
    }
    return app.add_option(name, target, help)
        ->transform(CLI::CheckedTransformer(values, CLI::ignore_case).description(""))
        ->type_name(names);
}

}  // namespace

Parsed ParseCommandLine(const std::vector<std::string>& arguments, SettingsStore& store) {
    CLI::App app{
        "Converts Sony DSC-F1 PMP picture files in SOURCE to JPG files in OUTPUT,\n"
        "naming each from its history data, as Ostrel's OK button does.",
        "ostrel-convert"};
    app.set_version_flag("--version", std::string("ostrel-convert ") + identity::VersionText);

    std::string source, output;
    app.add_option("SOURCE", source, "The PMP source folder")->required();
    app.add_option("OUTPUT", output, "The JPG output folder")->required();

    std::optional<int> subfolders, deleteFiles, format, serial, revised, illegal, fileTime;
    std::optional<std::string> deviceName;
    std::vector<std::string> omit;
    bool deleteEmpty = false, fromSettings = false;
    CommandLine command;

    Choice(app, "--subfolders", subfolders, {{"none", 0}, {"matching", 1}, {"top", 2}},
           "Process subfolders: not at all, into matching output subfolders, or "
           "into the output folder itself");
    Choice(app, "--delete-files", deleteFiles, {{"none", 0}, {"pmp", 1}, {"sony", 2}},
           "Delete converted PMP files, or all Sony files (PMP, PMX, PMF)");
    app.add_flag("--delete-empty-subfolders", deleteEmpty,
                 "Delete source subfolders that are left without files");
    Choice(app, "--format", format, {{"1.x", 0}, {"2.x-short", 1}, {"2.x-long", 2}},
           "File name format");
    Choice(app, "--serial", serial, {{"needed", 1}, {"always", 2}},
           "Add a serial number only when needed, or always");
    Choice(app, "--revised", revised, {{"different", 1}, {"always", 2}},
           "Include the revised date only if different from the recorded one, or always");
    Choice(app, "--illegal", illegal, {{"translate", 1}, {"remove", 2}},
           "Translate or remove characters that file names cannot hold");
    app.add_option("--omit", omit, "Leave these out of the names")
        ->delimiter(',')
        ->check(CLI::IsMember({"recorded", "album", "shot", "lens", "flash", "shutter", "quality",
                               "revised", "comment", "device"}))
        ->type_name("LIST");
    app.add_option("--device-name", deviceName, "The device name put into the names");
    app.add_flag("--from-settings", fromSettings,
                 "Start from the options stored by the Ostrel window, not the defaults");
    Choice(app, "--file-time", fileTime, {{"recorded", 0}, {"now", 1}},
           "Date each JPG file by the picture's recorded date-time, read as local time "
           "(the default), or leave it the time of conversion");
    app.add_flag("--exif", command.Exif,
                 "Write the history into each JPG file as Exif data (dates, camera, flash, "
                 "exposure time, comment); the picture data is otherwise copied unchanged");
    app.add_flag("--dry-run", command.DryRun,
                 "Change nothing on disk; report what a real run would do");
    CLI::Option* print = app.add_flag("--print", command.Print,
                                      "Print the full path of each JPG file written (or planned)");
    app.add_flag("--print0", command.Print0,
                 "Like --print, but end each path with a NUL instead of a line break (for "
                 "xargs -0); the summary then goes to standard error")
        ->excludes(print);
    app.add_flag("--quiet", command.Quiet, "Show no progress bar");

    Parsed parsed;
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        parsed.Output = app.help();
        return parsed;
    } catch (const CLI::CallForVersion&) {
        parsed.Output = app.version() + "\n";
        return parsed;
    } catch (const CLI::ParseError& error) {
        parsed.ExitStatus = 2;
        parsed.Error = std::string("ostrel-convert: ") + error.what() +
                       "\nRun with --help for more information.\n";
        return parsed;
    }

    if (fileTime == 1) {
        command.Times = FileTime::Now;
    }
    ConversionOptions& o = command.Options;
    if (fromSettings) {
        o = LoadOptions(store, FormAppName(identity::Title, identity::Major, identity::Minor));
    }
    o.SourcePath = source;
    o.OutputPath = output;
    o.ProcessSubfolders = static_cast<ListIndex>(subfolders.value_or(o.ProcessSubfolders));
    o.DeleteSourceFiles = static_cast<ListIndex>(deleteFiles.value_or(o.DeleteSourceFiles));
    if (deleteEmpty) {
        o.DeleteSourceSubfolders = 1;
    }
    o.JPGNameFormat = static_cast<ListIndex>(format.value_or(o.JPGNameFormat));
    o.SerialNumberMode = static_cast<Mode>(serial.value_or(o.SerialNumberMode));
    o.ExtractEditedDifferent = static_cast<Mode>(revised.value_or(o.ExtractEditedDifferent));
    o.IllegalCharacters = static_cast<Mode>(illegal.value_or(o.IllegalCharacters));
    o.DeviceName = deviceName.value_or(o.DeviceName);
    const std::map<std::string, CheckBox ConversionOptions::*> boxes = {
        {"recorded", &ConversionOptions::ExtractRecorded},
        {"album", &ConversionOptions::ExtractAlbumNumber},
        {"shot", &ConversionOptions::ExtractShotNumber},
        {"lens", &ConversionOptions::ExtractLensOrientation},
        {"flash", &ConversionOptions::ExtractFlash},
        {"shutter", &ConversionOptions::ExtractShutter},
        {"quality", &ConversionOptions::ExtractQuality},
        {"revised", &ConversionOptions::ExtractEdited},
        {"comment", &ConversionOptions::ExtractComment},
        {"device", &ConversionOptions::AddDeviceName},
    };
    for (const std::string& word : omit) {
        o.*boxes.at(word) = 0;
    }
    parsed.Command = command;
    return parsed;
}

}  // namespace ostrel::cli
