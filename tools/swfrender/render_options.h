// Command line of swfrender.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/core/player.h"

namespace swfrender {

struct RenderOptions {
    std::string movie;
    std::string out;
    std::string input;  // an event file to feed the movie, when given
    std::string audio;  // a WAV file for the sound of the frames played, when given
    int frames = 1;
    std::optional<int> width, height;
    swf::ScaleMode scaleMode = swf::ScaleMode::ShowAll;
    swf::Quality quality = swf::Quality::High;
    bool bench = false;
    // Draws every frame both as changed since the frame before and whole, and compares them.
    bool checkRedraw = false;
    int threads = 0;  // drawing threads; 0: the player's choice
};

// Returns nullopt and sets `error` for a command line it cannot use.
std::optional<RenderOptions> parseOptions(const std::vector<std::string>& args, std::string& error);

extern const char* const kUsage;

}  // namespace swfrender
