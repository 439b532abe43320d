#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>

#include "pixel_test.h"
#include "png_writer.h"

namespace {

using namespace orbitone::platform;
using orbitone::testing::Canvas;

std::filesystem::path scratch(const std::string& name) {
    return std::filesystem::path(::testing::TempDir()) / name;
}

TEST(PngWriter, WritesColourAndMonochromeSurfacesThatReadBackExactly) {
    Canvas colour(3, 2);
    colour.dc->setPixel({0, 0}, makePlatformColor(1, 2, 3));
    colour.dc->setPixel({2, 1}, makePlatformColor(250, 128, 7));
    Canvas mono(10, 1, kPlatformWhite, PixelFormat::Mono1);
    mono.dc->setPixel({9, 0}, kPlatformBlack);

    for (Canvas* c : {&colour, &mono}) {
        const auto path = scratch("written.png");
        ASSERT_TRUE(writePng(c->surface(), path.string()));
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
        image.format = PNG_FORMAT_RGB;
        std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
        ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
        ASSERT_EQ(image.width, png_uint_32(c->surface().width));
        ASSERT_EQ(image.height, png_uint_32(c->surface().height));
        for (std::int32_t y = 0; y < c->surface().height; ++y)
            for (std::int32_t x = 0; x < c->surface().width; ++x) {
                const std::uint8_t* p = &rgb[(std::size_t(y) * image.width + x) * 3];
                EXPECT_EQ(makePlatformColor(p[0], p[1], p[2]), c->at(x, y)) << x << "," << y;
            }
        std::filesystem::remove(path);
    }
}

TEST(PngWriter, LeavesNothingBehindWhenItCannotWrite) {
    Canvas c(2, 2);
    const auto missingDir = scratch("no-such-directory") / "picture.png";
    EXPECT_FALSE(writePng(c.surface(), missingDir.string()));
    EXPECT_FALSE(std::filesystem::exists(missingDir));
    const auto path = scratch("empty.png");
    EXPECT_FALSE(writePng(Surface{}, path.string()));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(std::filesystem::exists(path.string() + ".partial"));
}

}  // namespace
