// Calls scripts asked for later (setTimeout, setInterval, the ticks of a Timer), on the movie's
// clock: the host moves the clock on each frame and runs what fell due.
#pragma once

#include <map>
#include <set>
#include <utility>
#include <vector>

#include "engine/avm2/value.h"

namespace swf::avm2 {

class Machine;

class TimerQueue {
public:
    // Schedules `fn` (called with `self` and `args`) `delayMs` after `nowMs`, again every `delayMs`
    // when `repeat`. Ids count from 1 and are never reused.
    uint32_t add(Value fn, Value self, std::vector<Value> args, double delayMs, bool repeat, double nowMs);
    void remove(uint32_t id);
    bool contains(uint32_t id) const { return entries_.count(id) != 0; }
    size_t size() const { return entries_.size(); }
    // Runs the calls due by `nowMs`, earliest first. A call that is late by many periods runs a
    // few times, then the rest of its backlog is dropped (a stalled saver does not replay it).
    // An error a call throws is reported by the machine and the others still run.
    void run(Machine& m, double nowMs);
    void trace(std::vector<Object*>& out) const;

    static constexpr int kMaxCatchUp = 8;
    static constexpr size_t kMaxEntries = 100'000;

private:
    struct Entry {
        Value fn, self;
        std::vector<Value> args;
        double delayMs = 0;
        double dueMs = 0;
        bool repeat = false;
    };
    std::map<uint32_t, Entry> entries_;
    // The same entries ordered by due time, then by id (the one made first), so that a turn finds
    // the next call without looking at every timer.
    std::set<std::pair<double, uint32_t>> byDue_;
    uint32_t nextId_ = 1;
};

}  // namespace swf::avm2
