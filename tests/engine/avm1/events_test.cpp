// Clip event records and the button state machine.
#include <gtest/gtest.h>

#include "engine/avm1/button_tracker.h"
#include "engine/avm1/clip_actions.h"

namespace swf::avm1 {

namespace {

void u16(std::vector<uint8_t>& d, uint32_t v) { d.push_back(uint8_t(v)); d.push_back(uint8_t(v >> 8)); }
void u32(std::vector<uint8_t>& d, uint32_t v) { u16(d, v & 0xffff); u16(d, v >> 16); }

}  // namespace

TEST(ClipActions, ReadsHandlersOfBothFlagWidths) {
    std::vector<uint8_t> wide;
    u16(wide, 0);
    u32(wide, EventLoad | EventEnterFrame | EventKeyPress);
    u32(wide, EventLoad | EventEnterFrame);
    u32(wide, 2);
    wide.insert(wide.end(), {0x07, 0x00});  // stop, end
    u32(wide, EventKeyPress);
    u32(wide, 2);
    wide.insert(wide.end(), {13, 0x00});    // key 13, end
    u32(wide, 0);
    auto handlers = readClipActions(std::make_shared<const std::vector<uint8_t>>(wide), 6);
    ASSERT_EQ(handlers.size(), 2u);
    EXPECT_EQ(handlers[0].events, uint32_t(EventLoad | EventEnterFrame));
    EXPECT_EQ(handlers[0].code.end - handlers[0].code.begin, 2u);
    EXPECT_EQ(handlers[1].keyCode, 13);
    EXPECT_EQ(handlers[1].code.end - handlers[1].code.begin, 1u);

    std::vector<uint8_t> narrow;
    u16(narrow, 0);
    u16(narrow, EventMouseDown);
    u16(narrow, EventMouseDown);
    u32(narrow, 1);
    narrow.push_back(0);
    u16(narrow, 0);
    handlers = readClipActions(std::make_shared<const std::vector<uint8_t>>(narrow), 5);
    ASSERT_EQ(handlers.size(), 1u);
    EXPECT_EQ(handlers[0].events, uint32_t(EventMouseDown));
}

TEST(ClipActions, OversizedRecordsAreDropped) {
    std::vector<uint8_t> b;
    u16(b, 0);
    u32(b, EventLoad);
    u32(b, EventLoad);
    u32(b, 1);
    b.push_back(0);
    u32(b, EventEnterFrame);
    u32(b, 0xfffffff0u);  // claims far more than there is
    b.push_back(0);
    auto handlers = readClipActions(std::make_shared<const std::vector<uint8_t>>(b), 8);
    ASSERT_EQ(handlers.size(), 1u);
    EXPECT_EQ(handlers[0].events, uint32_t(EventLoad));
    EXPECT_TRUE(readClipActions(std::make_shared<const std::vector<uint8_t>>(std::vector<uint8_t>{1}), 8).empty());
}

using Conditions = std::vector<ButtonCondition>;

TEST(ButtonTracker, ClickDragAndReleaseOutside) {
    ButtonTracker b;
    EXPECT_EQ(b.update(false, false), Conditions{});
    EXPECT_EQ(b.update(true, false), Conditions{IdleToOverUp});
    EXPECT_EQ(b.visual(), ButtonVisual::Over);
    EXPECT_EQ(b.update(true, true), Conditions{OverUpToOverDown});
    EXPECT_EQ(b.visual(), ButtonVisual::Down);
    EXPECT_EQ(b.update(true, false), Conditions{OverDownToOverUp});
    EXPECT_EQ(b.update(true, true), Conditions{OverUpToOverDown});
    EXPECT_EQ(b.update(false, true), Conditions{OverDownToOutDown});
    EXPECT_EQ(b.update(true, true), Conditions{OutDownToOverDown});
    EXPECT_EQ(b.update(false, false), (Conditions{OverDownToOutDown, OutDownToIdle}));
    EXPECT_EQ(b.visual(), ButtonVisual::Up);
    // Dragged in with the button already held: a push button stays up.
    EXPECT_EQ(b.update(true, true), Conditions{});
    EXPECT_EQ(std::string(ButtonTracker::handlerName(OutDownToIdle)), "onReleaseOutside");
}

TEST(ButtonTracker, MenuButtonsTrackDragsIn) {
    ButtonTracker b(true);
    EXPECT_EQ(b.update(true, true), Conditions{IdleToOverDown});
    EXPECT_EQ(b.update(false, true), Conditions{OverDownToIdle});
    EXPECT_EQ(b.visual(), ButtonVisual::Up);
}

}  // namespace swf::avm1
