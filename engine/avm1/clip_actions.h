// Clip event handlers (onClipEvent) decoded from a placed clip's CLIPACTIONS bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/avm1/function_code.h"

namespace swf::avm1 {

// Event bits as stored (the 16-bit form of SWF 5 is the low half).
enum ClipEvent : uint32_t {
    EventLoad = 0x1, EventEnterFrame = 0x2, EventUnload = 0x4, EventMouseMove = 0x8, EventMouseDown = 0x10,
    EventMouseUp = 0x20, EventKeyDown = 0x40, EventKeyUp = 0x80, EventData = 0x100, EventInitialize = 0x200,
    EventPress = 0x400, EventRelease = 0x800, EventReleaseOutside = 0x1000, EventRollOver = 0x2000,
    EventRollOut = 0x4000, EventDragOver = 0x8000, EventDragOut = 0x10000, EventKeyPress = 0x20000,
    EventConstruct = 0x40000
};

struct ClipEventHandler {
    uint32_t events = 0;
    uint8_t keyCode = 0;  // for EventKeyPress
    ActionCode code;
};

// Decodes CLIPACTIONS (from the reserved word on). Records that do not fit are dropped; what came
// before them is kept.
std::vector<ClipEventHandler> readClipActions(std::shared_ptr<const std::vector<uint8_t>> bytes, int swfVersion);

}  // namespace swf::avm1
