// The desktop shell on Windows: ShellExecuteA of shell32.dll, owned by the
// window the user clicked in.

#include "Shell.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <memory>

namespace ostrel {
namespace {

class WindowsShell final : public Shell {
public:
    std::optional<ShellFailure> Open(const std::string& target) override {
        // Quoted, so that the shell takes a target with blanks in it (a mail
        // link's name and subject) as one.
        const std::string file = "\"" + target + "\"";
        const HINSTANCE result =
            ::ShellExecuteA(::GetActiveWindow(), "open", file.c_str(), "", "", SW_SHOWNORMAL);
        // ShellExecute's own rule: above 32 is success; 32 or less is an error
        // number, which comes with no description.
        if (reinterpret_cast<INT_PTR>(result) > 32) {
            return std::nullopt;
        }
        return ShellFailure{};
    }
};

}  // namespace

std::unique_ptr<Shell> MakeSystemShell() {
    return std::make_unique<WindowsShell>();
}

}  // namespace ostrel
