#include "engine/render/layer_filters.h"

#include <algorithm>
#include <cmath>

#include "engine/render/box_blur.h"
#include "engine/render/gradient_table.h"
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

ShadowParams paramsOf(const DropShadowFilter& f) {
    return shadowParams(f.blurX, f.blurY, f.passes, f.angle, f.distance, f.strength, f.inner, f.knockout,
                        f.compositeSource);
}
ShadowParams paramsOf(const GlowFilter& f) {
    return shadowParams(f.blurX, f.blurY, f.passes, 0, 0, f.strength, f.inner, f.knockout, f.compositeSource);
}
ShadowParams paramsOf(const BevelFilter& f) {
    return shadowParams(f.blurX, f.blurY, f.passes, f.angle, f.distance, f.strength, f.inner, f.knockout,
                        f.compositeSource);
}
ShadowParams paramsOf(const GradientGlowBevelFilter& f) {
    return shadowParams(f.blurX, f.blurY, f.passes, f.angle, f.distance, f.strength, f.inner, f.knockout,
                        f.compositeSource);
}

// How far a shadow-like effect reaches: its blur, moved by its offset. Its working area grows by
// this much, and a banded redraw draws this far beyond the band.
FilterReach shadowReach(const ShadowParams& p) {
    int grow = std::max(blurExtent(p.boxX, p.passes), blurExtent(p.boxY, p.passes));
    return {grow + std::abs(p.dx), grow + std::abs(p.dy)};
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
    const FilterReach reach = shadowReach(p);
    IntRect area = drawn.inflated(reach.x, reach.y).intersected(imageRect(image));
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
    ShadowParams p = paramsOf(f);
    const FilterReach reach = shadowReach(p);
    IntRect area = drawn.inflated(reach.x, reach.y).intersected(imageRect(image));
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

// Gradient glow and gradient bevel: like glow and bevel, but the effect's colour comes from a
// gradient indexed by its strength (glow) or by the light-minus-shade difference around a middle of
// 128 (bevel).
IntRect gradientEffect(RgbaImage& image, const IntRect& drawn, const GradientGlowBevelFilter& f, FilterScratch& s) {
    ShadowParams p = paramsOf(f);
    Gradient g;
    g.stops = f.stops;
    GradientTable table;
    table.build(g, {});
    const FilterReach reach = shadowReach(p);
    IntRect area = drawn.inflated(reach.x, reach.y).intersected(imageRect(image));
    if (area.empty()) return area;
    ShadowParams plain = p;
    plain.strength = f.bevel ? 1 : p.strength;
    blurredAlpha(image, area, f.inner && !f.bevel, plain, s.alpha, s);
    const bool full = f.onTop;
    for (int y = 0; y < area.height(); ++y) {
        uint8_t* px = image.at(area.x0, area.y0 + y);
        for (int x = 0; x < area.width(); ++x, px += 4) {
            uint32_t source = loadPixel(px);
            int index;
            if (f.bevel) {
                int lit = static_cast<int>(sampleShifted(s.alpha, area, x, y, p.dx, p.dy, 0));
                int shaded = static_cast<int>(sampleShifted(s.alpha, area, x, y, -p.dx, -p.dy, 0));
                index = static_cast<int>(std::clamp(128 + (shaded - lit) * p.strength / 2, 0.0, 255.0));
            } else {
                index = static_cast<int>(sampleShifted(s.alpha, area, x, y, p.dx, p.dy, p.inner ? 255 : 0));
            }
            uint32_t effect = table.at(index);
            uint32_t within = 255;
            if (!full) within = p.inner ? pixelA(source) : 255 - pixelA(source);
            if (!f.bevel && !p.inner) within = 255;  // an outer glow lies beneath the object anyway
            effect = scale(effect, within);
            storePixel(px, combine(source, effect, p.inner || full, p.knockout, p.compositeSource));
        }
    }
    return area;
}

// Convolution over straight colour: each output is the weighted sum of its neighbourhood, divided
// and biased; pixels past the edge repeat the edge (clamp) or read as the default colour.
IntRect convolution(RgbaImage& image, const IntRect& drawn, const ConvolutionFilter& f, FilterScratch& s) {
    const int mx = f.matrixX, my = f.matrixY;
    if (mx <= 0 || my <= 0 || mx > 31 || my > 31 || f.matrix.size() != static_cast<size_t>(mx * my)) return drawn;
    IntRect area = drawn.inflated(mx / 2, my / 2).intersected(imageRect(image));
    if (area.empty()) return area;
    const int w = area.width(), h = area.height();
    // Straight colours of the area, then convolve into the image.
    std::vector<uint8_t>& straight = s.copy;
    straight.resize(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = image.at(area.x0 + x, area.y0 + y);
            uint8_t* q = &straight[static_cast<size_t>(y * w + x) * 4];
            uint32_t a = p[3];
            for (int c = 0; c < 3; ++c) q[c] = a ? static_cast<uint8_t>(std::min(255u, (p[c] * 255u + a / 2) / a)) : 0;
            q[3] = p[3];
        }
    const float divisor = (f.divisor != 0 && std::isfinite(f.divisor)) ? f.divisor : 1.0f;
    const float bias = std::isfinite(f.bias) ? f.bias : 0.0f;
    const uint8_t fallback[4] = {f.defaultColor.r, f.defaultColor.g, f.defaultColor.b, f.defaultColor.a};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float sum[4] = {0, 0, 0, 0};
            for (int j = 0; j < my; ++j)
                for (int i = 0; i < mx; ++i) {
                    float k = f.matrix[static_cast<size_t>(j * mx + i)];
                    if (k == 0 || !std::isfinite(k)) continue;
                    int sx = x + i - mx / 2, sy = y + j - my / 2;
                    const uint8_t* q;
                    // Outside the area the layer is transparent; outside the image, the edge rule holds.
                    int ax = area.x0 + sx, ay = area.y0 + sy;
                    if (ax < 0 || ay < 0 || ax >= image.width || ay >= image.height) {
                        if (!f.clamp) {
                            q = fallback;
                        } else {
                            sx = std::clamp(sx, -area.x0, image.width - 1 - area.x0);
                            sy = std::clamp(sy, -area.y0, image.height - 1 - area.y0);
                            sx = std::clamp(sx, 0, w - 1);
                            sy = std::clamp(sy, 0, h - 1);
                            q = &straight[static_cast<size_t>(sy * w + sx) * 4];
                        }
                    } else if (sx < 0 || sy < 0 || sx >= w || sy >= h) {
                        static const uint8_t transparent[4] = {0, 0, 0, 0};
                        q = transparent;
                    } else {
                        q = &straight[static_cast<size_t>(sy * w + sx) * 4];
                    }
                    for (int c = 0; c < 4; ++c) sum[c] += k * q[c];
                }
            const uint8_t* self = &straight[static_cast<size_t>(y * w + x) * 4];
            float out[4];
            for (int c = 0; c < 4; ++c) out[c] = std::clamp(sum[c] / divisor + bias, 0.0f, 255.0f);
            if (f.preserveAlpha) out[3] = self[3];
            uint8_t* p = image.at(area.x0 + x, area.y0 + y);
            float na = out[3] / 255.0f;
            for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(out[c] * na + 0.5f);
            p[3] = static_cast<uint8_t>(out[3] + 0.5f);
        }
    return area;
}

