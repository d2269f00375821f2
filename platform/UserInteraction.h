#pragma once
// How the request and its run talk to the user: the message box, and the main
// window's busy pointer and progress bar.

#include <cstdint>

#include "MessageBox.h"

namespace ostrel {

class UserInteraction : public MessageBox {
public:
    virtual void SetBusyPointer(bool busy) = 0;
    virtual void SetProgressMaximum(std::int32_t value) = 0;
    virtual void SetProgressPosition(std::int32_t value) = 0;
    virtual void SetProgressVisible(bool visible) = 0;
};

}  // namespace ostrel
