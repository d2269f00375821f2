#pragma once
// What screen readers are told beyond Qt's own. A drop-down list is named by
// its caption (on Linux, Qt names a list by its chosen entry, so that three
// lists at "Do nothing" sound alike) and tells the entry as its value; a
// LinkLabel is a link that can be pressed.

namespace ostrel {

// Before the first control is made; a further call changes nothing.
void InstallAccessibleInterfaces();

}  // namespace ostrel
