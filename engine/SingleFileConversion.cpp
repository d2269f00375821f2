#include "SingleFileConversion.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <ctime>

#include "ComposeFileName.h"
#include "JpegHead.h"
#include "PictureFile.h"
#include "PictureHistory.h"

namespace ostrel {
namespace {

constexpr std::int32_t HighestSerialNumber = 32767;

// A conversion failure that does not come from the system.
struct ConversionProblem {
    Reason Because;
};

void ReadHeader(InputFile& in, std::array<std::uint8_t, HeaderSize>& header) {
    std::size_t have = 0;
    while (have < header.size()) {
        const std::size_t got = in.Read(std::span(header).subspan(have));
        if (got == 0) {
            throw ConversionProblem{{Cause::NoPictureData}};
        }
        have += got;
    }
}

// Copies the start of the picture data with the Exif segment of its history
// in place, and returns how many picture bytes it copied. A picture that
// cannot take the segment is copied as it is, and `problem` tells why.
std::uint64_t CopyHeadWithExif(ExifEncoder& encoder, InputFile& in, OutputFile& out,
                               const PictureHistory& history, std::uint64_t pictureBytes,
                               std::optional<Reason>& problem) {
    const JpegHead head = ReadJpegHead(in, pictureBytes);
    std::vector<std::uint8_t> segment;
    if (head.ExifAt == 0) {
        problem = Reason{Cause::NotJpeg};
    } else {
        try {
            segment = encoder.Encode(history);
        } catch (const ExifError& error) {
            problem = Reason{Cause::System, error.what()};
        }
    }
    // Put together first: one write instead of three.
    out.Write(WithSegment(head, segment));
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
// up: one that no file has and that this dry run has not planned. A name too
// long for the folder's file system loses the end of its comment, and then
// the comment, until it fits.
struct FreeName {
    std::int32_t Serial;
    std::string Name;
    std::string Path;
};

FreeName FindFreeName(ConversionRun& run, NameParts& parts, const Folder& outputFolder,
                      std::int32_t from) {
    FileSystem& fs = run.Files;
    for (std::int32_t serial = from; serial <= HighestSerialNumber; ++serial) {
        std::string name = ComposeFileName(parts, serial);
        while (!fs.NameFits(outputFolder, name)) {
            if (!ShortenComment(parts)) {
                throw fs.NameTooLong();
            }
            name = ComposeFileName(parts, serial);
        }
        if (!fs.IsValidName(name)) {
            // Every character may be allowed in a name the system keeps for
            // itself (CON.jpg on Windows).
            throw ConversionProblem{
                {fs.IsValidName("x" + name + "x") ? Cause::ReservedName : Cause::InvalidName,
                 name}};
        }
        std::string path = fs.JoinPath(outputFolder.Path, name);
        if (!run.PlannedPaths.contains(fs.ComparablePath(path)) && !fs.FileExists(path)) {
            return FreeName{serial, std::move(name), std::move(path)};
        }
    }
    throw ConversionProblem{{Cause::NoFreeName}};
}

// Writes the picture data into a new file of the output folder, dates it and
// gives it the first free name; a name that someone else takes meanwhile moves
// it on to the next number. Returns why the picture got no Exif block when
// one was asked for and it could not take it, or nothing.
std::optional<Reason> WriteJpgFile(ConversionRun& run, InputFile& in, std::uint64_t pictureBytes,
                                   const PictureHistory& history, NameParts& parts,
                                   const Folder& outputFolder, FreeName& name, bool durable) {
    FileSystem& fs = run.Files;
    const std::unique_ptr<OutputFile> out = fs.CreateOutputFile(outputFolder, durable);
    std::optional<Reason> exifProblem;
    std::uint64_t copied = 0;
    if (run.Exif != nullptr) {
        copied = CopyHeadWithExif(*run.Exif, in, *out, history, pictureBytes, exifProblem);
    }
    copied += fs.CopyRemainder(in, *out);
    if (copied != pictureBytes) {
        Reason incomplete(Cause::IncompleteCopy);
        incomplete.Copied = copied;
        incomplete.Expected = pictureBytes;
        throw ConversionProblem{incomplete};
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
    switch (options.DeleteFiles) {
        case SourceDeletion::Pictures:
            return tail == "PMP";
        case SourceDeletion::AllSonyFiles:
            return tail == "PMP" || tail == "PMX" || tail == "PMF";
        case SourceDeletion::None:
            break;
    }
    return false;
}

std::optional<FileIdentity> ConvertPictureFile(ConversionRun& run, const File& file,
                                               const Folder& sourceFolder,
                                               const Folder& outputFolder) {
    try {
        FileSystem& fs = run.Files;
        std::unique_ptr<InputFile> in;
        try {
            in = fs.OpenForReading(file);
        } catch (const FileSystemError& error) {
            if (error.Code() != ENOENT) {
                throw;
            }
            // Listed, then taken away by someone else before the run came to it.
            run.Report(Action::ReachFile, file.Path, {Cause::System, error.what()});
            return std::nullopt;
        }
        const FileIdentity identity = in->Identity();
        if (identity.Size <= HeaderSize) {
            throw ConversionProblem{{Cause::NoPictureData}};
        }
        std::array<std::uint8_t, HeaderSize> header{};
        ReadHeader(*in, header);
        const PictureHistory history =
            ReadPictureHistory(header, file.Name, sourceFolder.Name, run.Options.CommentCodePage);
        NameParts parts = ComposeNameParts(history, run.Options);

        // The picture's names for every serial number, in this folder.
        const std::string family = outputFolder.Path + '\0' + parts.RecordedPart + '\0' +
                                   parts.DetailPart + '\0' + parts.Comment;
        const auto hint = run.FirstUntriedSerial.find(family);
        FreeName name = FindFreeName(run, parts, outputFolder,
                                     hint == run.FirstUntriedSerial.end() ? 1 : hint->second);
        const std::uint64_t pictureBytes = identity.Size - HeaderSize;
        std::optional<Reason> exifProblem;
        if (run.DryRun) {
            if (run.Exif != nullptr && ReadJpegHead(*in, pictureBytes).ExifAt == 0) {
                exifProblem = Reason{Cause::NotJpeg};
            }
            run.PlannedPaths.insert(fs.ComparablePath(name.Path));
        } else {
            exifProblem = WriteJpgFile(run, *in, pictureBytes, history, parts, outputFolder, name,
                                       IsToBeDeleted(run.Options, file.Name));
        }
        if (exifProblem) {
            run.Report(Action::AddExif, file.Path, std::move(*exifProblem));
        }
        if (name.Serial > 1) {
            run.FirstUntriedSerial[family] = name.Serial + 1;
        }
        run.Observer.FileWritten(name.Path, name.Serial);
        return identity;
    } catch (const FileSystemError& error) {
        run.Report(Action::ConvertFile, file.Path, {Cause::System, error.what()});
    } catch (const ConversionProblem& problem) {
        run.Report(Action::ConvertFile, file.Path, problem.Because);
    }
    return std::nullopt;
}

bool DeleteSourceFile(ConversionRun& run, const File& file,
                      const std::optional<FileIdentity>& converted) {
    if (!IsToBeDeleted(run.Options, file.Name) || run.DryRun) {
        return false;
    }
    try {
        run.Files.DeleteFile(file, converted);
        return true;
    } catch (const FileSystemError& error) {
        run.Report(Action::DeleteFile, file.Path, {Cause::System, error.what()});
    }
    return false;
}

}  // namespace ostrel
