// Error and its subclasses: message, name and errorID, toString in the player's form, and the
// stack trace of where the error was made, as a debugging player gives it.
#include "engine/avm2/machine.h"

namespace swf::avm2 {

namespace {

using Args = std::span<const Value>;

uint32_t addSlot(ClassObject* c, const String& name, Value initial) {
    Binding b;
    b.kind = Binding::Kind::Slot;
    b.slot = static_cast<uint32_t>(c->instanceTraits.slots.size());
    SlotInfo s;
    s.initial = std::move(initial);
    s.name = name;
    c->instanceTraits.slots.push_back(s);
    c->instanceTraits.set(Ns{kNsPackage, u"", 0}, name, b);
    return b.slot;
}

}  // namespace

void installErrorBuiltins(Machine& m) {
    auto ctor = [](Machine& m, const Value& self, Args a) -> Value {
        Object* o = self.object();
        if (!o) return Value();
        if (!a.empty()) m.set(self, u"message", Value(m.toString(a[0])));
        if (a.size() > 1 && o->slots.size() > 3) o->slots[3] = Value(m.toInt(a[1]));
        if (o->slots.size() > 4) o->slots[4] = Value(m.stackTrace());
        return Value();
    };
    ClassObject* e = m.defineClass(u"", u"Error", m.objectClass, ctor);
    m.errorClass = e;
    e->isSealedInstances = false;
    addSlot(e, u"message", Value(String()));
    addSlot(e, u"name", Value(u"Error"));
    // Slot 3 holds the error number (read through errorID).
    {
        SlotInfo s;
        s.initial = Value(0);
        s.name = u" errorID";
        e->instanceTraits.slots.push_back(s);
        // Slot 4: the stack trace taken when the error was made.
        s.initial = Value::null();
        s.name = u" stack";
        e->instanceTraits.slots.push_back(s);
    }
    m.defineGetter(e, u"errorID", [](Machine&, const Value& self, Args) -> Value {
        Object* o = self.object();
        return o && o->slots.size() > 3 ? o->slots[3] : Value(0);
    });
    m.defineMethod(e, u"getStackTrace", 0, [](Machine& m, const Value& self, Args) -> Value {
        Object* o = self.object();
        if (!o || o->slots.size() <= 4 || !o->slots[4].isString()) return Value::null();
        return Value(m.toString(self) + o->slots[4].string());
    });
    m.defineMethod(e, u"toString", 0, [](Machine& m, const Value& self, Args) -> Value {
        String name = m.toString(m.get(self, u"name"));
        Value msg = m.get(self, u"message");
        String text = msg.isNullish() ? String() : m.toString(msg);
        return Value(text.empty() ? name : name + u": " + text);
    });
    m.defineConstant(e, u"length", Value(1));
    m.defineStatic(e, u"getErrorMessage", 1, [](Machine& m, const Value&, Args a) -> Value {
        return Value(u"Error #" + numberToString(m.toInt(arg(a, 0))));
    });
    m.defineStatic(e, u"throwError", 2, [](Machine& m, const Value& self, Args a) -> Value {
        Value args[2] = {Value(u"Error #" + numberToString(m.toInt(arg(a, 1)))), arg(a, 1)};
        throw ThrownValue{m.construct(self, args), String()};
    });
    struct Sub {
        String package;
        String name;
    };
    for (const Sub& s : std::vector<Sub>{Sub{u"", u"DefinitionError"}, Sub{u"", u"EvalError"}, Sub{u"", u"RangeError"}, Sub{u"", u"ReferenceError"},
                  Sub{u"", u"SecurityError"}, Sub{u"", u"SyntaxError"}, Sub{u"", u"TypeError"}, Sub{u"", u"URIError"},
                  Sub{u"", u"VerifyError"}, Sub{u"", u"UninitializedError"}, Sub{u"", u"ArgumentError"},
                  Sub{u"flash.errors", u"IOError"}, Sub{u"flash.errors", u"IllegalOperationError"},
                  Sub{u"flash.errors", u"InvalidSWFError"}, Sub{u"flash.errors", u"MemoryError"},
                  Sub{u"flash.errors", u"ScriptTimeoutError"}, Sub{u"flash.errors", u"StackOverflowError"}}) {
        ClassObject* c = m.defineClass(s.package, s.name, e, ctor);
        c->instanceTraits.slots[2].initial = Value(s.name);
        c->prototype->dynamic.set(u"name", Value(s.name), false);
        if (s.name == u"IOError") {
            ClassObject* eof = m.defineClass(u"flash.errors", u"EOFError", c, ctor);
            eof->instanceTraits.slots[2].initial = Value(u"EOFError");
        }
    }
    e->prototype->dynamic.set(u"name", Value(u"Error"), false);
    e->prototype->dynamic.set(u"message", Value(u"Error"), false);
}

}  // namespace swf::avm2
