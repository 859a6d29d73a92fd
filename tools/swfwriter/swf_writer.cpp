#include "tools/swfwriter/swf_writer.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "tools/swfwriter/record_writer.h"

namespace swfw {

SwfWriter::SwfWriter(int version, swf::Rect stage, double frameRate)
    : version_(version), stage_(stage), frameRate_(frameRate) {}

void SwfWriter::tag(uint16_t code, const std::vector<uint8_t>& body, bool forceLong) {
    auto put16 = [&](uint16_t v) {
        tags_.push_back(static_cast<uint8_t>(v));
        tags_.push_back(static_cast<uint8_t>(v >> 8));
    };
    if (body.size() < 0x3F && !forceLong) {
        put16(static_cast<uint16_t>(code << 6 | body.size()));
    } else {
        put16(static_cast<uint16_t>(code << 6 | 0x3F));
        uint32_t n = static_cast<uint32_t>(body.size());
        put16(static_cast<uint16_t>(n));
        put16(static_cast<uint16_t>(n >> 16));
    }
    tags_.insert(tags_.end(), body.begin(), body.end());
}

void SwfWriter::fileAttributes(bool actionScript3, bool useNetwork, bool hasMetadata) {
    BodyWriter w;
    w.u8(static_cast<uint8_t>((hasMetadata ? 0x10 : 0) | (actionScript3 ? 0x08 : 0) | (useNetwork ? 0x01 : 0)));
    w.u8(0);
    w.u8(0);
    w.u8(0);
    tag(kFileAttributes, w.data());
}

void SwfWriter::setBackgroundColor(swf::Rgba color) {
    BodyWriter w;
    w.rgb(color);
    tag(kSetBackgroundColor, w.data());
}

void SwfWriter::defineShape(uint16_t id, const swf::Shape& shape, int version) {
    static const uint16_t codes[] = {kDefineShape, kDefineShape2, kDefineShape3, kDefineShape4};
    version = std::clamp(version, 1, 4);
    BodyWriter w;
    w.u16(id);
    w.rect(shape.bounds);
    if (version >= 4) {
        w.rect(shape.edgeBounds.empty() ? shape.bounds : shape.edgeBounds);
        w.u8(static_cast<uint8_t>((shape.nonZeroWinding ? 0x04 : 0) | (shape.usesScalingStrokes ? 0x01 : 0x02)));
    }
    writeStyleArrays(w, shape.fillStyles, shape.lineStyles, version);
    writeShapeRecords(w, shape.records, shape.fillStyles.size(), shape.lineStyles.size(), version);
    tag(codes[version - 1], w.data(), true);
}

void SwfWriter::defineMorphShape(uint16_t id, const swf::MorphShape& shape, int version) {
    BodyWriter w;
    w.u16(id);
    w.rect(shape.startBounds);
    w.rect(shape.endBounds);
    if (version >= 2) {
        w.rect(shape.startEdgeBounds.empty() ? shape.startBounds : shape.startEdgeBounds);
        w.rect(shape.endEdgeBounds.empty() ? shape.endBounds : shape.endEdgeBounds);
        w.u8(0x01);
    }
    BodyWriter rest;
    rest.u8(static_cast<uint8_t>(std::min<size_t>(shape.fillStyles.size(), 0xFF)));
    if (shape.fillStyles.size() >= 0xFF) rest.u16(static_cast<uint16_t>(shape.fillStyles.size()));
    for (const auto& f : shape.fillStyles) writeMorphFillStyle(rest, f);
    rest.u8(static_cast<uint8_t>(std::min<size_t>(shape.lineStyles.size(), 0xFF)));
    if (shape.lineStyles.size() >= 0xFF) rest.u16(static_cast<uint16_t>(shape.lineStyles.size()));
    for (const auto& l : shape.lineStyles) writeMorphLineStyle(rest, l, version);
    writeShapeRecords(rest, shape.startRecords, shape.fillStyles.size(), shape.lineStyles.size(), 1);
    const std::vector<uint8_t>& head = rest.data();
    w.u32(static_cast<uint32_t>(head.size()));
    w.bytes(head);
    BodyWriter end;
    writeShapeRecords(end, shape.endRecords, 0, 0, 1);
    w.bytes(end.data());
    tag(version >= 2 ? kDefineMorphShape2 : kDefineMorphShape, w.data(), true);
}

void SwfWriter::defineSprite(uint16_t id, const SwfWriter& body) {
    BodyWriter w;
    w.u16(id);
    w.u16(static_cast<uint16_t>(body.framesShown()));
    w.bytes(body.tagBytes());
    w.u16(0);  // End
    tag(kDefineSprite, w.data(), true);
}

void SwfWriter::defineButton(uint16_t id, const swf::Button& button) {
    BodyWriter w;
    w.u16(id);
    bool v2 = button.version >= 2;
    if (v2) w.u8(button.trackAsMenu ? 1 : 0);
    BodyWriter records;
    for (const swf::ButtonRecord& r : button.records) {
        bool hasFilters = v2 && !r.filters.empty();
        bool hasBlend = v2 && r.blendMode != swf::BlendMode::Normal;
        records.u8(static_cast<uint8_t>((hasBlend ? 0x20 : 0) | (hasFilters ? 0x10 : 0) | (r.hitTest ? 0x08 : 0) |
                                        (r.down ? 0x04 : 0) | (r.over ? 0x02 : 0) | (r.up ? 0x01 : 0)));
        records.u16(r.characterId);
        records.u16(r.depth);
        records.matrix(r.matrix);
        if (v2) {
            records.cxform(r.colorTransform, true);
            if (hasFilters) {
                records.u8(static_cast<uint8_t>(r.filters.size()));
                for (const auto& f : r.filters) writeFilter(records, f);
            }
            if (hasBlend) records.u8(static_cast<uint8_t>(r.blendMode));
        }
    }
    records.u8(0);
    const std::vector<uint8_t>& rec = records.data();
    if (!v2) {
        w.bytes(rec);
        if (!button.actions.empty()) w.bytes(button.actions.front().bytes);
        tag(kDefineButton, w.data(), true);
        return;
    }
    // The action offset counts from its own field to the first condition record.
    w.u16(button.actions.empty() ? 0 : static_cast<uint16_t>(rec.size() + 2));
    w.bytes(rec);
    for (size_t i = 0; i < button.actions.size(); ++i) {
        const auto& a = button.actions[i];
        bool last = i + 1 == button.actions.size();
        w.u16(last ? 0 : static_cast<uint16_t>(a.bytes.size() + 4));
        w.u16(a.conditions);
        w.bytes(a.bytes);
    }
    tag(kDefineButton2, w.data(), true);
}

void SwfWriter::defineButtonCxform(uint16_t id, const swf::ColorTransform& cxform) {
    BodyWriter w;
    w.u16(id);
    w.cxform(cxform, false);
    tag(kDefineButtonCxform, w.data());
}

void SwfWriter::placeObject(const swf::PlaceObject& p) {
    BodyWriter w;
    if (p.version <= 1) {
        w.u16(p.characterId.value_or(0));
        w.u16(p.depth);
        w.matrix(p.matrix.value_or(swf::Matrix{}));
        if (p.colorTransform) w.cxform(*p.colorTransform, false);
        tag(kPlaceObject, w.data());
        return;
    }
    bool v3 = p.version >= 3;
    w.u8(static_cast<uint8_t>((!p.clipActions.empty() ? 0x80 : 0) | (p.clipDepth ? 0x40 : 0) | (p.name ? 0x20 : 0) |
                              (p.ratio ? 0x10 : 0) | (p.colorTransform ? 0x08 : 0) | (p.matrix ? 0x04 : 0) |
                              (p.characterId ? 0x02 : 0) | (p.move ? 0x01 : 0)));
    if (v3)
        w.u8(static_cast<uint8_t>((p.opaqueBackground ? 0x40 : 0) | (p.visible ? 0x20 : 0) | (p.hasImage ? 0x10 : 0) |
                                  (p.className ? 0x08 : 0) | (p.cacheAsBitmap ? 0x04 : 0) | (p.blendMode ? 0x02 : 0) |
                                  (p.filters ? 0x01 : 0)));
    w.u16(p.depth);
    if (v3 && p.className) w.string(*p.className);
    if (p.characterId) w.u16(*p.characterId);
    if (p.matrix) w.matrix(*p.matrix);
    if (p.colorTransform) w.cxform(*p.colorTransform, true);
    if (p.ratio) w.u16(*p.ratio);
    if (p.name) w.string(*p.name);
    if (p.clipDepth) w.u16(*p.clipDepth);
    if (v3 && p.filters) {
        w.u8(static_cast<uint8_t>(p.filters->size()));
        for (const auto& f : *p.filters) writeFilter(w, f);
    }
    if (v3 && p.blendMode) w.u8(static_cast<uint8_t>(*p.blendMode));
    if (v3 && p.cacheAsBitmap) w.u8(*p.cacheAsBitmap ? 1 : 0);
    if (v3 && p.visible) w.u8(*p.visible ? 1 : 0);
    if (v3 && p.opaqueBackground) w.rgba(*p.opaqueBackground);
    if (!p.clipActions.empty()) w.bytes(p.clipActions);
    tag(v3 ? kPlaceObject3 : kPlaceObject2, w.data());
}

void SwfWriter::removeObject(uint16_t depth, std::optional<uint16_t> characterId) {
    BodyWriter w;
    if (characterId) w.u16(*characterId);
    w.u16(depth);
    tag(characterId ? kRemoveObject : kRemoveObject2, w.data());
}

void SwfWriter::frameLabel(const std::string& name, bool namedAnchor) {
    BodyWriter w;
    w.string(name);
    if (namedAnchor) w.u8(1);
    tag(kFrameLabel, w.data());
}

void SwfWriter::doAction(const std::vector<uint8_t>& bytes) { tag(kDoAction, bytes); }

void SwfWriter::doInitAction(uint16_t spriteId, const std::vector<uint8_t>& bytes) {
    BodyWriter w;
    w.u16(spriteId);
    w.bytes(bytes);
    tag(kDoInitAction, w.data());
}

void SwfWriter::exportAssets(const std::vector<std::pair<uint16_t, std::string>>& names) {
    BodyWriter w;
    w.u16(static_cast<uint16_t>(names.size()));
    for (const auto& [id, name] : names) {
        w.u16(id);
        w.string(name);
    }
    tag(kExportAssets, w.data());
}

void SwfWriter::showFrame() {
    tag(kShowFrame, {});
    ++frames_;
}

std::vector<uint8_t> SwfWriter::finish(bool compress, std::optional<uint16_t> frameCount) const {
    BodyWriter head;
    head.rect(stage_);
    head.u16(static_cast<uint16_t>(std::lround(frameRate_ * 256)));
    head.u16(frameCount.value_or(static_cast<uint16_t>(frames_)));
    std::vector<uint8_t> body = head.data();
    body.insert(body.end(), tags_.begin(), tags_.end());
    body.push_back(0);
    body.push_back(0);  // End
    uint32_t length = static_cast<uint32_t>(body.size() + 8);
    const uint8_t header[8] = {static_cast<uint8_t>(compress ? 'C' : 'F'), 'W', 'S', static_cast<uint8_t>(version_),
                               static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8),
                               static_cast<uint8_t>(length >> 16), static_cast<uint8_t>(length >> 24)};
    std::vector<uint8_t> payload = body;
    if (compress) {
        uLongf size = compressBound(static_cast<uLong>(body.size()));
        payload.assign(size, 0);
        if (compress2(payload.data(), &size, body.data(), static_cast<uLong>(body.size()), 9) != Z_OK)
            throw std::runtime_error("zlib could not compress the movie");
        payload.resize(size);
    }
    // Sized first and copied into: gcc 12 misreads inserting after an initialised prefix as overflow.
    std::vector<uint8_t> out(8 + payload.size());
    std::copy(header, header + 8, out.begin());
    std::copy(payload.begin(), payload.end(), out.begin() + 8);
    return out;
}

swf::Shape rectangleShape(const swf::Rect& r, swf::Rgba color) {
    swf::FillStyle f;
    f.color = color;
    return rectangleShape(r, f);
}

swf::Shape rectangleShape(const swf::Rect& r, const swf::FillStyle& fill) {
    swf::Shape s;
    s.bounds = s.edgeBounds = r;
    s.fillStyles.push_back(fill);
    swf::ShapeRecord start;
    start.hasMove = true;
    start.moveTo = {r.xMin, r.yMin};
    start.hasFill1 = true;
    start.fill1 = 1;
    s.records.push_back(start);
    auto line = [&](double dx, double dy) {
        swf::ShapeRecord e;
        e.type = swf::ShapeRecord::Type::Line;
        e.delta = {dx, dy};
        s.records.push_back(e);
    };
    line(r.width(), 0);
    line(0, r.height());
    line(-r.width(), 0);
    line(0, -r.height());
    return s;
}

}  // namespace swfw
