#include "engine/render/layer_compositor.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "engine/render/pixel_math.h"

namespace swf::render {

namespace {

inline int clamp255(int v) { return std::clamp(v, 0, 255); }
inline int d255(int v) { return v >= 0 ? static_cast<int>(div255(static_cast<uint32_t>(v))) : -static_cast<int>(div255(static_cast<uint32_t>(-v))); }

// One colour channel of a separable blend, in premultiplied terms: s and d are the channel values,
// sa and da the alphas. Returns the blended part B * sa * da (scaled to 0..255), to which the caller
// adds the parts of source and destination that the other does not cover.
inline int blendChannel(BlendMode mode, int s, int d, int sa, int da) {
    switch (mode) {
        case BlendMode::Multiply:
            return d255(s * d);
        case BlendMode::Screen:
            return d255(s * da + d * sa - s * d);
        case BlendMode::Lighten:
            return d255(std::max(s * da, d * sa));
        case BlendMode::Darken:
            return d255(std::min(s * da, d * sa));
        case BlendMode::Difference:
            return d255(std::abs(s * da - d * sa));
        case BlendMode::Add:
            return d255(std::min(sa * da, s * da + d * sa));
        case BlendMode::Subtract:
            return d255(std::max(0, d * sa - s * da));
        case BlendMode::Overlay:
            if (2 * d <= da) return d255(2 * s * d);
            return d255(sa * da - 2 * (da - d) * (sa - s));
        case BlendMode::HardLight:
            if (2 * s <= sa) return d255(2 * s * d);
            return d255(sa * da - 2 * (da - d) * (sa - s));
        default:
            return d255(s * da);  // normal: the source wins where both are present
    }
}

inline void blendPixel(BlendMode mode, const uint8_t* s, uint8_t* d) {
    int sa = s[3], da = d[3];
    if (sa == 0) return;
    switch (mode) {
        case BlendMode::Alpha:
            // The layer's alpha becomes the alpha of what lies below.
            for (int c = 0; c < 4; ++c) d[c] = mul255(d[c], static_cast<uint32_t>(sa));
            return;
        case BlendMode::Erase:
            for (int c = 0; c < 4; ++c) d[c] = mul255(d[c], static_cast<uint32_t>(255 - sa));
            return;
        case BlendMode::Invert:
            // The source's shape inverts what lies below; its colour does not matter.
            for (int c = 0; c < 3; ++c) d[c] = static_cast<uint8_t>(clamp255(d255(d[c] * (255 - sa)) + d255(sa * (da - d[c]))));
            return;
        case BlendMode::Normal:
        case BlendMode::Layer:
            for (int c = 0; c < 4; ++c) d[c] = static_cast<uint8_t>(clamp255(s[c] + d255(d[c] * (255 - sa))));
            return;
        default:
            for (int c = 0; c < 3; ++c) {
                int v = d255(s[c] * (255 - da)) + d255(d[c] * (255 - sa)) + blendChannel(mode, s[c], d[c], sa, da);
                d[c] = static_cast<uint8_t>(clamp255(v));
            }
            d[3] = static_cast<uint8_t>(clamp255(sa + da - d255(sa * da)));
            // Keep the result a valid premultiplied pixel.
            for (int c = 0; c < 3; ++c) d[c] = std::min(d[c], d[3]);
            return;
    }
}

}  // namespace

void compositeLayer(const RgbaImage& layer, RgbaImage& below, const IntRect& area, BlendMode mode,
                    const uint8_t* mask) {
    IntRect r = area.intersected({0, 0, std::min(layer.width, below.width), std::min(layer.height, below.height)});
    // Where an opaque layer pixel is drawn normally it simply replaces what lies below.
    const bool opaqueReplaces = !mask && (mode == BlendMode::Normal || mode == BlendMode::Layer);
    for (int y = r.y0; y < r.y1; ++y) {
        const uint8_t* s = layer.at(r.x0, y);
        uint8_t* d = below.at(r.x0, y);
        const uint8_t* m = mask ? mask + static_cast<size_t>(y) * static_cast<size_t>(layer.width) + r.x0 : nullptr;
        for (int x = r.x0; x < r.x1; ++x, s += 4, d += 4) {
            uint32_t cov = m ? *m++ : 255;
            if (s[3] == 0) continue;
            if (opaqueReplaces && s[3] == 255) {
                std::memcpy(d, s, 4);
                continue;
            }
            if (m) {
                if (cov == 0) continue;
                if (cov != 255) {
                    uint8_t scaled[4] = {mul255(s[0], cov), mul255(s[1], cov), mul255(s[2], cov), mul255(s[3], cov)};
                    blendPixel(mode, scaled, d);
                    continue;
                }
            }
            blendPixel(mode, s, d);
        }
    }
}

void transformArea(RgbaImage& image, const IntRect& area, const ColorTransform& cxform) {
    IntRect r = area.intersected({0, 0, image.width, image.height});
    for (int y = r.y0; y < r.y1; ++y) {
        uint8_t* p = image.at(r.x0, y);
        for (int x = r.x0; x < r.x1; ++x, p += 4) {
            uint32_t a = p[3];
            if (a == 0) continue;
            Rgba straight{static_cast<uint8_t>(std::min(255u, (p[0] * 255u + a / 2) / a)),
                          static_cast<uint8_t>(std::min(255u, (p[1] * 255u + a / 2) / a)),
                          static_cast<uint8_t>(std::min(255u, (p[2] * 255u + a / 2) / a)), static_cast<uint8_t>(a)};
            Rgba c = cxform.apply(straight);
            p[0] = mul255(c.r, c.a);
            p[1] = mul255(c.g, c.a);
            p[2] = mul255(c.b, c.a);
            p[3] = c.a;
        }
    }
}

void uniteLayerIntoMask(const RgbaImage& layer, uint8_t* mask, int maskWidth, const IntRect& area,
                        const uint8_t* clip) {
    IntRect r = area.intersected({0, 0, std::min(layer.width, maskWidth), layer.height});
    for (int y = r.y0; y < r.y1; ++y) {
        size_t offset = static_cast<size_t>(y) * static_cast<size_t>(maskWidth);
        for (int x = r.x0; x < r.x1; ++x) {
            uint32_t c = layer.at(x, y)[3];
            if (clip) c = mul255(c, clip[offset + static_cast<size_t>(x)]);
            uint32_t m = mask[offset + static_cast<size_t>(x)];
            mask[offset + static_cast<size_t>(x)] = static_cast<uint8_t>(m + c - div255(m * c));
        }
    }
}

}  // namespace swf::render
