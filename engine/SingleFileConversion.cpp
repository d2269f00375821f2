#include <array>
#include <cerrno>
#include <system_error>

#include "ConversionRun.h"
#include "FileName.h"
#include "Messages.h"
#include "PictureHistory.h"

namespace ostrel {
namespace {

constexpr std::int32_t HighestSerialNumber = 32767;

// A conversion failure that does not come from the system.
struct ConversionProblem {
    std::string Description;
};

void ReadHeader(InputFile& in, std::array<std::uint8_t, HeaderSize>& header) {
    std::size_t have = 0;
    while (have < header.size()) {
        const std::size_t got = in.Read(std::span(header).subspan(have));
        if (got == 0) {
            throw ConversionProblem{messages::NoPictureDataDescription()};
        }
        have += got;
    }
}

bool ShouldDelete(const ConversionOptions& options, std::string_view name) {
    const std::string tail = UpperTail(name);
    switch (options.DeleteSourceFiles) {
        case 1:
            return tail == "PMP";
        case 2:
            return tail == "PMP" || tail == "PMX" || tail == "PMF";
        default:
            return false;
    }
}

// Finds the first free name for the picture and, unless the run is a dry run,
// creates the JPG file under it. Returns the full path and the serial number.
std::unique_ptr<OutputFile> CreateJpgFile(ConversionRun& run, const NameParts& parts,
                                          const Folder& outputFolder, const std::string& family,
                                          std::string& path, std::int32_t& serial) {
    FileSystem& fs = run.Files;
    const auto hint = run.FirstUntriedSerial.find(family);
    for (serial = hint == run.FirstUntriedSerial.end() ? 1 : hint->second;
         serial <= HighestSerialNumber; ++serial) {
        const std::string name = ComposeFileName(parts, serial);
        if (!fs.IsValidName(name)) {
            throw ConversionProblem{messages::InvalidNameDescription(name)};
        }
        path = fs.JoinPath(outputFolder.Path, name);
        if (run.TakenPaths.contains(path)) {
            continue;
        }
        if (fs.FileExists(path)) {
            run.TakenPaths.insert(path);
            continue;
        }
        if (run.DryRun) {
            if (name.size() > fs.MaxNameLength(outputFolder)) {
                throw FileSystemError(std::generic_category().message(ENAMETOOLONG), ENAMETOOLONG);
            }
            return nullptr;
        }
        try {
            return fs.CreateNewFile(path);
        } catch (const FileSystemError& error) {
            if (!error.AlreadyExists()) {
                throw;
            }
            // Someone took the name since the test: try the next number.
            run.TakenPaths.insert(path);
        }
    }
    throw ConversionProblem{messages::NoFreeNameDescription()};
}

void ReportConversionFailure(ConversionRun& run, const File& file, const std::string& why) {
    ++run.Counters.NumberOfFailedFiles;
    run.User.ShowMessage(messages::RunProblem(messages::ConvertSourceFileContext(file.Path), why),
                         messages::ConvertTitle, MessageKind::Information);
}

}  // namespace

bool ConvertPictureFile(ConversionRun& run, const File& file, const Folder& SourceFolder,
                        const Folder& OutputFolder) {
    try {
        FileSystem& fs = run.Files;
        const std::unique_ptr<InputFile> in = fs.OpenForReading(file);
        if (in->Size() <= HeaderSize) {
            throw ConversionProblem{messages::NoPictureDataDescription()};
        }
        std::array<std::uint8_t, HeaderSize> header{};
        ReadHeader(*in, header);
        const PictureHistory history = ReadPictureHistory(header, file.Name, SourceFolder.Name);
        const NameParts parts = ComposeNameParts(history, run.Options);

        // The picture's names for every serial number, in this folder.
        const std::string family =
            OutputFolder.Path + '\0' + parts.RecordedPart + '\0' + parts.DetailPart;
        std::string path;
        std::int32_t serial = 0;
        const std::unique_ptr<OutputFile> out =
            CreateJpgFile(run, parts, OutputFolder, family, path, serial);
        if (out) {
            fs.CopyRemainder(*in, *out);
            // A source that is about to be deleted must not outlive its copy on
            // the disk, so its JPG file is flushed before it goes.
            out->Commit(ShouldDelete(run.Options, file.Name));
        }
        run.TakenPaths.insert(path);
        run.FirstUntriedSerial[family] = serial + 1;

        ++run.Counters.SourceObjectNumber;
        if (serial > 1) {
            ++run.Counters.NumberOfSerializedFiles;
        }
        if (run.OnWritten) {
            run.OnWritten(path);
        }
        run.User.SetProgressPosition(run.Counters.SourceObjectNumber);
        return true;
    } catch (const FileSystemError& error) {
        ReportConversionFailure(run, file, error.what());
    } catch (const ConversionProblem& problem) {
        ReportConversionFailure(run, file, problem.Description);
    }
    return false;
}

void DeleteSourceFile(ConversionRun& run, const File& file) {
    if (!ShouldDelete(run.Options, file.Name) || run.DryRun) {
        return;
    }
    const std::string context = messages::DeleteSourceFileContext(file.Path);
    try {
        run.Files.DeleteFile(file);
    } catch (const FileSystemError& error) {
        ++run.Counters.NumberOfFailedDeletions;
        ReportDeletionFailure(run.User, context, error.what());
    }
}

void ReportDeletionFailure(UserInteraction& user, const std::string& context,
                           const std::string& description) {
    user.ShowMessage(messages::RunProblem(context, description), messages::ConvertTitle,
                     MessageKind::Information);
}

}  // namespace ostrel
