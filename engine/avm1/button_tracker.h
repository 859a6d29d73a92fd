// The mouse state of one button (or of a clip with press and roll handlers): turns pointer
// movement and presses into the button's visible state and the transitions its actions wait for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace swf::avm1 {

// Transition bits of a button's condition actions, as stored.
enum ButtonCondition : uint16_t {
    IdleToOverUp = 0x01, OverUpToIdle = 0x02, OverUpToOverDown = 0x04, OverDownToOverUp = 0x08,
    OverDownToOutDown = 0x10, OutDownToOverDown = 0x20, OutDownToIdle = 0x40, IdleToOverDown = 0x80,
    OverDownToIdle = 0x100
};

enum class ButtonVisual { Up, Over, Down };

class ButtonTracker {
public:
    explicit ButtonTracker(bool trackAsMenu = false) : menu_(trackAsMenu) {}

    // The pointer is now inside the hit area or not, with the primary button held or not.
    // Returns the transitions taken, in the order they happened (at most two). A pointer dragged
    // in with the button held does not press a push button, so a press that arrives without an
    // earlier move to that point should be given as a move (buttonDown false) first.
    std::vector<ButtonCondition> update(bool inside, bool buttonDown);
    ButtonVisual visual() const;
    // The primary button went down over it and has not been released yet: it keeps the pointer.
    bool pressed() const { return state_ == State::OverDown || state_ == State::OutDown; }

    // The event handler that each transition calls on a button or clip object ("onPress"...).
    static const char* handlerName(ButtonCondition c);

private:
    enum class State { Idle, OverUp, OverDown, OutDown } state_ = State::Idle;
    bool menu_;
};

}  // namespace swf::avm1
