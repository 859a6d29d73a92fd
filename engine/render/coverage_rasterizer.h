// Exact-area anti-aliasing scan converter.
//
// Every polygon edge deposits, into the cells of each pixel row it crosses, the signed area it sweeps
// ("area") and the change in winding it causes to the cells on its right ("cover"); both live in one
// accumulation value per cell. A running sum along a row then yields, for every pixel, the signed
// winding-weighted area of the shape inside that pixel, from which the fill rule gives coverage.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/base/geometry.h"
#include "engine/render/int_rect.h"
#include "engine/render/polygon.h"

namespace swf::render {

enum class FillRule : uint8_t { EvenOdd, NonZero };

class CoverageRasterizer {
public:
    // Rasterizes `polygon` (pixel coordinates), limited to `clip`, and calls
    // spans(y, x0, x1, coverage) for each row that has coverage, where coverage[x - x0] (0..255)
    // covers pixels x0 <= x < x1. Rows come top to bottom; the coverage pointer is valid only during
    // the call.
    //
    // Only rows rowBegin <= y < rowEnd are produced. Rows are computed exactly as they would be
    // without that limit (the edges are still walked from their ends, and `clip` alone bounds the
    // geometry), so a picture drawn band by band is the same, pixel for pixel, as one drawn whole.
    template <class SpanFn>
    void rasterize(const Polygon& polygon, FillRule rule, const IntRect& clip, SpanFn&& spans) {
        rasterize(polygon, rule, clip, clip.y0, clip.y1, spans);
    }
    template <class SpanFn>
    void rasterize(const Polygon& polygon, FillRule rule, const IntRect& clip, int rowBegin, int rowEnd,
                   SpanFn&& spans) {
        if (!prepare(polygon, clip, rowBegin, rowEnd)) return;
        for (int row = firstRow_; row < endRow_; ++row) {
            int x0, x1;
            const uint8_t* cov = resolveRow(row, rule, x0, x1);
            if (cov) spans(box_.y0 + row, x0, x1, cov);
        }
    }

private:
    bool prepare(const Polygon& polygon, const IntRect& clip, int rowBegin, int rowEnd);
    void addEdge(Point a, Point b);
    void addClippedEdge(Point a, Point b);  // a and b already inside the box's rows
    void depositRow(int row, double xa, double xb, double delta);
    const uint8_t* resolveRow(int row, FillRule rule, int& x0, int& x1);

    IntRect box_;                   // pixels that may be covered: polygon bounds within the clip
    int firstRow_ = 0, endRow_ = 0;  // the box rows produced (relative to the box)
    int stride_ = 0;                // cells per row: box width + 1 (the cell past the right edge)
    std::vector<float> cells_;      // accumulation, produced rows * stride_, kept zero between calls
    std::vector<int> rowMin_, rowMax_;  // per produced row, the cells touched (to skip empty stretches)
    std::vector<uint8_t> coverage_;
};

}  // namespace swf::render
