#include "engine/avm1/machine.h"

#include <cctype>
#include <cmath>
#include <string_view>

#include "engine/avm1/frame.h"

namespace swf::avm1 {

namespace {
// Values left on the shared stack between blocks beyond this many are dropped.
constexpr size_t kMaxSharedStack = 65536;
constexpr int kMaxHomeDepth = 1000;  // prototype chains longer than this are cut (cycles)
}  // namespace

Machine::Machine(Host& host, int swfVersion) : host_(host), version_(swfVersion) {
    installBuiltins();
}

Machine::~Machine() = default;

Object* Machine::newObject() {
    Object* o = heap_.make();
    o->proto = objectProto;
    return o;
}

Object* Machine::newArray(std::vector<Value> elements) {
    Object* o = heap_.make();
    o->proto = arrayProto;
    o->isArray = true;
    o->elements = std::move(elements);
    return o;
}

Object* Machine::newFunction(NativeFunction f, Object* prototype) {
    Object* fn = heap_.make();
    fn->proto = functionProto;
    fn->native = f;
    if (!prototype) {
        prototype = newObject();
        prototype->put(key("constructor"), "constructor", Value(fn), DontEnum);
    }
    fn->put(key("prototype"), "prototype", Value(prototype), DontEnum);
    return fn;
}

Object* Machine::defineNative(Object* target, const std::string& name, NativeFunction f) {
    Object* fn = heap_.make();
    fn->proto = functionProto;
    fn->native = f;
    target->put(key(name), name, Value(fn), DontEnum);
    return fn;
}

Object* Machine::makeError(const std::string& message) {
    Object* e = newObject();
    e->proto = errorProto;
    e->put(key("message"), "message", Value(message));
    return e;
}

void Machine::runActions(std::shared_ptr<const std::vector<uint8_t>> bytes, Clip* clip) {
    if (!bytes) return;
    ActionCode code{bytes, 0, bytes->size()};
    runActions(code, clip);
}

void Machine::runActions(const ActionCode& code, Clip* clip) {
    if (!code.bytes || code.end > code.bytes->size() || code.begin >= code.end) return;
    if (clip && clip->isRemoved()) return;
    bool top = scriptDepth_ == 0;
    if (top) startScript();
    ++scriptDepth_;
    Frame f;
    f.bytes = code.bytes->data();
    f.keepAlive = code.bytes;
    f.base = f.target = clip;
    f.scope.push_back(global_);
    Object* clipObj = clip ? clipObject(clip) : nullptr;
    if (clipObj) f.scope.push_back(clipObj);
    f.targetScope = 1;
    f.self = clipObj;
    f.varHome = clipObj;
    // Top-level blocks share one stack: what a frame's actions leave there the next block can
    // pop. Nested ones (events run from inside a script) keep to their own part.
    f.stackBase = top ? 0 : stack_.size();
    size_t pc;
    try {
        runBlock(f, code.begin, code.end, pc);
    } catch (ScriptThrow& t) {
        if (top) {
            host_.warning("Uncaught script error: " + toString(t.value));
            stack_.clear();
        } else {
            --scriptDepth_;
            stack_.resize(f.stackBase);
            throw;
        }
    } catch (ScriptAbort& a) {
        if (!top) {
            --scriptDepth_;
            stack_.resize(f.stackBase);
            throw;
        }
        host_.warning(a.message);
        stack_.clear();
    }
    --scriptDepth_;
    if (!top && stack_.size() > f.stackBase) stack_.resize(f.stackBase);
    if (top && stack_.size() > kMaxSharedStack) stack_.clear();  // a movie that only ever pushes
    if (top) callDepth_ = 0;
}

void appendLimited(std::string& out, const std::string& piece) {
    if (piece.size() > kMaxStringLength - out.size())
        throw ScriptAbort{"a string longer than " + std::to_string(kMaxStringLength) +
                          " characters was being made; the script was stopped."};
    out += piece;
}

Value Machine::call(const Value& fnValue, Object* self, std::vector<Value> args, Object* home) {
    Object* fn = fnValue.object();
    if (!fn || !fn->isFunction()) return Value();
    if (fn->native) {
        // Built-ins count too: a conversion can call back into scripts or into itself (an
        // array that contains itself).
        if (callDepth_ >= limits_.maxCallDepth)
            throw ScriptAbort{std::to_string(limits_.maxCallDepth) +
                              " levels of recursion were exceeded in one action list; the script was stopped."};
        checkStack();
        ++callDepth_;
        struct Leave {
            int& depth;
            ~Leave() { --depth; }
        } leave{callDepth_};
        return fn->native(*this, self, args);
    }
    return runFunction(fn, self, args, home);
}

Value Machine::runFunction(Object* fn, Object* self, std::vector<Value>& args, Object* home) {
    const FunctionCode& code = *fn->code;
    if (callDepth_ >= limits_.maxCallDepth)
        throw ScriptAbort{std::to_string(limits_.maxCallDepth) +
                          " levels of recursion were exceeded in one action list; the script was stopped."};
    bool top = scriptDepth_ == 0;
    if (top) startScript();
    ++scriptDepth_;
    ++callDepth_;
    // A function body follows SWF 5 rules even in an SWF 4 movie (SWF 4 had no functions).
    struct Leave {
        Machine& m;
        int version;
        ~Leave() { --m.callDepth_; --m.scriptDepth_; m.version_ = version; }
    } leave{*this, version_};
    version_ = std::max(version_, 5);

    Frame f;
    f.keepAlive = code.body.bytes;
    f.bytes = code.body.bytes->data();
    f.scope = fn->scope;
    f.targetScope = f.scope.size() > 1 ? 1 : f.scope.size();
    f.base = f.target = fn->definingClip && !fn->definingClip->isRemoved() ? fn->definingClip : nullptr;
    // A function whose timeline is gone runs on the clip it is called on, else on the root.
    if (!f.base && self && self->clip && !self->clip->isRemoved()) f.base = f.target = self->clip;
    if (!f.base) f.base = f.target = host_.level(0);
    f.varHome = f.base ? clipObject(f.base) : nullptr;
    f.self = self;
    f.callee = fn;
    f.home = home;
    f.pool = code.constantPool;
    f.stackBase = stack_.size();
    // The activation lives outside the heap while the call runs and is reused after it, unless a
    // function defined in the call closed over it.
    struct Activation {
        Heap& heap;
        Frame& frame;
        std::unique_ptr<Object> object;
        ~Activation() { heap.release(std::move(object), frame.localsCaptured); }
    } activation{heap_, f, heap_.borrow()};
    f.locals = activation.object.get();
    f.scope.push_back(f.locals);
    f.registers.assign(code.isFunction2 ? std::max<size_t>(code.registerCount, 1) : 4, Value());

    f.callArgs = &args;
    // Where the method was found, counted from `this` now: super follows the chain from there
    // even after the method changes this.__proto__.
    if (home && self && (!code.isFunction2 || (code.flags & PreloadSuper) || !(code.flags & SuppressSuper))) {
        int depth = 0;
        for (Object* cur = self; cur && depth < kMaxHomeDepth; cur = cur->proto, ++depth)
            if (cur == home) {
                f.homeDepth = depth;
                break;
            }
    }
    Value thisValue = self ? Value(self) : Value();  // a function called on nothing has `this` undefined
    if (code.isFunction2) {
        size_t reg = 1;
        auto preload = [&](uint16_t flag, Value v) {
            if ((code.flags & flag) && reg < f.registers.size()) f.registers[reg++] = std::move(v);
        };
        preload(PreloadThis, thisValue);
        if (code.flags & PreloadArguments) preload(PreloadArguments, Value(f.makeArguments(*this)));
        if (code.flags & PreloadSuper) preload(PreloadSuper, Value(f.makeSuper(*this)));
        Clip* root = host_.level(0);
        if (code.flags & PreloadRoot) preload(PreloadRoot, root ? Value(clipObject(root)) : Value());
        if (code.flags & PreloadParent) {
            Clip* parent = f.base ? f.base->parent() : nullptr;
            preload(PreloadParent, parent ? Value(clipObject(parent)) : Value());
        }
        preload(PreloadGlobal, Value(global_));
        if (!(code.flags & SuppressThis)) f.locals->put(key("this"), "this", thisValue);
        f.argumentsPending = !(code.flags & SuppressArguments);
        f.superPending = !(code.flags & SuppressSuper);
    } else {
        f.locals->put(key("this"), "this", thisValue);
        f.argumentsPending = f.superPending = true;
    }
    for (size_t i = 0; i < code.params.size(); ++i) {
        Value v = i < args.size() ? args[i] : Value();
        const FunctionCode::Param& p = code.params[i];
        if (code.isFunction2 && p.reg != 0) {
            if (p.reg < f.registers.size()) f.registers[p.reg] = v;
        } else {
            f.locals->put(key(p.name), p.name, v);
        }
    }
    size_t pc;
    try {
        runBlock(f, code.body.begin, code.body.end, pc);
    } catch (...) {
        stack_.resize(std::min(stack_.size(), f.stackBase));
        throw;
    }
    if (stack_.size() > f.stackBase) stack_.resize(f.stackBase);
    return f.returned ? f.returnValue : Value();
}

Object* Machine::Frame::makeArguments(Machine& m) {
    if (arguments) return arguments;
    arguments = m.newArray(callArgs ? *callArgs : std::vector<Value>());
    arguments->put(m.key("callee"), "callee", Value(callee), DontEnum);
    return arguments;
}

Object* Machine::Frame::makeSuper(Machine& m) const {
    Object* s = m.heap_.make();
    s->isSuper = true;
    s->slotA = home;
    s->slotB = self;
    s->superDepth = homeDepth;
    return s;
}

Object* Machine::superHome(const Object& s) const {
    if (s.superDepth < 0 || !s.slotB) return s.slotA;
    Object* cur = s.slotB;
    for (int i = 0; i < s.superDepth && cur; ++i) cur = cur->proto;
    return cur;
}

void Machine::Frame::settleLocals(Machine& m) {
    // A parameter or declaration of the same name made since stays: it was put after these.
    if (argumentsPending && locals && !locals->find(m.key("arguments")))
        locals->put(m.key("arguments"), "arguments", Value(makeArguments(m)));
    if (superPending && locals && !locals->find(m.key("super")))
        locals->put(m.key("super"), "super", Value(makeSuper(m)));
    argumentsPending = superPending = false;
}

bool Machine::Frame::couldName(const std::string& name) {
    // Any name holding either word, in any case: paths and with-blocks reach locals too.
    auto holds = [&](std::string_view word) {
        if (name.size() < word.size()) return false;
        for (size_t i = 0; i + word.size() <= name.size(); ++i) {
            size_t k = 0;
            while (k < word.size() && std::tolower(static_cast<unsigned char>(name[i + k])) == word[k]) ++k;
            if (k == word.size()) return true;
        }
        return false;
    };
    return holds("arguments") || holds("super");
}

Value Machine::construct(const Value& ctor, std::vector<Value> args) {
    Object* fn = ctor.object();
    if (!fn || !fn->isFunction()) return Value();
    Object* self = newObject();
    Value proto = getMember(ctor, "prototype");
    storeMember(self, "__proto__", "__proto__", proto);  // a prototype that is no object too
    self->put(key("__constructor__"), "__constructor__", ctor, DontEnum);
    if (version_ < 7) self->put(key("constructor"), "constructor", ctor, DontEnum);
    if (fn->nativeConstruct) {
        Value made = fn->nativeConstruct(*this, self, args);
        if (made.isNull()) return Value();  // a built-in class refused its arguments: no object
        return made.object() ? made : Value(self);
    }
    Value result = call(ctor, self, std::move(args), proto.object());
    if (fn->native && result.object()) return result;
    return Value(self);
}

bool Machine::instanceOf(Object* o, Object* ctor) {
    Value proto = getMember(Value(ctor), "prototype");
    Object* p = proto.object();
    if (!p) return false;
    int guard = 0;
    for (Object* q = o->proto; q && guard < 10000; q = q->proto, ++guard) {
        if (q == p) return true;
        // Interfaces a class declares with `implements`.
        if (const Property* impl = q->find(key("__implements__")))
            if (Object* list = impl->value.object())
                for (const Value& i : list->elements)
                    if (i.object() == ctor) return true;
    }
    return false;
}

Object* Machine::clipObject(Clip* clip) {
    if (!clip) return nullptr;
    auto it = clipObjects_.find(clip);
    if (it != clipObjects_.end()) return it->second;
    Object* o = heap_.make();
    o->proto = clip->isTextField() && textFieldProto ? textFieldProto
               : clip->isButton() && buttonProto   ? buttonProto
               : clip->isVideo() && videoProto     ? videoProto
                                                   : movieClipProto;
    o->clip = clip;
    clipObjects_[clip] = o;
    if (clip->isTextField()) o->put(key("_listeners"), "_listeners", Value(newArray({Value(o)})), DontEnum);
    return o;
}

void Machine::forgetClip(Clip* clip) {
    auto it = clipObjects_.find(clip);
    if (it == clipObjects_.end()) return;
    // Scripts that still hold the face reach, through the path it had, whatever clip is made
    // there later.
    it->second->leftClipPath = std::make_unique<std::string>(clip->text(ClipProperty::Target));
    it->second->clip = nullptr;
    clipObjects_.erase(it);
}

Object* Machine::currentClipFace(Object* o) {
    if (!o || o->clip || !o->leftClipPath) return o;
    // Names of the display list only: "_levelN" and then a child of each name.
    const std::string& path = *o->leftClipPath;
    size_t dot = path.find('.');
    std::string first = path.substr(0, dot);
    if (first.compare(0, 6, "_level") != 0 || first.size() == 6) return o;
    int level = 0;
    for (size_t i = 6; i < first.size(); ++i) {
        if (first[i] < '0' || first[i] > '9' || level > 1000000) return o;
        level = level * 10 + (first[i] - '0');
    }
    Clip* c = host_.level(level);
    while (c && dot != std::string::npos) {
        size_t next = path.find('.', dot + 1);
        c = c->childByName(path.substr(dot + 1, next == std::string::npos ? std::string::npos : next - dot - 1),
                           version_ >= 7);
        dot = next;
    }
    return c && !c->isRemoved() ? clipObject(c) : o;
}

std::unordered_set<const Clip*> Machine::referencedClips() const {
    std::unordered_set<const Clip*> out;
    for (auto& [clip, o] : clipObjects_) out.insert(clip);
    heap_.forEach([&](const Object& o) {
        if (o.definingClip) out.insert(o.definingClip);
        if (o.clip) out.insert(o.clip);
    });
    return out;
}

void Machine::collectGarbage() {
    if (scriptDepth_ > 0) return;
    std::vector<Object*> roots{global_, textFieldProto, buttonProto, videoProto, objectProto, functionProto, arrayProto, stringProto, numberProto,
                               booleanProto, movieClipProto, dateProto, errorProto, xmlNodeProto};
    for (auto& [clip, o] : clipObjects_) roots.push_back(o);
    for (auto& [name, ctor] : registeredClasses_) roots.push_back(ctor);
    for (auto& [id, i] : intervals_) {
        roots.push_back(i.fn.object());
        roots.push_back(i.self);
        for (const Value& v : i.args) roots.push_back(v.object());
    }
    for (const Value& v : stack_) roots.push_back(v.object());
    for (const Deferred& d : deferred_) roots.insert(roots.end(), d.keep.begin(), d.keep.end());
    heap_.collect(roots);
}

// A call made by the player rather than by a script: when no script is running it is a script of
// its own, whose uncaught error or abort becomes a warning; inside a running script the error goes
// on to that script.
template <class Body>
void Machine::runFromOutside(Body&& body) {
    const bool top = scriptDepth_ == 0;
    if (top) startScript();
    try {
        body();
    } catch (ScriptThrow& t) {
        if (!top) throw;
        host_.warning("Uncaught script error: " + toString(t.value));
    } catch (ScriptAbort& a) {
        if (!top) throw;
        host_.warning(a.message);
    }
    if (top) callDepth_ = 0;
}

bool Machine::broadcastGlobal(const std::string& objectName, const std::string& message, std::vector<Value> args) {
    const Property* p = global_->find(key(objectName));
    Object* source = p ? p->value.object() : nullptr;
    if (!source) return false;
    bool any = false;
    runFromOutside([&] { any = broadcast(source, message, args); });
    return any;
}

void Machine::registerClass(const std::string& linkage, Object* ctor) {
    if (ctor) registeredClasses_[key(linkage)] = ctor;
    else registeredClasses_.erase(key(linkage));
}

void Machine::constructClip(Clip* clip, const std::string& linkage) {
    auto it = registeredClasses_.find(key(linkage));
    if (it == registeredClasses_.end() || !clip || clip->isRemoved()) return;
    Object* o = clipObject(clip);
    Value ctor(it->second);
    o->proto = getMember(ctor, "prototype").object();
    o->put(key("__constructor__"), "__constructor__", ctor, DontEnum);
    if (version_ < 7) o->put(key("constructor"), "constructor", ctor, DontEnum);
    runFromOutside([&] { call(ctor, o, {}); });
}

bool Machine::callClipMethod(Clip* clip, const std::string& name, std::vector<Value> args) {
    if (!clip || clip->isRemoved()) return false;
    Object* o = clipObject(clip);
    Value fn = getMember(Value(o), name);
    if (!fn.object() || !fn.object()->isFunction()) return false;
    runFromOutside([&] { call(fn, o, std::move(args)); });
    return true;
}

bool Machine::callObjectMethod(Object* o, const std::string& name, std::vector<Value> args) {
    if (!o) return false;
    Value fn = getMember(Value(o), name);
    if (!fn.object() || !fn.object()->isFunction()) return false;
    runFromOutside([&] { call(fn, o, std::move(args)); });
    return true;
}

int Machine::addInterval(Value fn, Object* self, std::string method, double ms, std::vector<Value> args,
                         bool once) {
    if (!std::isfinite(ms) || ms < 1) ms = 1;  // never a busy loop
    int id = nextIntervalId_++;
    intervals_[id] = Interval{std::move(fn), self, std::move(method), ms, host_.timeMs() + ms, std::move(args), once};
    return id;
}

void Machine::clearInterval(int id) { intervals_.erase(id); }

void Machine::defer(std::vector<Object*> keep, std::function<void()> task, bool thisFrame) {
    deferred_.push_back(Deferred{std::move(keep), std::move(task), thisFrame});
}

void Machine::runIntervals() {
    std::vector<Deferred> ready;
    for (auto it = deferred_.begin(); it != deferred_.end();) {
        if (it->ready) {
            ready.push_back(std::move(*it));
            it = deferred_.erase(it);
        } else {
            it->ready = true;
            ++it;
        }
    }
    for (Deferred& d : ready) runFromOutside(d.task);
    double now = host_.timeMs();
    std::vector<int> due;
    for (auto& [id, i] : intervals_)
        if (i.nextMs <= now) due.push_back(id);
    for (int id : due) {
        auto it = intervals_.find(id);
        if (it == intervals_.end()) continue;  // cleared by an earlier one
        it->second.nextMs = now + it->second.periodMs;
        Interval copy = it->second;
        if (copy.once) intervals_.erase(it);
        try {
            Value fn = copy.method.empty() ? copy.fn : getMember(Value(copy.self), copy.method);
            startScript();
            call(fn, copy.self, copy.args);
        } catch (ScriptThrow& t) {
            host_.warning("Uncaught script error: " + toString(t.value));
        } catch (ScriptAbort& a) {
            host_.warning(a.message);
        }
        callDepth_ = 0;
    }
}

}  // namespace swf::avm1
