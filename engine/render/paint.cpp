#include "engine/render/paint.h"

#include <algorithm>
#include <cmath>

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

inline int wrap(int v, int size) {
    int m = v % size;
    return m < 0 ? m + size : m;
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
            smoothed_ = fill.bitmapSmoothed;
            cxform_ = cxform;
            cxformIdentity_ = cxform.isIdentity();
            opaque_ = false;
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

template <SpreadMode spread>
void linearSpan(const GradientTable& table, double pos, double step, int length, uint32_t* out) {
    // pos and step in table steps (256 per gradient length).
    int64_t p = toFixed(pos), dp = toFixed(step);
    if (std::fabs(pos + step * length) >= kPositionLimit) {
        for (int i = 0; i < length; ++i) out[i] = table.at(indexOf<spread>(static_cast<int64_t>(std::floor(std::clamp(pos + step * i, -kPositionLimit, kPositionLimit)))));
        return;
    }
    for (int i = 0; i < length; ++i, p += dp) out[i] = table.at(indexOf<spread>(p >> 16));
}

template <SpreadMode spread>
void radialSpan(const GradientTable& table, double gx, double gy, double sx, double sy, int length, uint32_t* out) {
    for (int i = 0; i < length; ++i, gx += sx, gy += sy) {
        double t = std::sqrt(gx * gx + gy * gy) * 256.0;
        out[i] = table.at(indexOf<spread>(static_cast<int64_t>(std::min(t, kPositionLimit))));
    }
}

}  // namespace

void Paint::shadeGradient(int x, int y, int length, uint32_t* out) const {
    // Walk gradient space along the row: one matrix step per pixel.
    Point p = inverse_.apply(Point{x + 0.5, y + 0.5});
    double gx = p.x / kGradientHalf, gy = p.y / kGradientHalf;
    double stepX = inverse_.a / kGradientHalf, stepY = inverse_.b / kGradientHalf;
    switch (kind_) {
        case Kind::Linear: {
            double pos = (gx + 1) * 128.0, step = stepX * 128.0;
            switch (spread_) {
                case SpreadMode::Pad: linearSpan<SpreadMode::Pad>(table_, pos, step, length, out); return;
                case SpreadMode::Repeat: linearSpan<SpreadMode::Repeat>(table_, pos, step, length, out); return;
                case SpreadMode::Reflect: linearSpan<SpreadMode::Reflect>(table_, pos, step, length, out); return;
            }
            return;
        }
        case Kind::Radial:
            if (!std::isfinite(gx) || !std::isfinite(gy)) gx = gy = 0;
            switch (spread_) {
                case SpreadMode::Pad: radialSpan<SpreadMode::Pad>(table_, gx, gy, stepX, stepY, length, out); return;
                case SpreadMode::Repeat: radialSpan<SpreadMode::Repeat>(table_, gx, gy, stepX, stepY, length, out); return;
                case SpreadMode::Reflect: radialSpan<SpreadMode::Reflect>(table_, gx, gy, stepX, stepY, length, out); return;
            }
            return;
        default: {
            // Focal: the colour at p is set by how far p lies along the ray from the focus F through p
            // to the unit circle: t = |p - F| / |E - F|, E where the ray meets the circle.
            double f = focal_;
            double c = f * f - 1;  // |F|^2 - 1, negative while F is inside the circle
            for (int i = 0; i < length; ++i, gx += stepX, gy += stepY) {
                double dx = gx - f, dy = gy;
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

void Paint::shadeBitmap(int x, int y, int length, uint32_t* out) const {
    const RgbaImage& bm = *bitmap_;
    const int w = bm.width, h = bm.height;
    Point p = inverse_.apply(Point{x + 0.5, y + 0.5});
    double u = p.x, v = p.y;
    const double du = inverse_.a, dv = inverse_.b;
    auto texel = [&](int tx, int ty) {
        if (repeating_) {
            tx = wrap(tx, w);
            ty = wrap(ty, h);
        } else {
            tx = std::clamp(tx, 0, w - 1);
            ty = std::clamp(ty, 0, h - 1);
        }
        const uint8_t* s = bm.at(tx, ty);
        return packPixel(s[0], s[1], s[2], s[3]);
    };
    // Far-away coordinates (a huge inverse scale) are brought into int range before flooring.
    auto toInt = [](double d) { return static_cast<int>(std::clamp(std::floor(d), -1e9, 1e9)); };
    for (int i = 0; i < length; ++i, u += du, v += dv) {
        uint32_t px;
        if (!smoothed_) {
            px = texel(toInt(u), toInt(v));
        } else {
            double su = u - 0.5, sv = v - 0.5;
            double fu = std::floor(su), fv = std::floor(sv);
            int ix = toInt(fu), iy = toInt(fv);
            uint32_t wx = static_cast<uint32_t>(std::clamp((su - fu) * 256.0, 0.0, 256.0));
            uint32_t wy = static_cast<uint32_t>(std::clamp((sv - fv) * 256.0, 0.0, 256.0));
            uint32_t p00 = texel(ix, iy), p10 = texel(ix + 1, iy), p01 = texel(ix, iy + 1), p11 = texel(ix + 1, iy + 1);
            uint32_t result = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                uint32_t a = (p00 >> shift) & 255, b = (p10 >> shift) & 255;
                uint32_t c = (p01 >> shift) & 255, d = (p11 >> shift) & 255;
                uint32_t top = a * (256 - wx) + b * wx, bottom = c * (256 - wx) + d * wx;
                uint32_t value = (top * (256 - wy) + bottom * wy + 32768) >> 16;
                result |= std::min(value, 255u) << shift;
            }
            px = result;
        }
        out[i] = cxformIdentity_ ? px : transformPixel(px, cxform_);
    }
}

}  // namespace swf::render
