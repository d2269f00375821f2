#include "SingleFileConversion.h"

#include <algorithm>
#include <array>
#include <cerrno>

#include "ComposeFileName.h"
#include "JpegHead.h"
#include "LocalClock.h"
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
// in place, notes where it went, and returns how many picture bytes it
// copied. A picture that cannot take the segment is copied as it is, and
// `problem` tells why.
std::uint64_t CopyHeadWithExif(ExifEncoder& encoder, InputFile& in, OutputFile& out,
                               const PictureHistory& history, std::uint64_t pictureBytes,
                               std::optional<Reason>& problem, ConvertedPicture& converted) {
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
    if (!segment.empty()) {
        converted.ExifAt = head.ExifAt;
        converted.ExifBytes = segment.size();
    }
    return head.Bytes.size();
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
        if (!run.PlannedPaths.contains(fs.ComparablePath(path)) &&
            !fs.FileExists(outputFolder, name)) {
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
                                   const Folder& outputFolder, FreeName& name, bool durable,
                                   ConvertedPicture& converted) {
    FileSystem& fs = run.Files;
    const std::unique_ptr<OutputFile> out = fs.CreateOutputFile(outputFolder, durable);
    std::optional<Reason> exifProblem;
    std::uint64_t copied = 0;
    if (run.Config.Exif != nullptr) {
        copied = CopyHeadWithExif(*run.Config.Exif, in, *out, history, pictureBytes, exifProblem,
                                  converted);
    }
    copied += fs.CopyRemainder(in, *out);
    if (copied != pictureBytes) {
        Reason incomplete(Cause::IncompleteCopy);
        incomplete.Copied = copied;
        incomplete.Expected = pictureBytes;
        throw ConversionProblem{incomplete};
    }
    if (run.Config.Times == FileTime::Recorded) {
        if (const auto time = run.Clock.TimeOf(history.RecordedDateTime)) {
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

std::optional<ConvertedPicture> ConvertPictureFile(ConversionRun& run, const File& file,
                                                   const Folder& sourceFolder,
                                                   const Folder& outputFolder) {
    try {
        FileSystem& fs = run.Files;
        std::unique_ptr<InputFile> in;
        try {
            in = fs.OpenForReading(sourceFolder, file);
        } catch (const FileSystemError& error) {
            if (error.Code() != ENOENT) {
                throw;
            }
            // Listed, then taken away by someone else before the run came to it.
            run.Report(Action::ReachFile, file.Path, {Cause::System, error.what()});
            return std::nullopt;
        }
        ConvertedPicture converted{in->Identity(), {}, outputFolder, {}};
        if (converted.Source.Size <= HeaderSize) {
            throw ConversionProblem{{Cause::NoPictureData}};
        }
        ReadHeader(*in, converted.Header);
        const PictureHistory history = ReadPictureHistory(
            converted.Header, file.Name, sourceFolder.Name, run.Options.CommentCodePage);
        NameParts parts = ComposeNameParts(history, run.Options);

        // The picture's names for every serial number, in this folder.
        const std::string family = outputFolder.Path + '\0' + parts.RecordedPart + '\0' +
                                   parts.DetailPart + '\0' + parts.Comment;
        const auto hint = run.FirstUntriedSerial.find(family);
        FreeName name = FindFreeName(run, parts, outputFolder,
                                     hint == run.FirstUntriedSerial.end() ? 1 : hint->second);
        const std::uint64_t pictureBytes = converted.Source.Size - HeaderSize;
        std::optional<Reason> exifProblem;
        if (run.Config.DryRun) {
            if (run.Config.Exif != nullptr && ReadJpegHead(*in, pictureBytes).ExifAt == 0) {
                exifProblem = Reason{Cause::NotJpeg};
            }
            run.PlannedPaths.insert(fs.ComparablePath(name.Path));
        } else {
            exifProblem = WriteJpgFile(run, *in, pictureBytes, history, parts, outputFolder, name,
                                       IsToBeDeleted(run.Options, file.Name), converted);
        }
        if (exifProblem) {
            run.Report(Action::AddExif, file.Path, std::move(*exifProblem));
        }
        if (name.Serial > 1) {
            run.FirstUntriedSerial[family] = name.Serial + 1;
        }
        run.Observer.FileWritten(name.Path, name.Serial);
        converted.Name = std::move(name.Name);
        return converted;
    } catch (const FileSystemError& error) {
        run.Report(Action::ConvertFile, file.Path, {Cause::System, error.what()});
    } catch (const ConversionProblem& problem) {
        run.Report(Action::ConvertFile, file.Path, problem.Because);
    }
    return std::nullopt;
}

namespace {

// Reads until `buffer` is full or the file ends; returns how many bytes it read.
std::size_t ReadFully(InputFile& in, std::span<std::uint8_t> buffer) {
    std::size_t have = 0;
    while (have < buffer.size()) {
        const std::size_t got = in.Read(buffer.subspan(have));
        if (got == 0) {
            break;
        }
        have += got;
    }
    return have;
}

}  // namespace

bool HoldsTheConvertedBytes(FileSystem& fileSystem, const ConvertedPicture& converted,
                            InputFile& source) {
    std::array<std::uint8_t, HeaderSize> header{};
    if (ReadFully(source, header) != header.size() || header != converted.Header) {
        return false;
    }
    const auto jpg = fileSystem.OpenForReading(
        converted.Output,
        File{fileSystem.JoinPath(converted.Output.Path, converted.Name), converted.Name});
    constexpr std::size_t Chunk = std::size_t{64} << 10;
    std::vector<std::uint8_t> expected(Chunk), actual(Chunk);
    std::uint64_t at = 0;  // in the JPG file
    for (;;) {
        if (converted.ExifBytes > 0 && at == converted.ExifAt) {
            // The segment is ours, not the camera's: past it.
            for (std::uint64_t left = converted.ExifBytes; left > 0;) {
                const auto skip = static_cast<std::size_t>(std::min<std::uint64_t>(left, Chunk));
                if (ReadFully(*jpg, std::span(expected).first(skip)) != skip) {
                    return false;
                }
                left -= skip;
                at += skip;
            }
        }
        std::size_t wanted = Chunk;
        if (converted.ExifBytes > 0 && at < converted.ExifAt) {
            wanted =
                static_cast<std::size_t>(std::min<std::uint64_t>(Chunk, converted.ExifAt - at));
        }
        const std::size_t got = ReadFully(*jpg, std::span(expected).first(wanted));
        if (got == 0) {
            // The JPG file is at its end: so must the source be.
            return ReadFully(source, std::span(actual).first(1)) == 0;
        }
        if (ReadFully(source, std::span(actual).first(got)) != got ||
            !std::equal(expected.begin(), expected.begin() + static_cast<std::ptrdiff_t>(got),
                        actual.begin())) {
            return false;
        }
        at += got;
    }
}

bool DeleteSourceFile(ConversionRun& run, const File& file, const Folder& sourceFolder,
                      const ConvertedPicture* converted) {
    if (!IsToBeDeleted(run.Options, file.Name) || run.Config.DryRun) {
        return false;
    }
    try {
        if (converted != nullptr) {
            const DeletionCheck check{converted->Source, [&](InputFile& source) {
                                          return HoldsTheConvertedBytes(run.Files, *converted,
                                                                        source);
                                      }};
            run.Files.DeleteFile(sourceFolder, file, &check);
        } else {
            run.Files.DeleteFile(sourceFolder, file, nullptr);
        }
        return true;
    } catch (const FileSystemError& error) {
        run.Report(Action::DeleteFile, file.Path, {Cause::System, error.what()});
    }
    return false;
}

}  // namespace ostrel
