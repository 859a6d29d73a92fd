// The action loop: decodes one record at a time and runs it on the machine's stack.
#include <cmath>
#include <cstdlib>
#include <random>

#include "engine/avm1/action_reader.h"
#include "engine/avm1/frame.h"
#include "engine/avm1/text_units.h"

namespace swf::avm1 {

namespace {

bool legacyNaNIsZero(int version) { return version < 5; }

// super() into a built-in class (a subclass of Boolean, Array, ColorTransform...): the built-in's
// constructor makes the subclass's own object one of its kind, as `new` would have made it.
Value initializeAsNative(Machine& m, Object& ctor, Object& self, std::vector<Value>& args) {
    Value made = ctor.nativeConstruct(m, &self, args);
    Object* other = made.object();
    if (other && other != &self && other->isArray) {
        // Array's constructor makes an array of its own: its elements become the object's.
        self.isArray = true;
        self.elements = std::move(other->elements);
        self.elementFlags = std::move(other->elementFlags);
        other->elements.clear();
        return Value(&self);
    }
    return made;
}

std::mt19937& randomSource() {
    static std::mt19937 rng(std::random_device{}());
    return rng;
}

// An object in a comparison is its valueOf(), and one without valueOf (the global object) is
// undefined; a clip is NaN.
Value comparable(Machine& m, const Value& v) {
    if (!v.isObject()) return v;
    if (v.object()->clip) return Value(std::nan(""));  // clips are not asked for valueOf
    Value fn = m.getMember(v, "valueOf", false);
    if (!fn.object() || !fn.object()->isFunction()) return Value();
    return m.call(fn, v.object(), {});
}

// Abstract relational comparison: true, false, or undefined when a NaN takes part.
Value lessThan(Machine& m, const Value& a, const Value& b) {
    // An object whose valueOf gives an object is never less nor greater; the other side is then
    // not converted at all.
    Value pa = comparable(m, a);
    if (pa.isObject()) return Value(false);
    Value pb = comparable(m, b);
    if (pb.isObject()) return Value(false);
    if (pa.isString() && pb.isString()) return Value(pa.string() < pb.string());
    double x = m.toNumber(pa), y = m.toNumber(pb);
    if (std::isnan(x) || std::isnan(y)) return Value();
    return Value(x < y);
}

// Out of line: step() is on the stack once per script call level and must stay small.
[[gnu::noinline]] void traceValue(Machine& m, const Value& v) {
    try {
        m.host().trace(m.traceText(v));
    } catch (ScriptThrow&) {
        // An object whose conversion throws is written as its type; the error goes on.
        m.host().trace("[type Object]");
        throw;
    }
}

}  // namespace

bool looseEquals(Machine& m, const Value& a, const Value& b);
bool strictEquals(const Value& a, const Value& b);

Value Machine::pop(Frame& f) {
    if (stack_.size() <= f.stackBase) return Value();
    Value v = std::move(stack_.back());
    stack_.pop_back();
    return v;
}

void Machine::checkBudget() {
    ++actionsRun_;
    if (actionsRun_ > limits_.maxActionsPerScript)
        throw ScriptAbort{"A script ran too long and was stopped (action limit)."};
    if ((actionsRun_ & 0xfff) == 0) {
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - scriptStart_).count();
        if (seconds > limits_.maxSecondsPerScript)
            throw ScriptAbort{"A script ran too long and was stopped (time limit)."};
    }
}

void Machine::startScript() {
    actionsRun_ = 0;
    scriptStart_ = std::chrono::steady_clock::now();
    char here;
    stackTop_ = reinterpret_cast<uintptr_t>(&here);
}

void Machine::checkStack() {
    char here;
    uintptr_t now = reinterpret_cast<uintptr_t>(&here);
    if (stackTop_ > now && stackTop_ - now > limits_.maxStackBytes)
        throw ScriptAbort{"Script recursion nested too deeply for the stack; the script was stopped."};
}

