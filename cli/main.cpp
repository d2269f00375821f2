// ostrel-convert: converts PMP files from a terminal or a script, with the
// engine, folder checks and texts of the window, and asks nothing.
//
// Exit status: 0 when every PMP file was converted; 1 when some could not be
// converted, were gone or were left in a folder the run writes into, a folder
// could not be read or created, a deletion failed, a picture could not take
// the Exif data that --exif asked for, or standard output could not be
// written; 2 for a refused request (a missing folder, no PMP file, a device
// name no file name can hold) or bad usage; 128 + the signal's number for a
// run stopped by SIGINT (130), SIGTERM (143) or SIGHUP (129).

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

#include "CommandLine.h"
#include "Console.h"
#include "ConsoleUser.h"
#include "ConversionRequest.h"
#include "Messages.h"
#ifdef OSTREL_EXIF
#include "Exiv2ExifEncoder.h"
#endif

namespace {

// Standard output, where a failed write is remembered instead of lost: the
// paths and the summary are what a script reads.
class StandardOutput {
public:
    bool Failed() const { return error_ != 0; }

    void Write(const std::string& text) {
        if (error_ == 0 && (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() ||
                            std::fflush(stdout) != 0)) {
            error_ = errno != 0 ? errno : EIO;
        }
    }

    // Says on standard error what went wrong, once.
    void Report() const {
        if (error_ != 0) {
            std::fprintf(stderr, "ostrel-convert: Unable to write to standard output: %s.\n",
                         std::strerror(error_));
        }
    }

private:
    int error_ = 0;
};

#ifdef OSTREL_EXIF
constexpr ostrel::cli::Offers Offered{.Exif = true};
#else
constexpr ostrel::cli::Offers Offered{};
#endif

}  // namespace

int main(int argc, char* argv[]) {
    const std::vector<std::string> arguments = ostrel::cli::PrepareConsole(argc, argv);
    ostrel::cli::CatchStopSignals();
    StandardOutput out;
    const std::unique_ptr<ostrel::SettingsStore> store = ostrel::MakeUserSettingsStore();
    const ostrel::cli::Parsed parsed = ostrel::cli::ParseCommandLine(arguments, *store, Offered);
    out.Write(ostrel::cli::SystemLineEnds(parsed.Output));
    std::fputs(parsed.Error.c_str(), stderr);
    if (out.Failed()) {
        out.Report();
        return 1;
    }
    if (!parsed.Command) {
        return parsed.ExitStatus;
    }
    const ostrel::cli::CommandLine& command = *parsed.Command;

    const auto files = ostrel::MakeSystemFileSystem();
    ostrel::cli::ConsoleUser user(stderr, !command.Quiet && ostrel::cli::IsTerminal(stderr));
    ostrel::RequestFolders folders{command.Options.SourcePath, command.Options.OutputPath};
    ostrel::RunConfig run{.Options = ostrel::EngineOptions(command.Options),
                          .DryRun = command.DryRun,
                          .Times = command.Times};
    ostrel::RequestSettings settings;
    settings.Confirm = false;
    settings.Summarise = false;
#ifdef OSTREL_EXIF
    std::optional<ostrel::Exiv2ExifEncoder> exif;
    if (command.Options.WriteExifData != 0) {
        run.Exif = &exif.emplace();
    }
#else
    // A build without Exiv2 cannot write Exif data, asked for on the line or
    // in the window's stored options.
    if (command.Options.WriteExifData != 0) {
        std::fputs("ostrel-convert: --exif is not available in this build.\n", stderr);
        return 2;
    }
#endif
    if (command.Print || command.Print0) {
        const char end = command.Print0 ? '\0' : '\n';
        settings.OnWritten = [end, &out](const std::string& path) { out.Write(path + end); };
    }
    // A signal, or paths that can no longer be written, stop the run safely.
    run.StopRequested = [&out] { return ostrel::cli::StopSignal() != 0 || out.Failed(); };
    const ostrel::RequestOutcome outcome =
        ostrel::RunConversionRequest(*files, user, folders, run, settings);
    if (outcome.Result != ostrel::RequestOutcome::Status::Ran) {
        return ostrel::ExitStatus(outcome);
    }

    // A signal that came after the last picture stopped nothing, but is told.
    ostrel::RunCounters counters = outcome.Counters;
    counters.Stopped = counters.Stopped || ostrel::cli::StopSignal() != 0;
    const std::string summary = ostrel::messages::Summary(counters) + "\n";
    // After NUL-ended paths, a summary line would read as one more path; and
    // when standard output fails, the summary is not lost with it.
    if (command.Print0) {
        std::fputs(summary.c_str(), stderr);
    } else {
        out.Write(summary);
        if (out.Failed()) {
            std::fputs(summary.c_str(), stderr);
        }
    }
    out.Report();
    if (command.DryRun) {
        std::fprintf(stderr, "Dry run: nothing on disk was changed.\n");
    }
    if (const int stopSignal = ostrel::cli::StopSignal(); stopSignal != 0) {
        return 128 + stopSignal;
    }
    return out.Failed() ? 1 : ostrel::ExitStatus(outcome);
}
