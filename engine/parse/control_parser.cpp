#include "engine/parse/control_parser.h"

#include "engine/parse/shape_parser.h"

namespace swf {
namespace {

std::vector<Filter> readFilterList(SwfReader& r) {
    std::vector<Filter> filters;
    uint8_t n = r.u8();
    for (int i = 0; i < n; ++i) filters.push_back(readFilter(r));
    return filters;
}

BlendMode toBlendMode(uint8_t v) {
    // 0 and values past the last known mode draw as Normal.
    return v >= 1 && v <= 14 ? static_cast<BlendMode>(v) : BlendMode::Normal;
}

}  // namespace

PlaceObject readPlaceObject(SwfReader& r, int version) {
    PlaceObject p;
    p.version = version;
    if (version == 1) {
        p.characterId = r.u16();
        p.depth = r.u16();
        p.matrix = r.matrix();
        if (!r.atEnd()) p.colorTransform = r.cxform(false);
        return p;
    }
    uint8_t f = r.u8();
    uint8_t f2 = version >= 3 ? r.u8() : 0;
    p.move = f & 0x01;
    p.depth = r.u16();
    p.hasImage = f2 & 0x10;
    bool hasCharacter = f & 0x02;
    if ((f2 & 0x08) || (p.hasImage && hasCharacter)) p.className = r.string();
    if (hasCharacter) p.characterId = r.u16();
    if (f & 0x04) p.matrix = r.matrix();
    if (f & 0x08) p.colorTransform = r.cxform(true);
    if (f & 0x10) p.ratio = r.u16();
    if (f & 0x20) p.name = r.string();
    if (f & 0x40) p.clipDepth = r.u16();
    if (f2 & 0x01) p.filters = readFilterList(r);
    if (f2 & 0x02) p.blendMode = toBlendMode(r.u8());
    if (f2 & 0x04) {
        // Some writers set the flag without the byte; a missing byte means cached.
        p.cacheAsBitmap = r.atEnd() ? true : r.u8() != 0;
    }
    if (f2 & 0x20) p.visible = r.u8() != 0;
    if (f2 & 0x40) p.opaqueBackground = r.rgba();
    if (f & 0x80) p.clipActions = r.copy(r.remaining());
    return p;
}

Button readDefineButton(SwfReader& r, int version) {
    Button b;
    b.version = version;
    uint16_t actionOffset = 0;
    size_t offsetBase = 0;
    if (version >= 2) {
        b.trackAsMenu = r.u8() & 0x01;
        offsetBase = r.position();
        actionOffset = r.u16();
    }
    for (;;) {
        uint8_t flags = r.u8();
        if (flags == 0) break;
        ButtonRecord rec;
        rec.up = flags & 0x01;
        rec.over = flags & 0x02;
        rec.down = flags & 0x04;
        rec.hitTest = flags & 0x08;
        rec.characterId = r.u16();
        rec.depth = r.u16();
        rec.matrix = r.matrix();
        if (version >= 2) {
            rec.colorTransform = r.cxform(true);
            if (flags & 0x10) rec.filters = readFilterList(r);
            if (flags & 0x20) rec.blendMode = toBlendMode(r.u8());
        }
        b.records.push_back(std::move(rec));
    }
    if (version < 2) {
        ButtonAction a;
        a.conditions = ButtonAction::kOverDownToOverUp;
        a.bytes = r.copy(r.remaining());
        if (!a.bytes.empty()) b.actions.push_back(std::move(a));
        return b;
    }
    if (actionOffset == 0) return b;
    size_t at = offsetBase + actionOffset;
    if (at < r.position()) throwMalformed("button action offset points into its records");
    r.skip(at - r.position());
    for (;;) {
        uint16_t size = r.u16();
        ButtonAction a;
        a.conditions = r.u16();
        if (size != 0 && size < 4) throwMalformed("button action record shorter than its header");
        a.bytes = r.copy(size == 0 ? r.remaining() : size - 4u);
        b.actions.push_back(std::move(a));
        if (size == 0) break;
    }
    return b;
}

}  // namespace swf
