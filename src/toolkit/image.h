// CImage: a bitmap of the plug-in's resources (or an empty one of a given size), drawn
// opaque, keyed (one colour transparent) or blended with a constant opacity.
//
// [ui thread] Images are shared by reference counting: views that show one retain it.
#pragma once

#include <cstdint>
#include <memory>

#include "color.h"
#include "geometry.h"
#include "image_library.h"
#include "library.h"
#include "raster.h"
#include "ref_counted.h"

namespace orbitone {

class CPaintContext;

// The image library's optional functions as the toolkit holds them: process-wide, null
// when the library or the function is absent. Keyed drawing without the keyed copy and
// blended drawing without the blend do what CImage says.
struct OptionalBlendFunctions {
    platform::KeyedCopyFunction keyedCopy = nullptr;
    platform::BlendCopyFunction blendCopy = nullptr;
};
OptionalBlendFunctions& optionalBlendFunctions();

// Sets both slots to null, then loads the image library and looks the blend up, and the
// keyed copy too when the platform version says it is of the current family.
// A frame calls this when it is built, keeps the library it answers (null when there is
// none) and frees it with platform::freeLibrary when it is destroyed. [ui thread]
[[nodiscard]] platform::Library* lookUpOptionalBlendFunctions();

class CImage : public CRefCounted {
public:
    // The bitmap resource of that id in the plug-in's module; without one (or one that
    // cannot be decoded) the image has no pixels and a size of 0 by 0.
    explicit CImage(std::int32_t resourceId);
    // An empty (black) image of that size, compatible with the screen; without pixels
    // and 0 by 0 when the size cannot be made.
    CImage(std::int32_t width, std::int32_t height);
    ~CImage() override;

    std::int32_t getResourceId() const { return resourceId; }
    std::int32_t getPixelWidth() const { return width; }
    std::int32_t getPixelHeight() const { return height; }
    bool hasPixels() const { return bitmap != nullptr; }
    platform::Bitmap* getPlatformBitmap() const { return bitmap.get(); }
    bool hasKeyMask() const { return mask != nullptr; }

    // The colour keyed drawing leaves out; colorTransparent at first, so pure white
    // (255, 255, 255) is transparent unless changed.
    void setKeyColor(Color color) { keyColor = color; }
    Color getKeyColor() const { return keyColor; }

    // Each copies the size of destRect (in the context's coordinates) from sourceOrigin
    // of the image to destRect's top-left. Nothing is scaled.
    void drawImage(CPaintContext& context, const Rect& destRect, Point sourceOrigin);
    // Every pixel but those of the key colour (red, green and blue equal). Uses the key
    // mask when there is one, else the library's keyed copy, else monochrome masking
    // on the context; all three give the same pixels. Only the part of destRect that
    // has image pixels under it is touched; an image without pixels draws nothing.
    void drawImageKeyed(CPaintContext& context, const Rect& destRect, Point sourceOrigin);
    // Mixed in with `opacity` (0 leaves the destination, 255 is opaque); nothing
    // without the library's blend or without pixels.
    void drawImageBlended(CPaintContext& context, const Rect& destRect, Point sourceOrigin,
                          std::uint8_t opacity);
    // Makes the key mask from a context that shows this image at `origin` (device
    // coordinates): white where the context has the key colour, black elsewhere.
    void buildKeyMask(CPaintContext& context, Point origin);

private:
    std::int32_t resourceId = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    Color keyColor = colorTransparent;
    std::unique_ptr<platform::Bitmap> bitmap;
    std::unique_ptr<platform::Bitmap> mask;
};

}  // namespace orbitone
