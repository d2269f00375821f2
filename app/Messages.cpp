#include "Messages.h"

namespace ostrel::messages {
namespace {

std::string Plural(std::int32_t n) {
    return n == 1 ? "" : "s";
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string Context(const RunProblem& problem) {
    const std::string path = Quoted(problem.Path);
    switch (problem.What) {
        case Action::ConvertFile:
        case Action::ReachFile:
            return "Unable to convert source file " + path;
        case Action::ConvertFolder:
            return "Unable to convert source folder " + path;
        case Action::ReadFolder:
            return "Unable to read source folder " + path;
        case Action::CreateFolder:
            return "Unable to create output folder " + path;
        case Action::DeleteFile:
            return "Unable to delete source file " + path;
        case Action::DeleteSubfolder:
            return "Unable to delete source subfolder " + path;
        case Action::DeleteFilesBelowLink:
            return "Unable to delete source files in " + path;
        case Action::AddExif:
            break;
    }
    return "Converted source file " + path + " without Exif data";
}

std::string Description(const Reason& reason) {
    switch (reason.Why) {
        case Cause::System:
            return reason.Detail;
        case Cause::NoPictureData:
            return "The file holds no picture data after its 124-byte header";
        case Cause::NoFreeName:
            return "Every serial number up to 32767 is taken for this picture's name";
        case Cause::InvalidName:
            return "The name " + Quoted(reason.Detail) +
                   " holds a character that a file name cannot hold";
        case Cause::ReservedName:
            return "The name " + Quoted(reason.Detail) + " is kept by the system for a device";
        case Cause::IncompleteCopy:
            return "Only " + std::to_string(reason.Copied) + " of its " +
                   std::to_string(reason.Expected) + " bytes of picture data could be copied";
        case Cause::FolderNotFile:
            return "It is a folder, not a file";
        case Cause::WritesIntoFolder:
            return "The conversion writes its JPG files into this folder";
        case Cause::ReachedThroughLink:
            return "The folder is reached through a link, so its files may lie outside the "
                   "source folder";
        case Cause::HoldsLink:
            return "It holds the link " + Quoted(reason.Detail) +
                   ", and nothing is deleted through a link";
        case Cause::FileSystemFolder:
            return "The file system keeps lost+found at its top for its own checker";
        case Cause::NotJpeg:
            break;
    }
    return "Its picture data does not start like a JPEG picture";
}

}  // namespace

std::string ProblemLines(const RunProblem& problem) {
    return Context(problem) + "\ndue to the following problem: " + Description(problem.Because) +
           ".";
}

std::string ProblemText(const RunProblem& problem) {
    return ProblemLines(problem) + "\n\nRemainder of conversion will proceed normally.";
}

std::string HeldProblems(std::size_t count) {
    return "The conversion met " + std::to_string(count) + " further problem" +
           (count == 1 ? "" : "s") + ". See the details for the list.";
}

std::string DeviceNameUnfit(const std::string& deviceName) {
    return "The device name " + Quoted(deviceName) +
           " holds a character that a file name cannot hold.";
}

std::string Confirmation(std::int32_t count) {
    return "Convert " + std::to_string(count) + " PMP file" + Plural(count) + " to JPG?";
}

std::string SettingsUnreadable(const std::string& where, const std::string& why,
                               bool firstRunOptions) {
    return "Unable to read the settings file " + Quoted(where) +
           " due to the following problem: " + why + "." +
           (firstRunOptions ? " The first-run options are used." : "");
}

std::string SettingsUnwritten(const std::string& where, const std::string& why) {
    return "Unable to save the options to " + Quoted(where) +
           " due to the following problem: " + why + ". The options of this session are not kept.";
}

std::string FolderProblem(const std::string& path, const std::string& description) {
    return "Unable to read the folder " + Quoted(path) +
           " due to the following problem: " + description + ".";
}

std::string NoPmpFilesReadable(std::int32_t folders, const std::string& path,
                               const std::string& description) {
    return "No PMP file was found in the PMP source folder you specified, but " +
           std::to_string(folders) + " of its subfolders could not be read, the first " +
           Quoted(path) + " due to the following problem: " + description + ".";
}

std::string Summary(const RunCounters& counters) {
    const std::int32_t converted = counters.SourceObjectNumber;
    std::string text = std::to_string(converted) + " PMP file" + Plural(converted) +
                       " successfully converted to JPG.";
    const auto line = [&text](std::int32_t n, const std::string& words) {
        if (n > 0) {
            text += "\n\n" + std::to_string(n) + words;
        }
    };
    const std::int32_t serialized = counters.NumberOfSerializedFiles;
    line(serialized, " JPG file" + Plural(serialized) + " saved with incremented serial number" +
                         Plural(serialized) + ".");
    const std::int32_t failed = counters.NumberOfFailedFiles;
    line(failed, " PMP file" + Plural(failed) + " could not be converted.");
    const std::int32_t gone = counters.NumberOfFilesGone;
    line(gone, " PMP file" + Plural(gone) +
                   (gone == 1 ? " was gone when the conversion came to it."
                              : " were gone when the conversion came to them."));
    const std::int32_t plain = counters.NumberOfFilesWithoutExif;
    line(plain, " JPG file" + Plural(plain) + " written without Exif data.");
    const std::int32_t left = counters.NumberOfLeftFiles;
    line(left, " PMP file" + Plural(left) + " left unconverted in folders that receive JPG files.");
    const std::int32_t folders = counters.NumberOfSkippedFolders;
    line(folders, " folder" + Plural(folders) + " could not be read or created.");
    const std::int32_t deletions = counters.NumberOfFailedDeletions;
    line(deletions, " deletion" + Plural(deletions) + " could not be made.");
    if (counters.Stopped) {
        const std::int32_t notReached = counters.NumberOfFilesNotReached;
        text += "\n\nThe conversion was stopped: " + std::to_string(notReached) + " PMP file" +
                Plural(notReached) + " not reached.";
    }
    return text;
}

}  // namespace ostrel::messages
