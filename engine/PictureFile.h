#pragma once
// Which files are the camera's: the test that the count and the walk share,
// so that the count agrees with what is converted.

#include <string>
#include <string_view>

namespace ostrel {

// The last three characters of a name (the whole name when shorter), in upper case.
std::string UpperTail(std::string_view name);

// The PMP-file test: the last three characters of the name (the whole name
// when shorter), in upper case, are "PMP".
bool IsPictureFile(std::string_view name);

}  // namespace ostrel
