#include "forms/input_rule.h"

#include <gtest/gtest.h>

using forms::InputEndsSaver;
using forms::ScreenPoint;

namespace {
constexpr uint32_t kMouseMove = 0x0200;
int64_t at(int x, int y) { return (static_cast<int64_t>(y & 0xFFFF) << 16) | (x & 0xFFFF); }
}  // namespace

TEST(InputRule, MouseMovesBeyondFourPixelsEndAQuietSaver) {
    const ScreenPoint start{500, 300};
    EXPECT_FALSE(InputEndsSaver(kMouseMove, at(500, 300), false, start));  // the move sent on show
    EXPECT_FALSE(InputEndsSaver(kMouseMove, at(504, 304), false, start));
    EXPECT_FALSE(InputEndsSaver(kMouseMove, at(496, 300), false, start));
    EXPECT_FALSE(InputEndsSaver(kMouseMove, at(496, 296), false, start));
    EXPECT_TRUE(InputEndsSaver(kMouseMove, at(505, 300), false, start));
    EXPECT_TRUE(InputEndsSaver(kMouseMove, at(500, 295), false, start));
    EXPECT_TRUE(InputEndsSaver(kMouseMove, at(495, 305), false, start));
}

TEST(InputRule, MouseMoveCoordinatesAreUnsigned16Bit) {
    // A position left of the screen arrives as 65535, far from a start at the left edge.
    EXPECT_TRUE(InputEndsSaver(kMouseMove, at(-1, 0), false, ScreenPoint{0, 0}));
    // Bits above the low 32 do not take part.
    EXPECT_FALSE(InputEndsSaver(kMouseMove, (int64_t{1} << 40) | at(10, 10), false, ScreenPoint{10, 10}));
    // A start point far off the 16-bit range cannot overflow the distance.
    EXPECT_TRUE(InputEndsSaver(kMouseMove, at(0, 0), false, ScreenPoint{INT32_MIN, INT32_MAX}));
}

TEST(InputRule, KeysEndTheSaverInBothModes) {
    for (uint32_t key : {0x0100u, 0x0101u, 0x0104u, 0x0105u}) {
        EXPECT_TRUE(InputEndsSaver(key, 0, false, {})) << key;
        EXPECT_TRUE(InputEndsSaver(key, 0, true, {})) << key;
    }
}

TEST(InputRule, ClicksAndActivationEndOnlyAQuietSaver) {
    for (uint32_t message : {0x0006u, 0x001Cu, 0x0086u, 0x0201u, 0x0204u, 0x0207u}) {
        EXPECT_TRUE(InputEndsSaver(message, 0, false, {})) << message;
        EXPECT_FALSE(InputEndsSaver(message, 0, true, {})) << message;
    }
    // Interactive: moves never end it, however far.
    EXPECT_FALSE(InputEndsSaver(kMouseMove, at(900, 700), true, ScreenPoint{0, 0}));
}

TEST(InputRule, OtherMouseMessagesAreLeftAlone) {
    // Button releases, double clicks, the wheel and the extra buttons.
    for (uint32_t message : {0x0202u, 0x0203u, 0x0205u, 0x0208u, 0x020Au, 0x020Bu, 0x020Cu, 0x0113u, 0x000Fu}) {
        EXPECT_FALSE(InputEndsSaver(message, 0, false, {})) << message;
        EXPECT_FALSE(InputEndsSaver(message, 0, true, {})) << message;
    }
}
