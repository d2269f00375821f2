#include "FolderWalk.h"

#include <set>

#include "CountFiles.h"
#include "PictureFile.h"
#include "SingleFileConversion.h"

namespace ostrel {
namespace {

// How many converted sources wait for one flush of the output before they are
// deleted: enough to make the flush cheap, few enough to bound what a power
// cut could leave both converted and not yet deleted.
constexpr std::size_t BatchFiles = 1000;
constexpr std::uint64_t BatchBytes = std::uint64_t{512} << 20;

// Below a link the files may lie outside the source tree, so none is deleted
// there; the first file that would have been is reported, once for the link.
bool MayDeleteBelow(ConversionRun& run, const Folder* link) {
    if (link == nullptr) {
        return true;
    }
    if (run.KeptLinkFolders.insert(link->Id).second) {
        run.Report(Action::DeleteFilesBelowLink, link->Path, {Cause::ReachedThroughLink});
    }
    return false;
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

// Removes an emptied folder tree bottom-up, folders only. Keeps a folder, and
// returns false, when something in it must stay: a folder the run writes into,
// or a link (whose path goes into `link`, the first one met). A failure is
// thrown.
bool RemoveEmptyTree(ConversionRun& run, const Folder& folder, std::string& link) {
    bool allGone = true;
    for (const Folder& subfolder : run.Files.ListFolder(folder).Subfolders) {
        if (subfolder.IsLink) {
            if (link.empty()) {
                link = subfolder.Path;
            }
            allGone = false;
        } else if (run.Outputs.contains(subfolder.Id) || !RemoveEmptyTree(run, subfolder, link)) {
            allGone = false;
        }
    }
    if (allGone) {
        run.Files.DeleteFolder(folder);
    }
    return allGone;
}

void DeleteIfEmpty(ConversionRun& run, const Folder& subfolder) {
    try {
        std::string link;
        if (CountFiles(run.Files, subfolder.Path, "*", true) == 0 &&
            !RemoveEmptyTree(run, subfolder, link) && !link.empty()) {
            run.Report(Action::DeleteSubfolder, subfolder.Path, {Cause::HoldsLink, link});
        }
    } catch (const FileSystemError& error) {
        run.Report(Action::DeleteSubfolder, subfolder.Path, {Cause::System, error.what()});
    }
}

// Deletions that wait until the JPG files converted before them are on the
// disk. They are kept in the walk's order (a subfolder's files before the test
// whether it is empty) and carried out by batch: the batch's JPG files made
// durable together, then the deletions.
class PendingDeletions {
public:
    explicit PendingDeletions(ConversionRun& run) : run_(run) {}
    PendingDeletions(const PendingDeletions&) = delete;
    PendingDeletions& operator=(const PendingDeletions&) = delete;

    // A converted PMP file, to go once its JPG file is on the disk.
    void AddConverted(const File& source, const FileIdentity& converted) {
        bytes_ += converted.Size;
        Add({source, converted, std::nullopt});
    }

    // A PMX or PMF file, to go with the PMP files before it.
    void AddOther(const File& source) {
        if (items_.empty()) {
            DeleteSourceFile(run_, source);
        } else {
            Add({source, std::nullopt, std::nullopt});
        }
    }

    void AddEmptinessTest(const Folder& subfolder) {
        if (items_.empty()) {
            DeleteIfEmpty(run_, subfolder);
        } else {
            Add({std::nullopt, std::nullopt, subfolder});
        }
    }

    void Flush() {
        if (items_.empty()) {
            return;
        }
        std::string failure;
        try {
            run_.Files.MakeDurable();
        } catch (const FileSystemError& error) {
            failure = error.what();
        }
        for (const Item& item : items_) {
            if (item.Subfolder) {
                DeleteIfEmpty(run_, *item.Subfolder);
            } else if (failure.empty()) {
                DeleteSourceFile(run_, *item.Source, item.Converted);
            } else {
                // Not known to be safe on the disk: the source stays, and the
                // other Sony files with it.
                run_.Report(Action::DeleteFile, item.Source->Path, {Cause::System, failure});
            }
        }
        items_.clear();
        bytes_ = 0;
    }

private:
    struct Item {
        std::optional<File> Source;
        std::optional<FileIdentity> Converted;
        std::optional<Folder> Subfolder;
    };

    void Add(Item item) {
        items_.push_back(std::move(item));
        if (items_.size() >= BatchFiles || bytes_ >= BatchBytes) {
            Flush();
        }
    }

    ConversionRun& run_;
    std::vector<Item> items_;
    std::uint64_t bytes_ = 0;
};

// What a file's name is without its last three characters, in upper case:
// PSN00001.PMX and PSN00001.PMP share it.
std::string BaseKey(std::string_view name) {
    std::string base(name.substr(0, name.size() > 3 ? name.size() - 3 : 0));
    for (char& c : base) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return base;
}

// Converts the PMP files of one level, then deletes the sources that
// DeleteSourceFiles names. A PMX or PMF file stays with a PMP file of its
// name that could not be converted.
void ConvertLevelFiles(ConversionRun& run, PendingDeletions& pending,
                       const std::vector<File>& files, const Folder& source, const Folder& output,
                       const Folder* link) {
    std::set<std::string> unconverted;
    for (const File& file : files) {
        if (!IsPictureFile(file.Name)) {
            continue;
        }
        const std::optional<FileIdentity> converted = ConvertPictureFile(run, file, source, output);
        if (!converted) {
            unconverted.insert(BaseKey(file.Name));
        } else if (IsToBeDeleted(run.Options, file.Name) && !run.DryRun &&
                   MayDeleteBelow(run, link)) {
            pending.AddConverted(file, *converted);
        }
    }
    for (const File& file : files) {
        if (!IsPictureFile(file.Name) && IsToBeDeleted(run.Options, file.Name) && !run.DryRun &&
            !unconverted.contains(BaseKey(file.Name)) && MayDeleteBelow(run, link)) {
            pending.AddOther(file);
        }
    }
}

// A folder of the source tree that the run writes into is never a source: its
// PMP files are reported and counted as left, once.
void ReportOutputInSource(ConversionRun& run, const Folder& folder) {
    run.Entered.insert(folder.Id);
    try {
        const std::int32_t left = CountFiles(run.Files, folder.Path, "PMP", true, run.Entered,
                                             UnreadableSubfolders::Skip);
        if (left > 0) {
            Reason writtenInto(Cause::WritesIntoFolder);
            writtenInto.FilesLeft = left;
            run.Report(Action::ConvertFolder, folder.Path, writtenInto);
        }
    } catch (const FileSystemError& error) {
        run.Report(Action::ReadFolder, folder.Path, {Cause::System, error.what()});
    }
}

// One level of the walk. Returns false when the folder, or a folder below it,
// could not be read; the subtree is then not deleted from. `link` is the
// folder link the level lies below, if any: its files may lie outside the
// source tree.
bool ConvertLevel(ConversionRun& run, PendingDeletions& pending, const Folder& source,
                  const Folder& output, const Folder* link) {
    FileSystem& fs = run.Files;
    const ConversionOptions& options = run.Options;
    run.Entered.insert(source.Id);
    run.Outputs.insert(output.Id);

    FolderListing listing;
    try {
        listing = fs.ListFolder(source);
    } catch (const FileSystemError& error) {
        run.Report(Action::ReadFolder, source.Path, {Cause::System, error.what()});
        return false;
    }

    // Entries named like PMP files that cannot be read as one are reported,
    // and never deleted.
    for (const OtherEntry& other : listing.Others) {
        if (IsPictureFile(other.Name)) {
            run.Report(Action::ConvertFile, other.Path, {Cause::System, other.Description});
        }
    }
    for (const Folder& subfolder : listing.Subfolders) {
        if (IsPictureFile(subfolder.Name)) {
            run.Report(Action::ConvertFile, subfolder.Path, {Cause::FolderNotFile});
        }
    }

    ConvertLevelFiles(run, pending, listing.Files, source, output, link);

    bool complete = true;
    for (const Folder& subfolder : listing.Subfolders) {
        // A folder met again through a link, or one this run writes into, is
        // not a source: entering it could go on without end.
        if (run.Entered.contains(subfolder.Id)) {
            continue;
        }
        if (run.Outputs.contains(subfolder.Id)) {
            if (options.Subfolders != SubfolderMode::None) {
                ReportOutputInSource(run, subfolder);
            }
            continue;
        }
        bool subtreeComplete = true;
        const Folder* below = link != nullptr ? link : subfolder.IsLink ? &subfolder : nullptr;
        if (options.Subfolders != SubfolderMode::None) {
            const std::string path = options.Subfolders == SubfolderMode::Matching
                                         ? fs.JoinPath(output.Path, subfolder.Name)
                                         : output.Path;
            Folder target;
            try {
                target = OutputFolderFor(run, path);
            } catch (const FileSystemError& error) {
                run.Report(Action::CreateFolder, path, {Cause::System, error.what()});
                complete = false;
                continue;
            }
            subtreeComplete = ConvertLevel(run, pending, subfolder, target, below);
            complete = complete && subtreeComplete;
        }
        if (options.DeleteEmptySubfolders && subtreeComplete && below == nullptr && !run.DryRun) {
            pending.AddEmptinessTest(subfolder);
        }
    }
    return complete;
}

}  // namespace

void ConvertFiles(ConversionRun& run, const Folder& sourceFolder, const Folder& outputFolder) {
    PendingDeletions pending(run);
    ConvertLevel(run, pending, sourceFolder, outputFolder, nullptr);
    pending.Flush();
}

}  // namespace ostrel
