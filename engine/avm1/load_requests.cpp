#include "engine/avm1/load_requests.h"

namespace swf::avm1 {

bool requestLoad(Machine& m, Object* target, const Value& url) {
    if (!target || url.isUndefined()) return false;
    m.setMember(Value(target), "_bytesLoaded", Value(0.0));
    m.setMember(Value(target), "loaded", Value(false));
    m.defer({target}, [&m, target] {
        Value onData = m.getMember(Value(target), "onData");
        m.call(onData, target, {Value()});
    });
    return true;
}

Value finishLoad(Machine& m, Object* self, const Value& data, const char* parse) {
    if (!self) return Value();
    if (data.isNullish()) {
        m.call(m.getMember(Value(self), "onLoad"), self, {Value(false)});
        return Value();
    }
    m.call(m.getMember(Value(self), parse), self, {data});
    m.setMember(Value(self), "loaded", Value(true));
    m.call(m.getMember(Value(self), "onLoad"), self, {Value(true)});
    return Value();
}

namespace loading {

Value load(Machine& m, Object* self, std::vector<Value>& a) { return Value(requestLoad(m, self, arg(a, 0))); }

Value sendAndLoad(Machine& m, Object*, std::vector<Value>& a) {
    return Value(requestLoad(m, arg(a, 1).object(), arg(a, 0)));
}

// Sending shows the answer in a browser window: a saver opens none.
Value send(Machine&, Object*, std::vector<Value>&) { return Value(false); }

Value onLoad(Machine&, Object*, std::vector<Value>&) { return Value(); }

Value getBytesLoaded(Machine& m, Object* self, std::vector<Value>&) {
    return self ? m.getMember(Value(self), "_bytesLoaded") : Value();
}

Value getBytesTotal(Machine& m, Object* self, std::vector<Value>&) {
    return self ? m.getMember(Value(self), "_bytesTotal") : Value();
}

}  // namespace loading

}  // namespace swf::avm1
