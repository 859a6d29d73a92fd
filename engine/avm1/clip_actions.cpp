#include "engine/avm1/clip_actions.h"

#include "engine/avm1/action_reader.h"

namespace swf::avm1 {

std::vector<ClipEventHandler> readClipActions(std::shared_ptr<const std::vector<uint8_t>> bytes, int swfVersion) {
    std::vector<ClipEventHandler> handlers;
    if (!bytes) return handlers;
    const std::vector<uint8_t>& b = *bytes;
    FieldReader r(b.data(), 0, b.size());
    bool wide = swfVersion >= 6;
    r.u16();                          // reserved
    if (wide) r.u32(); else r.u16();  // all events
    while (r.ok() && !r.atEnd()) {
        uint32_t events = wide ? r.u32() : r.u16();
        if (!r.ok() || events == 0) break;
        uint32_t size = r.u32();
        if (!r.ok() || size > b.size() - r.pos()) break;
        size_t start = r.pos();
        ClipEventHandler h;
        h.events = events;
        if (events & EventKeyPress) {
            if (size < 1) break;
            h.keyCode = b[start];
            ++start;
            --size;
        }
        h.code = ActionCode{bytes, start, start + size};
        handlers.push_back(std::move(h));
        r = FieldReader(b.data(), start + size, b.size());
    }
    return handlers;
}

}  // namespace swf::avm1
