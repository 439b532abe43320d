#include "paint_context.h"

#include "frame.h"
#include "windowing.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>
#include <string_view>

namespace orbitone {
namespace {

using platform::PixelPoint;
using platform::PixelRect;

// Point lists up to this long are translated without touching the heap.
constexpr std::int32_t kFixedPointBuffer = 30;
constexpr double kRadiansPerDegree = 0.017453292519943295;

std::int32_t saturate(std::int64_t v) {
    return std::int32_t(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

std::int32_t truncateToInt(double v) {
    if (!(v > double(INT32_MIN))) return v != v ? 0 : INT32_MIN;
    if (!(v < double(INT32_MAX))) return INT32_MAX;
    return std::int32_t(v);
}

// r with its edges moved by the given amounts, without overflow.
Rect moved(const Rect& r, int dl, int dt, int dr, int db) {
    return {saturate(std::int64_t(r.left) + dl), saturate(std::int64_t(r.top) + dt),
            saturate(std::int64_t(r.right) + dr), saturate(std::int64_t(r.bottom) + db)};
}

platform::MixMode mixModeOf(std::int32_t penMode) {
    switch (penMode) {
        case kPenModeMerge: return platform::MixMode::Merge;
        case kPenModeNotXor: return platform::MixMode::NotXor;
        default: return platform::MixMode::Copy;
    }
}

// The width and height of r, computed without overflow.
platform::PixelSize sizeOf(const Rect& r) {
    return {saturate(std::int64_t(r.right) - r.left), saturate(std::int64_t(r.bottom) - r.top)};
}

// Selects the null pen for the lifetime of the object and puts the previous pen back.
class NullPenScope {
public:
    explicit NullPenScope(platform::DeviceContext& dc)
        : dc_(dc), previous_(dc.select(&platform::stockPen(platform::StockPen::Null))) {}
    ~NullPenScope() { dc_.select(previous_); }
    NullPenScope(const NullPenScope&) = delete;
    NullPenScope& operator=(const NullPenScope&) = delete;

private:
    platform::DeviceContext& dc_;
    platform::Pen* previous_;
};

// The caller's points plus the offset, in a fixed buffer when they are few.
class DevicePoints {
public:
    DevicePoints(const Point* points, std::int32_t count, Point offset) {
        if (points == nullptr || count <= 0) return;
        PixelPoint* out = fixed_;
        if (count > kFixedPointBuffer) {
            heap_.reset(new (std::nothrow) PixelPoint[std::size_t(count)]);
            if (!heap_) return;  // nothing is drawn
            out = heap_.get();
        }
        for (std::int32_t i = 0; i < count; ++i)
            out[i] = {saturate(std::int64_t(points[i].h) + offset.h),
                      saturate(std::int64_t(points[i].v) + offset.v)};
        span_ = {out, std::size_t(count)};
    }
    std::span<const PixelPoint> span() const { return span_; }

private:
    PixelPoint fixed_[kFixedPointBuffer];
    std::unique_ptr<PixelPoint[]> heap_;
    std::span<const PixelPoint> span_;
};

}  // namespace

CPaintContext::CPaintContext(FrameDrawingServices* frame, platform::DeviceContext* deviceContext,
                             platform::Window* window)
    : deviceContext(deviceContext), window(window), frame(frame) {
    // 2. The first clip is only recorded; no clip is selected.
    if (frame != nullptr) clipRect = frame->frameBounds();
    // 4. A window without a device context: get its own.
    if (deviceContext == nullptr && window != nullptr) {
        this->deviceContext = platform::getWindowDC(window);
        acquiredDeviceContext = this->deviceContext;
    }
    // 5. Remember what is selected, and draw text transparently.
    if (this->deviceContext != nullptr) {
        savedBrush = this->deviceContext->brush();
        savedPen = this->deviceContext->pen();
        savedFont = this->deviceContext->font();
        this->deviceContext->setBackgroundMode(platform::BackgroundMode::Transparent);
    }
    // 6. Where the window is on the screen.
    if (window != nullptr) {
        const PixelPoint origin = platform::windowScreenOrigin(window);
        windowOrigin = {origin.x, origin.y};
    }
    // 7. The defaults reach the device context; the font stays the device's own.
    if (this->deviceContext != nullptr) {
        setStrokeColor(strokeColor);
        setLinePattern(linePattern);
        setBrushColor(brushColor);
        this->deviceContext->setTextColor(toPlatformColor(textColor));
    }
}

CPaintContext::~CPaintContext() {
    if (deviceContext != nullptr) {
        if (savedBrush != nullptr) deviceContext->select(savedBrush);
        if (savedPen != nullptr) deviceContext->select(savedPen);
        if (savedFont != nullptr) deviceContext->select(savedFont);
    }
    brush.reset();
    pen.reset();
    font.reset();
    if (acquiredDeviceContext != nullptr) platform::releaseWindowDC(window, acquiredDeviceContext);
}

PixelPoint CPaintContext::device(Point p) const {
    return {saturate(std::int64_t(p.h) + offset.h), saturate(std::int64_t(p.v) + offset.v)};
}

PixelRect CPaintContext::device(const Rect& r) const {
    const PixelPoint tl = device(Point{r.left, r.top});
    const PixelPoint br = device(Point{r.right, r.bottom});
    return {tl.x, tl.y, br.x, br.y};
}

// ---------------------------------------------------------------------------------
// Attributes

void CPaintContext::setPenMode(std::int32_t mode) {
    if (mode == penMode) return;
    penMode = mode;
    if (deviceContext != nullptr) deviceContext->setMixMode(mixModeOf(mode));
}

void CPaintContext::setLinePattern(std::int32_t pattern) {
    linePattern = pattern;
    platformPenStyle =
        pattern == kLinePatternDotted ? platform::PenStyle::Dotted : platform::PenStyle::Solid;
    recreatePen();
}

void CPaintContext::setPenWidth(std::int32_t width) {
    penWidth = width;
    recreatePen();
}

void CPaintContext::setStrokeColor(Color color) {
    strokeColor = color;
    recreatePen();
}

// A pen of the current style, width and colour replaces this context's previous one;
// when the one it has already matches, it is only selected again.
void CPaintContext::recreatePen() {
    if (deviceContext == nullptr) return;
    const platform::PenDesc desc{platformPenStyle, penWidth, toPlatformColor(strokeColor)};
    if (pen && pen->desc() == desc) {
        deviceContext->select(pen.get());
        return;
    }
    std::unique_ptr<platform::Pen> created = platform::Pen::create(desc);
    if (!created) return;  // the previous pen stays
    deviceContext->select(created.get());
    pen = std::move(created);
}

void CPaintContext::setBrushColor(Color color) {
    brushColor = color;
    if (deviceContext == nullptr) return;
    deviceContext->setBackgroundColor(toPlatformColor(color));
    const platform::BrushDesc desc{platform::BrushStyle::Solid, toPlatformColor(color)};
    if (brush && brush->desc() == desc) {
        deviceContext->select(brush.get());
        return;
    }
    std::unique_ptr<platform::Brush> created = platform::Brush::create(desc);
    if (!created) return;  // the previous brush stays
    deviceContext->select(created.get());
    brush = std::move(created);
}

void CPaintContext::setTextColor(Color color) {
    textColor = color;
    if (deviceContext != nullptr) deviceContext->setTextColor(toPlatformColor(color));
}

void CPaintContext::selectFont(std::int32_t id, std::int32_t size, std::int32_t style) {
    // 1, 2. The font id and size, with their fallbacks.
    if (id < 0 || id >= kFontCount) id = 0;
    fontId = id;
    const FontTableEntry& entry = kFontTable[id];
    if (size == 0) size = entry.defaultSize;
    fontSize = size;
    // 3. The description.
    platform::FontDesc desc;
    desc.height = -size;
    desc.weight = (style & styleBold) ? platform::kWeightBold : platform::kWeightNormal;
    desc.italic = (style & styleItalic) != 0;
    desc.underline = (style & styleUnderline) != 0;
    desc.faceName = entry.faceName;
    desc.pitchAndFamily = entry.pitchAndFamily;
    if (entry.alwaysBold) desc.weight = platform::kWeightBold;
    desc.charSet = platform::CharSet::Ansi;
    // 4. It replaces this context's previous font.
    if (deviceContext == nullptr) return;
    if (font && font->desc() == desc) {
        deviceContext->select(font.get());
        return;
    }
    std::unique_ptr<platform::Font> created = platform::Font::create(desc);
    if (!created) return;
    deviceContext->select(created.get());
    font = std::move(created);
}

// ---------------------------------------------------------------------------------
// Drawing

void CPaintContext::movePenTo(Point p) {
    if (deviceContext != nullptr) deviceContext->moveTo(device(p));
}

void CPaintContext::drawLineTo(Point p) {
    if (deviceContext != nullptr) deviceContext->lineTo(device(p));
}

void CPaintContext::strokePolyline(const Point* points, std::int32_t count) {
    if (deviceContext == nullptr) return;
    const DevicePoints translated(points, count, offset);
    if (!translated.span().empty()) deviceContext->polyline(translated.span());
}

void CPaintContext::fillPolygonInterior(const Point* points, std::int32_t count) {
    if (deviceContext == nullptr) return;
    const DevicePoints translated(points, count, offset);
    if (translated.span().empty()) return;
    NullPenScope noPen(*deviceContext);
    deviceContext->polygon(translated.span());
}

void CPaintContext::strokeRect(const Rect& r) {
    movePenTo({r.left, r.top});
    drawLineTo({r.right, r.top});
    drawLineTo({r.right, r.bottom});
    drawLineTo({r.left, r.bottom});
    drawLineTo({r.left, r.top});
}

void CPaintContext::fillRectInterior(const Rect& r) {
    if (deviceContext == nullptr || !brush) return;
    NullPenScope noPen(*deviceContext);
    deviceContext->fillRect(device(moved(r, 1, 1, 0, 0)), *brush);
}

void CPaintContext::fillEllipseInterior(const Rect& r) {
    if (deviceContext == nullptr) return;
    NullPenScope noPen(*deviceContext);
    deviceContext->ellipse(device(moved(r, 1, 1, 1, 1)));
}

void CPaintContext::strokeArc(const Rect& r, Point from, Point to) {
    if (deviceContext == nullptr) return;
    deviceContext->arc(device(moved(r, 0, 0, 1, 1)), device(from), device(to));
}

void CPaintContext::strokeEllipse(const Rect& r) {
    const Point p{saturate(r.left + (std::int64_t(r.right) - r.left) / 2), r.top};
    strokeArc(r, p, p);
}

void CPaintContext::strokeArcByAngles(const Rect& r, float startDegrees, float endDegrees) {
    // 1. Radians.
    const double a = startDegrees * kRadiansPerDegree;
    const double b = endDegrees * kRadiansPerDegree;
    // 2. Radii, truncated; the vertical one as a 32-bit float.
    const std::int64_t rx = (std::int64_t(r.right) - r.left) / 2;
    const float ry = float((std::int64_t(r.bottom) - r.top) / 2);
    // 3. Points on the ellipse, relative to the rectangle's top-left corner.
    auto x = [&](double t) { return truncateToInt((std::cos(t) + 1.0) * double(rx)); };
    auto y = [&](double t) { return truncateToInt(ry - ry * std::sin(t)); };
    // 4. The arc.
    strokeArc(r, {saturate(std::int64_t(r.left) + x(a)), saturate(std::int64_t(r.top) + y(a))},
              {saturate(std::int64_t(r.left) + x(b)), saturate(std::int64_t(r.top) + y(b))});
}

void CPaintContext::fillPie(const Rect& r, Point from, Point to) {
    if (deviceContext == nullptr) return;
    NullPenScope noPen(*deviceContext);
    deviceContext->pie(device(moved(r, 1, 1, 0, 0)), device(from), device(to));
}

void CPaintContext::setPixelAt(Point p, Color color) {
    if (deviceContext != nullptr) deviceContext->setPixel(device(p), toPlatformColor(color));
}

Color CPaintContext::getPixelAt(Point p) const {
    platform::PlatformColor c = platform::kInvalidColor;
    if (deviceContext != nullptr) c = deviceContext->getPixel(device(p));
    return {platform::redOf(c), platform::greenOf(c), platform::blueOf(c), 255};
}

void CPaintContext::floodFillAt(Point p) {
    if (deviceContext == nullptr) return;
    const PixelPoint at = device(p);
    const platform::PlatformColor surface = deviceContext->getPixel(at);
    if (surface == platform::kInvalidColor) return;
    deviceContext->floodFill(at, surface);
}

std::int32_t CPaintContext::measureText(const char* text) const {
    if (deviceContext == nullptr || text == nullptr) return 0;
    return deviceContext->textExtent(text).width;
}

void CPaintContext::drawText(const char* text, const Rect& r, bool opaque, std::int32_t alignment) {
    // 1. No text, nothing drawn.
    if (text == nullptr || deviceContext == nullptr) return;
    // 2. The target rectangle; left alignment starts a pixel further in.
    PixelRect target = device(r);
    platform::TextAlign align = platform::TextAlign::Left;
    if (alignment == alignCenter) {
        align = platform::TextAlign::Center;
    } else if (alignment == alignRight) {
        align = platform::TextAlign::Right;
    } else {
        target.left = saturate(std::int64_t(target.left) + 1);
    }
    // 3. - 5. On the brush colour when opaque; transparent again afterwards.
    deviceContext->setBackgroundMode(opaque ? platform::BackgroundMode::Opaque
                                            : platform::BackgroundMode::Transparent);
    deviceContext->drawText(text, target, align);
    deviceContext->setBackgroundMode(platform::BackgroundMode::Transparent);
}

// ---------------------------------------------------------------------------------
// Clip and copies

void CPaintContext::setClip(const Rect& r) {
    const PixelRect d = device(r);
    const Rect deviceRect{d.left, d.top, d.right, d.bottom};
    if (deviceRect == clipRect) return;
    clipRect = deviceRect;
    if (deviceContext != nullptr) deviceContext->selectClipRect(d);
}

Rect& CPaintContext::getClip(Rect& rect) const {
    rect = clipRect;
    rect.offsetBy(-offset.h, -offset.v);
    return rect;
}

void CPaintContext::resetClip() {
    setClip(frame != nullptr ? frame->frameBounds() : kDefaultClipRect);
}

void CPaintContext::copyRectFrom(CPaintContext& source, const Rect& sourceRect, std::int32_t destX,
                                 std::int32_t destY) {
    if (deviceContext == nullptr || source.deviceContext == nullptr) return;
    platform::blit(*deviceContext, {destX, destY}, sizeOf(sourceRect), *source.deviceContext,
                   source.device(Point{sourceRect.left, sourceRect.top}), platform::BlitOp::Copy);
}

void CPaintContext::copyRectTo(CPaintContext& dest, const Rect& destRect, Point sourceOrigin) {
    if (deviceContext == nullptr || dest.deviceContext == nullptr) return;
    platform::blit(*dest.deviceContext, dest.device(Point{destRect.left, destRect.top}),
                   sizeOf(destRect), *deviceContext, {sourceOrigin.h, sourceOrigin.v},
                   platform::BlitOp::Copy);
}

// ---------------------------------------------------------------------------------
// The mouse

namespace {

// How far the cursor may move from where the button went down and still count as not
// having moved: from 2 pixels before to 1 pixel after, on both axes.
constexpr std::int32_t kClickSlack = 2;

bool staysNear(Point p, Point start) {
    return p.h >= start.h - kClickSlack && p.h < start.h + kClickSlack && p.v >= start.v - kClickSlack &&
           p.v < start.v + kClickSlack;
}

// Tick counts wrap at 2^32: `a` is before `b` when less than half the range lies ahead.
bool isBefore(std::uint32_t a, std::uint32_t b) { return std::int32_t(a - b) < 0; }

}  // namespace

std::int32_t CPaintContext::getButtonState() const {
    const platform::InputState input = platform::pollInput();
    std::int32_t state = 0;
    if (input.left) state |= swapButtons ? buttonRight : buttonLeft;
    if (input.middle) state |= buttonMiddle;
    if (input.right) state |= swapButtons ? buttonLeft : buttonRight;
    if (input.shift) state |= modShift;
    if (input.control) state |= modControl;
    if (input.alt) state |= modAlt;
    return state;
}

void CPaintContext::getMouseInContext(Point& point) const {
    const PixelPoint cursor = platform::getCursorPosition();
    point = {cursor.x - windowOrigin.h, cursor.y - windowOrigin.v};
}

bool CPaintContext::awaitSecondClick() const {
    Point start;
    getMouseInContext(start);
    const std::uint32_t deadline = platform::messageTime() + platform::doubleClickTime();
    if (!isBefore(platform::tickCount(), deadline)) return false;
    do {
        Point now;
        getMouseInContext(now);
        if (!staysNear(now, start)) return false;
        platform::MessageRecord press;
        if (platform::peekMessage(press, nullptr, platform::MessageRange::only(platform::Message::LeftButtonDown),
                                  platform::PeekMode::Remove))
            return true;
    } while (isBefore(platform::tickCount(), deadline));
    return false;
}

bool CPaintContext::awaitDragStart() const {
    // Only a frame can keep the editor and the host going while the button is held.
    auto* owner = dynamic_cast<CFrame*>(frame);
    if (owner == nullptr) return false;
    Point start;
    getMouseInContext(start);
    while (getButtonState() & buttonLeft) {
        owner->idleHost();
        Point now;
        getMouseInContext(now);
        if (!staysNear(now, start)) return true;
    }
    return false;
}

}  // namespace orbitone
