// Test helpers for movies whose root is an ActionScript 3 class: a player run that collects trace
// lines and errors, and pixels of what it drew (the class assembler is in as3_class_builder.h).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/player.h"
#include "tests/engine/avm2/as3_class_builder.h"

namespace avm2test {

using Lines = std::vector<std::string>;

struct Played {
    std::unique_ptr<swf::Player> player;
    Lines lines, errors;
};

// Plays `movie` in a view of `width` x `height` pixels: the first frame, then `ticks` more.
inline Played play(const std::vector<uint8_t>& movie, int ticks, int width = 550, int height = 400) {
    Played p;
    std::string error;
    p.player = swf::Player::load(movie, error);
    EXPECT_TRUE(p.player) << error;
    if (!p.player) return p;
    p.player->setTraceHandler([&p](const std::string& s) { p.lines.push_back(s); });
    p.player->setScriptErrorHandler([&p](const std::string& s) { p.errors.push_back(s); });
    p.player->setViewport(width, height, swf::ViewOptions{});
    swf::RgbaImage image;
    p.player->render(image);  // starts the movie
    for (int i = 0; i < ticks; ++i) p.player->tick();
    return p;
}

inline swf::Rgba pixel(const swf::RgbaImage& image, int x, int y) {
    const uint8_t* p = image.at(x, y);
    return swf::Rgba{p[0], p[1], p[2], p[3]};
}

}  // namespace avm2test
