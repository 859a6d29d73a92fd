#include "engine/render/layer_filters.h"

#include <algorithm>
#include <cmath>

#include "engine/render/box_blur.h"
#include "engine/render/pixel_math.h"

namespace swf::render {

namespace {

// The parameters that drop shadow, glow and bevel share.
struct ShadowParams {
    int boxX = 1, boxY = 1, passes = 1;
    int dx = 0, dy = 0;  // offset of the shadow from the object, pixels
    double strength = 1;
    bool inner = false, knockout = false, compositeSource = true;
};

ShadowParams shadowParams(double blurX, double blurY, int passes, double angle, double distance, double strength,
                          bool inner, bool knockout, bool compositeSource) {
    ShadowParams p;
    p.boxX = boxWidth(blurX);
    p.boxY = boxWidth(blurY);
    p.passes = std::clamp(passes, 1, 15);
    double d = std::isfinite(distance) ? std::clamp(distance, -1000.0, 1000.0) : 0.0;
    double a = std::isfinite(angle) ? angle : 0.0;
    p.dx = static_cast<int>(std::lround(std::cos(a) * d));
    p.dy = static_cast<int>(std::lround(std::sin(a) * d));
    p.strength = std::isfinite(strength) ? std::clamp(strength, 0.0, 255.0) : 1.0;
    p.inner = inner;
    p.knockout = knockout;
    p.compositeSource = compositeSource;
    return p;
}

IntRect imageRect(const RgbaImage& image) { return {0, 0, image.width, image.height}; }

// Copies the alpha of `area` into a plane (optionally inverted), blurs it, and scales it by strength.
void blurredAlpha(const RgbaImage& image, const IntRect& area, bool invert, const ShadowParams& p,
                  std::vector<uint8_t>& plane, FilterScratch& scratch) {
    int w = area.width(), h = area.height();
    plane.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t a = image.at(area.x0 + x, area.y0 + y)[3];
            plane[static_cast<size_t>(y * w + x)] = invert ? static_cast<uint8_t>(255 - a) : a;
        }
    boxBlur(plane.data(), w, h, w, 1, p.boxX, p.boxY, p.passes, scratch.line, scratch.copy);
    if (p.strength != 1)
        for (uint8_t& v : plane) v = static_cast<uint8_t>(std::min(255.0, v * p.strength + 0.5));
}

// The plane's value at (x, y) of the area, shifted by (dx, dy); outside reads as `outside`.
inline uint32_t sampleShifted(const std::vector<uint8_t>& plane, const IntRect& area, int x, int y, int dx, int dy,
                              uint8_t outside) {
    int sx = x - dx, sy = y - dy;
    if (sx < 0 || sy < 0 || sx >= area.width() || sy >= area.height()) return outside;
    return plane[static_cast<size_t>(sy * area.width() + sx)];
}

inline uint32_t colorPixel(Rgba c, uint32_t coverage) {
    uint32_t a = mul255(c.a, coverage);
    return packPixel(mul255(c.r, a), mul255(c.g, a), mul255(c.b, a), a);
}

inline uint32_t loadPixel(const uint8_t* p) { return packPixel(p[0], p[1], p[2], p[3]); }
inline void storePixel(uint8_t* p, uint32_t v) {
    p[0] = pixelR(v);
    p[1] = pixelG(v);
    p[2] = pixelB(v);
    p[3] = pixelA(v);
}
inline uint32_t scale(uint32_t p, uint32_t s) {
    return packPixel(mul255(pixelR(p), s), mul255(pixelG(p), s), mul255(pixelB(p), s), mul255(pixelA(p), s));
}
inline uint32_t over(uint32_t top, uint32_t bottom) {
    uint32_t inv = 255 - pixelA(top);
    return packPixel(pixelR(top) + mul255(pixelR(bottom), inv), pixelG(top) + mul255(pixelG(bottom), inv),
                     pixelB(top) + mul255(pixelB(bottom), inv), pixelA(top) + mul255(pixelA(bottom), inv));
}

// Combines the object with its effect pixel: outer effects go beneath the object, inner ones on top
// of it; knockout keeps only the effect, and compositeSource = false hides the object.
inline uint32_t combine(uint32_t source, uint32_t effect, bool inner, bool knockout, bool compositeSource) {
    if (knockout) return inner ? effect : scale(effect, 255 - pixelA(source));
    if (!compositeSource) return effect;
    return inner ? over(effect, source) : over(source, effect);
}

IntRect shadowLike(RgbaImage& image, const IntRect& drawn, Rgba color, const ShadowParams& p, FilterScratch& s) {
    int grow = std::max(blurExtent(p.boxX, p.passes), blurExtent(p.boxY, p.passes));
    IntRect area = drawn.inflated(grow + std::abs(p.dx), grow + std::abs(p.dy)).intersected(imageRect(image));
    if (area.empty()) return area;
    blurredAlpha(image, area, p.inner, p, s.shadow, s);
    for (int y = 0; y < area.height(); ++y) {
        uint8_t* px = image.at(area.x0, area.y0 + y);
        for (int x = 0; x < area.width(); ++x, px += 4) {
            uint32_t source = loadPixel(px);
            uint32_t coverage = sampleShifted(s.shadow, area, x, y, p.dx, p.dy, p.inner ? 255 : 0);
            // An inner shadow lies inside the object only.
            if (p.inner) coverage = mul255(coverage, pixelA(source));
            uint32_t effect = colorPixel(color, coverage);
            storePixel(px, combine(source, effect, p.inner, p.knockout, p.compositeSource));
        }
    }
    return area;
}

IntRect bevel(RgbaImage& image, const IntRect& drawn, const BevelFilter& f, FilterScratch& s) {
    ShadowParams p = shadowParams(f.blurX, f.blurY, f.passes, f.angle, f.distance, f.strength, f.inner, f.knockout,
                                  f.compositeSource);
    int grow = std::max(blurExtent(p.boxX, p.passes), blurExtent(p.boxY, p.passes));
    IntRect area = drawn.inflated(grow + std::abs(p.dx), grow + std::abs(p.dy)).intersected(imageRect(image));
    if (area.empty()) return area;
    ShadowParams plain = p;
    plain.strength = 1;
    blurredAlpha(image, area, false, plain, s.alpha, s);
    bool full = f.onTop;  // "full" bevels: both sides of the edge
    for (int y = 0; y < area.height(); ++y) {
        uint8_t* px = image.at(area.x0, area.y0 + y);
        for (int x = 0; x < area.width(); ++x, px += 4) {
            uint32_t source = loadPixel(px);
            // Light comes from the side opposite the angle: the edge facing it is lit, the other shaded.
            int lit = static_cast<int>(sampleShifted(s.alpha, area, x, y, p.dx, p.dy, 0));
            int shaded = static_cast<int>(sampleShifted(s.alpha, area, x, y, -p.dx, -p.dy, 0));
            double hi = std::clamp((shaded - lit) * p.strength, 0.0, 255.0);
            double sh = std::clamp((lit - shaded) * p.strength, 0.0, 255.0);
            uint32_t within = 255;
            if (!full) within = p.inner ? pixelA(source) : 255 - pixelA(source);
            uint32_t hiCov = mul255(static_cast<uint32_t>(hi), within);
            uint32_t shCov = mul255(static_cast<uint32_t>(sh), within);
            uint32_t effect = over(colorPixel(f.highlightColor, hiCov), colorPixel(f.shadowColor, shCov));
            storePixel(px, combine(source, effect, p.inner || full, p.knockout, p.compositeSource));
        }
    }
    return area;
}

void colorMatrix(RgbaImage& image, const IntRect& area, const ColorMatrixFilter& f) {
    const auto& m = f.matrix;
    for (int y = area.y0; y < area.y1; ++y) {
        uint8_t* px = image.at(area.x0, y);
        for (int x = area.x0; x < area.x1; ++x, px += 4) {
            float a = px[3];
            float r = 0, g = 0, b = 0;
            if (a > 0) {
                r = px[0] * 255.0f / a;
                g = px[1] * 255.0f / a;
                b = px[2] * 255.0f / a;
            }
            float out[4];
            for (int row = 0; row < 4; ++row) {
                const float* k = &m[static_cast<size_t>(row * 5)];
                out[row] = std::clamp(k[0] * r + k[1] * g + k[2] * b + k[3] * a + k[4], 0.0f, 255.0f);
            }
            float na = out[3] / 255.0f;
            px[0] = static_cast<uint8_t>(out[0] * na + 0.5f);
            px[1] = static_cast<uint8_t>(out[1] * na + 0.5f);
            px[2] = static_cast<uint8_t>(out[2] * na + 0.5f);
            px[3] = static_cast<uint8_t>(out[3] + 0.5f);
        }
    }
}

}  // namespace

