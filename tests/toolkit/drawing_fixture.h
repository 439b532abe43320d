// What the toolkit drawing tests share: a stand-in frame, a window to draw into and a
// paint context on it.
#pragma once

#include <memory>

#include "frame_drawing_services.h"
#include "paint_context.h"
#include "pixel_test.h"
#include "test_window.h"

namespace orbitone::testing {

// Answers for the frame that does not exist in these tests.
struct TestFrame : FrameDrawingServices {
    Rect bounds{0, 0, 352, 262};
    platform::Window* window = nullptr;
    Rect frameBounds() const override { return bounds; }
    platform::Window* frameWindow() const override { return window; }
};

inline constexpr platform::PlatformColor kWhite = platform::kPlatformWhite;
inline constexpr platform::PlatformColor kBlack = platform::kPlatformBlack;
inline constexpr platform::PlatformColor kRed = platform::makePlatformColor(255, 0, 0);
inline constexpr platform::PlatformColor kBlue = platform::makePlatformColor(0, 0, 255);
inline const Legend kLegend = {{kWhite, '.'}, {kBlack, '#'}, {kRed, 'r'}, {kBlue, 'b'}};

// A white window with a paint context made from it.
struct WindowScene {
    WindowScene(std::int32_t width, std::int32_t height, FrameDrawingServices* frame = nullptr)
        : window(width, height, {200, 100}) {
        fillSurface(window.surface(), kWhite);
        context = std::make_unique<CPaintContext>(frame, nullptr, &window);
    }
    platform::PlatformColor at(std::int32_t x, std::int32_t y) const {
        return platform::fromXrgb(window.surface().row32(y)[x]);
    }
    ::testing::AssertionResult looks(const std::vector<std::string>& map) const {
        return matchesPixelMap(window.surface(), window.surface().bounds(), map, kLegend);
    }
    TestWindow window;
    std::unique_ptr<CPaintContext> context;
};

}  // namespace orbitone::testing
