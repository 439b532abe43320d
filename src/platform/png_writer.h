// Writing pixels as PNG files (libpng), so that a person can look at what was drawn.
#pragma once

#include <string>

#include "surface.h"

namespace orbitone::platform {

// Writes the surface as an 8-bit RGB PNG; monochrome pixels become black and white.
// The file is written beside `path` under a temporary name and renamed into place, so
// a failed write leaves no file behind. False when the surface is empty or the file
// cannot be written.
[[nodiscard]] bool writePng(const Surface& surface, const std::string& path);

}  // namespace orbitone::platform
