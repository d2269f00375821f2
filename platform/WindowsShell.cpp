// The desktop shell on Windows: ShellExecuteA of shell32.dll, owned by the
// window the user clicked in.

// Before windows.h, whose SW_SHOWNORMAL is a macro.
#include "Shell.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <memory>

namespace ostrel {
namespace {

class WindowsShell final : public Shell {
public:
    std::int32_t Execute(const std::string& operation, const std::string& file,
                         const std::string& parameters, const std::string& directory,
                         std::int32_t showCommand) override {
        const HINSTANCE result =
            ::ShellExecuteA(::GetActiveWindow(), operation.c_str(), file.c_str(),
                            parameters.c_str(), directory.c_str(), showCommand);
        return static_cast<std::int32_t>(reinterpret_cast<INT_PTR>(result));
    }
};

}  // namespace

std::unique_ptr<Shell> MakeSystemShell() {
    return std::make_unique<WindowsShell>();
}

}  // namespace ostrel
