#include "tests/engine/core/movie_builder.h"

#include "tools/swfwriter/swf_writer.h"

namespace coretest {

MovieBuilder::MovieBuilder() {
    movie->header.version = 10;
    movie->header.stageRect = {0, 0, 2000, 2000};
    movie->header.frameRate = 24;
}

void MovieBuilder::rect(uint16_t id, double x, double y, double w, double h, swf::Rgba color) {
    swf::Character c;
    c.id = id;
    c.tagCode = 32;
    c.definition = swfw::rectangleShape({x * 20, y * 20, (x + w) * 20, (y + h) * 20}, color);
    movie->characters[id] = std::move(c);
}

void MovieBuilder::sprite(uint16_t id, swf::Timeline t) {
    swf::Character c;
    c.id = id;
    c.tagCode = 39;
    c.definition = swf::Sprite{std::move(t)};
    movie->characters[id] = std::move(c);
}

swf::PlaceObject place(uint16_t depth, uint16_t id, double x, double y) {
    swf::PlaceObject p;
    p.version = 2;
    p.depth = depth;
    p.characterId = id;
    p.matrix = swf::Matrix::translate(x * 20, y * 20);
    return p;
}

swf::PlaceObject moveTo(uint16_t depth, double x, double y) {
    swf::PlaceObject p;
    p.version = 2;
    p.depth = depth;
    p.move = true;
    p.matrix = swf::Matrix::translate(x * 20, y * 20);
    return p;
}

swf::PlaceObject replace(uint16_t depth, uint16_t id) {
    swf::PlaceObject p;
    p.version = 2;
    p.depth = depth;
    p.move = true;
    p.characterId = id;
    return p;
}

swf::RemoveObject removeAt(uint16_t depth) {
    swf::RemoveObject r;
    r.depth = depth;
    return r;
}

swf::Timeline timeline(std::vector<std::vector<swf::ControlTag>> frames) {
    swf::Timeline t;
    for (auto& tags : frames) t.frames.push_back({std::move(tags)});
    t.declaredFrameCount = static_cast<uint16_t>(t.frames.size());
    return t;
}

swf::Rgba pixelAt(swf::Player& player, int x, int y) {
    // One image for all calls: the player keeps its renderer bound to the image it drew last.
    static swf::RgbaImage image;
    player.setViewport(100, 100, {});
    player.render(image);
    const uint8_t* p = image.at(x, y);
    return {p[0], p[1], p[2], p[3]};
}

}  // namespace coretest
