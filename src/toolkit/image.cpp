#include "image.h"

#include <algorithm>

#include "bitmap_resources.h"
#include "module.h"
#include "paint_context.h"
#include "window.h"
#include "windowing.h"

namespace orbitone {
namespace {

using platform::BlitOp;
using platform::DeviceContext;
using platform::PixelPoint;
using platform::PixelSize;

// A memory device context with a bitmap selected for its lifetime.
class BitmapContext {
public:
    BitmapContext(const DeviceContext* compatibleWith, platform::Bitmap* bitmap)
        : dc_(platform::createMemoryDC(compatibleWith)) {
        if (dc_) previous_ = dc_->select(bitmap);
    }
    ~BitmapContext() {
        if (dc_ && previous_) dc_->select(previous_);
    }
    BitmapContext(const BitmapContext&) = delete;
    BitmapContext& operator=(const BitmapContext&) = delete;
    explicit operator bool() const { return bool(dc_); }
    DeviceContext& operator*() const { return *dc_; }
    DeviceContext* operator->() const { return dc_.get(); }

private:
    std::unique_ptr<DeviceContext> dc_;
    platform::Bitmap* previous_ = nullptr;
};

// Where a copy lands in device coordinates and what of the image it reads.
struct Placement {
    PixelPoint dest;
    PixelSize size;
    PixelPoint source;
    bool isEmpty() const { return size.width <= 0 || size.height <= 0; }
};

Placement placementOf(const CPaintContext& context, const Rect& destRect, Point sourceOrigin) {
    auto clamp32 = [](std::int64_t v) {
        return std::int32_t(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
    };
    return {{clamp32(std::int64_t(destRect.left) + context.offset.h),
             clamp32(std::int64_t(destRect.top) + context.offset.v)},
            {clamp32(std::int64_t(destRect.right) - destRect.left),
             clamp32(std::int64_t(destRect.bottom) - destRect.top)},
            {sourceOrigin.h, sourceOrigin.v}};
}

// The placement reduced to the part that has image pixels under it.
Placement withinImage(Placement p, std::int32_t width, std::int32_t height) {
    std::int64_t sx = p.source.x, sy = p.source.y, w = p.size.width, h = p.size.height;
    std::int64_t dx = p.dest.x, dy = p.dest.y;
    if (sx < 0) {
        dx -= sx;
        w += sx;
        sx = 0;
    }
    if (sy < 0) {
        dy -= sy;
        h += sy;
        sy = 0;
    }
    w = std::min<std::int64_t>(w, width - sx);
    h = std::min<std::int64_t>(h, height - sy);
    if (w <= 0 || h <= 0 || dx > INT32_MAX || dy > INT32_MAX) return {};
    return {{std::int32_t(dx), std::int32_t(dy)},
            {std::int32_t(w), std::int32_t(h)},
            {std::int32_t(sx), std::int32_t(sy)}};
}

}  // namespace

OptionalBlendFunctions& optionalBlendFunctions() {
    static OptionalBlendFunctions slots;
    return slots;
}

platform::Library* lookUpOptionalBlendFunctions() {
    OptionalBlendFunctions& slots = optionalBlendFunctions();
    slots = {};
    platform::Library* library = platform::loadLibrary(platform::kImageLibraryName);
    if (library == nullptr) return nullptr;
    slots.blendCopy = reinterpret_cast<platform::BlendCopyFunction>(
        platform::findLibraryFunction(library, platform::kBlendCopyFunctionName));
    // The keyed copy is there from the current platform family on.
    platform::PlatformVersion version;
    if (platform::queryPlatformVersion(version) && version.family >= platform::kPlatformFamilyCurrent)
        slots.keyedCopy = reinterpret_cast<platform::KeyedCopyFunction>(
            platform::findLibraryFunction(library, platform::kKeyedCopyFunctionName));
    return library;
}

// ---------------------------------------------------------------------------------

CImage::CImage(std::int32_t resourceId)
    : resourceId(resourceId),
      bitmap(platform::loadBitmapResource(platform::moduleHandle(), resourceId)) {
    if (bitmap) {
        width = bitmap->width();
        height = bitmap->height();
    }
}

CImage::CImage(std::int32_t width, std::int32_t height) {
    DeviceContext* screen = platform::getWindowDC(nullptr);
    bitmap = platform::createCompatibleBitmap(screen, width, height);
    platform::releaseWindowDC(nullptr, screen);
    if (bitmap) {
        this->width = width;
        this->height = height;
    }
}

CImage::~CImage() = default;

void CImage::drawImage(CPaintContext& context, const Rect& destRect, Point sourceOrigin) {
    DeviceContext* target = context.getPlatformDC();
    if (!bitmap || target == nullptr) return;
    BitmapContext image(target, bitmap.get());
    if (!image) return;
    const Placement p = placementOf(context, destRect, sourceOrigin);
    platform::blit(*target, p.dest, p.size, *image, p.source, BlitOp::Copy);
}

void CImage::drawImageKeyed(CPaintContext& context, const Rect& destRect, Point sourceOrigin) {
    DeviceContext* target = context.getPlatformDC();
    if (!bitmap || target == nullptr) return;
    const Placement p = withinImage(placementOf(context, destRect, sourceOrigin), width, height);
    if (p.isEmpty()) return;
    BitmapContext image(target, bitmap.get());
    if (!image) return;
    const PixelPoint origin{0, 0};

    // 1. With the key mask: compose in a work bitmap, write the context once.
    if (mask) {
        BitmapContext maskDc(target, mask.get());
        auto work = platform::createCompatibleBitmap(target, p.size.width, p.size.height);
        if (!maskDc || !work) return;
        BitmapContext workDc(target, work.get());
        if (!workDc) return;
        platform::blit(*workDc, origin, p.size, *target, p.dest, BlitOp::Copy);
        platform::blit(*workDc, origin, p.size, *image, p.source, BlitOp::Xor);
        platform::blit(*workDc, origin, p.size, *maskDc, p.source, BlitOp::And);
        platform::blit(*workDc, origin, p.size, *image, p.source, BlitOp::Xor);
        platform::blit(*target, p.dest, p.size, *workDc, origin, BlitOp::Copy);
        return;
    }
    // 2. With the library's keyed copy.
    if (auto keyedCopy = optionalBlendFunctions().keyedCopy) {
        keyedCopy(*target, p.dest, p.size, *image, p.source, toPlatformColor(keyColor));
        return;
    }
    // 3. Masking on the context: key-coloured pixels become white in a monochrome
    //    mask; xor, and with the mask, xor again leaves them as they were.
    auto mono = platform::Bitmap::create(p.size.width, p.size.height, platform::PixelFormat::Mono1);
    if (!mono) return;
    BitmapContext monoDc(target, mono.get());
    if (!monoDc) return;
    const platform::PlatformColor savedBackground =
        target->setBackgroundColor(platform::kPlatformWhite);
    const platform::PlatformColor savedText = target->setTextColor(platform::kPlatformBlack);
    image->setBackgroundColor(toPlatformColor(keyColor));
    platform::blit(*monoDc, origin, p.size, *image, p.source, BlitOp::Copy);
    platform::blit(*target, p.dest, p.size, *image, p.source, BlitOp::Xor);
    platform::blit(*target, p.dest, p.size, *monoDc, origin, BlitOp::And);
    platform::blit(*target, p.dest, p.size, *image, p.source, BlitOp::Xor);
    target->setBackgroundColor(savedBackground);
    target->setTextColor(savedText);
}

void CImage::drawImageBlended(CPaintContext& context, const Rect& destRect, Point sourceOrigin,
                              std::uint8_t opacity) {
    DeviceContext* target = context.getPlatformDC();
    auto blendCopy = optionalBlendFunctions().blendCopy;
    if (!bitmap || target == nullptr || blendCopy == nullptr) return;
    BitmapContext image(target, bitmap.get());
    if (!image) return;
    const Placement p = placementOf(context, destRect, sourceOrigin);
    blendCopy(*target, p.dest, p.size, *image, p.source, opacity);
}

void CImage::buildKeyMask(CPaintContext& context, Point origin) {
    mask.reset();
    DeviceContext* source = context.getPlatformDC();
    if (source == nullptr) return;
    auto created = platform::Bitmap::create(width, height, platform::PixelFormat::Mono1);
    if (!created) return;
    {
        BitmapContext maskDc(source, created.get());
        if (!maskDc) return;
        const platform::PlatformColor saved = source->setBackgroundColor(toPlatformColor(keyColor));
        platform::blit(*maskDc, {0, 0}, {width, height}, *source, {origin.h, origin.v},
                       BlitOp::Copy);
        source->setBackgroundColor(saved);
    }
    mask = std::move(created);
}

}  // namespace orbitone
