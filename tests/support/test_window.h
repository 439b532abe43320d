// A window for drawing tests: a client bitmap at a screen position, counting how often
// its device contexts are released.
#pragma once

#include <memory>

#include "window.h"

namespace orbitone::testing {

class TestWindow : public platform::Window {
public:
    TestWindow(std::int32_t width, std::int32_t height, platform::PixelPoint origin = {})
        : bitmap_(platform::Bitmap::create(width, height, platform::PixelFormat::Xrgb32)),
          origin_(origin) {}
    virtual ~TestWindow() = default;

    platform::Bitmap* clientBitmap() override { return bitmap_.get(); }
    platform::PixelPoint screenOrigin() const override { return origin_; }
    void deviceContextReleased() override { ++releases; }

    platform::Surface surface() const { return bitmap_->surface(); }
    int releases = 0;

private:
    std::unique_ptr<platform::Bitmap> bitmap_;
    platform::PixelPoint origin_;
};

}  // namespace orbitone::testing
