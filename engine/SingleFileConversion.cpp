#include <array>
#include <cerrno>
#include <chrono>
#include <ctime>
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

// The recorded date-time on this machine's clock. The camera kept no time
// zone, so it is read as local time, and a time in a daylight-saving gap or
// fold is taken as mktime takes it. Nothing when the system cannot hold it.
std::optional<std::chrono::system_clock::time_point> LocalTimeOf(const DateTime& value) {
    std::tm parts{};
    parts.tm_year = value.Year - 1900;
    parts.tm_mon = value.Month - 1;
    parts.tm_mday = value.Day;
    parts.tm_hour = value.Hour;
    parts.tm_min = value.Minute;
    parts.tm_sec = value.Second;
    parts.tm_isdst = -1;
    parts.tm_wday = -1;  // set only on success: -1 is also a time
    const std::time_t time = std::mktime(&parts);
    if (parts.tm_wday < 0) {
        return std::nullopt;
    }
    return std::chrono::system_clock::from_time_t(time);
}

// A free name for the picture in the output folder, from serial number `from`
// up: one that no file has and that this dry run has not planned.
struct FreeName {
    std::int32_t Serial;
    std::string Name;
    std::string Path;
};

FreeName FindFreeName(ConversionRun& run, const NameParts& parts, const Folder& outputFolder,
                      std::int32_t from) {
    FileSystem& fs = run.Files;
    for (std::int32_t serial = from; serial <= HighestSerialNumber; ++serial) {
        std::string name = ComposeFileName(parts, serial);
        if (!fs.IsValidName(name)) {
            throw ConversionProblem{messages::InvalidNameDescription(name)};
        }
        std::string path = fs.JoinPath(outputFolder.Path, name);
        if (!run.PlannedPaths.contains(path) && !fs.FileExists(path)) {
            return FreeName{serial, std::move(name), std::move(path)};
        }
    }
    throw ConversionProblem{messages::NoFreeNameDescription()};
}

// Writes the picture data into a new file of the output folder, dates it and
// gives it the first free name; a name that someone else takes meanwhile moves
// it on to the next number.
void WriteJpgFile(ConversionRun& run, InputFile& in, std::uint64_t pictureBytes,
                  const PictureHistory& history, const NameParts& parts, const Folder& outputFolder,
                  FreeName& name, bool durable) {
    FileSystem& fs = run.Files;
    const std::unique_ptr<OutputFile> out = fs.CreateOutputFile(outputFolder, durable);
    const std::uint64_t copied = fs.CopyRemainder(in, *out);
    if (copied != pictureBytes) {
        throw ConversionProblem{messages::IncompleteCopyDescription(copied, pictureBytes)};
    }
    if (run.Times == FileTime::Recorded) {
        if (const auto time = LocalTimeOf(history.RecordedDateTime)) {
            out->SetTimes(*time);
        }
    }
    for (;;) {
        try {
            out->Publish(name.Name);
            return;
        } catch (const FileSystemError& error) {
            if (!error.AlreadyExists()) {
                throw;
            }
            name = FindFreeName(run, parts, outputFolder, name.Serial + 1);
        }
    }
}

}  // namespace

bool IsToBeDeleted(const ConversionOptions& options, std::string_view name) {
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

void ReportConversionFailure(ConversionRun& run, const std::string& path,
                             const std::string& description) {
    ++run.Counters.NumberOfFailedFiles;
    run.User.ShowMessage(
        messages::RunProblem(messages::ConvertSourceFileContext(path), description),
        messages::ConvertTitle, MessageKind::Information);
}

std::optional<FileIdentity> ConvertPictureFile(ConversionRun& run, const File& file,
                                               const Folder& SourceFolder,
                                               const Folder& OutputFolder) {
    try {
        FileSystem& fs = run.Files;
        const std::unique_ptr<InputFile> in = fs.OpenForReading(file);
        const FileIdentity identity = in->Identity();
        if (identity.Size <= HeaderSize) {
            throw ConversionProblem{messages::NoPictureDataDescription()};
        }
        std::array<std::uint8_t, HeaderSize> header{};
        ReadHeader(*in, header);
        const PictureHistory history = ReadPictureHistory(header, file.Name, SourceFolder.Name);
        const NameParts parts = ComposeNameParts(history, run.Options);

        // The picture's names for every serial number, in this folder.
        const std::string family =
            OutputFolder.Path + '\0' + parts.RecordedPart + '\0' + parts.DetailPart;
        const auto hint = run.FirstUntriedSerial.find(family);
        FreeName name = FindFreeName(run, parts, OutputFolder,
                                     hint == run.FirstUntriedSerial.end() ? 1 : hint->second);
        if (run.DryRun) {
            if (name.Name.size() > fs.MaxNameLength(OutputFolder)) {
                throw FileSystemError(std::generic_category().message(ENAMETOOLONG), ENAMETOOLONG);
            }
            run.PlannedPaths.insert(name.Path);
        } else {
            WriteJpgFile(run, *in, identity.Size - HeaderSize, history, parts, OutputFolder, name,
                         IsToBeDeleted(run.Options, file.Name));
        }
        if (name.Serial > 1) {
            run.FirstUntriedSerial[family] = name.Serial + 1;
            ++run.Counters.NumberOfSerializedFiles;
        }

        ++run.Counters.SourceObjectNumber;
        if (run.OnWritten) {
            run.OnWritten(name.Path);
        }
        run.User.SetProgressPosition(run.Counters.SourceObjectNumber);
        return identity;
    } catch (const FileSystemError& error) {
        ReportConversionFailure(run, file.Path, error.what());
    } catch (const ConversionProblem& problem) {
        ReportConversionFailure(run, file.Path, problem.Description);
    }
    return std::nullopt;
}

void DeleteSourceFile(ConversionRun& run, const File& file,
                      const std::optional<FileIdentity>& converted) {
    if (!IsToBeDeleted(run.Options, file.Name) || run.DryRun) {
        return;
    }
    const std::string context = messages::DeleteSourceFileContext(file.Path);
    try {
        run.Files.DeleteFile(file, converted);
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
