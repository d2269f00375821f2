#pragma once
// The desktop shell on QDesktopServices::openUrl, where the system has no
// shell of its own that the program calls.

#include "Shell.h"

namespace ostrel {

class QtShell final : public Shell {
public:
    std::optional<ShellFailure> Open(const std::string& target) override;
};

}  // namespace ostrel
