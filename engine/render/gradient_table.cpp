#include "engine/render/gradient_table.h"

#include <algorithm>
#include <array>
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
    std::array<Rgba, 256> colors;
    for (int i = 0; i < 256; ++i) {
        // The colour comes from the first pair of neighbouring stops that spans i with a real
        // interval; stops that share a ratio meet in a hard edge, which the bands below then mark.
        const GradientStop* a = nullptr;
        const GradientStop* b = nullptr;
        for (size_t j = 0; j + 1 < stops.size(); ++j) {
            if (stops[j].ratio <= i && i <= stops[j + 1].ratio && stops[j].ratio < stops[j + 1].ratio) {
                a = &stops[j];
                b = &stops[j + 1];
                break;
            }
        }
        Rgba c;
        if (!a) {
            // Before the first stop, after the last, or where only stops of one ratio are.
            c = i < stops.front().ratio ? stops.front().color : stops.back().color;
            for (const GradientStop& stop : stops)
                if (stop.ratio == i) c = stop.color;
        } else {
            double t = (i - a->ratio) / (double(b->ratio) - double(a->ratio));
            auto mix = [&](uint8_t x, uint8_t y) {
                if (!linear) return static_cast<uint8_t>(std::lround(x + (y - x) * t));
                double v = fromLinear(toLinear(x) + (toLinear(y) - toLinear(x)) * t);
                return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 255.0)));
            };
            c = {mix(a->color.r, b->color.r), mix(a->color.g, b->color.g), mix(a->color.b, b->color.b),
                 static_cast<uint8_t>(std::lround(a->color.a + (b->color.a - a->color.a) * t))};
        }
        colors[static_cast<size_t>(i)] = c;
    }
    // Where several stops share a ratio, all but the last show as bands one entry wide from that
    // ratio on, in their order; the last starts the ramp that follows from the ratio itself.
    for (size_t j = 0; j < stops.size();) {
        size_t end = j + 1;
        while (end < stops.size() && stops[end].ratio == stops[j].ratio) ++end;
        for (size_t k = j; k + 1 < end && stops[j].ratio + (k - j) <= 255; ++k)
            colors[stops[j].ratio + (k - j)] = stops[k].color;
        j = end;
    }
    for (size_t i = 0; i < colors.size(); ++i) {
        Rgba c = cxform.apply(colors[i]);
        if (c.a != 255) opaque_ = false;
        entries_[i] = premultiplied(c);
    }
}

}  // namespace swf::render
