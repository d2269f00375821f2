#pragma once
// The fixed sample file name shown for each name format, stamped with the
// moment of the update. Lines are separated by "\n". Returns nothing for an
// index outside the list, so that the shown sample stays as it is.

#include <optional>
#include <string>

#include "DateTime.h"
#include "StoredOptions.h"

namespace ostrel {

std::optional<std::string> SampleFilename(ListIndex format, const DateTime& now);

}  // namespace ostrel
