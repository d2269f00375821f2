#pragma once
// The texts the program shows, each built in one place, shared by the window
// and ostrel-convert. Lines are separated by "\n"; counts are plain decimal
// digits, and a noun takes "s" unless the number is exactly 1.

#include <cstddef>
#include <cstdint>
#include <string>

#include "RunCounters.h"
#include "RunObserver.h"

namespace ostrel::messages {

inline constexpr const char* ConvertTitle = "Convert";

// A problem met during a run, which the run then steps past: what could not
// be done, "due to the following problem: ...", an empty line, and the promise
// that the run goes on.
std::string ProblemText(const RunProblem& problem);
// The same without the promise, for the list of problems shown after the run.
std::string ProblemLines(const RunProblem& problem);

// The check box of a problem's message box in the window; ticked, the run's
// later problems are held back and shown together once the run has ended.
inline constexpr const char* ReportAtEnd = "Report further problems at the end";
// The box that then shows them, with their list in its details.
std::string HeldProblems(std::size_t count);

// The window's question when Cancel, Escape or closing comes during a run,
// with No its default.
inline constexpr const char* StopQuestion =
    "Stop converting?\n\nThe picture in hand is finished; the rest stay where they are.";

// The window's options at start and at the end: a settings file that cannot
// be read gives the first-run options, one that cannot be written loses them.
inline constexpr const char* LoadSettingsTitle = "Load Settings";
inline constexpr const char* SaveSettingsTitle = "Save Settings";
// With `firstRunOptions`, it says that the first-run options are used instead.
std::string SettingsUnreadable(const std::string& where, const std::string& why,
                               bool firstRunOptions = true);
std::string SettingsUnwritten(const std::string& where, const std::string& why);

// The request's texts.
inline constexpr const char* SourceFolderMissing =
    "The PMP source folder you specified doesn't exist.";
inline constexpr const char* NoPmpFiles =
    "The PMP source folder you specified does not contain any PMP files.";
inline constexpr const char* OutputFolderMissing =
    "The JPG output folder you specified doesn't exist.";
std::string DeviceNameUnfit(const std::string& deviceName);
std::string Confirmation(std::int32_t count);
std::string FolderProblem(const std::string& path, const std::string& description);
// No PMP file found, but `folders` subfolders could not be read, the first at
// `path` for the system's `description`.
std::string NoPmpFilesReadable(std::int32_t folders, const std::string& path,
                               const std::string& description);

// The summary of a run: its first line counts the PMP files converted in this
// run, and a line of its own each thing that went otherwise (files serialised,
// failed, gone, left, folders passed over, deletions failed, the run stopped).
std::string Summary(const RunCounters& counters);

}  // namespace ostrel::messages
