#pragma once
// What the program's windows share in their look: the font, the program's
// icon and the maker's logo.

#include <QFont>
#include <QIcon>

namespace ostrel {

// Tahoma 8.25 pt where the system has it, else the closest sans-serif.
QFont WindowFont();
QIcon ProgramIcon();
QIcon CompanyLogo();

}  // namespace ostrel
