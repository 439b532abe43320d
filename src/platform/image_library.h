// The image library: two optional block transfers, a keyed copy and a constant-opacity
// blend, found through library.h by the names below.
//
// What the library holds is a property of the process; setImageLibraryContents changes
// it (a platform without the library, or with only one of the functions), so that the
// drawing code that does without them can run.
#pragma once

#include <cstdint>
#include <string_view>

#include "raster.h"

namespace orbitone::platform {

inline constexpr std::string_view kImageLibraryName = "imaging";
inline constexpr std::string_view kKeyedCopyFunctionName = "keyedCopy";
inline constexpr std::string_view kBlendCopyFunctionName = "blendCopy";

// Copies a block like blit with BlitOp::Copy, except that source pixels whose colour is
// `transparent` leave the destination unchanged.
using KeyedCopyFunction = bool (*)(DeviceContext& dest, PixelPoint destOrigin, PixelSize size,
                                   const DeviceContext& source, PixelPoint sourceOrigin,
                                   PlatformColor transparent);

// Mixes a block into the destination: each channel becomes
// (source * opacity + destination * (255 - opacity)) / 255, rounded to nearest, so 255
// copies and 0 leaves the destination as it was.
using BlendCopyFunction = bool (*)(DeviceContext& dest, PixelPoint destOrigin, PixelSize size,
                                   const DeviceContext& source, PixelPoint sourceOrigin,
                                   std::uint8_t opacity);

struct ImageLibraryContents {
    bool present = true;
    bool keyedCopy = true;
    bool blendCopy = true;
};

// Decides what loadLibrary(kImageLibraryName) and its lookups find from now on; by
// default the library is present with both functions.
void setImageLibraryContents(const ImageLibraryContents& contents);

}  // namespace orbitone::platform