void Machine::runBlock(Frame& f, size_t begin, size_t end, size_t& pc) {
    checkStack();
    struct Restore {
        Frame*& active;
        Frame* outer;
        ~Restore() { active = outer; }
    } restore{activeFrame_, activeFrame_};
    activeFrame_ = &f;
    pc = begin;
    while (pc >= begin && pc < end && !f.returned) {
        checkBudget();
        bool leave = false;
        step(f, pc, end, leave);
        if (leave) return;
    }
}

Clip* Machine::scriptTarget() {
    if (activeFrame_) {
        if (activeFrame_->target) return activeFrame_->target;
        if (activeFrame_->base) return activeFrame_->base;
    }
    return host_.level(0);
}

void Machine::step(Frame& f, size_t& pc, size_t end, bool& leave) {
    ActionRecord a;
    if (!readAction(f.bytes, end, pc, a)) {
        host_.warning("A truncated action record ends the script.");
        pc = end;
        leave = true;
        return;
    }
    if (a.code == 0) {
        pc = end;
        leave = true;
        return;
    }
    pc = a.next;
    FieldReader r(f.bytes, a.data, a.dataEnd);
    Clip* target = f.targetValid ? liveTarget(f) : nullptr;
    auto pushv = [&](Value v) { stack_.push_back(std::move(v)); };
    auto num = [&](const Value& v) {
        double d = toNumber(v);
        return (std::isnan(d) && legacyNaNIsZero(version_)) ? 0.0 : d;
    };
    // SWF 4 compares NaN and the infinities as 0.
    auto cmpNum = [&](const Value& v) {
        double d = num(v);
        return (!std::isfinite(d) && legacyNaNIsZero(version_)) ? 0.0 : d;
    };
    auto popArgs = [&](std::vector<Value>& args) {
        size_t count = toCount(toNumber(pop(f)), stack_.size() - f.stackBase);
        args.resize(count);
        for (size_t i = 0; i < count; ++i) args[i] = pop(f);
    };
    auto jumpTo = [&](int16_t offset) {
        long long dest = (long long)a.next + offset;
        if (dest < 0 || size_t(dest) > end) {
            pc = end;
            leave = true;
            return;
        }
        pc = size_t(dest);
    };

    switch (a.code) {
    // SWF 3 timeline actions.
    case 0x04: if (target) target->nextFrame(); break;
    case 0x05: if (target) target->prevFrame(); break;
    case 0x06: if (target) target->play(); break;
    case 0x07: if (target) target->stop(); break;
    case 0x08: break;  // toggle quality: nothing to do here
    case 0x09:
        if (SoundControl* sound = host_.sound()) sound->stopAllSounds();
        break;
    case 0x81: {
        int frame = r.u16();
        if (target) target->gotoFrame(frame + 1, false);
        break;
    }
    case 0x8C: {
        std::string label = r.str();
        if (target) target->gotoLabel(label, false);
        break;
    }
    case 0x83: {
        std::string url = r.str(), win = r.str();
        if (url.compare(0, 10, "FSCommand:") == 0) host_.fsCommand(url.substr(10), win);
        else host_.getUrl(url, win);
        break;
    }
    case 0x8A: case 0x8D: {
        double frame;
        int skip;
        if (a.code == 0x8A) {
            frame = r.u16() + 1;
            skip = r.u8();
        } else {
            skip = r.u8();
            frame = num(pop(f));
        }
        double loaded = target ? target->number(ClipProperty::FramesLoaded) : 0;
        if (frame > loaded) {
            for (int i = 0; i < skip && pc < end; ++i) {
                ActionRecord s;
                if (!readAction(f.bytes, end, pc, s)) { pc = end; break; }
                pc = s.next;
            }
        }
        break;
    }
    case 0x8B: {
        std::string path = r.str();
        Clip* t = path.empty() ? f.base : resolveTarget(path, f.base);
        // Up to SWF 6 a target that does not exist sends the actions to the root.
        if (!t && version_ <= 6) t = host_.level(0);
        f.target = t ? t : f.base;
        f.targetValid = t != nullptr;
        if (f.targetScope < f.scope.size() && f.target) f.scope[f.targetScope] = clipObject(f.target);
        if (!f.locals && f.target) f.varHome = clipObject(f.target);  // timeline variables follow the target
        break;
    }
    case 0x20: {
        Value t = pop(f);
        Clip* c = nullptr;
        // A clip names its target by its path, which leads to the first clip of that name (which may
        // be another one than the clip itself); any other value names one by its text (an object's
        // toString).
        if (Object* o = currentClipFace(t.object()); o && o->clip) {
            c = resolveTarget(o->clip->text(ClipProperty::Target), f.base);
            if (!c) c = o->clip;
        } else {
            std::string path = toString(t);
            c = path.empty() ? f.base : resolveTarget(path, f.base);
        }
        if (!c && version_ <= 6) c = host_.level(0);
        f.target = c ? c : f.base;
        f.targetValid = c != nullptr;
        if (f.targetScope < f.scope.size() && f.target) f.scope[f.targetScope] = clipObject(f.target);
        if (!f.locals && f.target) f.varHome = clipObject(f.target);  // timeline variables follow the target
        break;
    }

    // SWF 4 stack actions.
    case 0x96:
        while (!r.atEnd() && r.ok()) {
            uint8_t type = r.u8();
            switch (type) {
            case 0: pushv(Value(r.str())); break;
            case 1: pushv(Value(double(r.f32()))); break;
            case 2: pushv(Value::null()); break;
            case 3: pushv(Value()); break;
            case 4: {
                uint8_t reg = r.u8();
                pushv(reg < f.registers.size() ? f.registers[reg] : Value());
                break;
            }
            case 5: pushv(Value(r.u8() != 0)); break;
            case 6: pushv(Value(r.f64())); break;
            case 7: pushv(Value(double(int32_t(r.u32())))); break;
            case 8: case 9: {
                size_t i = type == 8 ? r.u8() : r.u16();
                pushv(f.pool && i < f.pool->size() ? (*f.pool)[i] : Value());
                break;
            }
            default:
                host_.warning("Unknown push type " + std::to_string(type) + ".");
                r = FieldReader(f.bytes, a.dataEnd, a.dataEnd);
                break;
            }
        }
        break;
    case 0x17: pop(f); break;
    case 0x0A: case 0x0B: case 0x0C: case 0x0D: {
        Value bv = pop(f), xv = pop(f);
        double x = num(xv), b = num(bv);  // the left operand converts first
        double res = a.code == 0x0A ? x + b : a.code == 0x0B ? x - b : a.code == 0x0C ? x * b : x / b;
        if (a.code == 0x0D && b == 0 && version_ < 5) { pushv(Value("#ERROR#")); break; }
        pushv(Value(res));
        break;
    }
    case 0x0E: {
        Value bv = pop(f), xv = pop(f);
        double b = cmpNum(bv), x = cmpNum(xv);  // the right operand converts first here
        pushv(version_ < 5 ? Value(double(x == b)) : Value(x == b));
        break;
    }
    case 0x0F: {
        Value bv = pop(f), xv = pop(f);
        double x = cmpNum(xv), b = cmpNum(bv);
        pushv(version_ < 5 ? Value(double(x < b)) : Value(x < b));
        break;
    }
    case 0x10: case 0x11: {
        bool b = toBoolean(pop(f)), x = toBoolean(pop(f));
        bool res = a.code == 0x10 ? (x && b) : (x || b);
        pushv(version_ < 5 ? Value(double(res)) : Value(res));
        break;
    }
    case 0x12: {
        bool res = !toBoolean(pop(f));
        pushv(version_ < 5 ? Value(double(res)) : Value(res));
        break;
    }
    case 0x13: case 0x29: case 0x68: {
        Value bv = pop(f), xv = pop(f);
        std::string x = toString(xv), b = toString(bv);
        bool res = a.code == 0x13 ? x == b : a.code == 0x29 ? x < b : x > b;
        pushv(version_ < 5 ? Value(double(res)) : Value(res));
        break;
    }
    case 0x14: pushv(Value(double(toString(pop(f)).size()))); break;
    case 0x31: pushv(Value(double(charCount(toString(pop(f)), version_ >= 6)))); break;
    case 0x15: case 0x35: {
        double count = num(pop(f)), index = num(pop(f));
        // The multi-byte form counts characters.
        bool chars = a.code == 0x35 && version_ >= 6;
        std::u32string s = toChars(toString(pop(f)), chars);
        long long start = std::isfinite(index) ? (long long)index - 1 : 0;
        if (start < 0) start = 0;
        if (size_t(start) > s.size()) start = (long long)s.size();
        size_t n = std::isfinite(count) && count >= 0 ? size_t(count) : s.size();
        pushv(Value(fromChars(s.substr(size_t(start), n), chars)));
        break;
    }
    case 0x21: {
        std::string b = toString(pop(f));
        std::string joined = toString(pop(f));
        appendLimited(joined, b);
        pushv(Value(std::move(joined)));
        break;
    }
    case 0x18: {
        // Wraps to a signed 32-bit integer; NaN and the infinities give 0.
        pushv(Value(double(toInt32(toNumber(pop(f))))));
        break;
    }
    case 0x32: {
        std::string s = toString(pop(f));
        pushv(Value(s.empty() ? 0.0 : double(uint8_t(s[0]))));
        break;
    }
    case 0x36: {
        std::u32string s = toChars(toString(pop(f)), version_ >= 6);
        pushv(Value(s.empty() ? 0.0 : double(s[0])));
        break;
    }
    case 0x33: {
        int c = toInt32(num(pop(f))) & 0xff;
        pushv(Value(std::string(1, char(c))));
        break;
    }
    case 0x37: {
        char32_t c = char32_t(toInt32(num(pop(f))) & 0xffff);
        pushv(Value(fromChars(std::u32string(1, c), version_ >= 6)));
        break;
    }
    case 0x1C: {
        std::string name = toString(pop(f));
        pushv(lookupVariable(f, name));
        break;
    }
    case 0x1D: {
        Value v = pop(f);
        assignVariable(f, toString(pop(f)), v);
        break;
    }
    case 0x22: {
        double indexNumber = num(pop(f));
        int index = std::isnan(indexNumber) ? -1 : toInt32(indexNumber);  // a NaN index reads nothing
        Value t = pop(f);
        Clip* c = nullptr;
        // A clip names its target by its path, which leads to the first clip of that name (which may
        // be another one than the clip itself); any other value names one by its text (an object's
        // toString).
        if (Object* o = currentClipFace(t.object()); o && o->clip) {
            c = resolveTarget(o->clip->text(ClipProperty::Target), f.base);
            if (!c) c = o->clip;
        } else {
            std::string path = toString(t);
            c = path.empty() ? target : resolveTarget(path, f.base);
        }
        if (!c || index < 0 || index >= int(ClipProperty::Count)) { pushv(Value()); break; }
        pushv(clipProperty(c, ClipProperty(index)));
        break;
    }
    case 0x23: {
        Value v = pop(f);
        double indexNumber = num(pop(f));
        int index = std::isnan(indexNumber) ? -1 : toInt32(indexNumber);
        Value t = pop(f);
        Clip* c = nullptr;
        // A clip names its target by its path, which leads to the first clip of that name (which may
        // be another one than the clip itself); any other value names one by its text (an object's
        // toString).
        if (Object* o = currentClipFace(t.object()); o && o->clip) {
            c = resolveTarget(o->clip->text(ClipProperty::Target), f.base);
            if (!c) c = o->clip;
        } else {
            std::string path = toString(t);
            c = path.empty() ? target : resolveTarget(path, f.base);
        }
        if (!c || index < 0 || index >= int(ClipProperty::Count)) break;
        setClipProperty(c, ClipProperty(index), v);
        break;
    }
    case 0x24: {
        double depth = num(pop(f));
        std::string name = toString(pop(f));
        Value src = pop(f);
        Clip* c = src.object() ? src.object()->clip : resolveTarget(toString(src), f.base);
        if (c && std::isfinite(depth)) c->duplicate(name, int(depth) - 16384);
        break;
    }
    case 0x25: {
        Value src = pop(f);
        Clip* c = src.object() ? src.object()->clip : resolveTarget(toString(src), f.base);
        if (c) c->remove();
        break;
    }
    case 0x26: traceValue(*this, pop(f)); break;
    case 0x27: {
        pop(f);
        pop(f);
        if (toBoolean(pop(f)))
            for (int i = 0; i < 4; ++i) pop(f);
        break;
    }
    case 0x28: break;
    case 0x30: {
        int32_t n = toInt32(num(pop(f)));
        pushv(Value(n <= 0 ? 0.0 : double(randomSource()() % uint32_t(n))));
        break;
    }
    case 0x34: pushv(Value(std::floor(host_.timeMs()))); break;
    case 0x99: jumpTo(r.s16()); break;
    case 0x9D: {
        int16_t offset = r.s16();
        if (toBoolean(pop(f))) jumpTo(offset);
        break;
    }
    case 0x9E: {
        // Runs a frame's actions now, on the clip that owns them: "3", "label" or "path:frame".
        std::string frame = toString(pop(f));
        Clip* owner = liveTarget(f);
        if (size_t colon = frame.rfind(':'); colon != std::string::npos) {
            owner = resolveTarget(frame.substr(0, colon), f.target);
            frame = frame.substr(colon + 1);
        }
        if (!owner) break;
        for (const ActionCode& code : owner->frameActions(frame)) runActions(code, owner);
        // A timeline script whose own clip has gone ends with the frame it called.
        if (!f.locals && f.base && f.base->isRemoved()) {
            pc = end;
            leave = true;
        }
        break;
    }
    case 0x9A: {
        uint8_t flags = r.u8();
        std::string win = toString(pop(f)), url = toString(pop(f));
        if (flags & 0x40) {  // load into a target: not inside a saver
            host_.getUrl(url, win);
        } else if (url.compare(0, 10, "FSCommand:") == 0) {
            host_.fsCommand(url.substr(10), win);
        } else {
            host_.getUrl(url, win);
        }
        break;
    }
    case 0x9F: {
        uint8_t flags = r.u8();
        int bias = (flags & 2) ? r.u16() : 0;
        Value fr = pop(f);
        bool play = flags & 1;
        Clip* c = target;
        if (fr.isString()) {
            std::string s = fr.string();
            size_t colon = s.rfind(':');
            if (colon != std::string::npos) {
                c = resolveTarget(s.substr(0, colon), f.base);
                s = s.substr(colon + 1);
            }
            if (!c) break;
            double n = stringToNumber(s, false);
            if (std::isfinite(n)) c->gotoFrame(toClampedInt(n + bias), play);
            else c->gotoLabel(s, play);
        } else if (c) {
            double n = toNumber(fr);
            if (std::isfinite(n)) c->gotoFrame(toClampedInt(n + bias), play);
        }
        break;
    }

    // SWF 5 and later.
    case 0x88: {
        uint16_t count = r.u16();
        auto pool = std::make_shared<std::vector<Value>>();
        for (uint16_t i = 0; i < count && r.ok(); ++i) {
            std::string s = r.str();
            if (r.ok()) pool->push_back(Value(std::move(s)));
        }
        f.pool = std::move(pool);
        break;
    }
    case 0x87: {
        uint8_t reg = r.u8();
        if (reg < f.registers.size()) f.registers[reg] = stack_.size() > f.stackBase ? stack_.back() : Value();
        break;
    }
    case 0x4C: pushv(stack_.size() > f.stackBase ? stack_.back() : Value()); break;
    case 0x4D: {
        Value b = pop(f), x = pop(f);
        pushv(b);
        pushv(x);
        break;
    }
    case 0x47: {
        Value bv = pop(f), xv = pop(f);
        Value x = toPrimitive(xv), b = toPrimitive(bv);
        if (x.isString() || b.isString()) {
            std::string joined = toString(x);
            appendLimited(joined, toString(b));
            pushv(Value(std::move(joined)));
        } else {
            pushv(Value(toNumber(x) + toNumber(b)));
        }
        break;
    }
    case 0x48: {
        Value b = pop(f), x = pop(f);
        pushv(lessThan(*this, x, b));
        break;
    }
    case 0x67: {
        Value b = pop(f), x = pop(f);
        pushv(lessThan(*this, b, x));
        break;
    }
    case 0x49: {
        Value b = pop(f), x = pop(f);
        bool res = looseEquals(*this, x, b);
        pushv(version_ < 5 ? Value(double(res)) : Value(res));
        break;
    }
    case 0x66: {
        Value b = pop(f), x = pop(f);
        bool res = strictEquals(x, b);
        pushv(version_ < 5 ? Value(double(res)) : Value(res));
        break;
    }
    case 0x3F: {
        Value bv = pop(f), xv = pop(f);
        double x = toNumber(xv), b = toNumber(bv);
        pushv(Value(std::fmod(x, b)));
        break;
    }
    case 0x60: case 0x61: case 0x62: case 0x63: case 0x64: case 0x65: {
        Value bv = pop(f), xv = pop(f);
        int32_t x = toInt32(toNumber(xv)), b = toInt32(toNumber(bv));
        double res = 0;
        switch (a.code) {
        case 0x60: res = x & b; break;
        case 0x61: res = x | b; break;
        case 0x62: res = x ^ b; break;
        case 0x63: res = int32_t(uint32_t(x) << (b & 31)); break;
        case 0x64: res = x >> (b & 31); break;
        default: res = double(uint32_t(x) >> (b & 31)); break;
        }
        pushv(Value(res));
        break;
    }
    case 0x50: pushv(Value(toNumber(pop(f)) + 1)); break;
    case 0x51: pushv(Value(toNumber(pop(f)) - 1)); break;
    case 0x4A: pushv(Value(toNumber(pop(f)))); break;
    case 0x4B: pushv(Value(toString(pop(f)))); break;
    case 0x44: pushv(Value(typeOf(pop(f)))); break;
    case 0x45: {
        Value v = pop(f);
        Object* o = v.object();
        pushv(o && o->clip ? Value(o->clip->text(ClipProperty::Target)) : Value());
        break;
    }
    case 0x3C: {
        Value v = pop(f);
        std::string name = toString(pop(f));
        f.settleLocals(*this, name);
        Object* where = f.locals ? f.locals : f.varHome;
        if (where) setMember(Value(where), name, v);
        break;
    }
    case 0x41: {
        std::string name = toString(pop(f));
        f.settleLocals(*this, name);
        Object* where = f.locals ? f.locals : f.varHome;
        if (where && !where->find(key(name))) where->put(key(name), name, Value());
        break;
    }
    case 0x3A: {
        std::string name = toString(pop(f));
        Object* o = toObject(pop(f));
        pushv(Value(o ? deleteMember(o, name) : false));
        break;
    }
    case 0x3B: {
        std::string name = toString(pop(f));
        f.settleLocals(*this, name);
        bool deleted = false;
        for (size_t i = f.scope.size(); i-- > 0;) {
            if (!hasProperty(scopeEntry(f, i), name)) continue;
            deleted = deleteMember(scopeEntry(f, i), name);
            break;
        }
        pushv(Value(deleted));
        break;
    }
    case 0x4E: {
        std::string name = toString(pop(f));
        Value obj = pop(f);
        pushv(getMember(obj, name));
        break;
    }
    case 0x4F: {
        Value v = pop(f);
        std::string name = toString(pop(f));
        Value obj = pop(f);
        setMember(obj, name, v);
        break;
    }
    case 0x42: {
        std::vector<Value> items;
        popArgs(items);
        pushv(Value(newArray(std::move(items))));
        break;
    }
    case 0x43: {
        size_t count = toCount(toNumber(pop(f)), stack_.size() - f.stackBase);
        Object* o = newObject();
        for (size_t i = 0; i < count && stack_.size() > f.stackBase; ++i) {
            Value v = pop(f);
            setMember(Value(o), toString(pop(f)), v);
        }
        pushv(Value(o));
        break;
    }
    case 0x46: case 0x55: {
        Value v = pop(f);
        Object* o = a.code == 0x46 ? nullptr : toObject(v);
        if (a.code == 0x46) {
            Value found = lookupVariable(f, toString(v));
            o = found.object();
        }
        pushv(Value::null());
        if (o)
            for (const std::string& name : enumerate(o)) pushv(Value(name));
        break;
    }
    case 0x3D: {
        std::string name = toString(pop(f));
        std::vector<Value> args;
        popArgs(args);
        Value fn = lookupVariable(f, name);
        Object* self = target ? clipObject(target) : f.self;
        pushv(call(fn, self, std::move(args)));
        break;
    }
    case 0x52: case 0x53: {
        Value nameValue = pop(f);
        Value objValue = pop(f);
        std::vector<Value> args;
        popArgs(args);
        std::string name = nameValue.isUndefined() ? "" : toString(nameValue);
        if (name.empty() && !objValue.isObject() && !objValue.isNullish()) {
            // A primitive called (or constructed) itself is wrapped first, as a member read would.
            Object* wrapped = toObject(objValue);
            objValue = wrapped ? Value(wrapped) : Value();
        }
        Object* obj = objValue.object();
        if (a.code == 0x53) {
            Value ctor = name.empty() ? objValue : getMember(objValue, name);
            pushv(construct(ctor, std::move(args)));
            break;
        }
        if (obj && obj->isSuper) {
            Object* home = superHome(*obj);
            Object* self = obj->slotB;
            if (name.empty()) {
                Value ctor = home ? getMember(Value(home), "__constructor__") : Value();
                Object* ctorObj = ctor.object();
                if (ctorObj && ctorObj->nativeConstruct && self) {
                    pushv(initializeAsNative(*this, *ctorObj, *self, args));
                    break;
                }
                Value protoValue = ctorObj ? getMember(ctor, "prototype") : Value();
                pushv(call(ctor, self, std::move(args), protoValue.object()));
            } else {
                Object* base = home ? home->proto : nullptr;
                Object* owner = base;
                while (owner && !owner->find(key(name))) owner = owner->proto;
                pushv(call(base ? getMember(Value(base), name) : Value(), self, std::move(args), owner));
            }
            break;
        }
        if (name.empty()) {
            // The object itself is called, with no `this`.
            pushv(call(objValue, nullptr, std::move(args)));
            break;
        }
        Object* self = toObject(objValue);
        if (self && self->leftClipPath) objValue = Value(self = currentClipFace(self));
        Value fn = getMember(objValue, name);
        Object* owner = self;
        while (owner && !owner->find(key(name))) owner = owner->proto;
        if (!fn.object() || !fn.object()->isFunction())
            pushv(Value());
        else
            pushv(call(fn, self, std::move(args), owner));
        break;
    }
    case 0x40: {
        std::string name = toString(pop(f));
        std::vector<Value> args;
        popArgs(args);
        pushv(construct(lookupVariable(f, name), std::move(args)));
        break;
    }
    case 0x3E: {
        f.returnValue = pop(f);
        f.returned = true;
        leave = true;
        break;
    }
    case 0x54: {
        Value ctor = pop(f);
        Value v = pop(f);
        pushv(Value(v.object() && ctor.object() && instanceOf(v.object(), ctor.object())));
        break;
    }
    case 0x2B: {
        Value v = pop(f);
        Value ctor = pop(f);
        pushv(v.object() && ctor.object() && instanceOf(v.object(), ctor.object()) ? v : Value::null());
        break;
    }
    case 0x2C: {
        Value ctor = pop(f);
        std::vector<Value> interfaces;
        popArgs(interfaces);
        if (Object* c = ctor.object()) {
            Value proto = getMember(ctor, "prototype");
            if (Object* p = proto.object()) {
                Object* list = newArray(std::move(interfaces));
                p->put(key("__implements__"), "__implements__", Value(list), DontEnum);
            }
            (void)c;
        }
        break;
    }
    case 0x69: {
        Value super = pop(f);
        Value sub = pop(f);
        if (!super.object() || !sub.object()) break;
        Object* proto = newObject();
        proto->proto = getMember(super, "prototype").object();
        proto->put(key("__constructor__"), "__constructor__", super, DontEnum);
        setMember(sub, "prototype", Value(proto));
        break;
    }
    case 0x2A: throw ScriptThrow{pop(f)};
    case 0x9B: case 0x8E: {
        auto code = std::make_shared<FunctionCode>();
        code->name = r.str();
        uint16_t params = r.u16();
        if (a.code == 0x8E) {
            code->isFunction2 = true;
            code->registerCount = r.u8();
            code->flags = r.u16();
        }
        for (uint16_t i = 0; i < params && r.ok(); ++i) {
            FunctionCode::Param p;
            if (code->isFunction2) p.reg = r.u8();
            p.name = r.str();
            code->params.push_back(std::move(p));
        }
        uint16_t size = r.u16();
        if (!r.ok() || end - a.next < size) {
            host_.warning("A function definition runs past the end of its block.");
            pc = end;
            leave = true;
            break;
        }
        code->body = ActionCode{f.keepAlive, a.next, a.next + size};
        code->constantPool = f.pool;
        pc = a.next + size;
        Object* fn = newFunction(nullptr);
        fn->code = code;
        fn->scope = f.scope;
        if (f.locals) {
            f.settleLocals(*this);  // the closure may name them any time later
            fn->scope.push_back(f.locals);
            f.localsCaptured = true;
        }
        fn->definingClip = f.base;
        if (code->name.empty()) pushv(Value(fn));
        else {
            Object* where = f.locals ? f.locals : f.varHome;
            if (where) setMember(Value(where), code->name, Value(fn));
        }
        break;
    }
    case 0x94: {
        uint16_t size = r.u16();
        size_t blockEnd = std::min(end, a.next + size);
        Object* o = toObject(pop(f));
        if (!o) {
            pc = blockEnd;
            break;
        }
        f.scope.push_back(o);
        size_t inner;
        try {
            runBlock(f, a.next, blockEnd, inner);
        } catch (...) {
            f.scope.pop_back();
            throw;
        }
        f.scope.pop_back();
        pc = inner;
        if (f.returned) leave = true;
        break;
    }
    case 0x8F: {
        uint8_t flags = r.u8();
        uint16_t trySize = r.u16(), catchSize = r.u16(), finallySize = r.u16();
        std::string catchName;
        uint8_t catchReg = 0;
        // Flags: 1 a catch block, 2 a finally block, 4 the caught value goes to a register.
        bool inRegister = flags & 4;
        if (inRegister) catchReg = r.u8();
        else catchName = r.str();
        size_t tryBegin = a.next;
        size_t catchBegin = std::min(end, tryBegin + trySize);
        size_t finallyBegin = std::min(end, catchBegin + catchSize);
        size_t afterAll = std::min(end, finallyBegin + finallySize);
        size_t inner = afterAll;
        size_t stackMark = stack_.size();
        bool pending = false;
        ScriptThrow thrown;
        try {
            runBlock(f, tryBegin, catchBegin, inner);
        } catch (ScriptThrow& t) {
            if (stack_.size() > stackMark) stack_.resize(stackMark);
            if (flags & 1) {
                if (inRegister) {
                    if (catchReg < f.registers.size()) f.registers[catchReg] = t.value;
                } else {
                    Object* where = f.locals ? f.locals : f.varHome;
                    if (where) setMember(Value(where), catchName, t.value);
                }
                try {
                    runBlock(f, catchBegin, finallyBegin, inner);
                } catch (ScriptThrow& again) {
                    pending = true;
                    thrown = again;
                }
            } else {
                pending = true;
                thrown = t;
            }
        }
        bool returned = f.returned;
        Value returnValue = f.returnValue;
        if (flags & 2) {
            f.returned = false;
            size_t fin;
            runBlock(f, finallyBegin, afterAll, fin);
            if (f.returned) {  // a return inside finally wins over everything
                leave = true;
                break;
            }
            f.returned = returned;
            f.returnValue = returnValue;
        }
        if (pending) throw thrown;
        if (f.returned) {
            leave = true;
            break;
        }
        pc = (inner >= tryBegin && inner < afterAll) ? afterAll : inner;
        break;
    }
    default:
        // Unknown actions are skipped by their length, as the reference player does.
        break;
    }
}

}  // namespace swf::avm1
