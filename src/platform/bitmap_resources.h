// Bitmaps compiled into a module as resources: uncompressed BMP, 24-bit or 8-bit with a
// palette, decoded into colour bitmaps.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "module.h"
#include "raster.h"

namespace orbitone::platform {

// Decodes a BMP: a file (starting with "BM" and its 14-byte file header) or a packed
// device-independent bitmap (its info header first, then the palette and the pixels).
// Accepted: info headers of 40 bytes or more, one plane, no compression, 24 bits a
// pixel or 8 bits with a palette of at most 256 colours; rows bottom-up (positive
// height) or top-down (negative height). Anything else, or bytes that end early, gives
// null. The result is Xrgb32; palette indices beyond the palette are black.
[[nodiscard]] std::unique_ptr<Bitmap> decodeBmp(std::span<const std::uint8_t> bytes);

// The bitmap resource `id` of the module (resource type kResourceTypeBitmap), decoded;
// null when the module has no such resource or it cannot be decoded.
[[nodiscard]] std::unique_ptr<Bitmap> loadBitmapResource(ModuleHandle module, std::int32_t id);

}  // namespace orbitone::platform
