#include "engine/render/paint.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/render/pixel_math.h"

namespace swf::render {

namespace {

// Gradient space spans -16384..16384 twips on each axis.
constexpr double kGradientHalf = 16384.0;

// Position along the gradient (0..1 within the stops) to a table index, by the spread mode.
inline int spreadIndex(double t, SpreadMode spread) {
    if (!(t == t)) t = 0;  // NaN from a degenerate focal case
    switch (spread) {
        case SpreadMode::Reflect: {
            t = std::fabs(t);
            double period = std::fmod(t, 2.0);
            t = period > 1 ? 2 - period : period;
            break;
        }
        case SpreadMode::Repeat:
            t = t - std::floor(t);
            break;
        case SpreadMode::Pad:
            break;
    }
    t = std::clamp(t, 0.0, 1.0);
    return std::min(255, static_cast<int>(t * 256.0));
}

inline uint32_t transformPixel(uint32_t p, const ColorTransform& cx) {
    uint32_t a = pixelA(p);
    Rgba straight{0, 0, 0, static_cast<uint8_t>(a)};
    if (a != 0) {
        straight.r = static_cast<uint8_t>(std::min(255u, (pixelR(p) * 255u + a / 2) / a));
        straight.g = static_cast<uint8_t>(std::min(255u, (pixelG(p) * 255u + a / 2) / a));
        straight.b = static_cast<uint8_t>(std::min(255u, (pixelB(p) * 255u + a / 2) / a));
    }
    Rgba c = cx.apply(straight);
    return packPixel(mul255(c.r, c.a), mul255(c.g, c.a), mul255(c.b, c.a), c.a);
}

}  // namespace

void Paint::setSolid(Rgba straight, const ColorTransform& cxform) {
    Rgba c = cxform.apply(straight);
    kind_ = Kind::Solid;
    solid_ = packPixel(mul255(c.r, c.a), mul255(c.g, c.a), mul255(c.b, c.a), c.a);
    opaque_ = c.a == 255;
    visible_ = c.a != 0;
}

void Paint::setFill(const FillStyle& fill, const Matrix& toPixels, const ColorTransform& cxform) {
    rowUniform_ = false;
    switch (fill.kind) {
        case FillStyle::Kind::Solid:
            setSolid(fill.color, cxform);
            return;
        case FillStyle::Kind::LinearGradient:
        case FillStyle::Kind::RadialGradient:
        case FillStyle::Kind::FocalGradient: {
            Matrix m = toPixels * fill.gradient.matrix;
            if (!m.invertible()) {
                // A gradient squashed to nothing shows its last colour (what lies past its end).
                Rgba last = fill.gradient.stops.empty() ? Rgba{0, 0, 0, 0} : fill.gradient.stops.back().color;
                setSolid(last, cxform);
                return;
            }
            kind_ = fill.kind == FillStyle::Kind::LinearGradient   ? Kind::Linear
                    : fill.kind == FillStyle::Kind::RadialGradient ? Kind::Radial
                                                                   : Kind::Focal;
            inverse_ = m.inverted();
            table_.build(fill.gradient, cxform);
            spread_ = fill.gradient.spread;
            // A focal point on the circle itself makes the gradient degenerate; keep it just inside.
            focal_ = kind_ == Kind::Focal ? std::clamp(fill.gradient.focalPoint, -0.98, 0.98) : 0.0;
            opaque_ = table_.opaque();
            visible_ = true;
            // A linear gradient whose colour changes by less than the walk can resolve across a row
            // (the walk steps 1/65536 of a table entry) is drawn one colour per row.
            rowUniform_ = kind_ == Kind::Linear && std::fabs(inverse_.a / kGradientHalf * 128.0) * 65536.0 < 1.0;
            return;
        }
        case FillStyle::Kind::Bitmap: {
            Matrix m = toPixels * fill.bitmapMatrix;
            if (!fill.bitmap || fill.bitmap->empty() || !m.invertible() ||
                fill.bitmap->pixels.size() < size_t(fill.bitmap->width) * size_t(fill.bitmap->height) * 4) {
                kind_ = Kind::Solid;
                solid_ = 0;
                opaque_ = false;
                visible_ = false;
                return;
            }
            kind_ = Kind::Bitmap;
            inverse_ = m.inverted();
            bitmap_ = fill.bitmap.get();
            repeating_ = fill.bitmapRepeating;
            smoothed_ = fill.bitmapSmoothed && smoothingAllowed_;
            cxform_ = cxform;
            cxformIdentity_ = cxform.isIdentity();
            // Blends of opaque texels stay opaque; the colour transform decides alpha on its own.
            opaque_ = fill.bitmapOpaque && cxform.apply(Rgba{0, 0, 0, 255}).a == 255;
            visible_ = true;
            return;
        }
    }
}

void Paint::shadeSpan(int x, int y, int length, uint32_t* out) const {
    switch (kind_) {
        case Kind::Solid:
            std::fill(out, out + length, solid_);
            return;
        case Kind::Linear:
        case Kind::Radial:
        case Kind::Focal:
            shadeGradient(x, y, length, out);
            return;
        case Kind::Bitmap:
            shadeBitmap(x, y, length, out);
            return;
    }
}

namespace {

// Table index for a position along the gradient in 1/256 units, by the spread mode.
template <SpreadMode spread>
inline int indexOf(int64_t pos) {
    if constexpr (spread == SpreadMode::Pad) {
        return static_cast<int>(std::clamp<int64_t>(pos, 0, 255));
    } else if constexpr (spread == SpreadMode::Repeat) {
        return static_cast<int>(pos & 255);
    } else {
        int i = static_cast<int>(pos & 511);
        return i > 255 ? 511 - i : i;
    }
}

// Positions are kept in 1/65536 of a table step; far-off values are clamped first so that the
// fixed-point walk cannot overflow (any position that far out maps like one a little nearer would,
// except for repeat and reflect, where such a gradient is far finer than a pixel anyway).
constexpr double kPositionLimit = 1e9;
inline int64_t toFixed(double v) {
    if (!(v == v)) return 0;
    return static_cast<int64_t>(std::clamp(v, -kPositionLimit, kPositionLimit) * 65536.0);
}

// The spans below walk from the row's pixel 0, whatever pixel they start at, so that a pixel comes
// out the same however its row is cut into spans.

template <SpreadMode spread>
void linearSpan(const GradientTable& table, double rowPos, double step, int x, int length, uint32_t* out) {
    // Positions and steps in table steps (256 per gradient length).
    const double end = rowPos + step * (double(x) + length);
    if (std::fabs(rowPos) >= kPositionLimit || std::fabs(end) >= kPositionLimit) {
        for (int i = 0; i < length; ++i)
            out[i] = table.at(indexOf<spread>(static_cast<int64_t>(
                std::floor(std::clamp(rowPos + step * (double(x) + i), -kPositionLimit, kPositionLimit)))));
        return;
    }
    int64_t dp = toFixed(step), p = toFixed(rowPos) + dp * x;
    for (int i = 0; i < length; ++i, p += dp) out[i] = table.at(indexOf<spread>(p >> 16));
}

template <SpreadMode spread>
void radialSpan(const GradientTable& table, double gx, double gy, double sx, double sy, int x, int length,
                uint32_t* out) {
    const double reach = double(x) + length;
    // Single precision is ample for a 256-entry table once positions are near the gradient; far-off
    // ones only need to stay far off.
    if (std::fabs(gx) + std::fabs(sx) * reach > 1e6 || std::fabs(gy) + std::fabs(sy) * reach > 1e6) {
        for (int i = 0; i < length; ++i) {
            const double px = gx + sx * (double(x) + i), py = gy + sy * (double(x) + i);
            double t = std::sqrt(px * px + py * py) * 256.0;
            out[i] = table.at(indexOf<spread>(static_cast<int64_t>(std::min(t, kPositionLimit))));
        }
        return;
    }
    float fx = static_cast<float>(gx * 256), fy = static_cast<float>(gy * 256);
    const float stepX = static_cast<float>(sx * 256), stepY = static_cast<float>(sy * 256);
    for (int i = 0; i < length; ++i) {
        // Recomputed from the row's start rather than summed, so long spans do not drift.
        const float k = static_cast<float>(x + i);
        float px = fx + stepX * k, py = fy + stepY * k;
        out[i] = table.at(indexOf<spread>(static_cast<int64_t>(std::sqrt(px * px + py * py))));
    }
}

}  // namespace

void Paint::shadeGradient(int x, int y, int length, uint32_t* out) const {
    // Walk gradient space along the row: one matrix step per pixel, from the row's pixel 0.
    Point p = inverse_.apply(Point{0.5, y + 0.5});
    double gx = p.x / kGradientHalf, gy = p.y / kGradientHalf;
    double stepX = inverse_.a / kGradientHalf, stepY = inverse_.b / kGradientHalf;
    switch (kind_) {
        case Kind::Linear: {
            double pos = (gx + 1) * 128.0, step = stepX * 128.0;
            switch (spread_) {
                case SpreadMode::Pad: linearSpan<SpreadMode::Pad>(table_, pos, step, x, length, out); return;
                case SpreadMode::Repeat: linearSpan<SpreadMode::Repeat>(table_, pos, step, x, length, out); return;
                case SpreadMode::Reflect: linearSpan<SpreadMode::Reflect>(table_, pos, step, x, length, out); return;
            }
            return;
        }
        case Kind::Radial:
            if (!std::isfinite(gx) || !std::isfinite(gy)) gx = gy = 0;
            switch (spread_) {
                case SpreadMode::Pad: radialSpan<SpreadMode::Pad>(table_, gx, gy, stepX, stepY, x, length, out); return;
                case SpreadMode::Repeat: radialSpan<SpreadMode::Repeat>(table_, gx, gy, stepX, stepY, x, length, out); return;
                case SpreadMode::Reflect: radialSpan<SpreadMode::Reflect>(table_, gx, gy, stepX, stepY, x, length, out); return;
            }
            return;
        default: {
            // Focal: the colour at p is set by how far p lies along the ray from the focus F through p
            // to the unit circle: t = |p - F| / |E - F|, E where the ray meets the circle.
            double f = focal_;
            double c = f * f - 1;  // |F|^2 - 1, negative while F is inside the circle
            for (int i = 0; i < length; ++i) {
                const double k = double(x) + i;
                double dx = gx + stepX * k - f, dy = gy + stepY * k;
                double dd = dx * dx + dy * dy;
                double fd = f * dx;
                // s solves |F + s d| = 1 for s > 0; the ray reaches the circle at s, so t = 1 / s.
                double s = (-fd + std::sqrt(fd * fd - dd * c)) / (dd > 0 ? dd : 1e-12);
                double t = dd > 0 ? 1.0 / s : 0.0;
                out[i] = table_.at(spreadIndex(t, spread_));
            }
            return;
        }
    }
}

namespace {

constexpr int kFraction = 24;  // fraction bits of the fixed-point walk through bitmap space
// Spans start within the target, which is far narrower than this; with steps of at most 2^44 the
// walk to a span's start stays inside 64 bits.
constexpr int kMaxSpanStart = 1 << 16;

inline uint32_t loadTexel(const uint8_t* p) {
    if constexpr (std::endian::native == std::endian::little) {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    } else {
        return packPixel(p[0], p[1], p[2], p[3]);
    }
}

// Two channels per multiply: red and blue, then green and alpha, each weighted in 8.8.
inline uint32_t lerpPixel(uint32_t a, uint32_t b, uint32_t t) {
    uint32_t rb = ((a & 0x00FF00FFu) * (256 - t) + (b & 0x00FF00FFu) * t) >> 8;
    uint32_t ga = (((a >> 8) & 0x00FF00FFu) * (256 - t) + ((b >> 8) & 0x00FF00FFu) * t) >> 8;
    return (rb & 0x00FF00FFu) | ((ga & 0x00FF00FFu) << 8);
}

// The four texels around a point weighed in 8.8: across by wx (the top pair, then the bottom pair),
// then down by wy, each step truncated as lerpPixel truncates, so that both ways give the same
// pixel. `top` and `bottom` hold two neighbouring texels each, left one first.
#if defined(__SSE2__)
inline uint32_t bilinear(__m128i top, __m128i bottom, uint32_t wx, uint32_t wy) {
    const __m128i zero = _mm_setzero_si128();
    const short left = static_cast<short>(256 - wx), right = static_cast<short>(wx);
    const __m128i across = _mm_set_epi16(right, right, right, right, left, left, left, left);
    // Channel by channel in 16-bit lanes: a texel times its weight is at most 255 * 256, and the two
    // products of a row add up to no more than that.
    __m128i t = _mm_mullo_epi16(_mm_unpacklo_epi8(top, zero), across);
    __m128i b = _mm_mullo_epi16(_mm_unpacklo_epi8(bottom, zero), across);
    __m128i rows = _mm_srli_epi16(_mm_add_epi16(_mm_unpacklo_epi64(t, b), _mm_unpackhi_epi64(t, b)), 8);
    const short up = static_cast<short>(256 - wy), down = static_cast<short>(wy);
    __m128i weighed = _mm_mullo_epi16(rows, _mm_set_epi16(down, down, down, down, up, up, up, up));
    __m128i sum = _mm_srli_epi16(_mm_add_epi16(weighed, _mm_srli_si128(weighed, 8)), 8);
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(sum, zero)));
}
inline __m128i texelPair(uint32_t left, uint32_t right) {
    return _mm_set_epi32(0, 0, static_cast<int>(right), static_cast<int>(left));
}
inline __m128i loadTexelPair(const uint8_t* p) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)); }
#endif

