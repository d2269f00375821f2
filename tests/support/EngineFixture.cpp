#include "EngineFixture.h"

#include <algorithm>

namespace ostrel {

void PrintTo(const RunProblem& problem, std::ostream* out) {
    *out << "{Action " << static_cast<int>(problem.What) << ", \"" << problem.Path << "\", Cause "
         << static_cast<int>(problem.Because.Why) << ", \"" << problem.Because.Detail << "\"";
    if (problem.Because.Expected > 0) {
        *out << ", copied " << problem.Because.Copied << " of " << problem.Because.Expected;
    }
    if (problem.Because.FilesLeft > 0) {
        *out << ", " << problem.Because.FilesLeft << " left";
    }
    *out << "}";
}

namespace test {

int RecordingObserver::Serialized() const {
    return static_cast<int>(
        std::count_if(Serials.begin(), Serials.end(), [](std::int32_t s) { return s > 1; }));
}

RunProblem SystemProblem(Action what, const fs::path& path, const std::string& description) {
    return RunProblem{what, path.string(), Reason{Cause::System, description}};
}

RunProblem Problem(Action what, const fs::path& path, Cause why, const std::string& detail) {
    return RunProblem{what, path.string(), Reason{why, detail}};
}

void EngineFixture::Convert() {
    ConvertFiles(files, events, config, files.GetFolder(source.string()),
                 files.GetFolder(output.string()));
}

}  // namespace test
}  // namespace ostrel
