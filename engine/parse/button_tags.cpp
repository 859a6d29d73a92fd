#include "engine/parse/records.h"
#include "engine/parse/tag_readers.h"

namespace swf {

static std::vector<ButtonRecord> readButtonRecords(ByteReader& r, int version) {
    std::vector<ButtonRecord> records;
    for (;;) {
        uint8_t flags = r.u8();
        if (flags == 0) break;
        ButtonRecord rec;
        bool hasBlend = flags & 0x20;
        bool hasFilters = flags & 0x10;
        rec.stateHitTest = flags & 0x08;
        rec.stateDown = flags & 0x04;
        rec.stateOver = flags & 0x02;
        rec.stateUp = flags & 0x01;
        rec.characterId = r.u16();
        rec.depth = r.u16();
        rec.matrix = readMatrix(r);
        if (version == 2) {
            rec.colorTransform = readColorTransform(r, true);
            if (hasFilters) rec.filters = readFilterList(r);
            if (hasBlend) {
                uint8_t mode = r.u8();
                rec.blendMode = mode >= 2 && mode <= 14 ? static_cast<BlendMode>(mode) : BlendMode::Normal;
            }
        }
        records.push_back(std::move(rec));
    }
    return records;
}

ButtonDefinition readDefineButton(ByteReader& r, int code, int /*swfVersion*/) {
    ButtonDefinition b;
    if (code == 7) {
        b.version = 1;
        b.records = readButtonRecords(r, 1);
        ButtonAction action;
        action.conditions = 0x0008;  // OverDownToOverUp: a release inside the button
        action.actions = r.rest();
        b.actions.push_back(std::move(action));
        return b;
    }
    b.version = 2;
    b.trackAsMenu = r.u8() & 1;
    size_t actionStart = r.position();
    uint16_t actionOffset = r.u16();
    b.records = readButtonRecords(r, 2);
    if (actionOffset == 0) return b;
    size_t pos = actionStart + actionOffset;
    if (pos < r.position()) pos = r.position();
    if (pos > r.size()) return b;
    r.skip(pos - r.position());
    for (;;) {
        size_t condStart = r.position();
        uint16_t size = r.u16();
        ButtonAction action;
        action.conditions = r.u16();
        size_t end = size == 0 ? r.size() : condStart + size;
        if (end < r.position() || end > r.size()) end = r.size();
        action.actions = r.bytes(end - r.position());
        b.actions.push_back(std::move(action));
        if (size == 0 || r.atEnd()) break;
    }
    return b;
}

void readDefineButtonCxform(ByteReader& r, ButtonDefinition& button) {
    ColorTransform c = readColorTransform(r, false);
    for (auto& rec : button.records) rec.colorTransform = c;
}

}  // namespace swf
