#include <algorithm>
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

// Reads up to `count` more bytes onto the end of `bytes`; fewer only at the
// end of the file.
void ReadMore(InputFile& in, std::vector<std::uint8_t>& bytes, std::size_t count) {
    const std::size_t start = bytes.size();
    bytes.resize(start + count);
    std::size_t have = 0;
    while (have < count) {
        const std::size_t got = in.Read(std::span(bytes).subspan(start + have));
        if (got == 0) {
            break;
        }
        have += got;
    }
    bytes.resize(start + have);
}

// The start of the picture data, read at least as far as where an Exif segment
// goes: right after the start-of-image marker, or after a JFIF segment that
// follows it, since readers of JFIF files expect that segment first. One read
// is enough for any usual JFIF segment.
struct JpegHead {
    std::vector<std::uint8_t> Bytes;
    std::size_t ExifAt = 0;  // 0: the data does not start like a JPEG picture
};

JpegHead ReadJpegHead(InputFile& in, std::uint64_t pictureBytes) {
    JpegHead head;
    std::vector<std::uint8_t>& b = head.Bytes;
    ReadMore(in, b, static_cast<std::size_t>(std::min<std::uint64_t>(pictureBytes, 512)));
    if (b.size() < 4 || b[0] != 0xFF || b[1] != 0xD8 || b[2] != 0xFF) {
        return head;
    }
    head.ExifAt = 2;
    if (b.size() < 6 || b[3] != 0xE0) {
        return head;
    }
    const std::size_t length = std::size_t{b[4]} << 8 | b[5];  // counts its own two bytes
    if (length < 7 || 4 + length > pictureBytes) {
        return head;
    }
    if (b.size() < 4 + length) {
        ReadMore(in, b, 4 + length - b.size());
    }
    static constexpr std::uint8_t Jfif[] = {'J', 'F', 'I', 'F', 0};
    if (b.size() >= 4 + length && std::equal(std::begin(Jfif), std::end(Jfif), b.begin() + 6)) {
        head.ExifAt = 4 + length;
    }
    return head;
}

// Copies the start of the picture data with the Exif segment of its history
// in place, and returns how many picture bytes it copied. A picture that
// cannot take the segment is copied as it is, and `problem` tells why.
std::uint64_t CopyHeadWithExif(ExifEncoder& encoder, InputFile& in, OutputFile& out,
                               const PictureHistory& history, std::uint64_t pictureBytes,
                               std::string& problem) {
    const JpegHead head = ReadJpegHead(in, pictureBytes);
    std::vector<std::uint8_t> segment;
    if (head.ExifAt == 0) {
        problem = messages::NotJpegDescription;
    } else {
        try {
            segment = encoder.Encode(history);
        } catch (const ExifError& error) {
            problem = error.what();
        }
    }
    // Put together first: one write instead of three.
    std::vector<std::uint8_t> start = head.Bytes;
    start.insert(start.begin() + static_cast<std::ptrdiff_t>(segment.empty() ? 0 : head.ExifAt),
                 segment.begin(), segment.end());
    out.Write(start);
    return head.Bytes.size();
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
            // Every character may be allowed in a name the system keeps for
            // itself (CON.jpg on Windows).
            throw ConversionProblem{fs.IsValidName("x" + name + "x")
                                        ? messages::ReservedNameDescription(name)
                                        : messages::InvalidNameDescription(name)};
        }
        std::string path = fs.JoinPath(outputFolder.Path, name);
        if (!run.PlannedPaths.contains(fs.ComparablePath(path)) && !fs.FileExists(path)) {
            return FreeName{serial, std::move(name), std::move(path)};
        }
    }
    throw ConversionProblem{messages::NoFreeNameDescription()};
}

// Writes the picture data into a new file of the output folder, dates it and
// gives it the first free name; a name that someone else takes meanwhile moves
// it on to the next number. Returns why the picture got no Exif block when
// one was asked for and it could not take it, or nothing.
std::string WriteJpgFile(ConversionRun& run, InputFile& in, std::uint64_t pictureBytes,
                         const PictureHistory& history, const NameParts& parts,
                         const Folder& outputFolder, FreeName& name, bool durable) {
    FileSystem& fs = run.Files;
    const std::unique_ptr<OutputFile> out = fs.CreateOutputFile(outputFolder, durable);
    std::string exifProblem;
    std::uint64_t copied = 0;
    if (run.Exif != nullptr) {
        copied = CopyHeadWithExif(*run.Exif, in, *out, history, pictureBytes, exifProblem);
    }
    copied += fs.CopyRemainder(in, *out);
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
            return exifProblem;
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
        const std::uint64_t pictureBytes = identity.Size - HeaderSize;
        std::string exifProblem;
        if (run.DryRun) {
            if (name.Name.size() > fs.MaxNameLength(OutputFolder)) {
                throw fs.NameTooLong();
            }
            if (run.Exif != nullptr && ReadJpegHead(*in, pictureBytes).ExifAt == 0) {
                exifProblem = messages::NotJpegDescription;
            }
            run.PlannedPaths.insert(fs.ComparablePath(name.Path));
        } else {
            exifProblem = WriteJpgFile(run, *in, pictureBytes, history, parts, OutputFolder, name,
                                       IsToBeDeleted(run.Options, file.Name));
        }
        if (!exifProblem.empty()) {
            ++run.Counters.NumberOfFilesWithoutExif;
            run.User.ShowMessage(
                messages::RunProblem(messages::WithoutExifContext(file.Path), exifProblem),
                messages::ConvertTitle, MessageKind::Information);
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
