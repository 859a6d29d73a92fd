#include "engine/avm1/button_tracker.h"

namespace swf::avm1 {

std::vector<ButtonCondition> ButtonTracker::update(bool inside, bool down) {
    std::vector<ButtonCondition> out;
    // Two passes at most, for a release that also moved the pointer across the edge.
    for (int pass = 0; pass < 2; ++pass) {
        switch (state_) {
        case State::Idle:
            if (inside && !down) { state_ = State::OverUp; out.push_back(IdleToOverUp); }
            else if (inside && down && menu_) { state_ = State::OverDown; out.push_back(IdleToOverDown); }
            break;
        case State::OverUp:
            if (!inside) { state_ = State::Idle; out.push_back(OverUpToIdle); }
            else if (down) { state_ = State::OverDown; out.push_back(OverUpToOverDown); }
            break;
        case State::OverDown:
            if (inside && !down) { state_ = State::OverUp; out.push_back(OverDownToOverUp); }
            else if (!inside && down) {
                if (menu_) { state_ = State::Idle; out.push_back(OverDownToIdle); }
                else { state_ = State::OutDown; out.push_back(OverDownToOutDown); }
            } else if (!inside && !down) {
                // Released after leaving in one step: out first, then released outside.
                state_ = State::OutDown;
                out.push_back(OverDownToOutDown);
                continue;
            }
            break;
        case State::OutDown:
            if (inside && down) { state_ = State::OverDown; out.push_back(OutDownToOverDown); }
            else if (!down) { state_ = State::Idle; out.push_back(OutDownToIdle); if (inside) continue; }
            break;
        }
        break;
    }
    return out;
}

ButtonVisual ButtonTracker::visual() const {
    switch (state_) {
    case State::OverUp: return ButtonVisual::Over;
    case State::OverDown: return ButtonVisual::Down;
    case State::OutDown: return menu_ ? ButtonVisual::Up : ButtonVisual::Over;
    default: return ButtonVisual::Up;
    }
}

const char* ButtonTracker::handlerName(ButtonCondition c) {
    switch (c) {
    case IdleToOverUp: return "onRollOver";
    case OverUpToIdle: return "onRollOut";
    case OverUpToOverDown: return "onPress";
    case OverDownToOverUp: return "onRelease";
    case OverDownToOutDown: case OverDownToIdle: return "onDragOut";
    case OutDownToOverDown: case IdleToOverDown: return "onDragOver";
    case OutDownToIdle: return "onReleaseOutside";
    }
    return "";
}

}  // namespace swf::avm1
