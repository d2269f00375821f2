#pragma once
// What screen readers are told beyond Qt's own. A drop-down list is named by
// its caption (on Linux, Qt names a list by its chosen entry, so that three
// lists at "Do nothing" sound alike) and tells the entry as its value and, on
// Linux, also as a read-only text, each new entry as inserted text: that is
// what Orca reads of a list in Qt 6.4; a LinkLabel is a link that can be
// pressed.

namespace ostrel {

// Before the first control is made; a further call changes nothing.
void InstallAccessibleInterfaces();

}  // namespace ostrel
