#include "pixel_test.h"

#include <filesystem>
#include <sstream>

#include "png_writer.h"

namespace orbitone::testing {

using namespace platform;

namespace {

PlatformColor colorAt(const Surface& s, std::int32_t x, std::int32_t y) {
    if (s.format == PixelFormat::Xrgb32) return fromXrgb(s.row32(y)[x]);
    return (s.row(y)[x >> 3] >> (7 - (x & 7))) & 1 ? kPlatformWhite : kPlatformBlack;
}

std::string testName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    if (info == nullptr) return "no-test";
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
        if (c == '/') c = '_';
    return name;
}

// A bitmap painted from a pixel map; characters not in the legend become magenta.
std::unique_ptr<Bitmap> bitmapOfMap(const std::vector<std::string>& map, const Legend& legend) {
    const auto height = std::int32_t(map.size());
    const auto width = height ? std::int32_t(map[0].size()) : 0;
    auto bitmap = Bitmap::create(width, height, PixelFormat::Xrgb32);
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width && x < std::int32_t(map[y].size()); ++x) {
            PlatformColor color = makePlatformColor(255, 0, 255);
            for (auto [c, ch] : legend)
                if (ch == map[y][x]) color = c;
            bitmap->surface().row32(y)[x] = toXrgb(color);
        }
    return bitmap;
}

}  // namespace

Canvas::Canvas(std::int32_t width, std::int32_t height, PlatformColor fill, PixelFormat format)
    : bitmap(Bitmap::create(width, height, format)), dc(createMemoryDC(nullptr)) {
    dc->select(bitmap.get());
    fillSurface(bitmap->surface(), fill);
}

PlatformColor Canvas::at(std::int32_t x, std::int32_t y) const { return colorAt(surface(), x, y); }

void fillSurface(const Surface& s, PlatformColor color) {
    for (std::int32_t y = 0; y < s.height; ++y) {
        if (s.format == PixelFormat::Xrgb32) {
            std::fill(s.row32(y), s.row32(y) + s.width, toXrgb(color));
        } else {
            std::fill(s.row(y), s.row(y) + s.stride, toMonoBit(color) ? 0xFF : 0x00);
        }
    }
}

std::vector<std::string> pixelMap(const Surface& s, PixelRect area, const Legend& legend) {
    std::vector<std::string> rows;
    for (std::int32_t y = area.top; y < area.bottom; ++y) {
        std::string row;
        for (std::int32_t x = area.left; x < area.right; ++x) {
            if (x < 0 || y < 0 || x >= s.width || y >= s.height) {
                row += ' ';
                continue;
            }
            auto it = legend.find(colorAt(s, x, y));
            row += it == legend.end() ? '?' : it->second;
        }
        rows.push_back(row);
    }
    return rows;
}

std::string saveTestImage(const Surface& surface, const std::string& suffix) {
    const std::filesystem::path dir = ORBITONE_TEST_IMAGE_DIR;
    std::error_code ignored;
    std::filesystem::create_directories(dir, ignored);
    const std::string path = (dir / (testName() + suffix + ".png")).string();
    return writePng(surface, path) ? path : std::string();
}

::testing::AssertionResult matchesPixelMap(const Surface& actual, PixelRect area,
                                           const std::vector<std::string>& expected,
                                           const Legend& legend) {
    const std::vector<std::string> got = pixelMap(actual, area, legend);
    if (got == expected) return ::testing::AssertionSuccess();
    std::ostringstream message;
    message << "pixels differ\n  expected            actual\n";
    for (std::size_t y = 0; y < std::max(got.size(), expected.size()); ++y)
        message << "  " << (y < expected.size() ? expected[y] : "") << "   "
                << (y < got.size() ? got[y] : "") << "\n";
    auto expectedBitmap = bitmapOfMap(expected, legend);
    message << "  written: " << saveTestImage(actual, ".actual")
            << "\n  written: " << saveTestImage(expectedBitmap->surface(), ".expected") << "\n";
    return ::testing::AssertionFailure() << message.str();
}

::testing::AssertionResult surfacesEqual(const Surface& actual, const Surface& expected) {
    std::ostringstream message;
    if (actual.width != expected.width || actual.height != expected.height) {
        message << "sizes differ: " << actual.width << "x" << actual.height << " vs "
                << expected.width << "x" << expected.height;
    } else {
        int differences = 0;
        for (std::int32_t y = 0; y < actual.height; ++y)
            for (std::int32_t x = 0; x < actual.width; ++x) {
                const PlatformColor a = colorAt(actual, x, y), e = colorAt(expected, x, y);
                if (a == e) continue;
                if (differences < 5)
                    message << "(" << x << ", " << y << "): 0x" << std::hex << a << " instead of 0x"
                            << e << std::dec << "\n";
                ++differences;
            }
        if (differences == 0) return ::testing::AssertionSuccess();
        message << differences << " pixels differ\n";
    }
    message << "written: " << saveTestImage(actual, ".actual")
            << "\nwritten: " << saveTestImage(expected, ".expected");
    return ::testing::AssertionFailure() << message.str();
}

}  // namespace orbitone::testing