// The displacement filter's object rectangle in the image: as set for the paint, or the drawn area.
IntRect displacementObject(const DisplacementMapFilter& f, const IntRect& drawn) {
    if (f.objectX1 > f.objectX0 && f.objectY1 > f.objectY0) return {f.objectX0, f.objectY0, f.objectX1, f.objectY1};
    return drawn;
}

// The map's channel that `bits` selects, straight (not premultiplied); none selected reads as the
// middle value, which displaces nothing.
inline int mapComponent(const uint8_t* m, int bits) {
    int index = (bits & DisplacementMapFilter::Red)     ? 0
                : (bits & DisplacementMapFilter::Green) ? 1
                : (bits & DisplacementMapFilter::Blue)  ? 2
                : (bits & DisplacementMapFilter::Alpha) ? 3
                                                        : -1;
    if (index < 0) return 128;
    if (index == 3) return m[3];
    return m[3] ? std::min(255, (m[index] * 255 + m[3] / 2) / m[3]) : 0;
}

inline int wrapped(int v, int lo, int size) {
    int r = (v - lo) % size;
    return lo + (r < 0 ? r + size : r);
}

IntRect displacementMap(RgbaImage& image, const IntRect& drawn, const DisplacementMapFilter& f, FilterScratch& s) {
    const IntRect object = displacementObject(f, drawn).intersected(imageRect(image));
    const RgbaImage* map = f.map.get();
    if (object.empty() || !map || map->empty()) return drawn;
    const double scaleX = std::isfinite(f.scaleX) ? f.scaleX : 0, scaleY = std::isfinite(f.scaleY) ? f.scaleY : 0;
    const double mapScaleX = f.mapScaleX > 0 && std::isfinite(f.mapScaleX) ? f.mapScaleX : 1;
    const double mapScaleY = f.mapScaleY > 0 && std::isfinite(f.mapScaleY) ? f.mapScaleY : 1;
    const int w = object.width(), h = object.height();
    // Lookups read the layer as it was before any pixel moved.
    std::vector<uint8_t>& before = s.copy;
    before.resize(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
    for (int y = 0; y < h; ++y) std::copy_n(image.at(object.x0, object.y0 + y), static_cast<size_t>(w) * 4, &before[static_cast<size_t>(y * w) * 4]);
    auto source = [&](int x, int y) { return &before[static_cast<size_t>((y - object.y0) * w + (x - object.x0)) * 4]; };
    const uint8_t outside[4] = {mul255(f.color.r, f.color.a), mul255(f.color.g, f.color.a),
                                mul255(f.color.b, f.color.a), f.color.a};
    // The whole object rectangle, not the image, is where the displaced object lives.
    const int fullX0 = f.objectX1 > f.objectX0 ? f.objectX0 : object.x0;
    const int fullY0 = f.objectY1 > f.objectY0 ? f.objectY0 : object.y0;
    for (int y = object.y0; y < object.y1; ++y) {
        uint8_t* px = image.at(object.x0, y);
        const int my = static_cast<int>(std::floor((y - fullY0 + 0.5) / mapScaleY)) - f.mapY;
        for (int x = object.x0; x < object.x1; ++x, px += 4) {
            const int mx = static_cast<int>(std::floor((x - fullX0 + 0.5) / mapScaleX)) - f.mapX;
            // Where the map does not reach, pixels stay where they are.
            if (mx < 0 || my < 0 || mx >= map->width || my >= map->height) {
                std::copy_n(source(x, y), 4, px);
                continue;
            }
            const uint8_t* m = map->at(mx, my);
            double dx = (mapComponent(m, f.componentX) - 128) * scaleX / 256;
            double dy = (mapComponent(m, f.componentY) - 128) * scaleY / 256;
            int sx = x + static_cast<int>(std::floor(dx + 0.5)), sy = y + static_cast<int>(std::floor(dy + 0.5));
            const uint8_t* from;
            if (sx >= object.x0 && sy >= object.y0 && sx < object.x1 && sy < object.y1) {
                from = source(sx, sy);
            } else {
                switch (f.mode) {
                    case DisplacementMapFilter::Mode::Wrap:
                        from = source(wrapped(sx, object.x0, w), wrapped(sy, object.y0, h));
                        break;
                    case DisplacementMapFilter::Mode::Clamp:
                        from = source(std::clamp(sx, object.x0, object.x1 - 1), std::clamp(sy, object.y0, object.y1 - 1));
                        break;
                    case DisplacementMapFilter::Mode::Ignore:
                        from = source(x, y);
                        break;
                    case DisplacementMapFilter::Mode::Color:
                    default:
                        from = outside;
                        break;
                }
            }
            std::copy_n(from, 4, px);
        }
    }
    return drawn.united(object);
}

FilterReach reachOf(const Filter& filter) {
    switch (filter.kind) {
        case Filter::Kind::Blur: {
            const BlurFilter& f = filter.blur;
            int passes = std::clamp(f.passes, 1, 15);
            return {blurExtent(boxWidth(f.blurX), passes), blurExtent(boxWidth(f.blurY), passes)};
        }
        case Filter::Kind::DropShadow:
            return shadowReach(paramsOf(filter.dropShadow));
        case Filter::Kind::Glow:
            return shadowReach(paramsOf(filter.glow));
        case Filter::Kind::Bevel:
            return shadowReach(paramsOf(filter.bevel));
        case Filter::Kind::GradientGlow:
        case Filter::Kind::GradientBevel:
            return shadowReach(paramsOf(filter.gradient));
        case Filter::Kind::Convolution: {
            const ConvolutionFilter& f = filter.convolution;
            if (f.matrixX <= 0 || f.matrixY <= 0 || f.matrixX > 31 || f.matrixY > 31) return {};
            return {f.matrixX / 2, f.matrixY / 2};
        }
        case Filter::Kind::ColorMatrix:
            return {};
        case Filter::Kind::DisplacementMap: {
            // Wrapping reads across the whole object, and lookups move up to half the scale away.
            const DisplacementMapFilter& f = filter.displacement;
            auto spread = [](double scale) {
                return std::isfinite(scale) ? static_cast<int>(std::min(std::fabs(scale) / 2 + 1, 65536.0)) : 0;
            };
            return {std::max(f.objectX1 - f.objectX0, 0) + spread(f.scaleX),
                    std::max(f.objectY1 - f.objectY0, 0) + spread(f.scaleY)};
        }
    }
    return {};
}

}  // namespace