IntRect applyLayerFilters(RgbaImage& image, const IntRect& drawn, const std::vector<Filter>& filters,
                          FilterScratch& scratch) {
    IntRect area = drawn.intersected(imageRect(image));
    for (const Filter& filter : filters) {
        if (area.empty()) break;
        switch (filter.kind) {
            case Filter::Kind::Blur: {
                const BlurFilter& f = filter.blur;
                int bx = boxWidth(f.blurX), by = boxWidth(f.blurY);
                int passes = std::clamp(f.passes, 1, 15);
                area = area.inflated(blurExtent(bx, passes), blurExtent(by, passes)).intersected(imageRect(image));
                boxBlur(image.at(area.x0, area.y0), area.width(), area.height(), image.width * 4, 4, bx, by, passes,
                        scratch.line, scratch.copy);
                break;
            }
            case Filter::Kind::DropShadow: {
                const DropShadowFilter& f = filter.dropShadow;
                area = shadowLike(image, area, f.color,
                                  shadowParams(f.blurX, f.blurY, f.passes, f.angle, f.distance, f.strength, f.inner,
                                               f.knockout, f.compositeSource),
                                  scratch);
                break;
            }
            case Filter::Kind::Glow: {
                const GlowFilter& f = filter.glow;
                area = shadowLike(image, area, f.color,
                                  shadowParams(f.blurX, f.blurY, f.passes, 0, 0, f.strength, f.inner, f.knockout,
                                               f.compositeSource),
                                  scratch);
                break;
            }
            case Filter::Kind::Bevel:
                area = bevel(image, area, filter.bevel, scratch);
                break;
            case Filter::Kind::ColorMatrix:
                colorMatrix(image, area, filter.colorMatrix);
                break;
            case Filter::Kind::GradientGlow:
            case Filter::Kind::GradientBevel:
            case Filter::Kind::Convolution:
                // Not drawn yet: the layer shows without them.
                break;
        }
    }
    return area;
}

}  // namespace swf::render
