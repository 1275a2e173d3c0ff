#include "magnifier/magnifier_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace tintora {

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

// The source columns (or rows) that destination columns 0, 1, 2 ... show in
// turn: from floor(i * srcLen / dstLen) up to, not including,
// floor((i + 1) * srcLen / dstLen), and at least one. Stepped with additions
// only, since a division per picture pixel would cost more than the rest of
// the stretching.
class Spans {
public:
    Spans(int srcLen, int dstLen) : m_src(srcLen), m_dst(dstLen) {}

    // The span of the next destination index.
    void next(int& begin, int& end)
    {
        begin = m_begin;
        long long rest = m_rest + m_src;
        int following = m_begin;
        while (rest >= m_dst) {
            rest -= m_dst;
            ++following;
        }
        end = std::max(following, begin + 1);
        m_begin = following;
        m_rest = rest;
    }

private:
    const int m_src;
    const int m_dst;
    int m_begin = 0;
    long long m_rest = 0; // i * srcLen - m_begin * dstLen
};

// The loops of halving and doubling, where the magnifier spends its time at
// zooms 0.5 and 2; built twice on x86-64, the wider vectors taken where the
// processor has them (the loader picks one: an ELF feature, not on Windows).
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__ELF__)
#define TINTORA_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define TINTORA_VECTOR_CLONES
#endif

TINTORA_VECTOR_CLONES
void andLines(std::uint32_t* __restrict out, const std::uint32_t* __restrict a, const std::uint32_t* __restrict b, int n)
{
    for (int i = 0; i < n; ++i) out[i] = a[i] & b[i];
}

TINTORA_VECTOR_CLONES
void andInto(std::uint32_t* __restrict out, const std::uint32_t* __restrict b, int n)
{
    for (int i = 0; i < n; ++i) out[i] &= b[i];
}

TINTORA_VECTOR_CLONES
void doublePixels(std::uint32_t* __restrict out, const std::uint32_t* __restrict in, int n)
{
    for (int i = 0; i < n; ++i) out[2 * i] = out[2 * i + 1] = in[i];
}

TINTORA_VECTOR_CLONES
void andPairs(std::uint32_t* __restrict out, const std::uint32_t* __restrict in, int n)
{
    for (int i = 0; i < n; ++i) out[i] = in[2 * i] & in[2 * i + 1];
}

} // namespace

Rect sourceBlock(Point pointer, int width, int height, double zoom)
{
    const int dx = halfExtent(width, zoom);
    const int dy = halfExtent(height, zoom);
    return {pointer.x - dx, pointer.y - dy, 2 * dx + 1, 2 * dy + 1};
}

