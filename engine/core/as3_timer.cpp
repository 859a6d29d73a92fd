#include "engine/core/as3_timer.h"

#include <cmath>

#include "engine/core/as3_display.h"

namespace swf {

using namespace avm2;
using Args = std::span<const Value>;

namespace {

class TimerObject : public As3DisplayObject {
public:
    double delay = 0;
    int repeatCount = 0;
    int currentCount = 0;
    uint32_t scheduled = 0;  // the queue's id while running, 0 when stopped
};

TimerObject* asTimer(Machine& m, const Value& v) {
    auto* o = dynamic_cast<TimerObject*>(v.object());
    if (!o) m.typeError(1034, u"Type Coercion failed: cannot convert " + m.describeForError(v) + u" to flash.utils.Timer.");
    return o;
}

double checkedDelay(Machine& m, const Value& v) {
    double d = m.toNumber(v);
    if (!(d >= 0) || !std::isfinite(d)) m.rangeError(2066, u"Error #2066: The Timer delay specified is out of range.");
    return d;
}

void stop(Machine& m, TimerObject* t) {
    if (t->scheduled) m.timers.remove(t->scheduled);
    t->scheduled = 0;
}

void send(Machine& m, TimerObject* t, ClassObject* timerEvent, const String& type) {
    Value ctorArgs[1] = {Value(type)};
    Value e = m.construct(Value(timerEvent), ctorArgs);
    Value a[1] = {e};
    m.callProperty(Value(t), Name{u"dispatchEvent", m.publicSet}, a);
}

}  // namespace

void installTimerClasses(Machine& m, As3Display& display, ClassObject* dispatcher, ClassObject* event) {
    ClassObject* timerEvent = m.defineClass(u"flash.events", u"TimerEvent", event, [event](Machine& m, const Value& self, Args a) -> Value {
        return m.call(Value(event->constructor), self, a);
    });
    m.defineConstant(timerEvent, u"TIMER", Value(String(u"timer")));
    m.defineConstant(timerEvent, u"TIMER_COMPLETE", Value(String(u"timerComplete")));
    // Drawing between frames is the renderer's own business: there is nothing to ask for.
    m.defineMethod(timerEvent, u"updateAfterEvent", 0, [](Machine&, const Value&, Args) -> Value { return Value(); });

    ClassObject* timer = m.defineClass(
        u"flash.utils", u"Timer", dispatcher,
        [](Machine& m, const Value& self, Args a) -> Value {
            TimerObject* t = asTimer(m, self);
            t->delay = checkedDelay(m, arg(a, 0));
            t->repeatCount = a.size() > 1 ? m.toInt(a[1]) : 0;
            return Value();
        },
        [&display](Machine& m, ClassObject*) -> Object* {
            auto* o = m.make<TimerObject>();
            o->display = &display;
            return o;
        });
    // One tick: count, tell the listeners, and after the last one stop and say so.
    FunctionObject* tick = m.newNative(u"tick", 0, [timerEvent](Machine& m, const Value& self, Args) -> Value {
        TimerObject* t = asTimer(m, self);
        ++t->currentCount;
        bool last = t->repeatCount > 0 && t->currentCount >= t->repeatCount;
        send(m, t, timerEvent, u"timer");
        if (last && t->scheduled) {
            stop(m, t);
            send(m, t, timerEvent, u"timerComplete");
        }
        return Value();
    });
    m.hostRoots.push_back(tick);
    m.defineGetter(timer, u"delay", [](Machine& m, const Value& self, Args) -> Value { return Value(asTimer(m, self)->delay); },
                   [tick](Machine& m, const Value& self, Args a) -> Value {
                       TimerObject* t = asTimer(m, self);
                       t->delay = checkedDelay(m, arg(a, 0));
                       if (t->scheduled) {  // a running timer starts its period again
                           stop(m, t);
                           t->scheduled = m.timers.add(Value(tick), self, {}, t->delay, true, m.clockMs);
                       }
                       return Value();
                   });
    m.defineGetter(timer, u"repeatCount", [](Machine& m, const Value& self, Args) -> Value { return Value(asTimer(m, self)->repeatCount); },
                   [](Machine& m, const Value& self, Args a) -> Value {
                       TimerObject* t = asTimer(m, self);
                       t->repeatCount = m.toInt(arg(a, 0));
                       if (t->repeatCount > 0 && t->currentCount >= t->repeatCount) stop(m, t);
                       return Value();
                   });
    m.defineGetter(timer, u"currentCount", [](Machine& m, const Value& self, Args) -> Value { return Value(asTimer(m, self)->currentCount); });
    m.defineGetter(timer, u"running", [](Machine& m, const Value& self, Args) -> Value { return Value(asTimer(m, self)->scheduled != 0); });
    m.defineMethod(timer, u"start", 0, [tick](Machine& m, const Value& self, Args) -> Value {
        TimerObject* t = asTimer(m, self);
        if (!t->scheduled) t->scheduled = m.timers.add(Value(tick), self, {}, t->delay, true, m.clockMs);
        return Value();
    });
    m.defineMethod(timer, u"stop", 0, [](Machine& m, const Value& self, Args) -> Value {
        stop(m, asTimer(m, self));
        return Value();
    });
    m.defineMethod(timer, u"reset", 0, [](Machine& m, const Value& self, Args) -> Value {
        TimerObject* t = asTimer(m, self);
        stop(m, t);
        t->currentCount = 0;
        return Value();
    });
}

}  // namespace swf
