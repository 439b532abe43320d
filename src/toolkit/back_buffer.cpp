#include "back_buffer.h"

#include <utility>

#include "window.h"

namespace orbitone {

CBackBuffer::CBackBuffer(FrameDrawingServices* frame, std::int32_t width, std::int32_t height,
                         Color backgroundColor)
    // 1. No device context and no window yet: nothing saved, no defaults applied.
    : CPaintContext(frame, nullptr, nullptr), height(height), width(width),
      backgroundColor(backgroundColor) {
    // 2. The clip covers the buffer; no clip is selected.
    setSizeClip();
    // 3. A memory context and a bitmap compatible with the frame's window.
    platform::Window* frameWindow = frame != nullptr ? frame->frameWindow() : nullptr;
    platform::DeviceContext* windowContext = platform::getWindowDC(frameWindow);
    memoryContext = platform::createMemoryDC(windowContext);
    ownBitmap = platform::createCompatibleBitmap(windowContext, width, height);
    if (memoryContext && ownBitmap) savedBitmap = memoryContext->select(ownBitmap.get());
    platform::releaseWindowDC(frameWindow, windowContext);
    deviceContext = memoryContext.get();
    // 4. Every pixel in the background colour: the interior and the outline.
    setBrushColor(backgroundColor);
    setStrokeColor(backgroundColor);
    fillRectInterior({0, 0, width, height});
    strokeRect({0, 0, width, height});
}

CBackBuffer::CBackBuffer(CPaintContext* context, CImage* image, bool useImageDirectly)
    : CPaintContext(context != nullptr ? context->getFrame() : nullptr, nullptr, nullptr),
      sourceImage(image) {
    // 2. The image's size.
    if (image != nullptr) {
        width = image->getPixelWidth();
        height = image->getPixelHeight();
        setSizeClip();
    }
    // 3. A memory context compatible with the given one, drawing into the image itself
    //    or into a bitmap of its own.
    platform::DeviceContext* compatible = context != nullptr ? context->getPlatformDC() : nullptr;
    memoryContext = platform::createMemoryDC(compatible);
    deviceContext = memoryContext.get();
    if (!memoryContext) return;
    if (useImageDirectly && image != nullptr) {
        retainedImage = image;
        retainedImage->retain();
        if (platform::Bitmap* pixels = image->getPlatformBitmap())
            savedBitmap = memoryContext->select(pixels);
        return;
    }
    ownBitmap = platform::createCompatibleBitmap(compatible, width, height);
    if (ownBitmap) savedBitmap = memoryContext->select(ownBitmap.get());
    if (image != nullptr) {
        image->drawImage(*this, {0, 0, width, height}, {0, 0});
    } else {
        setBrushColor(colorBlack);
        fillRectInterior({0, 0, width, height});
    }
}

CBackBuffer::~CBackBuffer() {
    // The memory context goes first, then the bitmap; the paint context part then
    // deletes its pen, brush and font.
    memoryContext.reset();
    deviceContext = nullptr;
    ownBitmap.reset();
    if (retainedImage != nullptr) retainedImage->release();
}

platform::Bitmap* CBackBuffer::getPlatformBitmap() const {
    if (!memoryContext || memoryContext->bitmap() == &platform::stockBitmap()) return nullptr;
    return memoryContext->bitmap();
}

void CBackBuffer::setSizeClip() {
    clipRect = Rect{0, 0, width, height};
    if (clipRect.right < clipRect.left) std::swap(clipRect.left, clipRect.right);
    if (clipRect.bottom < clipRect.top) std::swap(clipRect.top, clipRect.bottom);
}

}  // namespace orbitone
