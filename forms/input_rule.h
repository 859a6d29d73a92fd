// Which queued input ends the full-screen saver. Portable: the message numbers are the platform's
// published values, so the rule can be tested without Windows.
#pragma once

#include <cstdint>

namespace forms {

struct ScreenPoint {
    int32_t x = 0;
    int32_t y = 0;
};

// The pointer may drift this far (on each axis) from where it was when the saver was shown.
constexpr int32_t kMouseMoveTolerance = 4;

// True when a message taken from the queue asks the saver to end:
// - not interactive: a mouse move more than 4 pixels from start on either axis (x and y are the
//   low and high 16 bits of lParam, unsigned); nothing else is looked at for a move;
// - always: a key going down or up, system keys included;
// - not interactive: a left, right or middle button going down, and activation changes.
bool InputEndsSaver(uint32_t message, int64_t lParam, bool interactive, ScreenPoint start);

}  // namespace forms