inline uint32_t bilinear(uint32_t p00, uint32_t p10, uint32_t p01, uint32_t p11, uint32_t wx, uint32_t wy) {
#if defined(__SSE2__)
    return bilinear(texelPair(p00, p10), texelPair(p01, p11), wx, wy);
#else
    return lerpPixel(lerpPixel(p00, p10, wx), lerpPixel(p01, p11, wx), wy);
#endif
}

// Samples `length` pixels along a walk that starts at (u, v) and steps (du, dv), in fixed point.
// A repeating walk starts inside the tile with steps smaller than a tile. Specialised per mode so
// that the per-pixel loop carries no mode tests.
template <bool smoothed, bool repeating>
void sampleBitmap(const RgbaImage& bm, int64_t u, int64_t v, int64_t du, int64_t dv, int length, uint32_t* out) {
    const int w = bm.width, h = bm.height;
    const int64_t tileU = int64_t(w) << kFraction, tileV = int64_t(h) << kFraction;
    auto texel = [&](int64_t tx, int64_t ty) {
        if constexpr (repeating) {
            if (tx >= w) tx -= w;
            else if (tx < 0) tx += w;
            if (ty >= h) ty -= h;
            else if (ty < 0) ty += h;
        } else {
            tx = std::clamp<int64_t>(tx, 0, w - 1);
            ty = std::clamp<int64_t>(ty, 0, h - 1);
        }
        return loadTexel(bm.at(static_cast<int>(tx), static_cast<int>(ty)));
    };
    for (int i = 0; i < length; ++i) {
        int64_t ix = u >> kFraction, iy = v >> kFraction;
        if constexpr (!smoothed) {
            out[i] = (ix >= 0 && ix < w && iy >= 0 && iy < h) ? loadTexel(bm.at(static_cast<int>(ix), static_cast<int>(iy)))
                                                              : texel(ix, iy);
        } else {
            uint32_t wx = static_cast<uint32_t>((u >> (kFraction - 8)) & 255);
            uint32_t wy = static_cast<uint32_t>((v >> (kFraction - 8)) & 255);
            if (ix >= 0 && ix + 1 < w && iy >= 0 && iy + 1 < h) {
                // Inside: the four texels are neighbours in memory.
                const uint8_t* a = bm.at(static_cast<int>(ix), static_cast<int>(iy));
                const uint8_t* c = a + static_cast<size_t>(w) * 4;
#if defined(__SSE2__)
                out[i] = bilinear(loadTexelPair(a), loadTexelPair(c), wx, wy);
#else
                out[i] = bilinear(loadTexel(a), loadTexel(a + 4), loadTexel(c), loadTexel(c + 4), wx, wy);
#endif
            } else {
                // Past an edge, a repeating bitmap wraps to its other side (ix is at most one tile
                // out, so one correction does); a clipped one repeats its edge texels.
                out[i] = bilinear(texel(ix, iy), texel(ix + 1, iy), texel(ix, iy + 1), texel(ix + 1, iy + 1), wx, wy);
            }
        }
        u += du;
        v += dv;
        if constexpr (repeating) {
            if (u >= tileU) u -= tileU;
            else if (u < 0) u += tileU;
            if (v >= tileV) v -= tileV;
            else if (v < 0) v += tileV;
        }
    }
}

}  // namespace

