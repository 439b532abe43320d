// CBackBuffer: a paint context that draws into a memory bitmap; its contents reach the
// screen in one blit (copyRectTo, or a container's own copy), so a repaint never shows
// half-drawn states.
#pragma once

#include <cstdint>
#include <memory>

#include "image.h"
#include "paint_context.h"

namespace orbitone {

class CBackBuffer : public CPaintContext {
public:
    // A buffer of width x height compatible with the frame's window (or the screen),
    // every pixel in backgroundColor. A negative size leaves the buffer without pixels
    // and its clip normalised (a width of -5 clips from -5 to 0). Until a view sets
    // them, the buffer's device context keeps the platform defaults for text colour
    // (black) and background mode (opaque), although getTextColor reads white.
    CBackBuffer(FrameDrawingServices* frame, std::int32_t width, std::int32_t height,
                Color backgroundColor);
    // A buffer over an image (20 x 20 without one) compatible with the context. With
    // useImageDirectly the buffer draws into the image's own bitmap (and keeps the image
    // alive while it does); otherwise it owns a copy of the image (black without one).
    CBackBuffer(CPaintContext* context, CImage* image, bool useImageDirectly);
    ~CBackBuffer() override;

    std::int32_t getWidth() const { return width; }
    std::int32_t getHeight() const { return height; }
    Color getBackgroundColor() const { return backgroundColor; }
    bool ownsBitmap() const { return ownBitmap != nullptr; }
    // The bitmap drawn into (the buffer's own or the image's); null when there is none.
    platform::Bitmap* getPlatformBitmap() const;

private:
    void setSizeClip();

    CImage* sourceImage = nullptr;
    std::int32_t height = 20;
    std::int32_t width = 20;
    Color backgroundColor = colorBlack;
    std::unique_ptr<platform::DeviceContext> memoryContext;
    std::unique_ptr<platform::Bitmap> ownBitmap;
    CImage* retainedImage = nullptr;  // the image whose bitmap is drawn into directly
    platform::Bitmap* savedBitmap = nullptr;
};

}  // namespace orbitone
