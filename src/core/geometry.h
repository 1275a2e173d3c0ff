#pragma once

// Plain geometry shared by the logic, the views and the platform backends.
// Screen positions are physical pixels of the virtual desktop, origin at the
// top-left corner of the primary monitor.

namespace tintora {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    constexpr int left() const { return x; }
    constexpr int top() const { return y; }
    // One past the last column / row, as the work-area arithmetic uses them.
    constexpr int right() const { return x + width; }
    constexpr int bottom() const { return y + height; }
    constexpr bool contains(Point p) const { return p.x >= x && p.x < right() && p.y >= y && p.y < bottom(); }
    constexpr bool isEmpty() const { return width <= 0 || height <= 0; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

inline Rect intersected(const Rect& a, const Rect& b)
{
    const int l = a.x > b.x ? a.x : b.x;
    const int t = a.y > b.y ? a.y : b.y;
    const int r = a.right() < b.right() ? a.right() : b.right();
    const int btm = a.bottom() < b.bottom() ? a.bottom() : b.bottom();
    if (r <= l || btm <= t) return {l, t, 0, 0};
    return {l, t, r - l, btm - t};
}

} // namespace tintora
