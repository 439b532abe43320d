// CImage: loading, opaque, keyed and blended drawing, the key mask, and the lookup of
// the optional functions.
#include <gtest/gtest.h>

#include "back_buffer.h"
#include "drawing_fixture.h"
#include "image.h"

namespace {

using namespace orbitone;
using namespace orbitone::testing;
namespace pf = orbitone::platform;

constexpr std::int32_t kRgb24Id = 100;     // 5 x 3, see CMakeLists.txt
constexpr std::int32_t kPalette8Id = 102;  // 7 x 4
constexpr std::int32_t kMissingId = 999;

// The optional functions as a test wants them; the default is restored afterwards.
class ImageLibraryScope {
public:
    explicit ImageLibraryScope(pf::ImageLibraryContents contents = {}) {
        pf::setImageLibraryContents(contents);
        library_ = lookUpOptionalBlendFunctions();
    }
    ~ImageLibraryScope() {
        pf::freeLibrary(library_);
        pf::setImageLibraryContents({});
        optionalBlendFunctions() = {};
    }
    pf::Library* library() const { return library_; }

private:
    pf::Library* library_;
};

// An image of w x h whose pixel (x, y) is patternOf(x, y), drawn through a back buffer
// over the image itself.
pf::PlatformColor patternOf(int x, int y) {
    if ((x + y) % 3 == 0) return kWhite;  // the default key colour
    return pf::makePlatformColor(std::uint8_t(x * 9), std::uint8_t(y * 5), std::uint8_t(x ^ y));
}

CImage* patternImage(int w, int h) {
    auto* image = new CImage(w, h);
    CBackBuffer painter(nullptr, image, true);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const pf::PlatformColor c = patternOf(x, y);
            painter.setPixelAt({x, y}, Color{pf::redOf(c), pf::greenOf(c), pf::blueOf(c), 255});
        }
    return image;
}

// A destination of its own colours, so that what keyed drawing leaves shows.
void paintBackground(WindowScene& s) {
    const pf::Surface surface = s.window.surface();
    for (int y = 0; y < surface.height; ++y)
        for (int x = 0; x < surface.width; ++x)
            surface.row32(y)[x] =
                pf::toXrgb(pf::makePlatformColor(0, std::uint8_t(100 + y), std::uint8_t(200 - x)));
}

TEST(CImage, LoadsBitmapResourcesWithTheirSize) {
    CImage rgb(kRgb24Id), palette(kPalette8Id), missing(kMissingId);
    EXPECT_EQ(rgb.getResourceId(), kRgb24Id);
    EXPECT_TRUE(rgb.hasPixels());
    EXPECT_EQ(rgb.getPixelWidth(), 5);
    EXPECT_EQ(rgb.getPixelHeight(), 3);
    EXPECT_EQ(palette.getPixelWidth(), 7);
    EXPECT_EQ(palette.getPixelHeight(), 4);
    EXPECT_FALSE(missing.hasPixels());
    EXPECT_EQ(missing.getPlatformBitmap(), nullptr);
    EXPECT_EQ(missing.getPixelWidth(), 0);
    EXPECT_EQ(missing.getPixelHeight(), 0);
    EXPECT_EQ(rgb.getKeyColor(), colorTransparent);
    EXPECT_EQ(rgb.getReferenceCount(), 1);

    WindowScene s(8, 5);
    rgb.drawImage(*s.context, {1, 1, 6, 4}, {0, 0});
    EXPECT_EQ(s.at(1, 1), pf::makePlatformColor(0, 0, 100));
    EXPECT_EQ(s.at(5, 3), pf::makePlatformColor(160, 120, 150));
}

TEST(CImage, AnImageWithoutPixelsDrawsNothingInAnyWay) {
    ImageLibraryScope library;
    CImage missing(kMissingId);
    WindowScene s(6, 6);
    missing.drawImage(*s.context, {0, 0, 6, 6}, {0, 0});
    missing.drawImageKeyed(*s.context, {0, 0, 6, 6}, {0, 0});
    missing.drawImageBlended(*s.context, {0, 0, 6, 6}, {0, 0}, 128);
    optionalBlendFunctions().keyedCopy = nullptr;
    missing.drawImageKeyed(*s.context, {0, 0, 6, 6}, {0, 0});
    missing.buildKeyMask(*s.context, {0, 0});
    missing.drawImageKeyed(*s.context, {0, 0, 6, 6}, {0, 0});
    EXPECT_TRUE(s.looks(std::vector<std::string>(6, "......")));
}

