#include "png_writer.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

#include "raster_internal.h"

namespace orbitone::platform {
namespace {

// One row of the surface as RGB bytes.
void toRgb(const Surface& s, std::int32_t y, std::uint8_t* out) {
    for (std::int32_t x = 0; x < s.width; ++x) {
        const PlatformColor c = detail::colorOfValue(detail::readPixel(s, x, y), s.format);
        out[3 * x] = redOf(c);
        out[3 * x + 1] = greenOf(c);
        out[3 * x + 2] = blueOf(c);
    }
}

// libpng reports errors by longjmp; nothing in here owns anything that needs unwinding
// except what the caller set up before the jump point.
bool encode(std::FILE* file, const Surface& s, std::uint8_t* row) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(s.width), png_uint_32(s.height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (std::int32_t y = 0; y < s.height; ++y) {
        toRgb(s, y, row);
        png_write_row(png, row);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool writePng(const Surface& surface, const std::string& path) {
    if (surface.isEmpty() || path.empty()) return false;
    std::vector<std::uint8_t> row(std::size_t(surface.width) * 3);
    const std::string temporary = path + ".partial";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) return false;
    const bool encoded = encode(file, surface, row.data());
    const bool closed = std::fclose(file) == 0;
    if (!encoded || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace orbitone::platform
