#pragma once
// Converting one PMP file into a JPG file, and deleting a source file.

#include <optional>
#include <string_view>

#include "ConversionRun.h"

namespace ostrel {

// Whether the options ask for a source file of this name to be deleted.
bool IsToBeDeleted(const ConversionOptions& options, std::string_view name);

// Converts one PMP file into a new JPG file of the output folder, which gets
// its name only when whole. Returns the source as it was read, or nothing when
// it could not be converted; the problem has then been reported, and no JPG
// file is left of it.
std::optional<FileIdentity> ConvertPictureFile(ConversionRun& run, const File& file,
                                               const Folder& sourceFolder,
                                               const Folder& outputFolder);

// Deletes the file when the options ask for it; a failure is reported. With
// `converted`, the file is deleted only while it is still the one read.
// Returns whether the file was deleted.
bool DeleteSourceFile(ConversionRun& run, const File& file,
                      const std::optional<FileIdentity>& converted = std::nullopt);

}  // namespace ostrel
