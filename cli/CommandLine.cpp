#include "CommandLine.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <list>

#include "Messages.h"
#include "ProgramIdentity.h"
#include "Settings.h"

namespace ostrel::cli {
namespace {

// An option that takes one of a few words, each standing for a value.
CLI::Option* Choice(CLI::App& app, const std::string& name, std::optional<int>& target,
                    std::span<const OptionWord> words, const std::string& help) {
    std::vector<std::pair<std::string, int>> values;
    std::string names;
    for (const auto& [word, value] : words) {
        values.emplace_back(word, value);
        names += (names.empty() ? "" : "|") + std::string(word);
    }
    return app.add_option(name, target, help)
        ->transform(CLI::CheckedTransformer(values, CLI::ignore_case).description(""))
        ->type_name(names);
}

// A check box that an option of its own checks, rather than a word of --omit
// that unchecks it.
bool IsFlag(const OptionField& field) {
    return std::string_view(field.Option).starts_with("--");
}

// The option that asks for Exif data, which a build without Exiv2 lacks.
bool IsExif(const OptionField& field) {
    return std::string_view(field.Option) == "--exif";
}

// What the line says of one stored option, if anything.
struct Given {
    const OptionField* Field = nullptr;
    std::optional<int> Number;  // a word's value
    bool Flag = false;          // a flag: 1
    std::optional<std::string> Text;
};

// Whether the store holds "Main"/`key` at all: only a missing key reads back
// as either of two different fallbacks.
bool Holds(SettingsStore& store, const std::string& application, const std::string& key) {
    return store.Read(application, "Main", key, "0") != "0" ||
           store.Read(application, "Main", key, "1") != "1";
}

}  // namespace

Parsed ParseCommandLine(const std::vector<std::string>& arguments, SettingsStore& store,
                        Offers offers) {
    CLI::App app{
        "Converts Sony DSC-F1 PMP picture files in SOURCE to JPG files in OUTPUT,\n"
        "naming each from its history data, as Ostrel's OK button does.",
        "ostrel-convert"};
    app.set_version_flag("--version", std::string("ostrel-convert ") + identity::VersionText);

    std::string source, output;
    CLI::Option* sourceGiven = app.add_option("SOURCE", source, "The PMP source folder");
    CLI::Option* outputGiven = app.add_option("OUTPUT", output, "The JPG output folder");

    // The stored options that the line can set, in the table's order: lists
    // and modes, then --omit for the check boxes, then texts.
    std::list<Given> given;  // stable addresses for CLI11
    std::vector<std::string> omit, omitWords;
    for (const OptionField& field : OptionTable()) {
        if (field.Option == nullptr) {
            continue;
        }
        if (field.Kind == OptionKind::Check && !IsFlag(field)) {
            omitWords.emplace_back(field.Option);
        } else if (field.Kind != OptionKind::Text) {
            Given& g = given.emplace_back();
            g.Field = &field;
            if (field.Words.empty()) {
                CLI::Option* flag = app.add_flag(field.Option, g.Flag, field.Help);
                if (IsExif(field) && !offers.Exif) {
                    flag->group("");  // not listed, and refused below by name
                }
            } else {
                Choice(app, field.Option, g.Number, field.Words, field.Help);
            }
        }
    }
    app.add_option("--omit", omit, "Leave these out of the names")
        ->delimiter(',')
        ->allow_extra_args(false)  // one list each time, SOURCE and OUTPUT being optional
        ->check(CLI::IsMember(omitWords))
        ->type_name("LIST");
    for (const OptionField& field : OptionTable()) {
        if (field.Option != nullptr && field.Kind == OptionKind::Text) {
            Given& g = given.emplace_back();
            g.Field = &field;
            app.add_option(field.Option, g.Text, field.Help);
        }
    }

    std::optional<int> fileTime;
    bool fromSettings = false;
    CommandLine command;
    app.add_flag("--from-settings", fromSettings,
                 "Start from the options stored by the Ostrel window, not the defaults; "
                 "without SOURCE and OUTPUT, also from its folders");
    Choice(app, "--file-time", fileTime, std::vector<OptionWord>{{"recorded", 0}, {"now", 1}},
           "Date each JPG file by the picture's recorded date-time, read as local time "
           "(the default), or leave it the time of conversion");
    app.add_flag("--dry-run", command.DryRun,
                 "Change nothing on disk; report what a real run would do");
    CLI::Option* print = app.add_flag("--print", command.Print,
                                      "Print the full path of each JPG file written (or planned)");
    app.add_flag("--print0", command.Print0,
                 "Like --print, but end each path with a NUL instead of a line break (for "
                 "xargs -0); the summary then goes to standard error")
        ->excludes(print);
    app.add_flag("--quiet", command.Quiet, "Show no progress bar");

    // Both folders, or with --from-settings neither (the stored ones).
    app.callback([&] {
        if (fromSettings && sourceGiven->empty() && outputGiven->empty()) {
            return;
        }
        for (const CLI::Option* folder : {sourceGiven, outputGiven}) {
            if (folder->empty()) {
                throw CLI::RequiredError(folder->get_name());
            }
        }
    });

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

    for (const Given& g : given) {
        if (g.Flag && IsExif(*g.Field) && !offers.Exif) {
            parsed.ExitStatus = 2;
            parsed.Error = "ostrel-convert: --exif is not available in this build.\n";
            return parsed;
        }
    }
    if (fileTime == 1) {
        command.Times = FileTime::Now;
    }
    StoredOptions& o = command.Options;
    // No folder on the line: --from-settings takes the stored ones, if any.
    const bool storedFolders = sourceGiven->empty();
    bool foldersFound = !storedFolders;
    if (fromSettings) {
        const std::string appName = FormAppName(identity::Title, identity::Major, identity::Minor);
        if (const std::optional<SettingsProblem> problem = store.Unreadable(appName)) {
            parsed.Error +=
                "ostrel-convert: " +
                messages::SettingsUnreadable(problem->Where, problem->Why, !storedFolders) + "\n";
        } else {
            o = LoadOptions(store, appName);
            foldersFound = foldersFound || (Holds(store, appName, "SourcePath") &&
                                            Holds(store, appName, "OutputPath"));
        }
    }
    if (!foldersFound) {
        // The first run's folders would be no one's choice.
        parsed.ExitStatus = 2;
        parsed.Error += "ostrel-convert: No folders are stored: give SOURCE and OUTPUT.\n";
        return parsed;
    }
    if (storedFolders) {
        parsed.Error += "The stored folders are used: PMP source folder \"" + o.SourcePath +
                        "\", JPG output folder \"" + o.OutputPath + "\".\n";
    } else {
        o.SourcePath = source;
        o.OutputPath = output;
    }
    for (const Given& g : given) {
        if (g.Number) {
            g.Field->SetNumber(o, *g.Number);
        } else if (g.Flag) {
            g.Field->SetNumber(o, 1);
        } else if (g.Text) {
            g.Field->SetText(o, *g.Text);
        }
    }
    for (const OptionField& field : OptionTable()) {
        if (field.Kind == OptionKind::Check && field.Option != nullptr && !IsFlag(field) &&
            std::find(omit.begin(), omit.end(), field.Option) != omit.end()) {
            field.SetNumber(o, 0);
        }
    }
    parsed.Command = command;
    return parsed;
}

}  // namespace ostrel::cli
