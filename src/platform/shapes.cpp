// Lines, polylines, polygons, ellipses, arcs, pies and rectangle fills.
//
// Every primitive works out the pixels it covers row by row (or step by step for thin
// lines), only for the rows and columns inside the clip, so its cost is bounded by the
// visible area whatever its coordinates. Pixels are written through mixSpan / mixPixel,
// which clip once more.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <utility>
#include <vector>

#include "raster_internal.h"

namespace orbitone::platform {
namespace {

using detail::PaintTarget;
using i64 = std::int64_t;
using i128 = __int128;

struct Point64 {
    i64 x;
    i64 y;
};

i64 floorDiv(i128 a, i128 b) {  // b > 0
    i128 q = a / b;
    if (a % b != 0 && a < 0) --q;
    return i64(q);
}
i64 ceilDiv(i128 a, i128 b) { return -floorDiv(-a, b); }  // b > 0

// What a pen draws with in a given context.
struct Stroke {
    bool visible = false;
    std::uint32_t value = 0;     // the pen colour as a pixel value
    std::uint32_t gapValue = 0;  // the background colour, for the gaps of dotted lines
    bool dotted = false;
    bool fillGaps = false;  // dotted with an opaque background
    std::int32_t width = 1;
    MixMode mode = MixMode::Copy;
};

Stroke strokeOf(const DeviceContext& dc, PixelFormat format) {
    Stroke s;
    const Pen& pen = *dc.pen();
    s.visible = pen.desc().style != PenStyle::Null;
    s.value = detail::pixelValue(pen.desc().color, format);
    s.gapValue = detail::pixelValue(dc.backgroundColor(), format);
    s.dotted = pen.isDotted();
    s.fillGaps = s.dotted && dc.backgroundMode() == BackgroundMode::Opaque;
    s.width = pen.drawnWidth();
    s.mode = dc.mixMode();
    return s;
}

// ---------------------------------------------------------------------------------
// Thin lines

// Pixel i (0 <= i < length) of a line from `from` to `to` one pixel wide: the major
// axis advances one pixel a step, the minor axis follows the exact line rounded to the
// nearest pixel (halves away from the start). The end pixel is pixel `length`, which
// is not drawn.
struct ThinLine {
    Point64 from;
    i64 adx, ady;
    int sx, sy;
    bool xMajor;

    ThinLine(Point64 a, Point64 b)
        : from(a), adx(std::abs(b.x - a.x)), ady(std::abs(b.y - a.y)), sx(b.x < a.x ? -1 : 1),
          sy(b.y < a.y ? -1 : 1), xMajor(adx >= ady) {}

