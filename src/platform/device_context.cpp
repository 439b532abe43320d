// Device contexts: selection, attributes, clip, pixels and flood fill.
#include <algorithm>
#include <new>
#include <utility>
#include <vector>

#include "raster_internal.h"
#include "window.h"

namespace orbitone::platform {

namespace detail {
bool quotaAllows();

PaintTarget paintTargetOf(const DeviceContext& dc) {
    PaintTarget t{dc.surface(), {}};
    if (t.surface.isEmpty()) return t;
    t.clip = t.surface.bounds();
    if (auto clip = dc.clipRect()) t.clip = t.clip.intersect(*clip);
    return t;
}
}  // namespace detail

DeviceContext::DeviceContext(Target target, Window* window)
    : RasterObject(ObjectKind::DeviceContext, false), target_(target), window_(window) {
    pen_ = &stockPen(StockPen::Black);
    brush_ = &stockBrush(StockBrush::White);
    font_ = &stockFont();
    if (target_ == Target::Memory) bitmap_ = &stockBitmap();
}

DeviceContext::~DeviceContext() {
    for (RasterObject* object :
         {static_cast<RasterObject*>(pen_), static_cast<RasterObject*>(brush_),
          static_cast<RasterObject*>(font_), static_cast<RasterObject*>(bitmap_)}) {
        if (object == nullptr || object->isStock()) continue;
        auto& users = object->selectedIn_;
        users.erase(std::find(users.begin(), users.end(), this));
    }
}

Surface DeviceContext::surface() const {
    switch (target_) {
        case Target::Memory:
            if (bitmap_ == &stockBitmap()) return {};
            return bitmap_->surface();
        case Target::Window:
            if (window_ == nullptr) return {};
            if (Bitmap* client = window_->clientBitmap()) return client->surface();
            return {};
        case Target::Screen: break;
    }
    return {};
}

PixelFormat DeviceContext::compatibleFormat() const {
    return target_ == Target::Memory ? bitmap_->format() : PixelFormat::Xrgb32;
}

template <typename T>
T* DeviceContext::selectObject(T*& slot, T* object) {
    if (object == nullptr) return nullptr;
    T* previous = slot;
    if (previous == object) return previous;
    if (!previous->isStock()) {
        auto& users = previous->selectedIn_;
        users.erase(std::find(users.begin(), users.end(), this));
    }
    if (!object->isStock()) object->selectedIn_.push_back(this);
    slot = object;
    return previous;
}

Pen* DeviceContext::select(Pen* pen) { return selectObject(pen_, pen); }
Brush* DeviceContext::select(Brush* brush) { return selectObject(brush_, brush); }
Font* DeviceContext::select(Font* font) { return selectObject(font_, font); }
Bitmap* DeviceContext::select(Bitmap* bitmap) {
    if (target_ != Target::Memory) return nullptr;
    return selectObject(bitmap_, bitmap);
}

void DeviceContext::objectDestroyed(RasterObject* object) {
    if (object == pen_) selectObject(pen_, &stockPen(StockPen::Black));
    if (object == brush_) selectObject(brush_, &stockBrush(StockBrush::White));
    if (object == font_) selectObject(font_, &stockFont());
    if (object == bitmap_) selectObject(bitmap_, &stockBitmap());
}

PlatformColor DeviceContext::setTextColor(PlatformColor color) {
    return std::exchange(textColor_, color & 0xFFFFFF);
}
PlatformColor DeviceContext::setBackgroundColor(PlatformColor color) {
    return std::exchange(backgroundColor_, color & 0xFFFFFF);
}
BackgroundMode DeviceContext::setBackgroundMode(BackgroundMode mode) {
    return std::exchange(backgroundMode_, mode);
}
MixMode DeviceContext::setMixMode(MixMode mode) { return std::exchange(mixMode_, mode); }

void DeviceContext::selectClipRect(std::optional<PixelRect> rect) {
    if (rect) rect = rect->normalized();
    clip_ = rect;
    ++clipSelections_;
}

PixelPoint DeviceContext::moveTo(PixelPoint p) { return std::exchange(position_, p); }

// ---------------------------------------------------------------------------------
// Pixels

PlatformColor DeviceContext::setPixel(PixelPoint p, PlatformColor color) {
    const detail::PaintTarget t = detail::paintTargetOf(*this);
    if (!t.canDraw() || !t.clip.contains(p)) return kInvalidColor;
    const std::uint32_t value = detail::pixelValue(color, t.surface.format);
    detail::writePixel(t.surface, p.x, p.y, value);
    return detail::colorOfValue(value, t.surface.format);
}

PlatformColor DeviceContext::getPixel(PixelPoint p) const {
    const detail::PaintTarget t = detail::paintTargetOf(*this);
    if (!t.canDraw() || !t.clip.contains(p)) return kInvalidColor;
    return detail::colorOfValue(detail::readPixel(t.surface, p.x, p.y), t.surface.format);
}

bool DeviceContext::floodFill(PixelPoint p, PlatformColor surfaceColor) {
    const detail::PaintTarget t = detail::paintTargetOf(*this);
    if (!t.canDraw() || !t.clip.contains(p)) return false;
    const Surface& s = t.surface;
    const std::uint32_t match = detail::pixelValue(surfaceColor, s.format);
    if (detail::colorOfValue(match, s.format) != (surfaceColor & 0xFFFFFF)) return false;
    if (detail::readPixel(s, p.x, p.y) != match) return false;
    if (brush_->desc().style == BrushStyle::Null) return true;
    const std::uint32_t fill = detail::pixelValue(brush_->desc().color, s.format);
    if (fill == match) return true;  // the area already has the brush colour

    // Scanline fill. Filled pixels no longer match, so no pixel is visited twice.
    auto matches = [&](std::int32_t x, std::int32_t y) {
        return detail::readPixel(s, x, y) == match;
    };
    std::vector<PixelPoint> seeds{p};
    while (!seeds.empty()) {
        const PixelPoint seed = seeds.back();
        seeds.pop_back();
        if (!matches(seed.x, seed.y)) continue;
        std::int32_t left = seed.x, right = seed.x + 1;
        while (left > t.clip.left && matches(left - 1, seed.y)) --left;
        while (right < t.clip.right && matches(right, seed.y)) ++right;
        detail::mixSpan(t, seed.y, left, right, fill, MixMode::Copy);
        for (std::int32_t y : {seed.y - 1, seed.y + 1}) {
            if (y < t.clip.top || y >= t.clip.bottom) continue;
            for (std::int32_t x = left; x < right; ++x) {
                if (!matches(x, y)) continue;
                seeds.push_back({x, y});
                while (x + 1 < right && matches(x + 1, y)) ++x;
            }
        }
    }
    return true;
}

// ---------------------------------------------------------------------------------

std::unique_ptr<DeviceContext> createMemoryDC(const DeviceContext*) {
    if (!detail::quotaAllows()) return nullptr;
    return std::unique_ptr<DeviceContext>(
        new (std::nothrow) DeviceContext(DeviceContext::Target::Memory, nullptr));
}

std::unique_ptr<Bitmap> createCompatibleBitmap(const DeviceContext* dc, std::int32_t width,
                                               std::int32_t height) {
    return Bitmap::create(width, height, dc ? dc->compatibleFormat() : PixelFormat::Xrgb32);
}

}  // namespace orbitone::platform
