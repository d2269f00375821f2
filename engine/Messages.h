#pragma once
// The texts the program shows, each built in one place. Lines are separated by
// "\r\n"; counts are plain decimal digits, and a noun takes "s" unless the
// number is exactly 1.

#include <cstdint>
#include <string>

namespace ostrel {
struct RunCounters;
}

namespace ostrel::messages {

inline constexpr const char* ConvertTitle = "Convert";
inline constexpr const char* LineBreak = "\r\n";

// A problem met during a run, which the run then steps past:
// context, "due to the following problem: ...", an empty line, and the promise
// that the run goes on.
std::string RunProblem(const std::string& context, const std::string& description);

std::string QuotedPath(const std::string& path);
std::string DeleteSourceFileContext(const std::string& path);
std::string DeleteSourceSubfolderContext(const std::string& path);
std::string ConvertSourceFileContext(const std::string& path);
std::string ReadSourceFolderContext(const std::string& path);
std::string CreateOutputFolderContext(const std::string& path);
std::string ConvertSourceFolderContext(const std::string& path);
std::string DeleteSourceFilesInContext(const std::string& path);

// Descriptions of conversion failures that do not come from the system.
std::string NoPictureDataDescription();
std::string NoFreeNameDescription();
std::string InvalidNameDescription(const std::string& name);
std::string ReservedNameDescription(const std::string& name);
std::string IncompleteCopyDescription(std::uint64_t copied, std::uint64_t expected);
inline constexpr const char* FolderNotFileDescription = "It is a folder, not a file";
inline constexpr const char* WritesIntoFolderDescription =
    "The conversion writes its JPG files into this folder";
inline constexpr const char* ReachedThroughLinkDescription =
    "The folder is reached through a link, so its files may lie outside the source folder";
std::string HoldsLinkDescription(const std::string& linkPath);

// A picture converted as it is, without the Exif block that was asked for.
std::string WithoutExifContext(const std::string& path);
inline constexpr const char* NotJpegDescription =
    "Its picture data does not start like a JPEG picture";

// The request's texts.
inline constexpr const char* SourceFolderMissing =
    "The PMP source folder you specified doesn't exist.";
inline constexpr const char* NoPmpFiles =
    "The PMP source folder you specified does not contain any PMP files.";
inline constexpr const char* OutputFolderMissing =
    "The JPG output folder you specified doesn't exist.";
std::string DeviceNameUnfit(const std::string& deviceName);
std::string Confirmation(std::int32_t count);
// The summary of a run over `counted` PMP files. When the run was not complete
// (a file failed or was left, a folder skipped), the first line counts the
// files that were converted, and further lines the failed ones and those left
// in folders that the run writes into.
std::string Summary(std::int32_t counted, const RunCounters& counters);
std::string FolderProblem(const std::string& path, const std::string& description);

// The text with each "\r\n" turned into "\n", for a terminal.
std::string PlainLines(const std::string& text);

}  // namespace ostrel::messages
