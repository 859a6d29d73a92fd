// flash.utils.Timer and flash.events.TimerEvent: a dispatcher that ticks on the machine's timer
// queue (the movie's clock) and sends TIMER on each tick and TIMER_COMPLETE after the last.
#pragma once

#include "engine/avm2/machine.h"

namespace swf {

class As3Display;

// `dispatcher` and `event`: the EventDispatcher and Event classes the new ones extend.
void installTimerClasses(avm2::Machine& m, As3Display& display, avm2::ClassObject* dispatcher, avm2::ClassObject* event);

}  // namespace swf
