#include "engine/render/gradient_table.h"

#include <algorithm>
#include <cmath>

#include "engine/render/pixel_math.h"

namespace swf::render {

namespace {

double toLinear(double c) {
    c /= 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}
double fromLinear(double c) {
    c = c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
    return c * 255.0;
}

uint32_t premultiplied(Rgba c) { return packPixel(mul255(c.r, c.a), mul255(c.g, c.a), mul255(c.b, c.a), c.a); }

}  // namespace

void GradientTable::build(const Gradient& gradient, const ColorTransform& cxform) {
    const auto& stops = gradient.stops;
    opaque_ = true;
    if (stops.empty()) {
        entries_.fill(0);
        opaque_ = false;
        return;
    }
    bool linear = gradient.interpolation == InterpolationMode::LinearRgb;
    size_t next = 0;  // first stop whose ratio is above the current index
    for (int i = 0; i < 256; ++i) {
        while (next < stops.size() && stops[next].ratio <= i) ++next;
        Rgba c;
        if (next == 0) {
            c = stops.front().color;
        } else if (next == stops.size()) {
            c = stops.back().color;
        } else {
            const GradientStop& a = stops[next - 1];
            const GradientStop& b = stops[next];
            // Stops out of order (malformed) meet here with b.ratio < a.ratio: take the nearer colour.
            double span = double(b.ratio) - double(a.ratio);
            double t = span > 0 ? (i - a.ratio) / span : 0.0;
            t = std::clamp(t, 0.0, 1.0);
            auto mix = [&](uint8_t x, uint8_t y) {
                if (!linear) return static_cast<uint8_t>(std::lround(x + (y - x) * t));
                double v = fromLinear(toLinear(x) + (toLinear(y) - toLinear(x)) * t);
                return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 255.0)));
            };
            c = {mix(a.color.r, b.color.r), mix(a.color.g, b.color.g), mix(a.color.b, b.color.b),
                 static_cast<uint8_t>(std::lround(a.color.a + (b.color.a - a.color.a) * t))};
        }
        c = cxform.apply(c);
        if (c.a != 255) opaque_ = false;
        entries_[static_cast<size_t>(i)] = premultiplied(c);
    }
}

}  // namespace swf::render
