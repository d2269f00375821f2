#pragma once
// The texts the program shows, each built in one place. Lines are separated by
// "\r\n"; counts are plain decimal digits, and a noun takes "s" unless the
// number is exactly 1.

#include <cstdint>
#include <string>

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

// Descriptions of conversion failures that do not come from the system.
std::string NoPictureDataDescription();
std::string NoFreeNameDescription();
std::string InvalidNameDescription(const std::string& name);

// The request's texts.
inline constexpr const char* SourceFolderMissing =
    "The PMP source folder you specified doesn't exist.";
inline constexpr const char* NoPmpFiles =
    "The PMP source folder you specified does not contain any PMP files.";
inline constexpr const char* OutputFolderMissing =
    "The JPG output folder you specified doesn't exist.";
std::string Confirmation(std::int32_t count);
// The summary of a run. When some files failed, the first line counts the files
// that were converted and a further line counts the failed ones.
std::string Summary(std::int32_t counted, std::int32_t converted, std::int32_t serialized,
                    std::int32_t failed, bool incomplete);
std::string FolderProblem(const std::string& path, const std::string& description);

// The text with each "\r\n" turned into "\n", for a terminal.
std::string PlainLines(const std::string& text);

}  // namespace ostrel::messages
