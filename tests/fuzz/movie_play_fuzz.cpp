// Fuzz target: arbitrary bytes loaded as a movie, then 30 frames played and rendered at a small
// size, as the Flash component does with a movie it is given.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/base/image.h"
#include "engine/core/player.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string error;
    auto player = swf::Player::load(std::vector<uint8_t>(data, data + size), error);
    if (!player) return 0;
    swf::RgbaImage target(64, 48);
    player->setViewport(64, 48, swf::ViewOptions{});
    for (int frame = 0; frame < 30; ++frame) {
        player->render(target);
        player->tick();
    }
    player->takeWarnings();
    return 0;
}
