// Points and rectangles of the view toolkit: 32-bit pixel coordinates, x to the right,
// y downwards.
#pragma once

#include <algorithm>
#include <cstdint>

namespace orbitone {

struct Rect;

struct Point {
    std::int32_t h = 0;  // horizontal
    std::int32_t v = 0;  // vertical

    // Inside or on any edge of the rectangle (unlike Rect::pointInside).
    constexpr bool liesWithin(const Rect& rect) const;
    friend constexpr bool operator==(Point, Point) = default;
};

// Half-open for blitting and containment: right and bottom are the first pixels outside.
struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    constexpr std::int32_t getWidth() const { return right - left; }
    constexpr std::int32_t getHeight() const { return bottom - top; }

    constexpr Rect& offsetBy(std::int32_t dx, std::int32_t dy) {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
        return *this;
    }

    constexpr bool pointInside(Point p) const {
        return left <= p.h && p.h < right && top <= p.v && p.v < bottom;
    }

    constexpr bool isEmpty() const { return right <= left || bottom <= top; }

    // Intersects with `other`. The result is never inverted: an empty intersection
    // collapses to zero height and/or width at the clipped edge.
    constexpr Rect& clipTo(const Rect& other) {
        left = std::max(left, other.left);
        top = std::max(top, other.top);
        right = std::min(right, other.right);
        bottom = std::min(bottom, other.bottom);
        if (bottom < top) bottom = top;
        if (right < left) right = left;
        return *this;
    }

    // Inclusive: rectangles that only touch at an edge or a corner overlap.
    constexpr bool overlaps(const Rect& other) const {
        return right >= other.left && left <= other.right && bottom >= other.top &&
               top <= other.bottom;
    }

    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

constexpr bool Point::liesWithin(const Rect& rect) const {
    return rect.left <= h && h <= rect.right && rect.top <= v && v <= rect.bottom;
}

}  // namespace orbitone
