#pragma once
// How the engine and the request talk to the user: the message box, the main
// window's busy pointer and its progress bar.

#include <cstdint>
#include <string>

#include "MessageBox.h"

namespace ostrel {

class UserInteraction {
public:
    virtual ~UserInteraction() = default;
    // Shows `prompt` (lines separated by "\n") and waits for the answer.
    // Only Yes after a question is ever acted on; closing the box counts as No.
    virtual Answer ShowMessage(const std::string& prompt, const std::string& title,
                               MessageKind kind) = 0;
    // The same with a check box or details. A front without them shows the
    // details after the prompt and an empty line, and leaves the check box as
    // it was.
    virtual Answer ShowMessageWithExtras(const std::string& prompt, const std::string& title,
                                         MessageKind kind, MessageExtras& extras) {
        return ShowMessage(extras.Details.empty() ? prompt : prompt + "\n\n" + extras.Details,
                           title, kind);
    }
    virtual void SetBusyPointer(bool busy) = 0;
    virtual void SetProgressMaximum(std::int32_t value) = 0;
    virtual void SetProgressPosition(std::int32_t value) = 0;
    virtual void SetProgressVisible(bool visible) = 0;
};

}  // namespace ostrel
