// swfrender's event files: a JSON list of simulated input (mouse, keys, typed text, editing
// commands, the clipboard) with "Wait" entries that each let one frame run.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/player.h"

namespace swfrender {

struct InputEvent {
    enum class Type { Wait, MouseMove, MouseDown, MouseUp, MouseWheel, KeyDown, KeyUp, TextInput, TextCommand, SetClipboard };
    Type type = Type::Wait;
    double x = 0, y = 0;  // stage pixels
    swf::MouseButton button = swf::MouseButton::Left;
    int wheelLines = 0;
    int keyCode = 0, charCode = 0;
    char32_t character = 0;
    swf::TextCommand command = swf::TextCommand::Enter;
    std::string text;
};

struct InputScript {
    std::vector<InputEvent> events;
    // Entries of kinds it does not know (or keys it cannot name), left out, one message each.
    std::vector<std::string> skipped;
};

// Reads an event file's text. On a malformed file returns nullopt and sets `error`.
std::optional<InputScript> readInputScript(std::string_view json, std::string& error);

// Gives one event (not a Wait) to the player.
void sendInput(swf::Player& player, const InputEvent& event);

}  // namespace swfrender
