#include "ConversionRun.h"
#include "RunConfig.h"

#include <climits>
#include <map>
#include <optional>
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
// Each folder that a waiting deletion is to be made in is held open until
// then: a bound well below the descriptors a process may have.
constexpr std::size_t BatchFolders = 256;

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

// lost+found at the top of a file system, which the file system's checker
// needs: the run never makes one and never deletes one.
bool IsLostAndFound(ConversionRun& run, const Folder& parent, const std::string& name) {
    return name == "lost+found" && run.Files.IsFileSystemTop(parent);
}

// The PMP files below the open source subfolder `subfolder` that the run
// does not enter, and that are not met anywhere else in it.
std::int32_t PicturesBelow(ConversionRun& run, const Folder& subfolder) {
    std::set<FolderId> skip = run.Entered;
    skip.insert(run.Outputs.begin(), run.Outputs.end());
    try {
        return CountFiles(run.Files, subfolder, "PMP", true, skip, UnreadableSubfolders::Skip);
    } catch (const FileSystemError&) {
        return 0;  // not read, so not counted
    }
}

// The folder that receives the pictures of the source subfolder `entered`,
// created when missing, or nothing when it cannot be had: reported with the
// PMP files below the subfolder, which stay unconverted. In a dry run a
// missing folder is only planned.
std::optional<Folder> OutputFolderFor(ConversionRun& run, const Folder& output,
                                      const Folder& entered) {
    if (run.Options.Subfolders != SubfolderMode::Matching) {
        return output;
    }
    FileSystem& fs = run.Files;
    const std::string& name = entered.Name;
    Reason failure(Cause::FileSystemFolder);
    try {
        if (std::optional<Folder> existing = fs.OpenFolder(output, name)) {
            return existing;
        }
        if (!IsLostAndFound(run, output, name)) {
            if (run.Config.DryRun) {
                return Folder{fs.JoinPath(output.Path, name), name,
                              FolderId{~std::uint64_t{0}, ++run.PlannedFolders}, false, nullptr};
            }
            return fs.CreateFolder(output, name);
        }
    } catch (const FileSystemError& error) {
        failure = Reason{Cause::System, error.what()};
    }
    failure.FilesLeft = PicturesBelow(run, entered);
    run.Report(Action::CreateFolder, fs.JoinPath(output.Path, name), failure);
    return std::nullopt;
}

// What a folder's tree holds, looked at without following any link.
enum class Contents { Nothing, Links, Something };

// Nothing; links only (the first one met goes into `link`); or something that
// keeps the folder: a file or another entry, a folder the run writes into, or
// lost+found at the top of a file system. A failure is thrown.
Contents TreeContents(ConversionRun& run, const Folder& folder, std::string& link) {
    FileSystem& fs = run.Files;
    const FolderListing listing = fs.ListFolderByName(folder);
    if (!listing.Files.empty() || !listing.Others.empty()) {
        return Contents::Something;
    }
    Contents contents = Contents::Nothing;
    for (const Folder& subfolder : listing.Subfolders) {
        if (run.Outputs.contains(subfolder.Id) || IsLostAndFound(run, folder, subfolder.Name)) {
            return Contents::Something;
        }
        if (subfolder.IsLink) {
            if (link.empty()) {
                link = subfolder.Path;
            }
            contents = Contents::Links;
            continue;
        }
        const Contents inner = TreeContents(run, fs.EnterFolder(folder, subfolder), link);
        if (inner == Contents::Something) {
            return inner;
        }
        if (inner == Contents::Links) {
            contents = inner;
        }
    }
    return contents;
}

// Removes the open folder `folder` of `parent`, found to hold nothing, and
// its tree, bottom-up, folders only; never through a link, should one have
// appeared since.
void RemoveEmptyTree(ConversionRun& run, const Folder& parent, const Folder& folder) {
    FileSystem& fs = run.Files;
    for (const Folder& subfolder : fs.ListFolderByName(folder).Subfolders) {
        if (!subfolder.IsLink) {
            RemoveEmptyTree(run, folder, fs.EnterFolder(folder, subfolder));
        }
    }
    fs.DeleteFolder(parent, folder);
}

// Deletes the subfolder `listed` of `parent` when its tree holds nothing.
void DeleteIfEmpty(ConversionRun& run, const Folder& parent, const Folder& listed) {
    try {
        const Folder subfolder = run.Files.EnterFolder(parent, listed);
        std::string link;
        switch (TreeContents(run, subfolder, link)) {
            case Contents::Nothing:
                RemoveEmptyTree(run, parent, subfolder);
                break;
            case Contents::Links:
                run.Report(Action::DeleteSubfolder, subfolder.Path, {Cause::HoldsLink, link});
                break;
            case Contents::Something:
                break;
        }
    } catch (const FileSystemError& error) {
        run.Report(Action::DeleteSubfolder, listed.Path, {Cause::System, error.what()});
    }
}

