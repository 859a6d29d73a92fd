#include <gtest/gtest.h>

#include "engine/core/player.h"
#include "tests/engine/avm2/abc_script.h"

using namespace avm2test;
using swfw::AbcCode;
using swfw::AbcWriter;
using Lines = std::vector<std::string>;

namespace {

// The entry script makes `new Timer(delay, 2)`, listens to both its events with a function that
// traces the event's type and the timer's count and state, and starts it.
std::vector<uint8_t> timerMovie(int delay, bool stopInListener) {
    AbcWriter w;
    Tracer t(w);
    uint32_t utils = w.ns(0x16, "flash.utils");
    uint32_t timer = w.qname(utils, "Timer");
    uint32_t target = w.publicName("target");

    uint32_t listener = w.method({0});
    AbcCode lc;
    t.begin(lc).op(kGetLocal1).op(kGetProperty, w.publicName("type")).op(kGetLocal1).op(kGetProperty, target)
        .op(kGetProperty, w.publicName("currentCount")).op(kGetLocal1).op(kGetProperty, target)
        .op(kGetProperty, w.publicName("running"));
    t.end(lc, 3);
    if (stopInListener) lc.op(kGetLocal1).op(kGetProperty, target).op(kCallPropVoid, w.publicName("stop"), 0);
    lc.op(kReturnVoid);
    w.body(listener, lc);

    uint32_t add = w.publicName("addEventListener");
    AbcCode sc;
    sc.op(kGetLocal0).op(kPushScope);
    sc.op(kFindPropStrict, timer).op(kPushShort, static_cast<uint32_t>(delay)).op(kPushByte, 2).op(kConstructProp, timer, 2).op(kSetLocal1);
    sc.op(kGetLocal1).op(kPushString, w.string("timer")).op(kNewFunction, listener).op(kCallPropVoid, add, 2);
    sc.op(kGetLocal1).op(kPushString, w.string("timerComplete")).op(kNewFunction, listener).op(kCallPropVoid, add, 2);
    sc.op(kGetLocal1).op(kCallPropVoid, w.publicName("start"), 0);
    t.string(sc, "started");
    sc.op(kReturnVoid);
    uint32_t init = w.method();
    w.body(init, sc);
    w.script(init, {});
    return swfw::abcMovie(w.bytes(), "", 1);
}

Lines play(const std::vector<uint8_t>& movie, int ticks, Lines* errors = nullptr) {
    std::string error;
    auto player = swf::Player::load(movie, error);
    EXPECT_TRUE(player) << error;
    if (!player) return {};
    Lines lines;
    player->setTraceHandler([&](const std::string& s) { lines.push_back(s); });
    player->setScriptErrorHandler([&](const std::string& s) {
        if (errors) errors->push_back(s);
    });
    for (int i = 0; i < ticks; ++i) player->tick();
    return lines;
}

}  // namespace

TEST(As3Timer, TicksOnTheMovieClockThenCompletes) {
    Lines errors;
    // Two seconds of frames at any usual rate: both ticks and the completion, nothing after.
    Lines lines = play(timerMovie(100, false), 120, &errors);
    EXPECT_TRUE(errors.empty()) << errors.front();
    EXPECT_EQ(lines, (Lines{"started", "timer 1 true", "timer 2 true", "timerComplete 2 false"}));
}

TEST(As3Timer, NothingBeforeTheDelay) {
    // A delay of a minute: a few frames give no tick.
    EXPECT_EQ(play(timerMovie(30000, false), 5), (Lines{"started"}));
}

TEST(As3Timer, StoppedInItsListenerNeverCompletes) {
    EXPECT_EQ(play(timerMovie(50, true), 120), (Lines{"started", "timer 1 true"}));
}
