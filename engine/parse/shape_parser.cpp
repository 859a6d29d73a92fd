#include "engine/parse/shape_parser.h"

#include <bit>
#include <string>

namespace swf {
namespace {

Gradient readGradient(SwfReader& r, int shapeVersion, bool focal) {
    Gradient g;
    uint32_t spread = r.ub(2);
    uint32_t interp = r.ub(2);
    uint32_t count = r.ub(4);
    // Values 3 are reserved; read them as the default rather than losing the shape.
    g.spread = spread <= 2 ? static_cast<SpreadMode>(spread) : SpreadMode::Pad;
    g.interpolation = interp == 1 ? InterpolationMode::LinearRgb : InterpolationMode::Rgb;
    for (uint32_t i = 0; i < count; ++i) {
        GradientStop s;
        s.ratio = r.u8();
        s.color = shapeVersion >= 3 ? r.rgba() : r.rgb();
        g.stops.push_back(s);
    }
    if (focal) g.focalPoint = r.fixed8();
    return g;
}

void setBitmapKind(FillStyle& f, uint8_t type) {
    f.kind = FillStyle::Kind::Bitmap;
    f.bitmapRepeating = (type & 1) == 0;  // 0x40 and 0x42 repeat, 0x41 and 0x43 clip
    f.bitmapSmoothed = type < 0x42;
}

uint32_t readStyleCount(SwfReader& r) {
    uint32_t n = r.u8();
    if (n == 0xFF) n = r.u16();
    return n;
}

LineStyle readLineStyle(SwfReader& r, int shapeVersion) {
    LineStyle l;
    l.width = r.u16();
    if (shapeVersion < 4) {
        l.color = shapeVersion >= 3 ? r.rgba() : r.rgb();
        return l;
    }
    uint32_t startCap = r.ub(2);
    uint32_t join = r.ub(2);
    bool hasFill = r.flag();
    l.noHScale = r.flag();
    l.noVScale = r.flag();
    l.pixelHinting = r.flag();
    r.ub(5);
    l.noClose = r.flag();
    uint32_t endCap = r.ub(2);
    l.startCap = startCap <= 2 ? static_cast<CapStyle>(startCap) : CapStyle::Round;
    l.endCap = endCap <= 2 ? static_cast<CapStyle>(endCap) : CapStyle::Round;
    l.join = join <= 2 ? static_cast<JoinStyle>(join) : JoinStyle::Round;
    if (join == 2) l.miterLimit = r.fixed8();
    if (hasFill) {
        l.fill = readFillStyle(r, shapeVersion);
        if (l.fill->kind == FillStyle::Kind::Solid) l.color = l.fill->color;
    } else {
        l.color = r.rgba();
    }
    return l;
}

void readStyles(SwfReader& r, int version, std::vector<FillStyle>& fills, std::vector<LineStyle>& lines) {
    uint32_t nf = readStyleCount(r);
    for (uint32_t i = 0; i < nf; ++i) fills.push_back(readFillStyle(r, version));
    uint32_t nl = readStyleCount(r);
    for (uint32_t i = 0; i < nl; ++i) lines.push_back(readLineStyle(r, version));
}

// SHAPERECORDs up to the end record. `version` 0 means a glyph or morph edge list (no new styles).
std::vector<ShapeRecord> readRecords(SwfReader& r, int version, size_t maxRecords) {
    std::vector<ShapeRecord> out;
    r.align();
    int fillBits = static_cast<int>(r.ub(4));
    int lineBits = static_cast<int>(r.ub(4));
    for (;;) {
        ShapeRecord rec;
        if (!r.flag()) {
            uint32_t flags = r.ub(5);
            if (flags == 0) break;
            bool newStyles = flags & 0x10, hasLine = flags & 0x08, hasFill1 = flags & 0x04, hasFill0 = flags & 0x02,
                 hasMove = flags & 0x01;
            rec.type = ShapeRecord::Type::StyleChange;
            if (hasMove) {
                int n = static_cast<int>(r.ub(5));
                rec.hasMove = true;
                rec.moveTo.x = r.sb(n);
                rec.moveTo.y = r.sb(n);
            }
            if (hasFill0) {
                rec.hasFill0 = true;
                rec.fill0 = r.ub(fillBits);
            }
            if (hasFill1) {
                rec.hasFill1 = true;
                rec.fill1 = r.ub(fillBits);
            }
            if (hasLine) {
                rec.hasLine = true;
                rec.line = r.ub(lineBits);
            }
            if (newStyles && version >= 2) {
                rec.hasNewStyles = true;
                readStyles(r, version, rec.newFillStyles, rec.newLineStyles);
                fillBits = static_cast<int>(r.ub(4));
                lineBits = static_cast<int>(r.ub(4));
            } else if (newStyles) {
                // DefineShape 1 and glyphs have no new-styles records; the flag ends the shape data
                // as far as players are concerned.
                throwMalformed("new styles in a shape that cannot have them");
            }
        } else if (r.flag()) {  // straight edge
            int n = static_cast<int>(r.ub(4)) + 2;
            rec.type = ShapeRecord::Type::Line;
            if (r.flag()) {
                rec.delta.x = r.sb(n);
                rec.delta.y = r.sb(n);
            } else if (r.flag()) {
                rec.delta.y = r.sb(n);
            } else {
                rec.delta.x = r.sb(n);
            }
        } else {
            int n = static_cast<int>(r.ub(4)) + 2;
            rec.type = ShapeRecord::Type::Curve;
            rec.control.x = r.sb(n);
            rec.control.y = r.sb(n);
            rec.delta.x = r.sb(n);
            rec.delta.y = r.sb(n);
        }
        if (out.size() >= maxRecords)
            throw ParseError(ParseError::Kind::Limit,
                             "shape has more than " + std::to_string(maxRecords) + " records (limit)");
        out.push_back(std::move(rec));
    }
    r.align();
    return out;
}

MorphFillStyle readMorphFillStyle(SwfReader& r) {
    MorphFillStyle m;
    uint8_t type = r.u8();
    switch (type) {
    case 0x00:
        m.start.kind = m.end.kind = FillStyle::Kind::Solid;
        m.start.color = r.rgba();
        m.end.color = r.rgba();
        break;
    case 0x10:
    case 0x12:
    case 0x13: {
        auto kind = type == 0x10 ? FillStyle::Kind::LinearGradient
                    : type == 0x12 ? FillStyle::Kind::RadialGradient
                                   : FillStyle::Kind::FocalGradient;
        m.start.kind = m.end.kind = kind;
        m.start.gradient.matrix = r.matrix();
        m.end.gradient.matrix = r.matrix();
        uint32_t spread = r.ub(2), interp = r.ub(2), count = r.ub(4);
        for (Gradient* g : {&m.start.gradient, &m.end.gradient}) {
            g->spread = spread <= 2 ? static_cast<SpreadMode>(spread) : SpreadMode::Pad;
            g->interpolation = interp == 1 ? InterpolationMode::LinearRgb : InterpolationMode::Rgb;
        }
        for (uint32_t i = 0; i < count; ++i) {
            GradientStop s, e;
            s.ratio = r.u8();
            s.color = r.rgba();
            e.ratio = r.u8();
            e.color = r.rgba();
            m.start.gradient.stops.push_back(s);
            m.end.gradient.stops.push_back(e);
        }
        if (type == 0x13) {
            m.start.gradient.focalPoint = r.fixed8();
            m.end.gradient.focalPoint = r.fixed8();
        }
        break;
    }
    case 0x40:
    case 0x41:
    case 0x42:
    case 0x43:
        setBitmapKind(m.start, type);
        setBitmapKind(m.end, type);
        m.start.bitmapId = m.end.bitmapId = r.u16();
        m.start.bitmapMatrix = r.matrix();
        m.end.bitmapMatrix = r.matrix();
        break;
    default:
        throwMalformed("unknown morph fill style type " + std::to_string(type));
    }
    return m;
}

MorphLineStyle readMorphLineStyle(SwfReader& r, int version) {
    MorphLineStyle m;
    m.start.width = r.u16();
    m.end.width = r.u16();
    if (version < 2) {
        m.start.color = r.rgba();
        m.end.color = r.rgba();
        return m;
    }
    uint32_t startCap = r.ub(2), join = r.ub(2);
    bool hasFill = r.flag();
    bool noH = r.flag(), noV = r.flag(), hint = r.flag();
    r.ub(5);
    bool noClose = r.flag();
    uint32_t endCap = r.ub(2);
    double miter = 3;
    if (join == 2) miter = r.fixed8();
    for (LineStyle* l : {&m.start, &m.end}) {
        l->startCap = startCap <= 2 ? static_cast<CapStyle>(startCap) : CapStyle::Round;
        l->endCap = endCap <= 2 ? static_cast<CapStyle>(endCap) : CapStyle::Round;
        l->join = join <= 2 ? static_cast<JoinStyle>(join) : JoinStyle::Round;
        l->miterLimit = miter;
        l->noHScale = noH;
        l->noVScale = noV;
        l->pixelHinting = hint;
        l->noClose = noClose;
    }
    if (hasFill) {
        MorphFillStyle f = readMorphFillStyle(r);
        m.start.fill = f.start;
        m.end.fill = f.end;
        if (f.start.kind == FillStyle::Kind::Solid) {
            m.start.color = f.start.color;
            m.end.color = f.end.color;
        }
    } else {
        m.start.color = r.rgba();
        m.end.color = r.rgba();
    }
    return m;
}

}  // namespace

FillStyle readFillStyle(SwfReader& r, int shapeVersion) {
    FillStyle f;
    uint8_t type = r.u8();
    switch (type) {
    case 0x00:
        f.kind = FillStyle::Kind::Solid;
        f.color = shapeVersion >= 3 ? r.rgba() : r.rgb();
        break;
    case 0x10:
    case 0x12:
    case 0x13:
        f.kind = type == 0x10 ? FillStyle::Kind::LinearGradient
                 : type == 0x12 ? FillStyle::Kind::RadialGradient
                                : FillStyle::Kind::FocalGradient;
    {
        Matrix m = r.matrix();
        f.gradient = readGradient(r, shapeVersion, type == 0x13);
        f.gradient.matrix = m;
        break;
    }
    case 0x40:
    case 0x41:
    case 0x42:
    case 0x43:
        setBitmapKind(f, type);
        f.bitmapId = r.u16();
        f.bitmapMatrix = r.matrix();
        break;
    default:
        throwMalformed("unknown fill style type " + std::to_string(type));
    }
    return f;
}

Shape readDefineShape(SwfReader& r, int version, size_t maxRecords) {
    Shape s;
    s.bounds = r.rect();
    s.edgeBounds = s.bounds;
    if (version >= 4) {
        s.edgeBounds = r.rect();
        uint8_t flags = r.u8();
        s.nonZeroWinding = flags & 0x04;
        s.usesScalingStrokes = flags & 0x01;
    }
    readStyles(r, version, s.fillStyles, s.lineStyles);
    s.records = readRecords(r, version, maxRecords);
    return s;
}

Shape readGlyphShape(SwfReader& r, size_t maxRecords) {
    Shape s;
    s.records = readRecords(r, 0, maxRecords);
    for (const ShapeRecord& rec : s.records) {
        if (rec.hasMove) s.bounds.include(rec.moveTo);
    }
    return s;
}

MorphShape readDefineMorphShape(SwfReader& r, int version, size_t maxRecords) {
    MorphShape m;
    m.startBounds = r.rect();
    m.endBounds = r.rect();
    m.startEdgeBounds = m.startBounds;
    m.endEdgeBounds = m.endBounds;
    if (version >= 2) {
        m.startEdgeBounds = r.rect();
        m.endEdgeBounds = r.rect();
        r.u8();  // stroke scaling flags
    }
    uint32_t offset = r.u32();
    size_t afterOffset = r.position();
    uint32_t nf = readStyleCount(r);
    for (uint32_t i = 0; i < nf; ++i) m.fillStyles.push_back(readMorphFillStyle(r));
    uint32_t nl = readStyleCount(r);
    for (uint32_t i = 0; i < nl; ++i) m.lineStyles.push_back(readMorphLineStyle(r, version));
    m.startRecords = readRecords(r, 0, maxRecords);
    // The end edges start where the stored offset says; trust it only when it points past the start edges.
    size_t endAt = afterOffset + offset;
    if (offset != 0 && endAt >= r.position() && endAt <= r.position() + r.remaining()) r.skip(endAt - r.position());
    m.endRecords = readRecords(r, 0, maxRecords);
    return m;
}

Filter readFilter(SwfReader& r) {
    Filter f;
    uint8_t id = r.u8();
    switch (id) {
    case 0: {
        f.kind = Filter::Kind::DropShadow;
        auto& d = f.dropShadow;
        d.color = r.rgba();
        d.blurX = r.fixed16();
        d.blurY = r.fixed16();
        d.angle = r.fixed16();
        d.distance = r.fixed16();
        d.strength = r.fixed8();
        d.inner = r.flag();
        d.knockout = r.flag();
        d.compositeSource = r.flag();
        d.passes = static_cast<int>(r.ub(5));
        break;
    }
    case 1:
        f.kind = Filter::Kind::Blur;
        f.blur.blurX = r.fixed16();
        f.blur.blurY = r.fixed16();
        f.blur.passes = static_cast<int>(r.ub(5));
        r.ub(3);
        break;
    case 2: {
        f.kind = Filter::Kind::Glow;
        auto& g = f.glow;
        g.color = r.rgba();
        g.blurX = r.fixed16();
        g.blurY = r.fixed16();
        g.strength = r.fixed8();
        g.inner = r.flag();
        g.knockout = r.flag();
        g.compositeSource = r.flag();
        g.passes = static_cast<int>(r.ub(5));
        break;
    }
    case 3: {
        f.kind = Filter::Kind::Bevel;
        auto& b = f.bevel;
        // Players read the first colour as the highlight, whatever the format's documents say.
        b.highlightColor = r.rgba();
        b.shadowColor = r.rgba();
        b.blurX = r.fixed16();
        b.blurY = r.fixed16();
        b.angle = r.fixed16();
        b.distance = r.fixed16();
        b.strength = r.fixed8();
        b.inner = r.flag();
        b.knockout = r.flag();
        b.compositeSource = r.flag();
        b.onTop = r.flag();
        b.passes = static_cast<int>(r.ub(4));
        break;
    }
    case 4:
    case 7: {
        f.kind = id == 4 ? Filter::Kind::GradientGlow : Filter::Kind::GradientBevel;
        auto& g = f.gradient;
        g.bevel = id == 7;
        uint8_t n = r.u8();
        std::vector<Rgba> colors;
        for (int i = 0; i < n; ++i) colors.push_back(r.rgba());
        for (int i = 0; i < n; ++i) g.stops.push_back(GradientStop{r.u8(), colors[static_cast<size_t>(i)]});
        g.blurX = r.fixed16();
        g.blurY = r.fixed16();
        g.angle = r.fixed16();
        g.distance = r.fixed16();
        g.strength = r.fixed8();
        g.inner = r.flag();
        g.knockout = r.flag();
        g.compositeSource = r.flag();
        g.onTop = r.flag();
        g.passes = static_cast<int>(r.ub(4));
        break;
    }
    case 5: {
        f.kind = Filter::Kind::Convolution;
        auto& c = f.convolution;
        c.matrixX = r.u8();
        c.matrixY = r.u8();
        auto asFloat = [](uint32_t bits) { return std::bit_cast<float>(bits); };
        c.divisor = asFloat(r.u32());
        c.bias = asFloat(r.u32());
        for (int i = 0; i < c.matrixX * c.matrixY; ++i) c.matrix.push_back(asFloat(r.u32()));
        c.defaultColor = r.rgba();
        r.ub(6);
        c.clamp = r.flag();
        c.preserveAlpha = r.flag();
        break;
    }
    case 6: {
        f.kind = Filter::Kind::ColorMatrix;
        for (float& v : f.colorMatrix.matrix) v = std::bit_cast<float>(r.u32());
        break;
    }
    default:
        throwMalformed("unknown filter " + std::to_string(id));
    }
    r.align();
    return f;
}

}  // namespace swf
