#include "engine/core/frame_clock.h"

#include <algorithm>
#include <cmath>

namespace swf {

FrameClock::FrameClock(double framesPerSecond) { setRate(framesPerSecond); }

void FrameClock::setRate(double framesPerSecond) {
    if (!std::isfinite(framesPerSecond)) framesPerSecond = 12.0;
    const double rate = std::clamp(framesPerSecond, 0.01, 120.0);
    period_ = Time(static_cast<Time::rep>(std::llround(1e9 / rate)));
}

bool FrameClock::frameDue(Time now) {
    if (!started_) {
        started_ = true;
        due_ = now + period_;
        return false;
    }
    if (now < due_) return false;
    due_ += period_;
    if (due_ <= now) {
        // More than a whole slot late: skip the missed slots, keeping the phase.
        const auto missed = (now - due_) / period_ + 1;
        due_ += missed * period_;
        skipped_ += static_cast<uint64_t>(missed);
    }
    return true;
}

FrameClock::Time FrameClock::untilNext(Time now) const {
    if (!started_) return period_;
    return std::max(Time::zero(), due_ - now);
}

}  // namespace swf
