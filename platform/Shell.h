#pragma once
// Starting whatever program the desktop associates with a target (a web page,
// a mail link), without waiting for it.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace ostrel {

// The call could not be made at all; what() describes why.
class ShellError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Shell {
public:
    virtual ~Shell() = default;
    // As ShellExecute: greater than 32 on success, 32 or less on failure.
    // `file` may be enclosed in double quotes.
    virtual std::int32_t Execute(const std::string& operation, const std::string& file,
                                 const std::string& parameters, const std::string& directory,
                                 std::int32_t showCommand) = 0;
};

inline constexpr std::int32_t SW_SHOWNORMAL = 1;

// The desktop's own shell: ShellExecuteA on Windows, Qt's desktop services
// elsewhere.
std::unique_ptr<Shell> MakeSystemShell();

}  // namespace ostrel
