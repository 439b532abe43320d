// CBackBuffer: both constructors, drawing into it, copying it out, destruction.
#include <gtest/gtest.h>

#include "back_buffer.h"
#include "drawing_fixture.h"

namespace {

using namespace orbitone;
using namespace orbitone::testing;
namespace pf = orbitone::platform;

std::uint64_t liveObjects() {
    std::uint64_t n = 0;
    for (std::size_t k = 0; k < pf::kObjectKindCount; ++k)
        n += pf::objectCounts().liveOf(pf::ObjectKind(k));
    return n;
}

TEST(CBackBuffer, OfAFrameIsPaintedInItsBackgroundColourToTheLastPixel) {
    TestWindow window(10, 10);
    TestFrame frame;
    frame.window = &window;
    for (Color background : {colorBlack, colorRed}) {
        CBackBuffer buffer(&frame, 352, 262, background);
        ASSERT_NE(buffer.getPlatformBitmap(), nullptr);
        const pf::Surface s = buffer.getPlatformBitmap()->surface();
        EXPECT_EQ(s.width, 352);
        EXPECT_EQ(s.height, 262);
        EXPECT_EQ(buffer.getClipRect(), (Rect{0, 0, 352, 262}));
        EXPECT_EQ(buffer.getFrame(), &frame);
        EXPECT_EQ(buffer.getWindow(), nullptr);
        EXPECT_TRUE(buffer.ownsBitmap());
        EXPECT_EQ(buffer.getBackgroundColor(), background);
        int wrong = 0;
        for (int y = 0; y < 262; ++y)
            for (int x = 0; x < 352; ++x)
                wrong += s.row32(y)[x] != pf::toXrgb(toPlatformColor(background));
        EXPECT_EQ(wrong, 0);
    }
    EXPECT_EQ(window.releases, 2);  // the window's context was only borrowed
}

TEST(CBackBuffer, KeepsThePlatformTextDefaultsUntilAViewSetsThem) {
    CBackBuffer buffer(nullptr, 8, 8, colorBlack);
    EXPECT_EQ(buffer.getTextColor(), colorWhite);
    EXPECT_EQ(buffer.getPlatformDC()->textColor(), pf::kPlatformBlack);
    EXPECT_EQ(buffer.getPlatformDC()->backgroundMode(), pf::BackgroundMode::Opaque);
    EXPECT_EQ(buffer.getClipRect(), (Rect{0, 0, 8, 8}));
}

TEST(CBackBuffer, WithANegativeSizeHasANormalisedClipAndNoPixels) {
    CBackBuffer wide(nullptr, -5, 4, colorBlack);
    EXPECT_EQ(wide.getClipRect(), (Rect{-5, 0, 0, 4}));
    EXPECT_EQ(wide.getWidth(), -5);
    EXPECT_EQ(wide.getPlatformBitmap(), nullptr);
    CBackBuffer tall(nullptr, 3, -2, colorBlack);
    EXPECT_EQ(tall.getClipRect(), (Rect{0, -2, 3, 0}));
    wide.strokeRect({0, 0, 5, 5});  // draws into nothing
    WindowScene s(4, 4);
    wide.copyRectTo(*s.context, {0, 0, 4, 4}, {0, 0});
    EXPECT_TRUE(s.looks({"....", "....", "....", "...."}));
}

TEST(CBackBuffer, IsDrawnIntoAndCopiedToTheScreenInOneBlit) {
    CBackBuffer buffer(nullptr, 6, 4, colorBlack);
    buffer.setBrushColor(colorRed);
    buffer.fillRectInterior({0, 0, 4, 3});
    WindowScene s(8, 6);
    s.context->offset = {1, 1};
    buffer.copyRectTo(*s.context, {0, 0, 6, 4}, {0, 0});
    EXPECT_TRUE(s.looks({"........", ".######.", ".#rrr##.", ".#rrr##.", ".######.", "........"}));
}

TEST(CBackBuffer, OverAnImageCopiesItOrDrawsIntoIt) {
    CImage* image = new CImage(100);  // 5 x 3, from the test resources
    WindowScene s(4, 4);
    {
        CBackBuffer copy(s.context.get(), image, false);
        EXPECT_EQ(copy.getWidth(), 5);
        EXPECT_EQ(copy.getHeight(), 3);
        EXPECT_EQ(copy.getClipRect(), (Rect{0, 0, 5, 3}));
        EXPECT_TRUE(copy.ownsBitmap());
        EXPECT_EQ(copy.getPixelAt({4, 2}), (Color{160, 120, 150, 255}));
        copy.setPixelAt({0, 0}, colorRed);
        EXPECT_EQ(image->getReferenceCount(), 1);
    }
    EXPECT_EQ(image->getPlatformBitmap()->surface().row32(0)[0],
              pf::toXrgb(pf::makePlatformColor(0, 0, 100)));
    {
        CBackBuffer direct(s.context.get(), image, true);
        EXPECT_FALSE(direct.ownsBitmap());
        EXPECT_EQ(direct.getPlatformBitmap(), image->getPlatformBitmap());
        EXPECT_EQ(image->getReferenceCount(), 2);  // kept alive while drawn into
        direct.setPixelAt({0, 0}, colorRed);
    }
    EXPECT_EQ(image->getReferenceCount(), 1);
    EXPECT_EQ(image->getPlatformBitmap()->surface().row32(0)[0], 0x00FF0000u);
    image->release();
}

TEST(CBackBuffer, WithoutAnImageIsTwentyByTwentyAndBlack) {
    for (bool direct : {false, true}) {
        SCOPED_TRACE(direct);
        CBackBuffer buffer(nullptr, nullptr, direct);
        EXPECT_EQ(buffer.getWidth(), 20);
        EXPECT_EQ(buffer.getHeight(), 20);
        ASSERT_NE(buffer.getPlatformBitmap(), nullptr);
        const pf::Surface s = buffer.getPlatformBitmap()->surface();
        EXPECT_EQ(s.width, 20);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x) ASSERT_EQ(s.row32(y)[x], 0u);
    }
}

TEST(CBackBuffer, LeavesNoPlatformObjectBehind) {
    const std::uint64_t before = liveObjects();
    {
        TestFrame frame;
        CBackBuffer buffer(&frame, 30, 20, colorBlue);
        buffer.selectFont(2);
        buffer.setStrokeColor(colorRed);
        buffer.drawText("x", {0, 0, 30, 20});
        auto* viaRelease = new CBackBuffer(&buffer, nullptr, false);
        viaRelease->release();
    }
    EXPECT_EQ(liveObjects(), before);
}

}  // namespace
