// Integer pixel rectangles (half-open: x0 <= x < x1, y0 <= y < y1) for clipping and dirty areas.
#pragma once

#include <algorithm>
#include <cmath>

#include "engine/base/geometry.h"

namespace swf::render {

struct IntRect {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;

    bool empty() const { return x1 <= x0 || y1 <= y0; }
    bool operator==(const IntRect&) const = default;
    int width() const { return empty() ? 0 : x1 - x0; }
    int height() const { return empty() ? 0 : y1 - y0; }

    IntRect intersected(const IntRect& o) const {
        return {std::max(x0, o.x0), std::max(y0, o.y0), std::min(x1, o.x1), std::min(y1, o.y1)};
    }
    IntRect united(const IntRect& o) const {
        if (empty()) return o;
        if (o.empty()) return *this;
        return {std::min(x0, o.x0), std::min(y0, o.y0), std::max(x1, o.x1), std::max(y1, o.y1)};
    }
    IntRect inflated(int dx, int dy) const {
        if (empty()) return *this;
        return {x0 - dx, y0 - dy, x1 + dx, y1 + dy};
    }

    // The pixels a real-valued rectangle touches, limited to `limit` (also guards against
    // coordinates too large for int).
    static IntRect covering(const Rect& r, const IntRect& limit) {
        if (r.empty() || !std::isfinite(r.xMin) || !std::isfinite(r.yMin) || !std::isfinite(r.xMax) ||
            !std::isfinite(r.yMax))
            return {};
        auto clampTo = [](double v, int lo, int hi) { return static_cast<int>(std::clamp(v, double(lo), double(hi))); };
        IntRect out{clampTo(std::floor(r.xMin), limit.x0, limit.x1), clampTo(std::floor(r.yMin), limit.y0, limit.y1),
                    clampTo(std::ceil(r.xMax), limit.x0, limit.x1), clampTo(std::ceil(r.yMax), limit.y0, limit.y1)};
        return out;
    }
};

}  // namespace swf::render
