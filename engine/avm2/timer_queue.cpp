#include "engine/avm2/timer_queue.h"

#include <algorithm>
#include <cmath>

#include "engine/avm2/machine.h"

namespace swf::avm2 {

uint32_t TimerQueue::add(Value fn, Value self, std::vector<Value> args, double delayMs, bool repeat, double nowMs) {
    if (entries_.size() >= kMaxEntries) throw ScriptAbort("too many timers (limit)");
    // A period below a millisecond would spin: it counts as one.
    if (!std::isfinite(delayMs) || delayMs < 1) delayMs = std::isfinite(delayMs) && delayMs > 0 ? 1 : (repeat ? 1 : 0);
    uint32_t id = nextId_++;
    entries_[id] = Entry{std::move(fn), std::move(self), std::move(args), delayMs, nowMs + delayMs, repeat};
    byDue_.emplace(nowMs + delayMs, id);
    return id;
}

void TimerQueue::remove(uint32_t id) {
    auto it = entries_.find(id);
    if (it == entries_.end()) return;
    byDue_.erase({it->second.dueMs, id});
    entries_.erase(it);
}

void TimerQueue::run(Machine& m, double nowMs) {
    std::map<uint32_t, int> runs;
    // Calls scheduled while these run wait for the next turn, or a zero delay could spin.
    const uint32_t madeBefore = nextId_;
    for (;;) {
        // The earliest due call; among equals, the one made first.
        auto due = byDue_.begin();
        while (due != byDue_.end() && due->first <= nowMs && due->second >= madeBefore) ++due;
        if (due == byDue_.end() || due->first > nowMs) return;
        uint32_t id = due->second;
        byDue_.erase(due);
        auto next = entries_.find(id);
        Entry& e = next->second;
        Value fn = e.fn, self = e.self;
        std::vector<Value> args = e.args;
        if (!e.repeat) {
            entries_.erase(next);
        } else {
            e.dueMs += e.delayMs;
            if (++runs[id] >= kMaxCatchUp && e.dueMs <= nowMs) e.dueMs = nowMs + e.delayMs;
            byDue_.emplace(e.dueMs, id);
        }
        m.activeStacks.push_back(&args);
        m.guarded([&] { m.call(fn, self, args); });
        m.activeStacks.pop_back();
    }
}

void TimerQueue::trace(std::vector<Object*>& out) const {
    for (const auto& [id, e] : entries_) {
        if (Object* o = e.fn.object()) out.push_back(o);
        if (Object* o = e.self.object()) out.push_back(o);
        for (const Value& v : e.args)
            if (Object* o = v.object()) out.push_back(o);
    }
}

void installTimerBuiltins(Machine& m) {
    using Args = std::span<const Value>;
    auto schedule = [](bool repeat) {
        return [repeat](Machine& m, const Value&, Args a) -> Value {
            Value fn = arg(a, 0);
            if (!fn.object() || fn.object()->type != ObjectType::Function)
                m.typeError(1034, u"Type Coercion failed: cannot convert " + m.describeForError(fn) + u" to Function.");
            std::vector<Value> rest(a.size() > 2 ? a.begin() + 2 : a.end(), a.end());
            return Value(m.timers.add(fn, Value::null(), std::move(rest), m.toNumber(arg(a, 1)), repeat, m.clockMs));
        };
    };
    auto clear = [](Machine& m, const Value&, Args a) -> Value {
        m.timers.remove(m.toUint(arg(a, 0)));
        return Value();
    };
    m.defineGlobalFunction(u"flash.utils", u"setTimeout", 2, schedule(false));
    m.defineGlobalFunction(u"flash.utils", u"setInterval", 2, schedule(true));
    m.defineGlobalFunction(u"flash.utils", u"clearTimeout", 1, clear);
    m.defineGlobalFunction(u"flash.utils", u"clearInterval", 1, clear);
}

}  // namespace swf::avm2
