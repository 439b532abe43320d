// Raster objects: creation limits, selection, destruction while selected, bookkeeping,
// device context defaults and window device contexts.
#include <gtest/gtest.h>

#include "pixel_test.h"
#include "raster.h"
#include "test_window.h"
#include "window.h"

namespace {

using namespace orbitone::platform;
using orbitone::testing::TestWindow;

TEST(Bitmaps, AreCreatedZeroedWithAlignedRowsOrNotAtAll) {
    auto colour = Bitmap::create(3, 2, PixelFormat::Xrgb32);
    ASSERT_NE(colour, nullptr);
    EXPECT_EQ(colour->surface().stride, 12);
    EXPECT_EQ(colour->surface().row32(1)[2], 0u);
    auto mono = Bitmap::create(33, 2, PixelFormat::Mono1);
    ASSERT_NE(mono, nullptr);
    EXPECT_EQ(mono->surface().stride, 8);

    auto empty = Bitmap::create(0, 5, PixelFormat::Xrgb32);
    ASSERT_NE(empty, nullptr);
    EXPECT_TRUE(empty->surface().isEmpty());

    EXPECT_EQ(Bitmap::create(-1, 5, PixelFormat::Xrgb32), nullptr);
    EXPECT_EQ(Bitmap::create(5, -1, PixelFormat::Xrgb32), nullptr);
    EXPECT_EQ(Bitmap::create(kMaxBitmapDimension + 1, 1, PixelFormat::Xrgb32), nullptr);
    EXPECT_EQ(Bitmap::create(kMaxBitmapDimension, kMaxBitmapDimension, PixelFormat::Xrgb32),
              nullptr);
}

TEST(Objects, AreCountedAndLimitedByTheQuota) {
    const ObjectCounts before = objectCounts();
    {
        auto pen = Pen::create({});
        auto brush = Brush::create({});
        EXPECT_EQ(objectCounts().liveOf(ObjectKind::Pen), before.liveOf(ObjectKind::Pen) + 1);
        EXPECT_EQ(objectCounts().createdOf(ObjectKind::Brush),
                  before.createdOf(ObjectKind::Brush) + 1);

        std::uint64_t live = 0;
        for (std::size_t k = 0; k < kObjectKindCount; ++k)
            live += objectCounts().liveOf(ObjectKind(k));
        setObjectLimit(std::size_t(live));
        EXPECT_EQ(Pen::create({}), nullptr);
        EXPECT_EQ(Brush::create({}), nullptr);
        EXPECT_EQ(Font::create({}), nullptr);
        EXPECT_EQ(Bitmap::create(1, 1, PixelFormat::Xrgb32), nullptr);
        EXPECT_EQ(createMemoryDC(nullptr), nullptr);
        EXPECT_EQ(getWindowDC(nullptr), nullptr);
        setObjectLimit(kDefaultObjectLimit);
        EXPECT_NE(Pen::create({}), nullptr);
    }
    for (std::size_t k = 0; k < kObjectKindCount; ++k)
        EXPECT_EQ(objectCounts().liveOf(ObjectKind(k)), before.liveOf(ObjectKind(k))) << k;
}

TEST(DeviceContexts, StartWithDefaultAttributesAndStockObjects) {
    auto dc = createMemoryDC(nullptr);
    EXPECT_EQ(dc->textColor(), kPlatformBlack);
    EXPECT_EQ(dc->backgroundColor(), kPlatformWhite);
    EXPECT_EQ(dc->backgroundMode(), BackgroundMode::Opaque);
    EXPECT_EQ(dc->mixMode(), MixMode::Copy);
    EXPECT_EQ(dc->pen(), &stockPen(StockPen::Black));
    EXPECT_EQ(dc->brush(), &stockBrush(StockBrush::White));
    EXPECT_EQ(dc->font(), &stockFont());
    EXPECT_EQ(dc->bitmap(), &stockBitmap());
    EXPECT_FALSE(dc->clipRect().has_value());
    EXPECT_TRUE(dc->surface().isEmpty());
    EXPECT_EQ(dc->position(), (PixelPoint{0, 0}));
}

TEST(DeviceContexts, SelectionAnswersThePreviousObject) {
    auto dc = createMemoryDC(nullptr);
    auto a = Pen::create({}), b = Pen::create({});
    EXPECT_EQ(dc->select(a.get()), &stockPen(StockPen::Black));
    EXPECT_EQ(dc->select(b.get()), a.get());
    EXPECT_EQ(dc->select(static_cast<Pen*>(nullptr)), nullptr);
    EXPECT_EQ(dc->pen(), b.get());
    auto bitmap = Bitmap::create(2, 2, PixelFormat::Xrgb32);
    EXPECT_EQ(dc->select(bitmap.get()), &stockBitmap());
    EXPECT_EQ(dc->surface().pixels, bitmap->surface().pixels);
}

TEST(DeviceContexts, FallBackToStockObjectsWhenASelectedObjectIsDestroyed) {
    auto dc = createMemoryDC(nullptr);
    auto other = createMemoryDC(nullptr);
    auto pen = Pen::create({});
    auto brush = Brush::create({});
    auto font = Font::create({});
    auto bitmap = Bitmap::create(2, 2, PixelFormat::Xrgb32);
    dc->select(pen.get());
    other->select(pen.get());
    dc->select(brush.get());
    dc->select(font.get());
    dc->select(bitmap.get());
    pen.reset();
    brush.reset();
    font.reset();
    bitmap.reset();
    EXPECT_EQ(dc->pen(), &stockPen(StockPen::Black));
    EXPECT_EQ(other->pen(), &stockPen(StockPen::Black));
    EXPECT_EQ(dc->brush(), &stockBrush(StockBrush::White));
    EXPECT_EQ(dc->font(), &stockFont());
    EXPECT_EQ(dc->bitmap(), &stockBitmap());
    dc->lineTo({5, 5});  // draws into nothing, touches nothing destroyed
}

TEST(DeviceContexts, MakeBitmapsOfTheirCompatibleFormat) {
    auto dc = createMemoryDC(nullptr);
    EXPECT_EQ(createCompatibleBitmap(dc.get(), 2, 2)->format(), PixelFormat::Mono1);
    auto colour = Bitmap::create(1, 1, PixelFormat::Xrgb32);
    dc->select(colour.get());
    EXPECT_EQ(createCompatibleBitmap(dc.get(), 2, 2)->format(), PixelFormat::Xrgb32);
    EXPECT_EQ(createCompatibleBitmap(nullptr, 2, 2)->format(), PixelFormat::Xrgb32);
    DeviceContext* screen = getWindowDC(nullptr);
    EXPECT_EQ(createCompatibleBitmap(screen, 2, 2)->format(), PixelFormat::Xrgb32);
    EXPECT_TRUE(releaseWindowDC(nullptr, screen));
    EXPECT_EQ(createCompatibleBitmap(nullptr, -2, 2), nullptr);
}

TEST(WindowContexts, DrawIntoTheWindowAndAreReleasedOnce) {
    TestWindow window(4, 3, {100, 50});
    DeviceContext* dc = getWindowDC(&window);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(dc->targetKind(), DeviceContext::Target::Window);
    EXPECT_EQ(dc->window(), &window);
    dc->setPixel({3, 2}, kPlatformWhite);
    EXPECT_EQ(window.surface().row32(2)[3], 0x00FFFFFFu);
    auto bitmap = Bitmap::create(1, 1, PixelFormat::Mono1);
    EXPECT_EQ(dc->select(bitmap.get()), nullptr);  // a window keeps its own pixels

    TestWindow other(1, 1);
    EXPECT_FALSE(releaseWindowDC(&other, dc));
    EXPECT_EQ(window.releases, 0);
    EXPECT_TRUE(releaseWindowDC(&window, dc));
    EXPECT_EQ(window.releases, 1);
    EXPECT_FALSE(releaseWindowDC(&window, dc));  // already given back
    EXPECT_FALSE(releaseWindowDC(&window, nullptr));

    EXPECT_EQ(windowScreenOrigin(&window), (PixelPoint{100, 50}));
    EXPECT_EQ(windowScreenOrigin(nullptr), (PixelPoint{0, 0}));
}

TEST(WindowContexts, OfTheScreenHaveNoPixels) {
    DeviceContext* screen = getWindowDC(nullptr);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->targetKind(), DeviceContext::Target::Screen);
    EXPECT_TRUE(screen->surface().isEmpty());
    EXPECT_EQ(screen->setPixel({0, 0}, kPlatformBlack), kInvalidColor);
    EXPECT_TRUE(releaseWindowDC(nullptr, screen));
}

}  // namespace
