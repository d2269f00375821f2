#pragma once
// The run over a folder tree.

#include "ConversionRun.h"

namespace ostrel {

// Converts every PMP file of `sourceFolder` into `outputFolder`, then each
// subfolder as the options say, deleting the converted sources and emptied
// source subfolders when they ask for it. Every problem is reported to the
// run's observer and stepped past.
void ConvertFiles(ConversionRun& run, const Folder& sourceFolder, const Folder& outputFolder);

}  // namespace ostrel
