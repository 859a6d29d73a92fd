// The frame clock under the conditions a window timer gives it: a timer faster than the movie,
// a coarse one, frames that take longer than their slot, and odd rates.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "engine/core/frame_clock.h"

namespace {

using namespace std::chrono_literals;
using Time = swf::FrameClock::Time;

// A single-threaded host: a timer fires every `step` (coalesced, as WM_TIMER is: a tick that comes
// while a frame is still running is delivered once, when it is done); each frame run takes
// `work(frameNumber)`. Returns the times frames started.
std::vector<Time> run(swf::FrameClock& clock, Time step, Time duration,
                      const std::function<Time(size_t)>& work = [](size_t) { return Time::zero(); }) {
    std::vector<Time> frames;
    Time busyUntil = Time::zero();
    for (Time tick = Time::zero(); tick < duration; tick += step) {
        const Time now = std::max(tick, busyUntil);
        if (now > tick && now - tick >= step) continue;  // coalesced into a later tick
        if (!clock.frameDue(now)) continue;
        frames.push_back(now);
        busyUntil = now + work(frames.size() - 1);
    }
    return frames;
}

size_t mostFramesIn(const std::vector<Time>& frames, Time window) {
    size_t most = 0;
    for (size_t i = 0, j = 0; i < frames.size(); ++i) {
        while (frames[i] - frames[j] >= window) ++j;
        most = std::max(most, i - j + 1);
    }
    return most;
}

TEST(FrameClock, HoldsTheMovieRateWithFastAndCoarseTimers) {
    for (double rate : {12.0, 24.0, 30.0, 60.0}) {
        for (Time step : {Time(1ms), Time(4ms), Time(15600us)}) {
            if (step * 2 > std::chrono::nanoseconds(static_cast<long long>(1e9 / rate))) continue;
            swf::FrameClock clock(rate);
            auto frames = run(clock, step, 10s);
            // Ten seconds give ten seconds of frames, not one more than the rate allows.
            EXPECT_NEAR(static_cast<double>(frames.size()), rate * 10, 1.0) << rate << " fps, step " << step.count();
            EXPECT_LE(mostFramesIn(frames, 1s), static_cast<size_t>(rate) + 1) << rate << " fps";
            EXPECT_EQ(clock.skippedFrames(), 0u);
        }
    }
}

TEST(FrameClock, FirstFrameComesAWholePeriodAfterStartOrRestart) {
    swf::FrameClock clock(25);  // 40 ms
    EXPECT_EQ(clock.untilNext(0ms), 40ms);
    EXPECT_FALSE(clock.frameDue(100ms));
    EXPECT_EQ(clock.untilNext(110ms), 30ms);
    EXPECT_FALSE(clock.frameDue(139ms));
    EXPECT_TRUE(clock.frameDue(140ms));
    EXPECT_FALSE(clock.frameDue(140ms));  // one frame per slot, however often asked
    EXPECT_EQ(clock.untilNext(150ms), 30ms);
    clock.restart();
    EXPECT_FALSE(clock.frameDue(500ms));
    EXPECT_FALSE(clock.frameDue(539ms));
    EXPECT_TRUE(clock.frameDue(540ms));
    EXPECT_EQ(clock.untilNext(600ms), 0ms);  // late: due now
}

TEST(FrameClock, SlowFramesSkipAheadInsteadOfBuildingABacklog) {
    // Every frame takes 2.5 slots: the movie runs at the speed the machine manages, one frame per
    // slot it reaches, and never two frames back to back to catch up.
    swf::FrameClock clock(30);
    const Time period = clock.period();
    auto frames = run(clock, 1ms, 10s, [&](size_t) { return period * 5 / 2; });
    ASSERT_GT(frames.size(), 50u);
    for (size_t i = 1; i < frames.size(); ++i) EXPECT_GE(frames[i] - frames[i - 1], period * 5 / 2);
    EXPECT_LE(frames.size(), 300u / 2);
    EXPECT_GT(clock.skippedFrames(), 100u);

    // One stall of a second in an otherwise quick movie: afterwards the frames come at the rate at
    // once, on the old phase, and the lost slots are gone rather than run in a burst.
    swf::FrameClock steady(30);
    auto after = run(steady, 1ms, 3s, [](size_t n) { return n == 10 ? Time(1s) : Time(2ms); });
    EXPECT_LE(mostFramesIn(after, 200ms), 7u);
    EXPECT_NEAR(static_cast<double>(after.size()), 90 - 30, 2.0);
    EXPECT_NEAR(static_cast<double>(steady.skippedFrames()), 29, 1.0);
}

TEST(FrameClock, RatesOutsideTheUsableRangeAreClamped) {
    EXPECT_EQ(swf::FrameClock(1000).period(), swf::FrameClock(120).period());
    EXPECT_EQ(swf::FrameClock(0).period(), swf::FrameClock(0.01).period());
    EXPECT_EQ(swf::FrameClock(-5).period(), swf::FrameClock(0.01).period());
    EXPECT_EQ(swf::FrameClock(std::numeric_limits<double>::quiet_NaN()).period(), swf::FrameClock(12).period());
    EXPECT_EQ(swf::FrameClock(0.01).period(), 100s);

    // A new rate takes effect from the next frame on.
    swf::FrameClock clock(10);
    clock.frameDue(0ms);
    EXPECT_TRUE(clock.frameDue(100ms));
    clock.setRate(50);
    EXPECT_FALSE(clock.frameDue(150ms));
    EXPECT_TRUE(clock.frameDue(200ms));
    EXPECT_TRUE(clock.frameDue(220ms));
}

}  // namespace
