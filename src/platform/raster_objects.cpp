// Object bookkeeping of the raster: counts, the quota, bitmaps, pens, brushes and the
// stock objects.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

#include "raster.h"

namespace orbitone::platform {
namespace {

struct Counters {
    std::atomic<std::uint64_t> created[kObjectKindCount]{};
    std::atomic<std::uint64_t> destroyed[kObjectKindCount]{};
    std::atomic<std::size_t> limit{kDefaultObjectLimit};
};

Counters& counters() {
    static Counters instance;
    return instance;
}

std::uint64_t liveObjects() {
    std::uint64_t live = 0;
    for (std::size_t k = 0; k < kObjectKindCount; ++k)
        live += counters().created[k].load(std::memory_order_relaxed) -
                counters().destroyed[k].load(std::memory_order_relaxed);
    return live;
}

}  // namespace

ObjectCounts objectCounts() {
    ObjectCounts counts;
    for (std::size_t k = 0; k < kObjectKindCount; ++k) {
        counts.created[k] = counters().created[k].load(std::memory_order_relaxed);
        counts.destroyed[k] = counters().destroyed[k].load(std::memory_order_relaxed);
    }
    return counts;
}

void setObjectLimit(std::size_t maxLiveObjects) {
    counters().limit.store(maxLiveObjects, std::memory_order_relaxed);
}

namespace detail {
// Whether one more object may be created.
bool quotaAllows() { return liveObjects() < counters().limit.load(std::memory_order_relaxed); }
}  // namespace detail

RasterObject::RasterObject(ObjectKind kind, bool stock) : kind_(kind), stock_(stock) {
    if (!stock_) counters().created[std::size_t(kind_)].fetch_add(1, std::memory_order_relaxed);
}

RasterObject::~RasterObject() {
    // Contexts that still hold this object fall back to their stock object.
    while (!selectedIn_.empty()) selectedIn_.back()->objectDestroyed(this);
    if (!stock_) counters().destroyed[std::size_t(kind_)].fetch_add(1, std::memory_order_relaxed);
}

// ---------------------------------------------------------------------------------

Bitmap::Bitmap(Surface surface, std::unique_ptr<std::uint8_t[]> storage, bool stock)
    : RasterObject(ObjectKind::Bitmap, stock), storage_(std::move(storage)), surface_(surface) {}

Bitmap::~Bitmap() = default;

std::unique_ptr<Bitmap> Bitmap::create(std::int32_t width, std::int32_t height,
                                       PixelFormat format) {
    if (width < 0 || height < 0 || width > kMaxBitmapDimension || height > kMaxBitmapDimension)
        return nullptr;
    const std::int64_t stride = bitmapStride(width, format);
    const std::int64_t bytes = stride * height;
    if (bytes > kMaxBitmapBytes || !detail::quotaAllows()) return nullptr;

    std::unique_ptr<std::uint8_t[]> storage;
    if (bytes > 0) {
        storage.reset(new (std::nothrow) std::uint8_t[std::size_t(bytes)]);
        if (!storage) return nullptr;
        std::memset(storage.get(), 0, std::size_t(bytes));
    }
    Surface surface{storage.get(), width, height, std::int32_t(stride), format};
    std::unique_ptr<Bitmap> bitmap(new (std::nothrow) Bitmap(surface, std::move(storage), false));
    return bitmap;
}

Bitmap& stockBitmap() {
    // Never destroyed: contexts may refer to it until the very end of the process.
    static Bitmap* const bitmap = [] {
        std::unique_ptr<std::uint8_t[]> storage(new std::uint8_t[4]{});
        Surface surface{storage.get(), 1, 1, 4, PixelFormat::Mono1};
        return new Bitmap(surface, std::move(storage), true);
    }();
    return *bitmap;
}

// ---------------------------------------------------------------------------------

std::unique_ptr<Pen> Pen::create(const PenDesc& desc) {
    if (!detail::quotaAllows()) return nullptr;
    return std::unique_ptr<Pen>(new (std::nothrow) Pen(desc, false));
}

std::unique_ptr<Brush> Brush::create(const BrushDesc& desc) {
    if (!detail::quotaAllows()) return nullptr;
    return std::unique_ptr<Brush>(new (std::nothrow) Brush(desc, false));
}

Pen& stockPen(StockPen which) {
    static Pen* const black = new Pen({PenStyle::Solid, 1, kPlatformBlack}, true);
    static Pen* const white = new Pen({PenStyle::Solid, 1, kPlatformWhite}, true);
    static Pen* const none = new Pen({PenStyle::Null, 1, kPlatformBlack}, true);
    switch (which) {
        case StockPen::White: return *white;
        case StockPen::Null: return *none;
        case StockPen::Black: break;
    }
    return *black;
}

Brush& stockBrush(StockBrush which) {
    static Brush* const white = new Brush({BrushStyle::Solid, kPlatformWhite}, true);
    static Brush* const black = new Brush({BrushStyle::Solid, kPlatformBlack}, true);
    static Brush* const none = new Brush({BrushStyle::Null, kPlatformBlack}, true);
    switch (which) {
        case StockBrush::Black: return *black;
        case StockBrush::Null: return *none;
        case StockBrush::White: break;
    }
    return *white;
}

}  // namespace orbitone::platform
