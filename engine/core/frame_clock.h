// Decides when the next frame of a movie runs. Frames come at the movie's rate and no faster; when
// the host falls behind (a slow frame, a busy machine) the missed slots are skipped rather than run
// in a burst, and the clock keeps its phase so that the rate holds on average.
#pragma once

#include <chrono>
#include <cstdint>

namespace swf {

class FrameClock {
public:
    using Time = std::chrono::nanoseconds;  // any monotonic time base the host has

    explicit FrameClock(double framesPerSecond = 12.0);

    // Rates outside 0.01..120 frames per second are clamped; the next due time stays where it is.
    void setRate(double framesPerSecond);
    Time period() const { return period_; }

    // Forgets the schedule: the next call to frameDue() starts it, with the first frame a whole
    // period later (what is on screen then shows for a full frame).
    void restart() { started_ = false; }

    // True when a frame should run at `now`; the schedule then moves on by one period, or past every
    // slot already missed. Call it from a timer that ticks more often than the movie's rate.
    bool frameDue(Time now);

    // How long from `now` until the next frame is due (zero when it is due already, one period when
    // the schedule has not started).
    Time untilNext(Time now) const;

    // Frame slots dropped because the host came too late for them.
    uint64_t skippedFrames() const { return skipped_; }

private:
    Time period_{};
    Time due_{};
    bool started_ = false;
    uint64_t skipped_ = 0;
};

}  // namespace swf
