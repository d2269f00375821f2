#include "Messages.h"

#include "ConversionRun.h"

namespace ostrel::messages {
namespace {

std::string Plural(std::int32_t n) {
    return n == 1 ? "" : "s";
}

}  // namespace

std::string RunProblem(const std::string& context, const std::string& description) {
    return context + LineBreak + "due to the following problem: " + description + "." + LineBreak +
           LineBreak + "Remainder of conversion will proceed normally.";
}

std::string QuotedPath(const std::string& path) {
    return "\"" + path + "\"";
}

std::string DeleteSourceFileContext(const std::string& path) {
    return "Unable to delete source file " + QuotedPath(path);
}

std::string DeleteSourceSubfolderContext(const std::string& path) {
    return "Unable to delete source subfolder " + QuotedPath(path);
}

std::string ConvertSourceFileContext(const std::string& path) {
    return "Unable to convert source file " + QuotedPath(path);
}

std::string ReadSourceFolderContext(const std::string& path) {
    return "Unable to read source folder " + QuotedPath(path);
}

std::string CreateOutputFolderContext(const std::string& path) {
    return "Unable to create output folder " + QuotedPath(path);
}

std::string ConvertSourceFolderContext(const std::string& path) {
    return "Unable to convert source folder " + QuotedPath(path);
}

std::string DeleteSourceFilesInContext(const std::string& path) {
    return "Unable to delete source files in " + QuotedPath(path);
}

std::string NoPictureDataDescription() {
    return "The file holds no picture data after its 124-byte header";
}

std::string NoFreeNameDescription() {
    return "Every serial number up to 32767 is taken for this picture's name";
}

std::string InvalidNameDescription(const std::string& name) {
    return "The name " + QuotedPath(name) + " holds a character that a file name cannot hold";
}

std::string ReservedNameDescription(const std::string& name) {
    return "The name " + QuotedPath(name) + " is kept by the system for a device";
}

std::string IncompleteCopyDescription(std::uint64_t copied, std::uint64_t expected) {
    return "Only " + std::to_string(copied) + " of its " + std::to_string(expected) +
           " bytes of picture data could be copied";
}

std::string HoldsLinkDescription(const std::string& linkPath) {
    return "It holds the link " + QuotedPath(linkPath) + ", and nothing is deleted through a link";
}

std::string WithoutExifContext(const std::string& path) {
    return "Converted source file " + QuotedPath(path) + " without Exif data";
}

std::string DeviceNameUnfit(const std::string& deviceName) {
    return "The device name " + QuotedPath(deviceName) +
           " holds a character that a file name cannot hold.";
}

std::string Confirmation(std::int32_t count) {
    return "Convert " + std::to_string(count) + " PMP file" + Plural(count) + " to JPG?";
}

std::string Summary(std::int32_t counted, const RunCounters& counters) {
    const std::int32_t serialized = counters.NumberOfSerializedFiles;
    const std::int32_t failed = counters.NumberOfFailedFiles;
    const std::int32_t left = counters.NumberOfLeftFiles;
    const bool complete = failed == 0 && left == 0 && counters.NumberOfSkippedFolders == 0;
    const std::int32_t first = complete ? counted : counters.SourceObjectNumber;
    std::string text =
        std::to_string(first) + " PMP file" + Plural(first) + " successfully converted to JPG.";
    if (serialized > 0) {
        text += std::string(LineBreak) + LineBreak + std::to_string(serialized) + " JPG file" +
                Plural(serialized) + " saved with incremented serial number" + Plural(serialized) +
                ".";
    }
    if (failed > 0) {
        text += std::string(LineBreak) + LineBreak + std::to_string(failed) + " PMP file" +
                Plural(failed) + " could not be converted.";
    }
    if (const std::int32_t plain = counters.NumberOfFilesWithoutExif; plain > 0) {
        text += std::string(LineBreak) + LineBreak + std::to_string(plain) + " JPG file" +
                Plural(plain) + " written without Exif data.";
    }
    if (left > 0) {
        text += std::string(LineBreak) + LineBreak + std::to_string(left) + " PMP file" +
                Plural(left) + " left unconverted in folders that receive JPG files.";
    }
    return text;
}

std::string FolderProblem(const std::string& path, const std::string& description) {
    return "Unable to read the folder " + QuotedPath(path) +
           " due to the following problem: " + description + ".";
}

std::string PlainLines(const std::string& text) {
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        plain.push_back(text[i]);
    }
    return plain;
}

}  // namespace ostrel::messages