FilterReach layerFilterReach(const std::vector<Filter>& filters) {
    // Each filter works on what the one before produced, so their reaches add up.
    FilterReach total;
    for (const Filter& f : filters) {
        // Beyond any target's size a reach means "everything"; saturating keeps long lists in range.
        constexpr int kMaxReach = 1 << 24;
        FilterReach r = reachOf(f);
        total.x = std::min(total.x + std::clamp(r.x, 0, kMaxReach), kMaxReach);
        total.y = std::min(total.y + std::clamp(r.y, 0, kMaxReach), kMaxReach);
    }
    return total;
}

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
            case Filter::Kind::DropShadow:
                area = shadowLike(image, area, filter.dropShadow.color, paramsOf(filter.dropShadow), scratch);
                break;
            case Filter::Kind::Glow:
                area = shadowLike(image, area, filter.glow.color, paramsOf(filter.glow), scratch);
                break;
            case Filter::Kind::Bevel:
                area = bevel(image, area, filter.bevel, scratch);
                break;
            case Filter::Kind::ColorMatrix:
                colorMatrix(image, area, filter.colorMatrix);
                break;
            case Filter::Kind::GradientGlow:
            case Filter::Kind::GradientBevel: {
                GradientGlowBevelFilter f = filter.gradient;
                f.bevel = filter.kind == Filter::Kind::GradientBevel;
                area = gradientEffect(image, area, f, scratch);
                break;
            }
            case Filter::Kind::Convolution:
                area = convolution(image, area, filter.convolution, scratch);
                break;
            case Filter::Kind::DisplacementMap:
                area = displacementMap(image, area, filter.displacement, scratch);
                break;
        }
    }
    return area;
}

}  // namespace swf::render
