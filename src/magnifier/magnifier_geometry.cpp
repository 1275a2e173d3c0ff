#include "magnifier/magnifier_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace tintora {

double roundHalfEven(double v)
{
    // v - trunc(v) is exact for every finite double, so the tie test is too;
    // std::round, unlike std::nearbyint, does not depend on the rounding mode.
    if (std::fabs(v - std::trunc(v)) == 0.5) return 2.0 * std::round(v / 2.0);
    return std::round(v);
}

namespace {

// roundHalfEven(size / 2 / zoom) kept within 0..size; NaN counts as 0.
int halfExtent(int size, double zoom)
{
    const int limit = std::max(size, 0);
    const double h = roundHalfEven(size / 2.0 / zoom);
    if (!(h > 0.0)) return 0;
    if (h >= limit) return limit;
    return static_cast<int>(h);
}

// The source columns (or rows) that destination column i shows: from
// floor(i * srcLen / dstLen) up to, not including, floor((i + 1) * srcLen /
// dstLen), and at least one.
struct Span {
    int begin;
    int end;
};

Span sourceSpan(int i, int srcLen, int dstLen)
{
    const long long begin = static_cast<long long>(i) * srcLen / dstLen;
    const long long end = static_cast<long long>(i + 1) * srcLen / dstLen;
    return {static_cast<int>(begin), static_cast<int>(std::max(end, begin + 1))};
}

} // namespace

Rect sourceBlock(Point pointer, int width, int height, double zoom)
{
    const int dx = halfExtent(width, zoom);
    const int dy = halfExtent(height, zoom);
    return {pointer.x - dx, pointer.y - dy, 2 * dx + 1, 2 * dy + 1};
}

void stretchInto(const ScreenImage& src, ScreenImage& dst)
{
    const int dw = std::max(dst.width, 0);
    const int dh = std::max(dst.height, 0);
    const std::size_t count = static_cast<std::size_t>(dw) * static_cast<std::size_t>(dh);
    if (dst.pixels.size() != count) dst.pixels.resize(count);

    const int sw = src.width;
    const int sh = src.height;
    if (sw <= 0 || sh <= 0 || src.pixels.size() < static_cast<std::size_t>(sw) * static_cast<std::size_t>(sh)) {
        std::fill(dst.pixels.begin(), dst.pixels.end(), 0u);
        return;
    }

    std::uint32_t* out = dst.pixels.data();
    for (int y = 0; y < dh; ++y) {
        const Span rows = sourceSpan(y, sh, dh);
        for (int x = 0; x < dw; ++x) {
            const Span cols = sourceSpan(x, sw, dw);
            std::uint32_t value = 0xFFFFFFFFu;
            for (int sy = rows.begin; sy < rows.end; ++sy) {
                const std::uint32_t* line = src.pixels.data() + static_cast<std::size_t>(sy) * sw;
                for (int sx = cols.begin; sx < cols.end; ++sx) value &= line[sx];
            }
            *out++ = value;
        }
    }
}

namespace {

void setPixel(ScreenImage& img, int x, int y, std::uint32_t colour)
{
    if (x < 0 || y < 0 || x >= img.width || y >= img.height) return;
    const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(img.width) + static_cast<std::size_t>(x);
    if (i < img.pixels.size()) img.pixels[i] = colour;
}

int N(double v) { return static_cast<int>(roundHalfEven(v)); }

} // namespace

void drawCrosshair(ScreenImage& img)
{
    const double cx = img.width / 2.0;
    const double cy = img.height / 2.0;
    const int col = N(cx);
    const int row = N(cy);
    for (int x = N(cx - img.width / 4.0), end = N(cx + img.width / 4.0); x < end; ++x)
        setPixel(img, x, row, CrosshairColour);
    for (int y = N(cy - img.height / 4.0), end = N(cy + img.height / 4.0); y < end; ++y)
        setPixel(img, col, y, CrosshairColour);
    setPixel(img, col, row, CrosshairCentreColour);
}

std::string coordinateText(Point p)
{
    return std::to_string(p.x) + " x " + std::to_string(p.y);
}

} // namespace tintora