TEST(CImage, OfASizeIsBlackOrEmpty) {
    CImage image(4, 3);
    EXPECT_TRUE(image.hasPixels());
    EXPECT_EQ(image.getPixelWidth(), 4);
    EXPECT_EQ(image.getPlatformBitmap()->format(), pf::PixelFormat::Xrgb32);
    EXPECT_EQ(image.getPlatformBitmap()->surface().row32(2)[3], 0u);
    CImage negative(-4, 3);
    EXPECT_FALSE(negative.hasPixels());
    EXPECT_EQ(negative.getPixelWidth(), 0);
    EXPECT_EQ(negative.getPixelHeight(), 0);
}

TEST(CImage, AFilmStripFrameLandsAtTheDestinationPlusOffset) {
    CImage* strip = patternImage(42, 4 * 42);
    WindowScene s(80, 80);
    paintBackground(s);
    s.context->offset = {5, 3};
    strip->drawImage(*s.context, {10, 10, 52, 52}, {0, 84});  // frame 2 of the strip
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 80; ++x) {
            const bool inside = x >= 15 && x < 57 && y >= 13 && y < 55;
            const pf::PlatformColor expected =
                inside ? patternOf(x - 15, y - 13 + 84)
                       : pf::makePlatformColor(0, std::uint8_t(100 + y), std::uint8_t(200 - x));
            ASSERT_EQ(s.at(x, y), expected) << x << "," << y;
        }
    strip->release();
}

TEST(CImage, TheThreeKeyedStrategiesGiveTheSamePixels) {
    CImage* image = patternImage(42, 84);
    const Rect dest{4, 6, 46, 48};
    const Point source{0, 42};
    auto drawKeyed = [&](auto prepare) {
        auto scene = std::make_unique<WindowScene>(60, 60);
        paintBackground(*scene);
        scene->context->offset = {2, 1};
        prepare(*scene);
        image->drawImageKeyed(*scene->context, dest, source);
        return scene;
    };
    // 3. No keyed copy: monochrome masking on the context.
    auto masked = [&] {
        ImageLibraryScope noKeyedCopy({.present = true, .keyedCopy = false, .blendCopy = true});
        EXPECT_EQ(optionalBlendFunctions().keyedCopy, nullptr);
        return drawKeyed([](WindowScene&) {});
    }();
    // 2. The library's keyed copy.
    auto copied = [&] {
        ImageLibraryScope library;
        EXPECT_NE(optionalBlendFunctions().keyedCopy, nullptr);
        return drawKeyed([](WindowScene&) {});
    }();
    // 1. A key mask, built from a buffer that shows the image.
    CBackBuffer shown(nullptr, image, false);
    image->buildKeyMask(shown, {0, 0});
    ASSERT_TRUE(image->hasKeyMask());
    auto withMask = drawKeyed([](WindowScene&) {});

    EXPECT_TRUE(surfacesEqual(copied->window.surface(), masked->window.surface()));
    EXPECT_TRUE(surfacesEqual(withMask->window.surface(), masked->window.surface()));
    // And they are what keyed drawing means: the image except its pure white pixels.
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 60; ++x) {
            const pf::PlatformColor background =
                pf::makePlatformColor(0, std::uint8_t(100 + y), std::uint8_t(200 - x));
            const bool inside = x >= 6 && x < 48 && y >= 7 && y < 49;
            pf::PlatformColor expected = background;
            if (inside && patternOf(x - 6, y - 7 + 42) != kWhite)
                expected = patternOf(x - 6, y - 7 + 42);
            ASSERT_EQ(masked->at(x, y), expected) << x << "," << y;
        }
    // The context's text and background colours are as they were.
    EXPECT_EQ(masked->context->getPlatformDC()->textColor(), kWhite);
    EXPECT_EQ(masked->context->getPlatformDC()->backgroundColor(), kBlack);
    image->release();
}

