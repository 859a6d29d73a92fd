#include "engine/parse/records.h"
#include "engine/parse/tag_readers.h"

namespace swf {

static int shapeVersionOf(int code) {
    switch (code) {
    case 2: return 1;
    case 22: return 2;
    case 32: return 3;
    default: return 4;  // 83
    }
}

ShapeDefinition readDefineShape(ByteReader& r, int code) {
    int version = shapeVersionOf(code);
    ShapeDefinition def;
    Shape& s = def.shape;
    s.bounds = readRect(r);
    s.edgeBounds = s.bounds;
    if (version == 4) {
        s.edgeBounds = readRect(r);
        uint8_t flags = r.u8();
        s.nonZeroWinding = flags & 0x04;
        s.usesScalingStrokes = !(flags & 0x02) || (flags & 0x01);
    }
    s.fillStyles = readFillStyleArray(r, version);
    s.lineStyles = readLineStyleArray(r, version);
    s.records = readShapeRecords(r, version, true);
    return def;
}

// Morph fill and line styles hold a start and an end value side by side.
static MorphFillStyle readMorphFill(ByteReader& r) {
    MorphFillStyle m;
    uint8_t type = r.u8();
    m.start.kind = m.end.kind = FillStyle::Kind::Solid;
    auto readMorphGradient = [&](bool focal) {
        m.start.gradient.matrix = readMatrix(r);
        m.end.gradient.matrix = readMatrix(r);
        uint8_t flags = r.u8();
        uint8_t spread = (flags >> 6) & 3;
        auto mode = spread == 1 ? SpreadMode::Reflect : spread == 2 ? SpreadMode::Repeat : SpreadMode::Pad;
        auto interp = ((flags >> 4) & 3) == 1 ? InterpolationMode::LinearRgb : InterpolationMode::Rgb;
        m.start.gradient.spread = m.end.gradient.spread = mode;
        m.start.gradient.interpolation = m.end.gradient.interpolation = interp;
        int count = flags & 0x0F;
        for (int i = 0; i < count; ++i) {
            GradientStop a, b;
            a.ratio = r.u8();
            a.color = readRgba(r);
            b.ratio = r.u8();
            b.color = readRgba(r);
            m.start.gradient.stops.push_back(a);
            m.end.gradient.stops.push_back(b);
        }
        if (focal) {
            m.start.gradient.focalPoint = std::clamp(r.fixed8(), -1.0, 1.0);
            m.end.gradient.focalPoint = std::clamp(r.fixed8(), -1.0, 1.0);
        }
    };
    switch (type) {
    case 0x00:
        m.start.color = readRgba(r);
        m.end.color = readRgba(r);
        break;
    case 0x10:
        m.start.kind = m.end.kind = FillStyle::Kind::LinearGradient;
        readMorphGradient(false);
        break;
    case 0x12:
        m.start.kind = m.end.kind = FillStyle::Kind::RadialGradient;
        readMorphGradient(false);
        break;
    case 0x13:
        m.start.kind = m.end.kind = FillStyle::Kind::FocalGradient;
        readMorphGradient(true);
        break;
    case 0x40:
    case 0x41:
    case 0x42:
    case 0x43:
        m.start.kind = m.end.kind = FillStyle::Kind::Bitmap;
        m.start.bitmapId = m.end.bitmapId = r.u16();
        m.start.bitmapMatrix = readMatrix(r);
        m.end.bitmapMatrix = readMatrix(r);
        m.start.bitmapRepeating = m.end.bitmapRepeating = type == 0x40 || type == 0x42;
        m.start.bitmapSmoothed = m.end.bitmapSmoothed = type == 0x40 || type == 0x41;
        break;
    default:
        throw ParseError("unknown morph fill style type " + std::to_string(type));
    }
    return m;
}

static MorphLineStyle readMorphLine(ByteReader& r, int version) {
    MorphLineStyle m;
    m.start.width = r.u16();
    m.end.width = r.u16();
    if (version == 1) {
        m.start.color = readRgba(r);
        m.end.color = readRgba(r);
        return m;
    }
    BitReader bits(r);
    auto cap = [](uint32_t v) { return v == 1 ? CapStyle::None : v == 2 ? CapStyle::Square : CapStyle::Round; };
    CapStyle startCap = cap(bits.ub(2));
    uint32_t joinBits = bits.ub(2);
    JoinStyle join = joinBits == 1 ? JoinStyle::Bevel : joinBits == 2 ? JoinStyle::Miter : JoinStyle::Round;
    bool hasFill = bits.flag();
    bool noH = bits.flag(), noV = bits.flag(), hint = bits.flag();
    bits.ub(5);
    bool noClose = bits.flag();
    CapStyle endCap = cap(bits.ub(2));
    for (LineStyle* l : {&m.start, &m.end}) {
        l->startCap = startCap;
        l->endCap = endCap;
        l->join = join;
        l->noHScale = noH;
        l->noVScale = noV;
        l->pixelHinting = hint;
        l->noClose = noClose;
    }
    if (join == JoinStyle::Miter) m.start.miterLimit = m.end.miterLimit = r.fixed8();
    if (hasFill) {
        MorphFillStyle fill = readMorphFill(r);
        if (fill.start.kind == FillStyle::Kind::Solid) {
            m.start.color = fill.start.color;
            m.end.color = fill.end.color;
        } else {
            m.start.fill = fill.start;
            m.end.fill = fill.end;
        }
    } else {
        m.start.color = readRgba(r);
        m.end.color = readRgba(r);
    }
    return m;
}

MorphShapeDefinition readDefineMorphShape(ByteReader& r, int code) {
    int version = code == 84 ? 2 : 1;
    MorphShapeDefinition def;
    MorphShape& m = def.morph;
    m.startBounds = readRect(r);
    m.endBounds = readRect(r);
    m.startEdgeBounds = m.startBounds;
    m.endEdgeBounds = m.endBounds;
    if (version == 2) {
        m.startEdgeBounds = readRect(r);
        m.endEdgeBounds = readRect(r);
        r.u8();  // reserved and stroke-scaling flags
    }
    uint32_t offset = r.u32();
    size_t afterOffset = r.position();
    size_t fillCount = r.u8();
    if (fillCount == 0xFF) fillCount = r.u16();
    for (size_t i = 0; i < fillCount; ++i) m.fillStyles.push_back(readMorphFill(r));
    size_t lineCount = r.u8();
    if (lineCount == 0xFF) lineCount = r.u16();
    for (size_t i = 0; i < lineCount; ++i) m.lineStyles.push_back(readMorphLine(r, version));
    m.startRecords = readShapeRecords(r, 3, false);
    // EndEdges begin at the offset when it is sane; otherwise right after the start edges.
    if (offset != 0 && afterOffset + offset <= r.size() && afterOffset + offset >= r.position()) {
        r.skip(afterOffset + offset - r.position());
    }
    m.endRecords = readShapeRecords(r, 3, false);
    return def;
}

}  // namespace swf
