#pragma once
// The desktop shell: starts whatever program the desktop associates with a
// target (a web page, a mail link), without waiting for it.

#include <memory>
#include <optional>
#include <string>

namespace ostrel {

// Why a target could not be opened.
struct ShellFailure {
    // The system's own description, without a final full stop; empty where
    // the shell only refused.
    std::string Description;
};

class Shell {
public:
    virtual ~Shell() = default;
    // Opens `target` as it is written; nothing when its program was started.
    virtual std::optional<ShellFailure> Open(const std::string& target) = 0;
};

// The desktop's own shell: ShellExecuteA on Windows, Qt's desktop services
// elsewhere.
std::unique_ptr<Shell> MakeSystemShell();

}  // namespace ostrel
