// ostrel-convert: converts PMP files from a terminal or a script, with the
// engine, folder checks and texts of the window, and asks nothing.
//
// Exit status: 0 when every PMP file was converted; 1 when some could not be
// converted or were left in a folder the run writes into, a folder could not
// be read, a deletion failed, or a picture could not take the Exif data that
// --exif asked for; 2 for a refused request (a missing folder, no PMP file, a
// device name no file name can hold) or bad usage.

#include <cstdio>
#include <optional>

#include "CommandLine.h"
#include "Console.h"
#include "ConsoleUser.h"
#include "ConversionRequest.h"
#include "Messages.h"
#ifdef OSTREL_EXIF
#include "Exiv2ExifEncoder.h"
#endif

int main(int argc, char* argv[]) {
    const std::vector<std::string> arguments = ostrel::cli::PrepareConsole(argc, argv);
    const std::unique_ptr<ostrel::SettingsStore> store = ostrel::MakeUserSettingsStore();
    const ostrel::cli::Parsed parsed = ostrel::cli::ParseCommandLine(arguments, *store);
    std::fputs(parsed.Output.c_str(), stdout);
    std::fputs(parsed.Error.c_str(), stderr);
    if (!parsed.Command) {
        return parsed.ExitStatus;
    }
    const ostrel::cli::CommandLine& command = *parsed.Command;

    const auto files = ostrel::MakeSystemFileSystem();
    ostrel::cli::ConsoleUser user(stderr, !command.Quiet && ostrel::cli::IsTerminal(stderr));
    ostrel::RequestFolders folders{command.Options.SourcePath, command.Options.OutputPath};
    const ostrel::ConversionOptions options = ostrel::EngineOptions(command.Options);
    ostrel::RequestSettings settings;
    settings.Confirm = false;
    settings.Summarise = false;
    settings.DryRun = command.DryRun;
    settings.Times = command.Times;
#ifdef OSTREL_EXIF
    std::optional<ostrel::Exiv2ExifEncoder> exif;
    if (command.Exif) {
        settings.Exif = &exif.emplace();
    }
#else
    // A build without Exiv2 (the Windows one) cannot write Exif data.
    if (command.Exif) {
        std::fputs("ostrel-convert: --exif is not available in this build.\n", stderr);
        return 2;
    }
#endif
    if (command.Print || command.Print0) {
        const char end = command.Print0 ? '\0' : '\n';
        settings.OnWritten = [end](const std::string& path) {
            std::fwrite(path.data(), 1, path.size(), stdout);
            std::fputc(end, stdout);
        };
    }
    const ostrel::RequestOutcome outcome =
        ostrel::RunConversionRequest(*files, user, folders, options, settings);
    if (outcome.Result != ostrel::RequestOutcome::Status::Ran) {
        return ostrel::ExitStatus(outcome);
    }

    const std::string summary = ostrel::messages::Summary(outcome.FileCount, outcome.Counters);
    // After NUL-ended paths, a summary line would read as one more path.
    std::fprintf(command.Print0 ? stderr : stdout, "%s\n", summary.c_str());
    if (command.DryRun) {
        std::fprintf(stderr, "Dry run: nothing on disk was changed.\n");
    }
    return ostrel::ExitStatus(outcome);
}