    i64 length() const { return xMajor ? adx : ady; }
    Point64 at(i64 i) const {
        if (xMajor)
            return {from.x + sx * i,
                    from.y + sy * floorDiv(i128(2) * i * ady + adx, i128(2) * adx)};
        return {from.x + sx * floorDiv(i128(2) * i * adx + ady, i128(2) * ady), from.y + sy * i};
    }
};

// The steps i of a line whose major coordinate lies inside [lo, hi).
std::pair<i64, i64> stepsInside(i64 start, int direction, i64 length, i64 lo, i64 hi) {
    i64 first, last;  // inclusive
    if (direction > 0) {
        first = lo - start;
        last = hi - 1 - start;
    } else {
        first = start - (hi - 1);
        last = start - lo;
    }
    return {std::max<i64>(first, 0), std::min<i64>(last + 1, length)};
}

// Draws a thin line and answers its length. `phase` is where the dotted pattern
// stands at its first pixel.
i64 drawThinLine(const PaintTarget& t, Point64 a, Point64 b, const Stroke& s, i64 phase) {
    const ThinLine line(a, b);
    const i64 n = line.length();
    if (n == 0 || !t.canDraw()) return n;
    auto [first, end] = line.xMajor ? stepsInside(a.x, line.sx, n, t.clip.left, t.clip.right)
                                    : stepsInside(a.y, line.sy, n, t.clip.top, t.clip.bottom);
    for (i64 i = first; i < end; ++i) {
        const bool on = !s.dotted || ((phase + i) & 1) == 0;
        if (!on && !s.fillGaps) continue;
        const Point64 p = line.at(i);
        detail::mixPixel(t, p.x, p.y, on ? s.value : s.gapValue, s.mode);
    }
    return n;
}

// ---------------------------------------------------------------------------------
// Wide lines: the pixels whose centres lie within width / 2 of the segments (round
// ends and joins). Each pixel is written once however many segments cover it.

struct Interval {
    i64 first, end;  // pixels first .. end - 1
};

// The x-range (closed) where row y crosses the stroke of one segment, if it does.
std::optional<std::pair<double, double>> capsuleRow(Point64 p0, Point64 p1, double r, double y) {
    double lo = INFINITY, hi = -INFINITY;
    auto take = [&](double x) {
        lo = std::min(lo, x);
        hi = std::max(hi, x);
    };
    for (Point64 p : {p0, p1}) {
        const double dy = y - double(p.y);
        if (std::abs(dy) <= r) {
            const double h = std::sqrt(std::max(0.0, r * r - dy * dy));
            take(double(p.x) - h);
            take(double(p.x) + h);
        }
    }
    const double dx = double(p1.x - p0.x), dyv = double(p1.y - p0.y);
    const double len = std::hypot(dx, dyv);
    if (len > 0) {
        const double nx = -dyv / len * r, ny = dx / len * r;
        const double cx[4] = {p0.x + nx, p1.x + nx, p1.x - nx, p0.x - nx};
        const double cy[4] = {p0.y + ny, p1.y + ny, p1.y - ny, p0.y - ny};
        for (int k = 0; k < 4; ++k) {
            const int m = (k + 1) % 4;
            const double ya = cy[k] - y, yb = cy[m] - y;
            if (ya == 0 && yb == 0) {
                take(cx[k]);
                take(cx[m]);
            } else if ((ya <= 0 && yb >= 0) || (ya >= 0 && yb <= 0)) {
                take(cx[k] + (cx[m] - cx[k]) * (ya / (ya - yb)));
            }
        }
    }
    if (lo > hi) return std::nullopt;
    return std::pair{lo, hi};
}

void drawWideStroke(const PaintTarget& t, std::span<const Point64> points, bool closed,
                    const Stroke& s) {
    if (!t.canDraw() || points.empty()) return;
    const double r = s.width / 2.0;
    std::vector<std::pair<Point64, Point64>> segments;
    for (std::size_t i = 0; i + 1 < points.size(); ++i)
        segments.push_back({points[i], points[i + 1]});
    if (closed && points.size() > 2) segments.push_back({points.back(), points.front()});
    if (segments.empty()) segments.push_back({points[0], points[0]});

    i64 minY = points[0].y, maxY = points[0].y;
    for (Point64 p : points) {
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    // Rows whose centre lies in [minY - r, maxY + r).
    const i64 top = std::max<i64>(i64(std::ceil(double(minY) - r)), t.clip.top);
    const i64 bottom = std::min<i64>(i64(std::ceil(double(maxY) + r)), t.clip.bottom);
    std::vector<Interval> row;
    for (i64 y = top; y < bottom; ++y) {
        row.clear();
        for (auto [a, b] : segments) {
            auto range = capsuleRow(a, b, r, double(y));
            if (!range) continue;
            const i64 first = i64(std::ceil(range->first));
            const i64 end = i64(std::ceil(range->second));
            if (first < end) row.push_back({first, end});
        }
        std::sort(row.begin(), row.end(), [](Interval a, Interval b) { return a.first < b.first; });
        for (std::size_t i = 0; i < row.size();) {
            Interval merged = row[i++];
            while (i < row.size() && row[i].first <= merged.end)
                merged.end = std::max(merged.end, row[i++].end);
            detail::mixSpan(t, y, merged.first, merged.end, s.value, s.mode);
        }
    }
}

// Strokes the points in turn with the context's pen (thin or wide).
void strokePath(const PaintTarget& t, std::span<const Point64> points, bool closed,
                const Stroke& s) {
    if (!s.visible) return;
    if (s.width > 1) {
        drawWideStroke(t, points, closed, s);
        return;
    }
    i64 phase = 0;
    for (std::size_t i = 0; i + 1 < points.size(); ++i)
        phase += drawThinLine(t, points[i], points[i + 1], s, phase);
    if (closed && points.size() > 2) drawThinLine(t, points.back(), points.front(), s, phase);
}

std::vector<Point64> widen(std::span<const PixelPoint> points) {
    std::vector<Point64> out;
    out.reserve(points.size());
    for (PixelPoint p : points) out.push_back({p.x, p.y});
    return out;
}

// ---------------------------------------------------------------------------------
// Ellipses, in doubled coordinates so that centres and radii stay integers: the pixel
// (x, y) of a box (l, t, r, b) sits at X = 2x - (l + r - 1), Y = 2y - (t + b - 1), and
// the box's outermost pixels at X = +-A, Y = +-B with A = r - 1 - l, B = b - 1 - t.
// A pixel belongs to the ellipse when X^2 (B+1)^2 + Y^2 (A+1)^2 <= (A+1)^2 (B+1)^2,
// i.e. within half a pixel of the ideal curve through the outermost pixel centres; the
// one or two middle rows always reach the box's left and right columns, and every row
// holds at least its middle pixel(s).

struct EllipseBox {
    i64 left, top, right, bottom;  // normalised, right and bottom outside
    i64 a() const { return right - 1 - left; }
    i64 b() const { return bottom - 1 - top; }
    bool isEmpty() const { return right <= left || bottom <= top; }
};

EllipseBox ellipseBox(const PixelRect& r) {
    const PixelRect n = r.normalized();
    return {n.left, n.top, n.right, n.bottom};
}

// The pixels x0 .. x1 (inclusive) of row y inside the ellipse of the box, if any.
std::optional<std::pair<i64, i64>> ellipseRow(const EllipseBox& box, i64 y) {
    if (box.isEmpty() || y < box.top || y >= box.bottom) return std::nullopt;
    const i64 A = box.a(), B = box.b();
    const i64 sumX = box.left + box.right - 1;
    const i64 Y = 2 * y - (box.top + box.bottom - 1);
    i64 xm;
    if (std::abs(Y) <= 1) {
        xm = A;
    } else {
        const i128 a1 = A + 1, b1 = B + 1;
        const i128 rhs = a1 * a1 * (b1 * b1 - i128(Y) * Y);
        auto inside = [&](i64 X) { return i128(X) * X * b1 * b1 <= rhs; };
        const double ratio = double(Y) / double(B + 1);
        xm = i64(double(A + 1) * std::sqrt(std::max(0.0, 1.0 - ratio * ratio)));
        xm = std::clamp<i64>(xm, 0, A);
        while (xm > 0 && !inside(xm)) --xm;
        while (xm < A && inside(xm + 1)) ++xm;
        if (((xm - A) & 1) != 0) --xm;
        xm = std::max<i64>(xm, A & 1);
    }
    return std::pair{(sumX - xm) / 2, (sumX + xm) / 2};
}

// The pixels of row y strictly inside the outline of the box's ellipse: inside the
// ellipse, and so are their neighbours left, right, above and below.
std::optional<std::pair<i64, i64>> ellipseInteriorRow(const EllipseBox& box, i64 y) {
    auto here = ellipseRow(box, y), above = ellipseRow(box, y - 1), below = ellipseRow(box, y + 1);
    if (!here || !above || !below) return std::nullopt;
    const i64 x0 = std::max({here->first + 1, above->first, below->first});
    const i64 x1 = std::min({here->second - 1, above->second, below->second});
    if (x0 > x1) return std::nullopt;
    return std::pair{x0, x1};
}

// The angular sweep of an arc or pie, counter-clockwise on the screen from the ray
// through `start` to the ray through `end`, around the centre of the box.
struct Sweep {
    double startAngle = 0;
    double extent = 0;  // 0 means the whole turn
    i64 sumX = 0, sumY = 0;

    static double angleOf(double X, double Y) { return std::atan2(-Y, X); }
    static double turn(double a) {
        const double full = 2 * std::numbers::pi;
        a = std::fmod(a, full);
        return a < 0 ? a + full : a;
    }
    Sweep(const EllipseBox& box, PixelPoint start, PixelPoint end)
        : sumX(box.left + box.right - 1), sumY(box.top + box.bottom - 1) {
        startAngle = angleOf(2.0 * start.x - sumX, 2.0 * start.y - sumY);
        extent = turn(angleOf(2.0 * end.x - sumX, 2.0 * end.y - sumY) - startAngle);
    }
    bool contains(i64 x, i64 y) const {
        if (extent == 0) return true;
        const i64 X = 2 * x - sumX, Y = 2 * y - sumY;
        if (X == 0 && Y == 0) return true;
        return turn(angleOf(double(X), double(Y)) - startAngle) <= extent;
    }
};

// Writes pixels x0 .. x1 (inclusive) of row y, only those inside the sweep when given.
void paintRun(const PaintTarget& t, i64 y, i64 x0, i64 x1, std::uint32_t value, MixMode mode,
              const Sweep* sweep) {
    x0 = std::max<i64>(x0, t.clip.left);
    x1 = std::min<i64>(x1, i64(t.clip.right) - 1);
    if (x0 > x1) return;
    if (sweep == nullptr || sweep->extent == 0) {
        detail::mixSpan(t, y, x0, x1 + 1, value, mode);
        return;
    }
    for (i64 x = x0; x <= x1; ++x)
        if (sweep->contains(x, y)) detail::mixPixel(t, x, y, value, mode);
}

struct EllipsePaint {
    std::optional<EllipseBox> ring;      // outline: this box's ellipse minus `interior`
    std::optional<EllipseBox> interior;  // the brush fills the inside of this box's outline
    std::optional<std::uint32_t> ringValue;
    std::optional<std::uint32_t> fillValue;
    MixMode mode = MixMode::Copy;
    const Sweep* sweep = nullptr;
};

void paintEllipse(const PaintTarget& t, const EllipsePaint& p) {
    if (!t.canDraw()) return;
    const EllipseBox& extentBox = p.ring ? *p.ring : *p.interior;
    const i64 top = std::max<i64>(extentBox.top, t.clip.top);
    const i64 bottom = std::min<i64>(extentBox.bottom, t.clip.bottom);
    for (i64 y = top; y < bottom; ++y) {
        std::optional<std::pair<i64, i64>> inside;
        if (p.interior) inside = ellipseInteriorRow(*p.interior, y);
        if (inside && p.fillValue)
            paintRun(t, y, inside->first, inside->second, *p.fillValue, p.mode, p.sweep);
        if (!p.ring || !p.ringValue) continue;
        auto outer = ellipseRow(*p.ring, y);
        if (!outer) continue;
        if (!inside) {
            paintRun(t, y, outer->first, outer->second, *p.ringValue, p.mode, p.sweep);
            continue;
        }
        paintRun(t, y, outer->first, std::min(outer->second, inside->first - 1), *p.ringValue,
                 p.mode, p.sweep);
        paintRun(t, y, std::max(outer->first, inside->second + 1), outer->second, *p.ringValue,
                 p.mode, p.sweep);
    }
}

bool withinShapeLimit(const PixelRect& box) {
    return std::abs(box.width()) <= kMaxShapeExtent && std::abs(box.height()) <= kMaxShapeExtent;
}

// The box whose outline's inside a pen of width w leaves for the brush.
EllipseBox insetBy(const EllipseBox& box, i64 w) {
    return {box.left + (w - 1), box.top + (w - 1), box.right - (w - 1), box.bottom - (w - 1)};
}

// The point where the ray from the centre of the box through p meets its ellipse.
std::optional<Point64> rimPoint(const EllipseBox& box, PixelPoint p) {
    const double cx = (box.left + box.right - 1) / 2.0, cy = (box.top + box.bottom - 1) / 2.0;
    const double a = box.a() / 2.0, b = box.b() / 2.0;
    if (a <= 0 || b <= 0) return std::nullopt;
    double dx = p.x - cx, dy = p.y - cy;
    if (dx == 0 && dy == 0) dx = 1;
    const double k = 1.0 / std::sqrt(dx * dx / (a * a) + dy * dy / (b * b));
    return Point64{std::lround(cx + k * dx), std::lround(cy + k * dy)};
}

void drawEllipseFigure(DeviceContext& dc, const PixelRect& box, const Sweep* sweep, bool fill,
                       PixelPoint start = {}, PixelPoint end = {}) {
    const PaintTarget t = detail::paintTargetOf(dc);
    if (!t.canDraw() || !withinShapeLimit(box)) return;
    const Stroke s = strokeOf(dc, t.surface.format);
    const Brush& brush = *dc.brush();
    EllipsePaint p;
    p.mode = dc.mixMode();
    p.sweep = sweep;
    if (fill && brush.desc().style != BrushStyle::Null)
        p.fillValue = detail::pixelValue(brush.desc().color, t.surface.format);
    const EllipseBox outer = ellipseBox(box);
    if (s.visible) {
        p.ring = outer;
        p.ringValue = s.value;
        p.interior = insetBy(outer, s.width);
    } else {
        p.interior = EllipseBox{outer.left - 1, outer.top - 1, outer.right, outer.bottom};
    }
    if (!p.fillValue && !p.ringValue) return;
    paintEllipse(t, p);

    // A pie's radii.
    if (sweep != nullptr && fill && s.visible && sweep->extent != 0) {
        const Point64 centre{floorDiv(outer.left + outer.right - 1, 2),
                             floorDiv(outer.top + outer.bottom - 1, 2)};
        for (PixelPoint ray : {start, end}) {
            if (auto rim = rimPoint(outer, ray)) {
                const Point64 path[2] = {centre, *rim};
                strokePath(t, path, false, s);
            }
        }
    }
}

}  // namespace

// ---------------------------------------------------------------------------------

void DeviceContext::lineTo(PixelPoint p) {
    const PixelPoint from = std::exchange(position_, p);
    const PaintTarget t = detail::paintTargetOf(*this);
    if (!t.canDraw()) return;
    const Point64 path[2] = {{from.x, from.y}, {p.x, p.y}};
    strokePath(t, path, false, strokeOf(*this, t.surface.format));
}

void DeviceContext::polyline(std::span<const PixelPoint> points) {
    const PaintTarget t = detail::paintTargetOf(*this);
    if (!t.canDraw() || points.size() < 2) return;
    const std::vector<Point64> path = widen(points);
    strokePath(t, path, false, strokeOf(*this, t.surface.format));
}

void DeviceContext::polygon(std::span<const PixelPoint> points) {
    const PaintTarget t = detail::paintTargetOf(*this);
    if (!t.canDraw() || points.size() < 2) return;
    const std::vector<Point64> path = widen(points);

    // 1. Even-odd fill at pixel centres.
    if (brush_->desc().style != BrushStyle::Null && points.size() >= 3) {
        const std::uint32_t value = detail::pixelValue(brush_->desc().color, t.surface.format);
        i64 minY = path[0].y, maxY = path[0].y;
        for (Point64 q : path) {
            minY = std::min(minY, q.y);
            maxY = std::max(maxY, q.y);
        }
        std::vector<i64> crossings;
        for (i64 y = std::max<i64>(minY, t.clip.top); y < std::min<i64>(maxY, t.clip.bottom); ++y) {
            crossings.clear();
            const i64 centre2 = 2 * y + 1;
            for (std::size_t i = 0; i < path.size(); ++i) {
                Point64 a = path[i], b = path[(i + 1) % path.size()];
                if (a.y == b.y) continue;
                if (a.y > b.y) std::swap(a, b);
                if (centre2 <= 2 * a.y || centre2 >= 2 * b.y) continue;
                // Twice the crossing's x is num / den; the first pixel whose centre is
                // at or right of it is ceil((num - den) / (2 den)).
                const i128 den = b.y - a.y;
                const i128 num = i128(2) * a.x * den + i128(centre2 - 2 * a.y) * (b.x - a.x);
                crossings.push_back(ceilDiv(num - den, 2 * den));
            }
            std::sort(crossings.begin(), crossings.end());
            for (std::size_t k = 0; k + 1 < crossings.size(); k += 2)
                detail::mixSpan(t, y, crossings[k], crossings[k + 1], value, mixMode_);
        }
    }
    // 2. The closed outline.
    strokePath(t, path, true, strokeOf(*this, t.surface.format));
}

void DeviceContext::ellipse(const PixelRect& box) { drawEllipseFigure(*this, box, nullptr, true); }

void DeviceContext::arc(const PixelRect& box, PixelPoint start, PixelPoint end) {
    if (pen_->desc().style == PenStyle::Null) return;
    const Sweep sweep(ellipseBox(box), start, end);
    drawEllipseFigure(*this, box, &sweep, false);
}

void DeviceContext::pie(const PixelRect& box, PixelPoint start, PixelPoint end) {
    const Sweep sweep(ellipseBox(box), start, end);
    drawEllipseFigure(*this, box, &sweep, true, start, end);
}

void DeviceContext::fillRect(const PixelRect& rect, const Brush& brush) {
    const PaintTarget t = detail::paintTargetOf(*this);
    if (!t.canDraw() || brush.desc().style == BrushStyle::Null) return;
    const std::uint32_t value = detail::pixelValue(brush.desc().color, t.surface.format);
    const i64 top = std::max<i64>(rect.top, t.clip.top);
    const i64 bottom = std::min<i64>(rect.bottom, t.clip.bottom);
    for (i64 y = top; y < bottom; ++y)
        detail::mixSpan(t, y, rect.left, rect.right, value, MixMode::Copy);
}

}  // namespace orbitone::platform
