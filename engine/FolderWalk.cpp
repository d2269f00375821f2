#include "ConversionRun.h"
#include "Messages.h"

namespace ostrel {
namespace {

void ReportSkippedFolder(ConversionRun& run, const std::string& context,
                         const std::string& description) {
    ++run.Counters.NumberOfSkippedFolders;
    run.User.ShowMessage(messages::RunProblem(context, description), messages::ConvertTitle,
                         MessageKind::Information);
}

// The folder that receives a subfolder's pictures, created when missing. In a
// dry run a missing folder is only planned.
Folder OutputFolderFor(ConversionRun& run, const std::string& path) {
    FileSystem& fs = run.Files;
    if (!fs.FolderExists(path)) {
        if (run.DryRun) {
            const auto slash = path.find_last_of("/\\");
            return Folder{path, slash == std::string::npos ? path : path.substr(slash + 1),
                          FolderId{~std::uint64_t{0}, ++run.PlannedFolders}, false};
        }
        fs.CreateFolder(path);
    }
    return fs.GetFolder(path);
}

// Removes an emptied folder tree bottom-up, folders only. Returns false, and
// keeps the folder, when something in it must stay (a link, or a folder the
// run writes into); a failure is thrown.
bool RemoveEmptyTree(ConversionRun& run, const Folder& folder) {
    bool allGone = true;
    for (const Folder& subfolder : run.Files.Subfolders(folder)) {
        if (subfolder.IsLink || run.Outputs.contains(subfolder.Id)) {
            allGone = false;
        } else if (!RemoveEmptyTree(run, subfolder)) {
            allGone = false;
        }
    }
    if (allGone) {
        run.Files.DeleteFolder(folder);
    }
    return allGone;
}

void DeleteIfEmpty(ConversionRun& run, const Folder& subfolder) {
    const std::string context = messages::DeleteSourceSubfolderContext(subfolder.Path);
    try {
        if (CountFiles(run.Files, subfolder.Path, "*", true) == 0) {
            RemoveEmptyTree(run, subfolder);
        }
    } catch (const FileSystemError& error) {
        ++run.Counters.NumberOfFailedDeletions;
        ReportDeletionFailure(run.User, context, error.what());
    }
}

// One level of the walk. Returns false when the folder could not be read; its
// subtree is then left as it is. Below a link (`viaLink`) the folders may lie
// outside the source tree, so none of them is deleted there.
bool ConvertLevel(ConversionRun& run, const Folder& source, const Folder& output, bool viaLink) {
    FileSystem& fs = run.Files;
    const ConversionOptions& options = run.Options;
    run.Entered.insert(source.Id);
    run.Outputs.insert(output.Id);

    std::vector<File> files;
    std::vector<Folder> subfolders;
    try {
        files = fs.Files(source);
        subfolders = fs.Subfolders(source);
    } catch (const FileSystemError& error) {
        ReportSkippedFolder(run, messages::ReadSourceFolderContext(source.Path), error.what());
        return false;
    }

    for (const File& file : files) {
        if (IsPictureFile(file.Name) && !ConvertPictureFile(run, file, source, output)) {
            continue;  // a source that was not converted is never deleted
        }
        DeleteSourceFile(run, file);
    }

    for (const Folder& subfolder : subfolders) {
        // A folder met again through a link, or one this run writes into, is
        // not a source: entering it could go on without end.
        if (run.Entered.contains(subfolder.Id) || run.Outputs.contains(subfolder.Id)) {
            continue;
        }
        bool complete = true;
        if (options.ProcessSubfolders > 0) {
            const std::string path = options.ProcessSubfolders == 1
                                         ? fs.JoinPath(output.Path, subfolder.Name)
                                         : output.Path;
            Folder target;
            try {
                target = OutputFolderFor(run, path);
            } catch (const FileSystemError& error) {
                ReportSkippedFolder(run, messages::CreateOutputFolderContext(path), error.what());
                continue;
            }
            complete = ConvertLevel(run, subfolder, target, viaLink || subfolder.IsLink);
        }
        if (options.DeleteSourceSubfolders == 1 && complete && !viaLink && !subfolder.IsLink &&
            !run.DryRun) {
            DeleteIfEmpty(run, subfolder);
        }
    }
    return true;
}

}  // namespace

void ConvertFiles(ConversionRun& run, const Folder& SourceFolder, const Folder& OutputFolder) {
    ConvertLevel(run, SourceFolder, OutputFolder, false);
}

}  // namespace ostrel
