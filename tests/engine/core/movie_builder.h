// Movies for the core tests, built as parsed data: shapes of one colour, sprites, frames of tags.
#pragma once

#include <memory>

#include "engine/core/movie_player.h"

namespace coretest {

constexpr swf::Rgba kRed{255, 0, 0, 255}, kBlue{0, 0, 255, 255}, kGreen{0, 255, 0, 255}, kWhite{255, 255, 255, 255};

struct MovieBuilder {
    std::shared_ptr<swf::Movie> movie = std::make_shared<swf::Movie>();

    MovieBuilder();  // a 100x100 pixel stage, white background, 24 fps
    // A rectangle of `color` covering pixels [x, x+w) x [y, y+h) of its own space.
    void rect(uint16_t id, double x, double y, double w, double h, swf::Rgba color);
    void sprite(uint16_t id, swf::Timeline timeline);
    swf::Timeline& main() { return movie->timeline; }
    std::unique_ptr<swf::MoviePlayer> player(swf::TimelineLimits limits = {}) const {
        return std::make_unique<swf::MoviePlayer>(movie, limits);
    }
};

swf::PlaceObject place(uint16_t depth, uint16_t id, double xPixels = 0, double yPixels = 0);
swf::PlaceObject moveTo(uint16_t depth, double xPixels, double yPixels);
swf::PlaceObject replace(uint16_t depth, uint16_t id);
swf::RemoveObject removeAt(uint16_t depth);
// A timeline of `frames`, each the list of tags given.
swf::Timeline timeline(std::vector<std::vector<swf::ControlTag>> frames);

// The straight colour at a pixel after rendering the player's current frame at 100x100.
swf::Rgba pixelAt(swf::Player& player, int x, int y);

}  // namespace coretest
