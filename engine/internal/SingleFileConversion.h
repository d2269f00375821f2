#pragma once
// Converting one PMP file into a JPG file, and deleting a source file.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ConversionRun.h"
#include "PictureHistory.h"

namespace ostrel {

// Whether the options ask for a source file of this name to be deleted.
bool IsToBeDeleted(const ConversionOptions& options, std::string_view name);

// A picture converted: its source as it was read, and where its bytes went,
// so that the source can be told for the same file before it is deleted.
struct ConvertedPicture {
    FileIdentity Source;
    std::array<std::uint8_t, HeaderSize> Header{};
    Folder Output;     // the JPG file's folder, held open
    std::string Name;  // the JPG file's name there (in a dry run, planned)
    // Where the Exif segment went into the picture data, and its size; 0 for none.
    std::uint64_t ExifAt = 0;
    std::uint64_t ExifBytes = 0;
};

// Converts one PMP file of `sourceFolder` into a new JPG file of the output
// folder, which gets its name only when whole. Returns what it converted, or
// nothing when it could not; the problem has then been reported, and no JPG
// file is left of it.
std::optional<ConvertedPicture> ConvertPictureFile(ConversionRun& run, const File& file,
                                                   const Folder& sourceFolder,
                                                   const Folder& outputFolder);

// Whether `source`, open at its start, still holds what was converted: the
// header kept, then the bytes of the JPG file outside its Exif segment.
bool HoldsTheConvertedBytes(FileSystem& fileSystem, const ConvertedPicture& converted,
                            InputFile& source);

// Deletes the file of `sourceFolder` when the options ask for it; a failure is
// reported. With `converted`, the file is deleted only while it is still the
// one converted. Returns whether the file was deleted.
bool DeleteSourceFile(ConversionRun& run, const File& file, const Folder& sourceFolder,
                      const ConvertedPicture* converted = nullptr);

}  // namespace ostrel