// Deletions that wait until the JPG files converted before them are on the
// disk. They are kept in the walk's order (a subfolder's files before the test
// whether it is empty) and carried out by batch: the batch's JPG files made
// durable together, then the deletions. A PMX or PMF file that has a PMP file
// of its name goes only after that PMP file went.
class PendingDeletions {
public:
    explicit PendingDeletions(ConversionRun& run) : run_(run) {}
    PendingDeletions(const PendingDeletions&) = delete;
    PendingDeletions& operator=(const PendingDeletions&) = delete;

    // A converted PMP file of the open folder `folder`, to go once its JPG
    // file is on the disk. `picture` names it (its folder and base name) for
    // the other Sony files of its name.
    void AddConverted(const Folder& folder, const File& source, ConvertedPicture converted,
                      std::string picture) {
        bytes_ += converted.Source.Size;
        Hold(converted.Output);
        Add({folder, source, std::move(converted), std::nullopt, std::move(picture)});
    }

    // A PMX or PMF file, to go with the PMP files before it: with `picture`,
    // only if the PMP files so named went.
    void AddOther(const Folder& folder, const File& source, std::string picture) {
        AddOrCarry({folder, source, std::nullopt, std::nullopt, std::move(picture)});
    }

    // The subfolder `listed` of the open folder `parent`, to be deleted when
    // empty.
    void AddEmptinessTest(const Folder& parent, const Folder& listed) {
        AddOrCarry({parent, std::nullopt, std::nullopt, listed, {}});
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
            Carry(item, failure);
        }
        items_.clear();
        bytes_ = 0;
        held_.clear();
    }

private:
    struct Item {
        Folder Parent;  // what holds the file or subfolder, held open
        std::optional<File> Source;
        std::optional<ConvertedPicture> Converted;
        std::optional<Folder> Subfolder;  // as listed
        std::string Picture;
    };

    void Hold(const Folder& folder) { held_.insert(folder.Handle.get()); }

    void AddOrCarry(Item item) {
        if (items_.empty()) {
            Carry(item, {});
        } else {
            Add(std::move(item));
        }
    }

    void Add(Item item) {
        Hold(item.Parent);
        items_.push_back(std::move(item));
        if (items_.size() >= BatchFiles || bytes_ >= BatchBytes || held_.size() >= BatchFolders) {
            Flush();
        }
    }

    // `failure`: why the JPG files of the batch are not known to be on the disk.
    void Carry(const Item& item, const std::string& failure) {
        if (item.Subfolder) {
            DeleteIfEmpty(run_, item.Parent, *item.Subfolder);
        } else if (!item.Converted && !item.Picture.empty() && kept_.contains(item.Picture)) {
            // Stays with its PMP file.
        } else if (!failure.empty()) {
            // Not known to be safe on the disk: the source stays, and the
            // other Sony files of its name with it.
            run_.Report(Action::DeleteFile, item.Source->Path, {Cause::System, failure});
            kept_.insert(item.Picture);
        } else if (!DeleteSourceFile(run_, *item.Source, item.Parent,
                                     item.Converted ? &*item.Converted : nullptr) &&
                   item.Converted) {
            kept_.insert(item.Picture);
        }
    }

    ConversionRun& run_;
    std::vector<Item> items_;
    std::uint64_t bytes_ = 0;
    std::set<const FolderHandle*> held_;  // the folders the items hold open
    std::set<std::string> kept_;          // PMP files that stayed, by folder and base name
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
// DeleteSourceFiles names. A PMX or PMF file stays with a PMP file of its name
// that stays, for whatever reason: not converted, not a file, not deleted, or
// not reached before the run stopped.
void ConvertLevelFiles(ConversionRun& run, PendingDeletions& pending, const FolderListing& listing,
                       const Folder& source, const Folder& output, const Folder* link) {
    // For each base name of an entry named like a PMP file: whether every such
    // entry is on its way out.
    std::map<std::string, bool> pictures;
    for (const OtherEntry& other : listing.Others) {
        if (IsPictureFile(other.Name)) {
            pictures[BaseKey(other.Name)] = false;
        }
    }
    for (const Folder& subfolder : listing.Subfolders) {
        if (IsPictureFile(subfolder.Name)) {
            pictures[BaseKey(subfolder.Name)] = false;
        }
    }
    const std::string folderKey = source.Path + '\0';
    for (const File& file : listing.Files) {
        if (!IsPictureFile(file.Name)) {
            continue;
        }
        auto& goes = pictures.try_emplace(BaseKey(file.Name), true).first->second;
        if (run.Stopping()) {
            ++run.FilesNotReached;
            goes = false;
            continue;
        }
        std::optional<ConvertedPicture> converted = ConvertPictureFile(run, file, source, output);
        if (converted && IsToBeDeleted(run.Options, file.Name) && !run.Config.DryRun &&
            MayDeleteBelow(run, link)) {
            pending.AddConverted(source, file, std::move(*converted),
                                 folderKey + BaseKey(file.Name));
        } else {
            goes = false;
        }
    }
    for (const File& file : listing.Files) {
        if (IsPictureFile(file.Name) || !IsToBeDeleted(run.Options, file.Name) ||
            run.Config.DryRun) {
            continue;
        }
        const auto picture = pictures.find(BaseKey(file.Name));
        if (picture == pictures.end()) {
            // No PMP file of its name: it goes as any Sony file, unless the
            // run stopped before it.
            if (!run.Stopped && MayDeleteBelow(run, link)) {
                pending.AddOther(source, file, {});
            }
        } else if (picture->second) {
            pending.AddOther(source, file, folderKey + picture->first);
        }
    }
}

