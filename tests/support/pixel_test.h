// Test helpers for drawing: a bitmap in a memory context, pixel maps, and comparisons
// that write the actual and expected pictures as PNGs when they differ.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "raster.h"

namespace orbitone::testing {

// A bitmap selected into a memory device context, filled with one colour.
struct Canvas {
    Canvas(std::int32_t width, std::int32_t height,
           platform::PlatformColor fill = platform::kPlatformWhite,
           platform::PixelFormat format = platform::PixelFormat::Xrgb32);
    platform::Surface surface() const { return bitmap->surface(); }
    platform::PlatformColor at(std::int32_t x, std::int32_t y) const;

    std::unique_ptr<platform::Bitmap> bitmap;
    std::unique_ptr<platform::DeviceContext> dc;
};

// Fills a whole surface with one colour (pixel value of its format).
void fillSurface(const platform::Surface& surface, platform::PlatformColor color);

// Maps colours to characters for pixel maps.
using Legend = std::map<platform::PlatformColor, char>;

// The area of the surface as text: one string per row, each pixel the character its
// colour has in the legend, '?' for a colour the legend lacks.
std::vector<std::string> pixelMap(const platform::Surface& surface, platform::PixelRect area,
                                  const Legend& legend);

// Whether the area of the surface looks as the map says. On a difference, both
// pictures are written to the test image directory and named in the message.
::testing::AssertionResult matchesPixelMap(const platform::Surface& actual,
                                           platform::PixelRect area,
                                           const std::vector<std::string>& expected,
                                           const Legend& legend);

// Whether two surfaces hold the same colours; on a difference both are written as PNGs.
::testing::AssertionResult surfacesEqual(const platform::Surface& actual,
                                         const platform::Surface& expected);

// Writes the surface to the test image directory under the current test's name plus
// `suffix`; answers the path (empty on failure).
std::string saveTestImage(const platform::Surface& surface, const std::string& suffix);

}  // namespace orbitone::testing
