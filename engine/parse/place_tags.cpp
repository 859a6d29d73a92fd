#include "engine/parse/records.h"
#include "engine/parse/tag_readers.h"

namespace swf {

static std::vector<ClipAction> readClipActions(ByteReader& r, int swfVersion) {
    std::vector<ClipAction> actions;
    r.u16();  // reserved
    bool wide = swfVersion >= 6;
    if (wide) r.u32(); else r.u16();  // all events
    for (;;) {
        uint32_t events = wide ? r.u32() : r.u16();
        if (events == 0) break;
        ClipAction a;
        a.events = events;
        uint32_t size = r.u32();
        ByteReader body = r.sub(size);
        if (events & 0x00020000) {  // ClipEventKeyPress: a key code first
            a.keyCode = body.u8();
        }
        a.actions = body.rest();
        actions.push_back(std::move(a));
    }
    return actions;
}

PlaceObject readPlaceObject(ByteReader& r, int code, int swfVersion) {
    PlaceObject p;
    if (code == 4) {
        p.version = 1;
        p.characterId = r.u16();
        p.depth = r.u16();
        p.matrix = readMatrix(r);
        if (!r.atEnd()) p.colorTransform = readColorTransform(r, false);
        return p;
    }
    p.version = code == 26 ? 2 : 3;
    uint8_t flags = r.u8();
    uint8_t flags2 = p.version == 3 ? r.u8() : 0;
    p.depth = r.u16();
    p.move = flags & 0x01;
    bool hasCharacter = flags & 0x02;
    bool hasMatrix = flags & 0x04;
    bool hasCxform = flags & 0x08;
    bool hasRatio = flags & 0x10;
    bool hasName = flags & 0x20;
    bool hasClipDepth = flags & 0x40;
    bool hasClipActions = flags & 0x80;
    bool hasClassName = flags2 & 0x08;
    bool hasImage = flags2 & 0x10;
    if (hasClassName || (hasImage && hasCharacter)) r.string();  // an ActionScript 3 class name: not used
    if (hasCharacter) p.characterId = r.u16();
    if (hasMatrix) p.matrix = readMatrix(r);
    if (hasCxform) p.colorTransform = readColorTransform(r, true);
    if (hasRatio) p.ratio = r.u16();
    if (hasName) p.name = r.string();
    if (hasClipDepth) p.clipDepth = r.u16();
    if (p.version == 3) {
        if (flags2 & 0x01) p.filters = readFilterList(r);
        if (flags2 & 0x02) {
            uint8_t mode = r.u8();
            p.blendMode = mode >= 2 && mode <= 14 ? static_cast<BlendMode>(mode) : BlendMode::Normal;
        }
        if (flags2 & 0x04) p.cacheAsBitmap = r.u8() != 0;
        if (flags2 & 0x20) p.visible = r.u8() != 0;
        if (flags2 & 0x40) r.skip(4);  // opaque background colour
    }
    if (hasClipActions) p.clipActions = readClipActions(r, swfVersion);
    return p;
}

RemoveObject readRemoveObject(ByteReader& r, int code) {
    RemoveObject ro;
    if (code == 5) ro.characterId = r.u16();
    ro.depth = r.u16();
    return ro;
}

}  // namespace swf