namespace {

// How the picture's columns take the source's, worked out once per picture.
struct ColumnPlan {
    // Where each picture column's source columns begin, and the end of the
    // last. __restrict: the picture's stores cannot change them, so the row
    // loops may keep them in registers and be vectorised.
    const int* __restrict starts = nullptr;
    bool oneColumnEach = true; // every picture column shows one source column
    bool doubling = false;     // zoom 2: every source column shown twice
    int pairs = 0;             // leading columns showing source columns 2x and 2x + 1 (halving)
};

ColumnPlan planColumns(int sw, int dw)
{
    // Kept between calls, so a picture of the same width costs no allocation.
    thread_local std::vector<int> columnStart;
    if (columnStart.size() < static_cast<std::size_t>(dw) + 1) columnStart.resize(static_cast<std::size_t>(dw) + 1);
    ColumnPlan plan;
    Spans columns(sw, dw);
    int begin = 0, end = 0;
    for (int x = 0; x < dw; ++x) {
        columns.next(begin, end);
        columnStart[static_cast<std::size_t>(x)] = begin;
        plan.oneColumnEach = plan.oneColumnEach && end == begin + 1;
    }
    columnStart[static_cast<std::size_t>(dw)] = end;
    const int* starts = columnStart.data();
    plan.starts = starts;
    // The pairs are counted from the left; all columns but the last pair up
    // when halving, or the plan has none.
    int pairs = 0;
    while (pairs < dw && starts[pairs] == 2 * pairs && starts[pairs + 1] == 2 * pairs + 2) ++pairs;
    plan.pairs = pairs < dw - 1 ? 0 : pairs;
    plan.doubling = plan.oneColumnEach;
    for (int x = 0; plan.doubling && x < dw; ++x) plan.doubling = starts[x] == x / 2;
    return plan;
}

// Halving (zoom 0.5): the span's rows ANDed first, a whole line at a time,
// then each column pair.
void halveRow(const ColumnPlan& plan, const std::uint32_t* line, int sw, int rowCount, std::uint32_t* out, int dw,
              std::uint32_t* scratch)
{
    const int* __restrict const starts = plan.starts;
    const std::uint32_t* merged = line;
    if (rowCount > 1) {
        andLines(scratch, line, line + sw, sw);
        for (int r = 2; r < rowCount; ++r) andInto(scratch, line + r * sw, sw);
        merged = scratch;
    }
    andPairs(out, merged, plan.pairs);
    for (int x = plan.pairs; x < dw; ++x) {
        std::uint32_t value = 0xFFFFFFFFu;
        for (int sx = starts[x], end = std::max(starts[x + 1], starts[x] + 1); sx < end; ++sx) value &= merged[sx];
        out[x] = value;
    }
}

// One picture row from the source rows line .. line + (rowCount - 1) * sw:
// each pixel the AND of its span of source pixels.
void stretchRow(const ColumnPlan& plan, const std::uint32_t* __restrict line, int sw, int rowCount,
                std::uint32_t* __restrict out, int dw, std::uint32_t* scratch)
{
    const int* __restrict const starts = plan.starts;
    if (sw == dw) {
        std::copy_n(line, dw, out);
    } else if (plan.doubling) {
        doublePixels(out, line, dw / 2);
        if (dw % 2) out[dw - 1] = line[starts[dw - 1]];
    } else if (plan.oneColumnEach) {
        for (int x = 0; x < dw; ++x) out[x] = line[starts[x]];
    } else if (plan.pairs > 0) {
        halveRow(plan, line, sw, rowCount, out, dw, scratch);
        return;
    } else {
        for (int x = 0; x < dw; ++x) {
            // A column's span ends where the next one starts, and is at
            // least one column wide.
            const int end = std::max(starts[x + 1], starts[x] + 1);
            std::uint32_t value = line[starts[x]];
            for (int sx = starts[x] + 1; sx < end; ++sx) value &= line[sx];
            out[x] = value;
        }
    }
    // Reducing: AND in the span's further rows.
    for (int r = 1; r < rowCount; ++r) {
        line += sw;
        for (int x = 0; x < dw; ++x) {
            const int end = std::max(starts[x + 1], starts[x] + 1);
            std::uint32_t value = out[x];
            for (int sx = starts[x]; sx < end; ++sx) value &= line[sx];
            out[x] = value;
        }
    }
}

} // namespace

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

    const ColumnPlan plan = planColumns(sw, dw);
    thread_local std::vector<std::uint32_t> rowScratch;
    if (plan.pairs > 0 && rowScratch.size() < static_cast<std::size_t>(sw)) rowScratch.resize(static_cast<std::size_t>(sw));

    std::uint32_t* const first = dst.pixels.data();
    Spans rows(sh, dh);
    int previousBegin = -1, previousEnd = -1;
    for (int y = 0; y < dh; ++y) {
        std::uint32_t* const out = first + static_cast<std::size_t>(y) * dw;
        int rowBegin = 0, rowEnd = 0;
        rows.next(rowBegin, rowEnd);
        if (rowBegin == previousBegin && rowEnd == previousEnd) {
            // Enlarging: the same source rows as the line above.
            std::copy_n(out - dw, dw, out);
            continue;
        }
        previousBegin = rowBegin;
        previousEnd = rowEnd;
        const std::uint32_t* line = src.pixels.data() + static_cast<std::size_t>(rowBegin) * sw;
        stretchRow(plan, line, sw, rowEnd - rowBegin, out, dw, rowScratch.data());
    }
}

namespace {

void setPixel(ScreenImage& img, int x, int y, ImagePixel colour)
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