// The PMP files below a subfolder that the run stopped before.
void CountNotReached(ConversionRun& run, const Folder& parent, const Folder& subfolder) {
    std::int32_t left = 0;
    try {
        left = PicturesBelow(run, run.Files.EnterFolder(parent, subfolder));
    } catch (const FileSystemError&) {
        // Not read, so not counted.
    }
    run.FilesNotReached =
        left > INT32_MAX - run.FilesNotReached ? INT32_MAX : run.FilesNotReached + left;
}

// A folder of the source tree that the run writes into is never a source: its
// PMP files are reported and counted as left, once.
void ReportOutputInSource(ConversionRun& run, const Folder& parent, const Folder& folder) {
    run.Entered.insert(folder.Id);
    try {
        const std::int32_t left = CountFiles(run.Files, run.Files.EnterFolder(parent, folder),
                                             "PMP", true, run.Entered, UnreadableSubfolders::Skip);
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
// could not be read, or the run stopped before its end; the subtree is then
// not deleted from. `link` is the folder link the level lies below, if any:
// its files may lie outside the source tree.
bool ConvertLevel(ConversionRun& run, PendingDeletions& pending, const Folder& source,
                  const Folder& output, const Folder* link) {
    FileSystem& fs = run.Files;
    const ConversionOptions& options = run.Options;
    run.Entered.insert(source.Id);
    run.Outputs.insert(output.Id);

    FolderListing listing;
    try {
        listing = fs.ListFolderByName(source);
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

    ConvertLevelFiles(run, pending, listing, source, output, link);

    bool complete = true;
    for (const Folder& subfolder : listing.Subfolders) {
        // A folder met again through a link, or one this run writes into, is
        // not a source: entering it could go on without end. A link to a
        // folder of the source tree is not either: the folder is converted
        // under its own name, whichever comes first.
        if (run.Entered.contains(subfolder.Id) || LeadsIntoTree(fs, subfolder, run.SourceTop)) {
            continue;
        }
        if (run.Outputs.contains(subfolder.Id)) {
            if (options.Subfolders != SubfolderMode::None) {
                ReportOutputInSource(run, source, subfolder);
            }
            continue;
        }
        if (run.Stopping()) {
            if (options.Subfolders != SubfolderMode::None) {
                CountNotReached(run, source, subfolder);
            }
            continue;
        }
        bool subtreeComplete = true;
        const Folder* below = link != nullptr ? link : subfolder.IsLink ? &subfolder : nullptr;
        if (options.Subfolders != SubfolderMode::None) {
            // Entered as listed, or not at all: a folder replaced since (by a
            // link to somewhere else, say) is left alone, its tree untouched.
            std::optional<Folder> entered;
            try {
                entered = fs.EnterFolder(source, subfolder);
            } catch (const FileSystemError& error) {
                run.Report(Action::ReadFolder, subfolder.Path, {Cause::System, error.what()});
                complete = false;
                continue;
            }
            const std::optional<Folder> target = OutputFolderFor(run, output, *entered);
            if (!target) {
                complete = false;
                continue;
            }
            subtreeComplete = ConvertLevel(run, pending, *entered, *target, below);
            complete = complete && subtreeComplete;
        }
        if (options.DeleteEmptySubfolders && subtreeComplete && below == nullptr &&
            !run.Config.DryRun && !IsLostAndFound(run, source, subfolder.Name)) {
            pending.AddEmptinessTest(source, subfolder);
        }
    }
    return complete && !run.Stopped;
}

}  // namespace

void ConvertFiles(FileSystem& fileSystem, RunObserver& observer, const RunConfig& config,
                  const Folder& sourceFolder, const Folder& outputFolder) {
    ConversionRun run(fileSystem, observer, config);
    run.SourceTop = sourceFolder.Path;
    PendingDeletions pending(run);
    ConvertLevel(run, pending, sourceFolder, outputFolder, nullptr);
    pending.Flush();
    if (run.Stopped) {
        run.Observer.RunStopped(run.FilesNotReached);
    }
}

}  // namespace ostrel
