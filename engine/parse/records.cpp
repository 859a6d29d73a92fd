#include "engine/parse/records.h"

#include <cmath>

#include "engine/parse/limits.h"

namespace swf {

Rect readRect(ByteReader& r) {
    BitReader bits(r);
    int n = static_cast<int>(bits.ub(5));
    Rect rect;
    rect.xMin = bits.sb(n);
    rect.xMax = bits.sb(n);
    rect.yMin = bits.sb(n);
    rect.yMax = bits.sb(n);
    return rect;
}

Matrix readMatrix(ByteReader& r) {
    BitReader bits(r);
    Matrix m;
    if (bits.flag()) {
        int n = static_cast<int>(bits.ub(5));
        m.a = bits.fb(n);
        m.d = bits.fb(n);
    }
    if (bits.flag()) {
        int n = static_cast<int>(bits.ub(5));
        m.b = bits.fb(n);
        m.c = bits.fb(n);
    }
    int n = static_cast<int>(bits.ub(5));
    m.tx = bits.sb(n);
    m.ty = bits.sb(n);
    return m;
}

ColorTransform readColorTransform(ByteReader& r, bool withAlpha) {
    BitReader bits(r);
    bool hasAdd = bits.flag();
    bool hasMul = bits.flag();
    int n = static_cast<int>(bits.ub(4));
    ColorTransform c;
    if (hasMul) {
        c.rMul = bits.sb(n) / 256.0f;
        c.gMul = bits.sb(n) / 256.0f;
        c.bMul = bits.sb(n) / 256.0f;
        if (withAlpha) c.aMul = bits.sb(n) / 256.0f;
    }
    if (hasAdd) {
        c.rAdd = static_cast<float>(bits.sb(n));
        c.gAdd = static_cast<float>(bits.sb(n));
        c.bAdd = static_cast<float>(bits.sb(n));
        if (withAlpha) c.aAdd = static_cast<float>(bits.sb(n));
    }
    return c;
}

Rgba readRgb(ByteReader& r) {
    Rgba c;
    c.r = r.u8();
    c.g = r.u8();
    c.b = r.u8();
    c.a = 255;
    return c;
}

Rgba readRgba(ByteReader& r) {
    Rgba c = readRgb(r);
    c.a = r.u8();
    return c;
}

Gradient readGradient(ByteReader& r, int shapeVersion, bool focal) {
    Gradient g;
    g.matrix = readMatrix(r);
    uint8_t flags = r.u8();
    uint8_t spread = (flags >> 6) & 3;
    g.spread = spread == 1 ? SpreadMode::Reflect : spread == 2 ? SpreadMode::Repeat : SpreadMode::Pad;
    g.interpolation = ((flags >> 4) & 3) == 1 ? InterpolationMode::LinearRgb : InterpolationMode::Rgb;
    int count = flags & 0x0F;
    for (int i = 0; i < count; ++i) {
        GradientStop stop;
        stop.ratio = r.u8();
        stop.color = shapeVersion >= 3 ? readRgba(r) : readRgb(r);
        g.stops.push_back(stop);
    }
    if (focal) g.focalPoint = std::clamp(r.fixed8(), -1.0, 1.0);
    return g;
}

FillStyle readFillStyle(ByteReader& r, int shapeVersion) {
    FillStyle f;
    uint8_t type = r.u8();
    switch (type) {
    case 0x00:
        f.kind = FillStyle::Kind::Solid;
        f.color = shapeVersion >= 3 ? readRgba(r) : readRgb(r);
        break;
    case 0x10:
        f.kind = FillStyle::Kind::LinearGradient;
        f.gradient = readGradient(r, shapeVersion, false);
        break;
    case 0x12:
        f.kind = FillStyle::Kind::RadialGradient;
        f.gradient = readGradient(r, shapeVersion, false);
        break;
    case 0x13:
        f.kind = FillStyle::Kind::FocalGradient;
        f.gradient = readGradient(r, shapeVersion, true);
        break;
    case 0x40:
    case 0x41:
    case 0x42:
    case 0x43:
        f.kind = FillStyle::Kind::Bitmap;
        f.bitmapId = r.u16();
        f.bitmapMatrix = readMatrix(r);
        f.bitmapRepeating = type == 0x40 || type == 0x42;
        f.bitmapSmoothed = type == 0x40 || type == 0x41;
        break;
    default:
        throw ParseError("unknown fill style type " + std::to_string(type));
    }
    return f;
}

static size_t readCount(ByteReader& r, int shapeVersion) {
    size_t count = r.u8();
    if (count == 0xFF && shapeVersion >= 2) count = r.u16();
    return count;
}

std::vector<FillStyle> readFillStyleArray(ByteReader& r, int shapeVersion) {
    size_t count = readCount(r, shapeVersion);
    std::vector<FillStyle> styles;
    styles.reserve(std::min<size_t>(count, r.remaining()));
    for (size_t i = 0; i < count; ++i) styles.push_back(readFillStyle(r, shapeVersion));
    return styles;
}

static CapStyle capFrom(uint32_t v) {
    return v == 1 ? CapStyle::None : v == 2 ? CapStyle::Square : CapStyle::Round;
}

LineStyle readLineStyle(ByteReader& r, int shapeVersion) {
    LineStyle l;
    l.width = r.u16();
    if (shapeVersion < 4) {
        l.color = shapeVersion >= 3 ? readRgba(r) : readRgb(r);
        return l;
    }
    BitReader bits(r);
    l.startCap = capFrom(bits.ub(2));
    uint32_t join = bits.ub(2);
    l.join = join == 1 ? JoinStyle::Bevel : join == 2 ? JoinStyle::Miter : JoinStyle::Round;
    bool hasFill = bits.flag();
    l.noHScale = bits.flag();
    l.noVScale = bits.flag();
    l.pixelHinting = bits.flag();
    bits.ub(5);
    l.noClose = bits.flag();
    l.endCap = capFrom(bits.ub(2));
    if (l.join == JoinStyle::Miter) l.miterLimit = r.fixed8();
    if (hasFill) {
        l.fill = readFillStyle(r, shapeVersion);
        if (l.fill->kind == FillStyle::Kind::Solid) {
            l.color = l.fill->color;
            l.fill.reset();
        }
    } else {
        l.color = readRgba(r);
    }
    return l;
}

std::vector<LineStyle> readLineStyleArray(ByteReader& r, int shapeVersion) {
    size_t count = readCount(r, shapeVersion);
    std::vector<LineStyle> styles;
    styles.reserve(std::min<size_t>(count, r.remaining()));
    for (size_t i = 0; i < count; ++i) styles.push_back(readLineStyle(r, shapeVersion));
    return styles;
}

std::vector<ShapeRecord> readShapeRecords(ByteReader& r, int shapeVersion, bool withStyles) {
    BitReader bits(r);
    int fillBits = static_cast<int>(bits.ub(4));
    int lineBits = static_cast<int>(bits.ub(4));
    std::vector<ShapeRecord> records;
    double x = 0, y = 0;
    for (;;) {
        if (records.size() >= limits::kMaxShapeRecords) throw ParseError("shape has too many records");
        bool isEdge = bits.flag();
        if (!isEdge) {
            uint32_t flags = bits.ub(5);
            if (flags == 0) break;  // end of shape
            ShapeRecord rec;
            rec.type = ShapeRecord::Type::StyleChange;
            if (flags & 0x01) {
                int n = static_cast<int>(bits.ub(5));
                rec.hasMove = true;
                x = bits.sb(n);
                y = bits.sb(n);
                rec.moveTo = {x, y};
            }
            if (flags & 0x02) {
                rec.hasFill0 = true;
                rec.fill0 = bits.ub(fillBits);
            }
            if (flags & 0x04) {
                rec.hasFill1 = true;
                rec.fill1 = bits.ub(fillBits);
            }
            if (flags & 0x08) {
                rec.hasLine = true;
                rec.line = bits.ub(lineBits);
            }
            if ((flags & 0x10) && withStyles && shapeVersion >= 2) {
                bits.align();
                rec.hasNewStyles = true;
                rec.newFillStyles = readFillStyleArray(r, shapeVersion);
                rec.newLineStyles = readLineStyleArray(r, shapeVersion);
                BitReader fresh(r);
                bits = fresh;
                fillBits = static_cast<int>(bits.ub(4));
                lineBits = static_cast<int>(bits.ub(4));
            }
            records.push_back(std::move(rec));
            continue;
        }
        ShapeRecord rec;
        bool straight = bits.flag();
        int n = static_cast<int>(bits.ub(4)) + 2;
        if (straight) {
            rec.type = ShapeRecord::Type::Line;
            bool general = bits.flag();
            if (general) {
                rec.delta.x = bits.sb(n);
                rec.delta.y = bits.sb(n);
            } else if (bits.flag()) {
                rec.delta.y = bits.sb(n);
            } else {
                rec.delta.x = bits.sb(n);
            }
        } else {
            rec.type = ShapeRecord::Type::Curve;
            rec.control.x = bits.sb(n);
            rec.control.y = bits.sb(n);
            rec.delta.x = bits.sb(n);
            rec.delta.y = bits.sb(n);
        }
        records.push_back(std::move(rec));
    }
    (void)x;
    (void)y;
    return records;
}

static void readGlowLike(ByteReader& r, double& blurX, double& blurY, double* angle, double* distance,
                         double& strength, bool& inner, bool& knockout, bool& composite, bool* onTop,
                         int& passes) {
    blurX = r.fixed16();
    blurY = r.fixed16();
    if (angle) *angle = r.fixed16();
    if (distance) *distance = r.fixed16();
    strength = r.fixed8();
    uint8_t flags = r.u8();
    inner = flags & 0x80;
    knockout = flags & 0x40;
    composite = flags & 0x20;
    if (onTop) {
        *onTop = flags & 0x10;
        passes = flags & 0x0F;
    } else {
        passes = flags & 0x1F;
    }
}

std::vector<Filter> readFilterList(ByteReader& r) {
    std::vector<Filter> filters;
    int count = r.u8();
    for (int i = 0; i < count; ++i) {
        Filter f;
        uint8_t id = r.u8();
        switch (id) {
        case 0: {
            f.kind = Filter::Kind::DropShadow;
            auto& d = f.dropShadow;
            d.color = readRgba(r);
            readGlowLike(r, d.blurX, d.blurY, &d.angle, &d.distance, d.strength, d.inner, d.knockout,
                         d.compositeSource, nullptr, d.passes);
            break;
        }
        case 1:
            f.kind = Filter::Kind::Blur;
            f.blur.blurX = r.fixed16();
            f.blur.blurY = r.fixed16();
            f.blur.passes = r.u8() >> 3;
            break;
        case 2: {
            f.kind = Filter::Kind::Glow;
            auto& g = f.glow;
            g.color = readRgba(r);
            readGlowLike(r, g.blurX, g.blurY, nullptr, nullptr, g.strength, g.inner, g.knockout,
                         g.compositeSource, nullptr, g.passes);
            break;
        }
        case 3: {
            f.kind = Filter::Kind::Bevel;
            auto& b = f.bevel;
            b.shadowColor = readRgba(r);
            b.highlightColor = readRgba(r);
            readGlowLike(r, b.blurX, b.blurY, &b.angle, &b.distance, b.strength, b.inner, b.knockout,
                         b.compositeSource, &b.onTop, b.passes);
            break;
        }
        case 4:
        case 7: {
            f.kind = id == 4 ? Filter::Kind::GradientGlow : Filter::Kind::GradientBevel;
            auto& g = f.gradient;
            g.bevel = id == 7;
            int n = r.u8();
            std::vector<Rgba> colors;
            for (int k = 0; k < n; ++k) colors.push_back(readRgba(r));
            for (int k = 0; k < n; ++k) g.stops.push_back({r.u8(), colors[static_cast<size_t>(k)]});
            readGlowLike(r, g.blurX, g.blurY, &g.angle, &g.distance, g.strength, g.inner, g.knockout,
                         g.compositeSource, &g.onTop, g.passes);
            break;
        }
        case 5: {
            f.kind = Filter::Kind::Convolution;
            auto& c = f.convolution;
            c.matrixX = r.u8();
            c.matrixY = r.u8();
            c.divisor = r.f32();
            c.bias = r.f32();
            for (int k = 0; k < c.matrixX * c.matrixY; ++k) c.matrix.push_back(r.f32());
            c.defaultColor = readRgba(r);
            uint8_t flags = r.u8();
            c.clamp = flags & 2;
            c.preserveAlpha = flags & 1;
            break;
        }
        case 6:
            f.kind = Filter::Kind::ColorMatrix;
            for (auto& v : f.colorMatrix.matrix) v = r.f32();
            break;
        default:
            throw ParseError("unknown filter " + std::to_string(id));
        }
        filters.push_back(std::move(f));
    }
    return filters;
}

}  // namespace swf