void Paint::shadeBitmap(int x, int y, int length, uint32_t* out) const {
    const RgbaImage& bm = *bitmap_;
    const int w = bm.width, h = bm.height;
    // The walk starts at the row's pixel 0, so a pixel samples the same texels whichever span it is in.
    Point p = inverse_.apply(Point{0.5, y + 0.5});
    // Bilinear sampling weighs the four texels around the point, whose centres sit at +0.5.
    double offset = smoothed_ ? 0.5 : 0.0;
    // Walk bitmap space in fixed point, fine enough that long spans land on the texels that sampling
    // each pixel alone would. Positions beyond 2^30 texels and steps beyond 2^20 are clamped
    // (sampling that far out or that coarsely shows nothing different), which keeps a walk across
    // the widest target inside 64 bits.
    double u0 = p.x - offset, v0 = p.y - offset;
    if (repeating_) {
        u0 = std::fmod(u0, double(w));
        v0 = std::fmod(v0, double(h));
    }
    auto fixed = [](double d, double limit) -> int64_t {
        if (!(d == d)) return 0;
        return static_cast<int64_t>(std::clamp(d, -limit, limit) * double(int64_t(1) << kFraction));
    };
    int64_t u = fixed(u0, 1073741824.0), v = fixed(v0, 1073741824.0);
    int64_t du = fixed(inverse_.a, 1048576.0), dv = fixed(inverse_.b, 1048576.0);
    const int64_t skip = std::clamp(x, -kMaxSpanStart, kMaxSpanStart);
    if (repeating_) {
        // Kept within one tile: each step is reduced below a tile's size, so one correction after
        // it brings the position back.
        const int64_t tileU = int64_t(w) << kFraction, tileV = int64_t(h) << kFraction;
        du %= tileU;
        dv %= tileV;
        u = (((u + du * skip) % tileU) + tileU) % tileU;
        v = (((v + dv * skip) % tileV) + tileV) % tileV;
        if (smoothed_) sampleBitmap<true, true>(bm, u, v, du, dv, length, out);
        else sampleBitmap<false, true>(bm, u, v, du, dv, length, out);
    } else {
        u += du * skip;
        v += dv * skip;
        if (smoothed_) sampleBitmap<true, false>(bm, u, v, du, dv, length, out);
        else sampleBitmap<false, false>(bm, u, v, du, dv, length, out);
    }
    if (!cxformIdentity_)
        for (int i = 0; i < length; ++i) out[i] = transformPixel(out[i], cxform_);
}

}  // namespace swf::render
