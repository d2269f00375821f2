#pragma once
// The desktop shell on QDesktopServices::openUrl, where the system has no
// shell of its own that the program calls.

#include "Shell.h"

namespace ostrel {

class QtShell final : public Shell {
public:
    std::int32_t Execute(const std::string& operation, const std::string& file,
                         const std::string& parameters, const std::string& directory,
                         std::int32_t showCommand) override;
};

}  // namespace ostrel
