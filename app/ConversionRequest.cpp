#include "ConversionRequest.h"

#include <optional>

#include "CountFiles.h"
#include "Messages.h"
#include "RunReport.h"

namespace ostrel {
namespace {

void Warn(UserInteraction& user, const std::string& text) {
    user.Show(text, messages::ConvertTitle, MessageKind::Warning);
}

// The output folder, when it exists already, is left out of the count just as
// the walk leaves it out of the run.
std::set<FolderId> OutputFolderIfAny(FileSystem& files, const std::string& path) {
    try {
        if (files.FolderExists(path)) {
            return {files.GetFolder(path).Id};
        }
    } catch (const FileSystemError&) {
        // Reported when the request comes to the output folder.
    }
    return {};
}

// The device name goes into every name, so a character that no file name can
// hold (a separator, a NUL or another control character) would fail every
// picture; it is caught once, before the run.
bool DeviceNameFitsFileNames(const FileSystem& files, const std::string& deviceName) {
    for (const char c : deviceName) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return false;
        }
    }
    // Within a longer name, so that "." or ".." alone are not taken for folders,
    // and a trailing dot or blank, which ends no name here, is not refused.
    return files.IsValidName("x" + deviceName + "x");
}

// Opens the folder that `path` names and rewrites `path` to its full path, or
// warns and gives nothing.
std::optional<Folder> OpenFolder(FileSystem& files, UserInteraction& user, std::string& path,
                                 const char* missing,
                                 const std::function<void(const std::string&)>& show) {
    if (!files.FolderExists(path)) {
        Warn(user, missing);
        return std::nullopt;
    }
    try {
        Folder folder = files.GetFolder(path);
        path = folder.Path;
        if (show) {
            show(folder.Path);
        }
        return folder;
    } catch (const FileSystemError& error) {
        Warn(user, messages::FolderProblem(path, error.what()));
        return std::nullopt;
    }
}

// Files counted that the walk never met (taken away before it listed their
// folder) are gone too. Where a folder was passed over, the count and the walk
// saw different trees, and nothing is concluded.
void CountFilesGoneUnseen(RequestOutcome& outcome) {
    RunCounters& c = outcome.Counters;
    if (c.NumberOfSkippedFolders > 0) {
        return;
    }
    const std::int64_t met = std::int64_t{c.SourceObjectNumber} + c.NumberOfFailedFiles +
                             c.NumberOfFilesGone + c.NumberOfFilesNotReached;
    if (met < outcome.FileCount) {
        c.NumberOfFilesGone += static_cast<std::int32_t>(outcome.FileCount - met);
    }
}

}  // namespace

RequestOutcome RunConversionRequest(FileSystem& files, UserInteraction& user,
                                    RequestFolders& folders, const RunConfig& run,
                                    const RequestSettings& settings) {
    const ConversionOptions& options = run.Options;
    RequestOutcome outcome;
    const std::optional<Folder> source = OpenFolder(
        files, user, folders.SourcePath, messages::SourceFolderMissing, settings.ShowSourcePath);
    if (!source) {
        return outcome;
    }

    user.SetBusyPointer(true);
    const bool includeSubfolders = options.Subfolders != SubfolderMode::None;
    PassedOver unread;
    try {
        outcome.FileCount = CountFiles(files, source->Path, "PMP", includeSubfolders,
                                       OutputFolderIfAny(files, folders.OutputPath),
                                       UnreadableSubfolders::Skip, &unread);
    } catch (const FileSystemError& error) {
        user.SetBusyPointer(false);
        Warn(user, messages::FolderProblem(source->Path, error.what()));
        return outcome;
    }
    user.SetBusyPointer(false);
    if (outcome.FileCount == 0) {
        Warn(user, unread.Folders == 0
                       ? std::string(messages::NoPmpFiles)
                       : messages::NoPmpFilesReadable(unread.Folders, unread.FirstPath,
                                                      unread.FirstDescription));
        return outcome;
    }

    const std::optional<Folder> output = OpenFolder(
        files, user, folders.OutputPath, messages::OutputFolderMissing, settings.ShowOutputPath);
    if (!output) {
        return outcome;
    }

    if (options.Include.DeviceName && !DeviceNameFitsFileNames(files, options.DeviceName)) {
        Warn(user, messages::DeviceNameUnfit(options.DeviceName));
        return outcome;
    }

    if (settings.Confirm &&
        user.Show(messages::Confirmation(outcome.FileCount), messages::ConvertTitle,
                  MessageKind::Question) != Answer::Yes) {
        outcome.Result = RequestOutcome::Status::Declined;
        return outcome;
    }

    RunCounters& counters = outcome.Counters;
    user.SetProgressMaximum(outcome.FileCount);
    user.SetProgressPosition(0);
    user.SetProgressVisible(true);
    user.SetBusyPointer(true);
    RunReport report(user, counters, settings.OnWritten);
    ConvertFiles(files, report, run, *source, *output);
    user.SetBusyPointer(false);
    user.SetProgressVisible(false);
    report.ShowHeldProblems();
    CountFilesGoneUnseen(outcome);

    if (settings.Summarise) {
        user.Show(messages::Summary(counters), messages::ConvertTitle,
                  NothingWentWrong(counters) ? MessageKind::Information : MessageKind::Warning);
    }
    outcome.Result = RequestOutcome::Status::Ran;
    return outcome;
}

int ExitStatus(const RequestOutcome& outcome) {
    if (outcome.Result != RequestOutcome::Status::Ran) {
        return 2;
    }
    return NothingWentWrong(outcome.Counters) ? 0 : 1;
}

}  // namespace ostrel
