// The words of every problem a run tells: what could not be done, and why.

#include <gtest/gtest.h>

#include "Messages.h"

namespace ostrel {
namespace {

struct Wording {
    const char* Name;
    RunProblem Problem;
    std::string Lines;  // as the list after a run shows them
};

void PrintTo(const Wording& row, std::ostream* out) {
    *out << row.Name;
}

class ProblemWords : public ::testing::TestWithParam<Wording> {};

TEST_P(ProblemWords, AreTheProgramsOwnWordForWord) {
    const Wording& row = GetParam();
    EXPECT_EQ(messages::ProblemLines(row.Problem), row.Lines);
    EXPECT_EQ(messages::ProblemText(row.Problem),
              row.Lines + "\n\nRemainder of conversion will proceed normally.");
}

RunProblem With(Action what, Cause why, std::string detail = {}) {
    return RunProblem{what, "/p/x", Reason{why, std::move(detail)}};
}

RunProblem Incomplete() {
    RunProblem problem = With(Action::ConvertFile, Cause::IncompleteCopy);
    problem.Because.Copied = 100;
    problem.Because.Expected = 1256;
    return problem;
}

const std::string Because = "\"/p/x\"\ndue to the following problem: ";

INSTANTIATE_TEST_SUITE_P(
    EachAction, ProblemWords,
    ::testing::Values(
        Wording{"ConvertFile", With(Action::ConvertFile, Cause::System, "Denied"),
                "Unable to convert source file " + Because + "Denied."},
        Wording{"ReachFile", With(Action::ReachFile, Cause::System, "Gone"),
                "Unable to convert source file " + Because + "Gone."},
        Wording{"ConvertFolder", With(Action::ConvertFolder, Cause::WritesIntoFolder),
                "Unable to convert source folder " + Because +
                    "The conversion writes its JPG files into this folder."},
        Wording{"ReadFolder", With(Action::ReadFolder, Cause::System, "Denied"),
                "Unable to read source folder " + Because + "Denied."},
        Wording{"CreateFolder", With(Action::CreateFolder, Cause::System, "File exists"),
                "Unable to create output folder " + Because + "File exists."},
        Wording{"DeleteFile", With(Action::DeleteFile, Cause::System, "Denied"),
                "Unable to delete source file " + Because + "Denied."},
        Wording{"DeleteSubfolder", With(Action::DeleteSubfolder, Cause::HoldsLink, "/p/x/l"),
                "Unable to delete source subfolder " + Because +
                    "It holds the link \"/p/x/l\", and nothing is deleted through a link."},
        Wording{"DeleteFilesBelowLink",
                With(Action::DeleteFilesBelowLink, Cause::ReachedThroughLink),
                "Unable to delete source files in " + Because +
                    "The folder is reached through a link, so its files may lie outside the "
                    "source folder."},
        Wording{"AddExif", With(Action::AddExif, Cause::NotJpeg),
                "Converted source file \"/p/x\" without Exif data\ndue to the following "
                "problem: Its picture data does not start like a JPEG picture."}),
    [](const auto& row) { return std::string(row.param.Name); });

INSTANTIATE_TEST_SUITE_P(
    EachCause, ProblemWords,
    ::testing::Values(
        Wording{"NoPictureData", With(Action::ConvertFile, Cause::NoPictureData),
                "Unable to convert source file " + Because +
                    "The file holds no picture data after its 124-byte header."},
        Wording{"NoFreeName", With(Action::ConvertFile, Cause::NoFreeName),
                "Unable to convert source file " + Because +
                    "Every serial number up to 32767 is taken for this picture's name."},
        Wording{"InvalidName", With(Action::ConvertFile, Cause::InvalidName, "a/b.jpg"),
                "Unable to convert source file " + Because +
                    "The name \"a/b.jpg\" holds a character that a file name cannot hold."},
        Wording{"ReservedName", With(Action::ConvertFile, Cause::ReservedName, "CON.jpg"),
                "Unable to convert source file " + Because +
                    "The name \"CON.jpg\" is kept by the system for a device."},
        Wording{"IncompleteCopy", Incomplete(),
                "Unable to convert source file " + Because +
                    "Only 100 of its 1256 bytes of picture data could be copied."},
        Wording{"FolderNotFile", With(Action::ConvertFile, Cause::FolderNotFile),
                "Unable to convert source file " + Because + "It is a folder, not a file."},
        Wording{"FileSystemFolder", With(Action::CreateFolder, Cause::FileSystemFolder),
                "Unable to create output folder " + Because +
                    "The file system keeps lost+found at its top for its own checker."}),
    [](const auto& row) { return std::string(row.param.Name); });

}  // namespace
}  // namespace ostrel