TEST(CImage, KeyedDrawingHonoursAChangedKeyAndTouchesOnlyImagePixels) {
    ImageLibraryScope noKeyedCopy({.present = true, .keyedCopy = false});
    CImage rgb(kRgb24Id);  // 5 x 3; (1, 0) is (40, 0, 107)
    rgb.setKeyColor(Color{40, 0, 107, 0});
    WindowScene s(10, 6);
    s.context->setBrushColor(colorRed);
    s.context->fillRectInterior({-1, -1, 10, 6});
    // Twice the image's size: only the 5 x 3 pixels that exist are drawn.
    rgb.drawImageKeyed(*s.context, {2, 2, 12, 8}, {0, 0});
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool image = x >= 2 && x < 7 && y >= 2 && y < 5 && !(x == 3 && y == 2);
            EXPECT_EQ(s.at(x, y) != kRed, image) << x << "," << y;
        }
    rgb.drawImageKeyed(*s.context, {0, 0, 5, 3}, {-2, 0});  // a negative origin: clipped too
    EXPECT_EQ(s.at(0, 0), kRed);
    EXPECT_EQ(s.at(2, 0), pf::makePlatformColor(0, 0, 100));
}

TEST(CImage, BlendedDrawingMixesByOpacity) {
    ImageLibraryScope library;
    CImage rgb(kRgb24Id);
    auto blended = [&](std::uint8_t opacity) {
        auto s = std::make_unique<WindowScene>(5, 3);
        s->context->setBrushColor(Color{10, 100, 200, 255});
        s->context->fillRectInterior({-1, -1, 5, 3});
        rgb.drawImageBlended(*s->context, {0, 0, 5, 3}, {0, 0}, opacity);
        return s;
    };
    WindowScene opaque(5, 3);
    rgb.drawImage(*opaque.context, {0, 0, 5, 3}, {0, 0});
    EXPECT_TRUE(surfacesEqual(blended(255)->window.surface(), opaque.window.surface()));
    auto none = blended(0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(none->at(x, y), pf::makePlatformColor(10, 100, 200));
    // (4, 2) is (160, 120, 150): (160 * 128 + 10 * 127) / 255 = 85.3,
    // (120 * 128 + 100 * 127) / 255 = 110.0, (150 * 128 + 200 * 127) / 255 = 174.9.
    EXPECT_EQ(blended(128)->at(4, 2), pf::makePlatformColor(85, 110, 175));

    ImageLibraryScope noBlend({.present = true, .keyedCopy = true, .blendCopy = false});
    EXPECT_EQ(optionalBlendFunctions().blendCopy, nullptr);
    auto without = blended(200);
    EXPECT_EQ(without->at(0, 0), pf::makePlatformColor(10, 100, 200));
}

TEST(CImage, TheLookupFindsWhatTheLibraryOffers) {
    {
        ImageLibraryScope all;
        EXPECT_NE(all.library(), nullptr);
        EXPECT_NE(optionalBlendFunctions().keyedCopy, nullptr);
        EXPECT_NE(optionalBlendFunctions().blendCopy, nullptr);
    }
    {
        ImageLibraryScope absent({.present = false});
        EXPECT_EQ(absent.library(), nullptr);
        EXPECT_EQ(optionalBlendFunctions().keyedCopy, nullptr);
        EXPECT_EQ(optionalBlendFunctions().blendCopy, nullptr);
    }
}

TEST(CImage, BuildKeyMaskMarksTheKeyColourOfTheContext) {
    CImage rgb(kRgb24Id);
    rgb.setKeyColor(Color{0, 0, 100, 255});  // the pixel at (0, 0)
    WindowScene s(8, 4);
    rgb.drawImage(*s.context, {2, 1, 7, 4}, {0, 0});
    s.context->offset = {5, 5};  // not added: the origin is in device coordinates
    const pf::PlatformColor background = s.context->getPlatformDC()->backgroundColor();
    rgb.buildKeyMask(*s.context, {2, 1});
    EXPECT_EQ(s.context->getPlatformDC()->backgroundColor(), background);
    ASSERT_TRUE(rgb.hasKeyMask());
    // Drawn with the mask onto red, the key pixel shows red and the others the image.
    WindowScene t(5, 3);
    t.context->setBrushColor(colorRed);
    t.context->fillRectInterior({-1, -1, 5, 3});
    rgb.drawImageKeyed(*t.context, {0, 0, 5, 3}, {0, 0});
    EXPECT_EQ(t.at(0, 0), kRed);
    EXPECT_EQ(t.at(1, 0), pf::makePlatformColor(40, 0, 107));
}

}  // namespace
