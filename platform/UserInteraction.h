#pragma once
// How the engine and the request talk to the user: the message box, the main
// window's busy pointer and its progress bar.

#include <cstdint>
#include <string>

namespace ostrel {

// The four kinds of message box, by their Windows flags.
enum class MessageKind : unsigned {
    Critical = 0x10,     // stop icon, OK
    Question = 0x24,     // question icon, Yes and No, Yes the default
    Warning = 0x30,      // warning icon, OK
    Information = 0x40,  // information icon, OK
};

enum class Answer { Ok, Yes, No };

class UserInteraction {
public:
    virtual ~UserInteraction() = default;
    // Shows `prompt` (lines separated by "\n") and waits for the answer.
    // Only Yes after a question is ever acted on; closing the box counts as No.
    virtual Answer ShowMessage(const std::string& prompt, const std::string& title,
                               MessageKind kind) = 0;
    virtual void SetBusyPointer(bool busy) = 0;
    virtual void SetProgressMaximum(std::int32_t value) = 0;
    virtual void SetProgressPosition(std::int32_t value) = 0;
    virtual void SetProgressVisible(bool visible) = 0;
};

}  // namespace ostrel
