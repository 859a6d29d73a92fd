#include "tools/swfwriter/record_writer.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <initializer_list>
#include <stdexcept>

namespace swfw {
namespace {

int32_t twips(double v) { return static_cast<int32_t>(std::lround(v)); }

void writeStyleCount(BodyWriter& w, size_t n, int shapeVersion) {
    if (n < 0xFF || shapeVersion < 2) {
        w.u8(static_cast<uint8_t>(std::min<size_t>(n, 0xFF)));
    } else {
        w.u8(0xFF);
        w.u16(static_cast<uint16_t>(n));
    }
}

uint8_t gradientType(swf::FillStyle::Kind k) {
    return k == swf::FillStyle::Kind::LinearGradient ? 0x10 : k == swf::FillStyle::Kind::RadialGradient ? 0x12 : 0x13;
}

uint8_t bitmapType(const swf::FillStyle& f) {
    return static_cast<uint8_t>(0x40 | (f.bitmapRepeating ? 0 : 1) | (f.bitmapSmoothed ? 0 : 2));
}

// Edge fields hold at most 17 bits; callers split longer edges.
int edgeBits(std::initializer_list<int32_t> values) {
    int n = 2;
    for (int32_t v : values) n = std::max(n, sbits(v));
    if (n > 17) throw std::invalid_argument("shape edge longer than an edge record holds");
    return n;
}

void writeEdge(BodyWriter& w, const swf::ShapeRecord& r) {
    int32_t dx = twips(r.delta.x), dy = twips(r.delta.y);
    if (r.type == swf::ShapeRecord::Type::Line) {
        w.ub(1, 1);
        w.ub(1, 1);
        int n = edgeBits({dx, dy});
        w.ub(4, static_cast<uint32_t>(n - 2));
        if (dx != 0 && dy != 0) {
            w.ub(1, 1);
            w.sb(n, dx);
            w.sb(n, dy);
        } else if (dx == 0) {
            w.ub(1, 0);
            w.ub(1, 1);
            w.sb(n, dy);
        } else {
            w.ub(1, 0);
            w.ub(1, 0);
            w.sb(n, dx);
        }
        return;
    }
    int32_t cx = twips(r.control.x), cy = twips(r.control.y);
    w.ub(1, 1);
    w.ub(1, 0);
    int n = edgeBits({cx, cy, dx, dy});
    w.ub(4, static_cast<uint32_t>(n - 2));
    w.sb(n, cx);
    w.sb(n, cy);
    w.sb(n, dx);
    w.sb(n, dy);
}

void writeMorphGradient(BodyWriter& w, const swf::Gradient& s, const swf::Gradient& e) {
    size_t count = std::min(s.stops.size(), e.stops.size());
    w.ub(2, static_cast<uint32_t>(s.spread));
    w.ub(2, static_cast<uint32_t>(s.interpolation));
    w.ub(4, static_cast<uint32_t>(std::min<size_t>(count, 15)));
    for (size_t i = 0; i < std::min<size_t>(count, 15); ++i) {
        w.u8(s.stops[i].ratio);
        w.rgba(s.stops[i].color);
        w.u8(e.stops[i].ratio);
        w.rgba(e.stops[i].color);
    }
}

}  // namespace

void writeFillStyle(BodyWriter& w, const swf::FillStyle& f, int shapeVersion) {
    using K = swf::FillStyle::Kind;
    switch (f.kind) {
    case K::Solid:
        w.u8(0x00);
        if (shapeVersion >= 3) w.rgba(f.color); else w.rgb(f.color);
        break;
    case K::LinearGradient:
    case K::RadialGradient:
    case K::FocalGradient: {
        w.u8(gradientType(f.kind));
        w.matrix(f.gradient.matrix);
        size_t count = std::min<size_t>(f.gradient.stops.size(), 15);
        w.ub(2, static_cast<uint32_t>(f.gradient.spread));
        w.ub(2, static_cast<uint32_t>(f.gradient.interpolation));
        w.ub(4, static_cast<uint32_t>(count));
        for (size_t i = 0; i < count; ++i) {
            w.u8(f.gradient.stops[i].ratio);
            if (shapeVersion >= 3) w.rgba(f.gradient.stops[i].color); else w.rgb(f.gradient.stops[i].color);
        }
        if (f.kind == K::FocalGradient) w.fixed8(f.gradient.focalPoint);
        break;
    }
    case K::Bitmap:
        w.u8(bitmapType(f));
        w.u16(f.bitmapId);
        w.matrix(f.bitmapMatrix);
        break;
    }
}

void writeLineStyle(BodyWriter& w, const swf::LineStyle& l, int shapeVersion) {
    w.u16(static_cast<uint16_t>(std::lround(l.width)));
    if (shapeVersion < 4) {
        if (shapeVersion >= 3) w.rgba(l.color); else w.rgb(l.color);
        return;
    }
    w.ub(2, static_cast<uint32_t>(l.startCap));
    w.ub(2, static_cast<uint32_t>(l.join));
    w.ub(1, l.fill.has_value());
    w.ub(1, l.noHScale);
    w.ub(1, l.noVScale);
    w.ub(1, l.pixelHinting);
    w.ub(5, 0);
    w.ub(1, l.noClose);
    w.ub(2, static_cast<uint32_t>(l.endCap));
    if (l.join == swf::JoinStyle::Miter) w.fixed8(l.miterLimit);
    if (l.fill) writeFillStyle(w, *l.fill, shapeVersion);
    else w.rgba(l.color);
}

void writeStyleArrays(BodyWriter& w, const std::vector<swf::FillStyle>& fills, const std::vector<swf::LineStyle>& lines,
                      int shapeVersion) {
    writeStyleCount(w, fills.size(), shapeVersion);
    for (const auto& f : fills) writeFillStyle(w, f, shapeVersion);
    writeStyleCount(w, lines.size(), shapeVersion);
    for (const auto& l : lines) writeLineStyle(w, l, shapeVersion);
}

void writeShapeRecords(BodyWriter& w, const std::vector<swf::ShapeRecord>& records, size_t fillCount, size_t lineCount,
                       int shapeVersion) {
    int fillBits = ubits(fillCount), lineBits = ubits(lineCount);
    w.align();
    w.ub(4, static_cast<uint32_t>(fillBits));
    w.ub(4, static_cast<uint32_t>(lineBits));
    for (const swf::ShapeRecord& r : records) {
        if (r.type != swf::ShapeRecord::Type::StyleChange) {
            writeEdge(w, r);
            continue;
        }
        bool newStyles = r.hasNewStyles && shapeVersion >= 2;
        w.ub(1, 0);
        w.ub(1, newStyles);
        w.ub(1, r.hasLine);
        w.ub(1, r.hasFill1);
        w.ub(1, r.hasFill0);
        w.ub(1, r.hasMove);
        if (r.hasMove) {
            int32_t x = twips(r.moveTo.x), y = twips(r.moveTo.y);
            int n = std::max(sbits(x), sbits(y));
            w.ub(5, static_cast<uint32_t>(n));
            w.sb(n, x);
            w.sb(n, y);
        }
        if (r.hasFill0) w.ub(fillBits, r.fill0);
        if (r.hasFill1) w.ub(fillBits, r.fill1);
        if (r.hasLine) w.ub(lineBits, r.line);
        if (newStyles) {
            writeStyleArrays(w, r.newFillStyles, r.newLineStyles, shapeVersion);
            fillBits = ubits(r.newFillStyles.size());
            lineBits = ubits(r.newLineStyles.size());
            w.ub(4, static_cast<uint32_t>(fillBits));
            w.ub(4, static_cast<uint32_t>(lineBits));
        }
    }
    w.ub(6, 0);  // end of shape
    w.align();
}

void writeMorphFillStyle(BodyWriter& w, const swf::MorphFillStyle& f) {
    using K = swf::FillStyle::Kind;
    switch (f.start.kind) {
    case K::Solid:
        w.u8(0x00);
        w.rgba(f.start.color);
        w.rgba(f.end.color);
        break;
    case K::LinearGradient:
    case K::RadialGradient:
    case K::FocalGradient:
        w.u8(gradientType(f.start.kind));
        w.matrix(f.start.gradient.matrix);
        w.matrix(f.end.gradient.matrix);
        writeMorphGradient(w, f.start.gradient, f.end.gradient);
        if (f.start.kind == K::FocalGradient) {
            w.fixed8(f.start.gradient.focalPoint);
            w.fixed8(f.end.gradient.focalPoint);
        }
        break;
    case K::Bitmap:
        w.u8(bitmapType(f.start));
        w.u16(f.start.bitmapId);
        w.matrix(f.start.bitmapMatrix);
        w.matrix(f.end.bitmapMatrix);
        break;
    }
}

void writeMorphLineStyle(BodyWriter& w, const swf::MorphLineStyle& l, int version) {
    w.u16(static_cast<uint16_t>(std::lround(l.start.width)));
    w.u16(static_cast<uint16_t>(std::lround(l.end.width)));
    if (version < 2) {
        w.rgba(l.start.color);
        w.rgba(l.end.color);
        return;
    }
    const swf::LineStyle& s = l.start;
    w.ub(2, static_cast<uint32_t>(s.startCap));
    w.ub(2, static_cast<uint32_t>(s.join));
    bool hasFill = s.fill.has_value() && l.end.fill.has_value();
    w.ub(1, hasFill);
    w.ub(1, s.noHScale);
    w.ub(1, s.noVScale);
    w.ub(1, s.pixelHinting);
    w.ub(5, 0);
    w.ub(1, s.noClose);
    w.ub(2, static_cast<uint32_t>(s.endCap));
    if (s.join == swf::JoinStyle::Miter) w.fixed8(s.miterLimit);
    if (hasFill) {
        writeMorphFillStyle(w, swf::MorphFillStyle{*s.fill, *l.end.fill});
    } else {
        w.rgba(s.color);
        w.rgba(l.end.color);
    }
}

void writeFilter(BodyWriter& w, const swf::Filter& f) {
    using K = swf::Filter::Kind;
    switch (f.kind) {
    case K::DropShadow: {
        const auto& d = f.dropShadow;
        w.u8(0);
        w.rgba(d.color);
        w.fixed16(d.blurX);
        w.fixed16(d.blurY);
        w.fixed16(d.angle);
        w.fixed16(d.distance);
        w.fixed8(d.strength);
        w.ub(1, d.inner);
        w.ub(1, d.knockout);
        w.ub(1, d.compositeSource);
        w.ub(5, static_cast<uint32_t>(d.passes));
        break;
    }
    case K::Blur:
        w.u8(1);
        w.fixed16(f.blur.blurX);
        w.fixed16(f.blur.blurY);
        w.ub(5, static_cast<uint32_t>(f.blur.passes));
        w.ub(3, 0);
        break;
    case K::Glow: {
        const auto& g = f.glow;
        w.u8(2);
        w.rgba(g.color);
        w.fixed16(g.blurX);
        w.fixed16(g.blurY);
        w.fixed8(g.strength);
        w.ub(1, g.inner);
        w.ub(1, g.knockout);
        w.ub(1, g.compositeSource);
        w.ub(5, static_cast<uint32_t>(g.passes));
        break;
    }
    case K::Bevel: {
        const auto& b = f.bevel;
        w.u8(3);
        w.rgba(b.highlightColor);  // first, as players read it
        w.rgba(b.shadowColor);
        w.fixed16(b.blurX);
        w.fixed16(b.blurY);
        w.fixed16(b.angle);
        w.fixed16(b.distance);
        w.fixed8(b.strength);
        w.ub(1, b.inner);
        w.ub(1, b.knockout);
        w.ub(1, b.compositeSource);
        w.ub(1, b.onTop);
        w.ub(4, static_cast<uint32_t>(b.passes));
        break;
    }
    case K::GradientGlow:
    case K::GradientBevel: {
        const auto& g = f.gradient;
        w.u8(f.kind == K::GradientGlow ? 4 : 7);
        w.u8(static_cast<uint8_t>(g.stops.size()));
        for (const auto& s : g.stops) w.rgba(s.color);
        for (const auto& s : g.stops) w.u8(s.ratio);
        w.fixed16(g.blurX);
        w.fixed16(g.blurY);
        w.fixed16(g.angle);
        w.fixed16(g.distance);
        w.fixed8(g.strength);
        w.ub(1, g.inner);
        w.ub(1, g.knockout);
        w.ub(1, g.compositeSource);
        w.ub(1, g.onTop);
        w.ub(4, static_cast<uint32_t>(g.passes));
        break;
    }
    case K::Convolution: {
        const auto& c = f.convolution;
        w.u8(5);
        w.u8(static_cast<uint8_t>(c.matrixX));
        w.u8(static_cast<uint8_t>(c.matrixY));
        w.u32(std::bit_cast<uint32_t>(c.divisor));
        w.u32(std::bit_cast<uint32_t>(c.bias));
        for (float v : c.matrix) w.u32(std::bit_cast<uint32_t>(v));
        w.rgba(c.defaultColor);
        w.ub(6, 0);
        w.ub(1, c.clamp);
        w.ub(1, c.preserveAlpha);
        break;
    }
    case K::ColorMatrix:
        w.u8(6);
        for (float v : f.colorMatrix.matrix) w.u32(std::bit_cast<uint32_t>(v));
        break;
    case K::DisplacementMap:
        // Only scripts make these: a movie has no record for one, so an identity colour matrix
        // stands in and keeps the list's count true.
        w.u8(6);
        for (float v : swf::ColorMatrixFilter{}.matrix) w.u32(std::bit_cast<uint32_t>(v));
        break;
    }
    w.align();
}

}  // namespace swfw
