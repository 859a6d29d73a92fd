// The ActionScript 1 and 2 machine: runs action blocks against a Host and its Clips, keeps the
// global object, built-in classes, intervals and each clip's script object.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/avm1/function_code.h"
#include "engine/avm1/host.h"
#include "engine/avm1/object.h"
#include "engine/avm1/value.h"

namespace swf::avm1 {

// A value thrown by a script (throw, or an error of a built-in) travelling to its catch.
struct ScriptThrow {
    Value value;
};

// Stops the whole running script: a limit was reached. The movie goes on.
struct ScriptAbort {
    std::string message;
};

// No string longer than this is made: a script that keeps doubling a string would otherwise take
// all the memory there is long before any time limit stopped it.
constexpr size_t kMaxStringLength = 16 * 1024 * 1024;

// out += piece, stopping the script (ScriptAbort) when the result would pass kMaxStringLength.
void appendLimited(std::string& out, const std::string& piece);

struct Limits {
    int maxCallDepth = 256;            // nested function calls
    double maxSecondsPerScript = 5.0;  // wall time of one top-level script
    uint64_t maxActionsPerScript = 50'000'000;
    // Native stack one script may use: nesting is stopped before it could overflow the thread's
    // stack. A script call level takes a few kilobytes, so 256 levels need more than the 1 MB
    // Windows gives a program by default: the Windows programs reserve 8 MB.
    size_t maxStackBytes = 4 * 1024 * 1024;
};

class Machine {
public:
    Machine(Host& host, int swfVersion);
    ~Machine();

    Host& host() { return host_; }
    int swfVersion() const { return version_; }
    void setLimits(const Limits& l) { limits_ = l; }

    // Top-level entry points. A script that throws or hits a limit is stopped and reported to the
    // host as a warning; these never throw.
    void runActions(std::shared_ptr<const std::vector<uint8_t>> bytes, Clip* clip);
    void runActions(const ActionCode& code, Clip* clip);
    // Calls clip.<name>(args) when the clip's script object has such a function (events).
    bool callClipMethod(Clip* clip, const std::string& name, std::vector<Value> args = {});
    // Calls o[name] from outside any script (a host event); false when it is no function.
    bool callObjectMethod(Object* o, const std::string& name, std::vector<Value> args = {});
    // Runs the intervals that are due, and the deferred work of the frame before.
    void runIntervals();
    // Work the player finishes on the next frame (a load that fails), or at the end of this one
    // (`thisFrame`: a dialog that cannot open), as a script of its own. `keep` stays alive until then.
    void defer(std::vector<Object*> keep, std::function<void()> task, bool thisFrame = false);
    // A new frame: what the last frame's scripts left on the shared stack is dropped.
    void startFrame() { stack_.clear(); }
    // Frees objects nothing refers to any more. Call between scripts only.
    void collectGarbage();

    // The clip's script object (made on first use); forget it when the clip leaves the display.
    Object* clipObject(Clip* clip);
    // Object.registerClass: clips of a linkage name are made objects of a class. A null class
    // removes the registration.
    void registerClass(const std::string& linkage, Object* ctor);
    // Gives a new clip the class registered for its linkage name, running the constructor.
    void constructClip(Clip* clip, const std::string& linkage);
    void forgetClip(Clip* clip);
    // A script's reference to a clip that has left leads to the clip now at the path it had, when
    // there is one: that clip's face, else `o` itself.
    Object* currentClipFace(Object* o);
    // The clips that live script objects still refer to (functions defined on their timelines,
    // clip objects). Call after collectGarbage.
    std::unordered_set<const Clip*> referencedClips() const;

    // Conversions with the rules of the movie's SWF version.
    Value toPrimitive(const Value& v, bool preferString = false);
    double toNumber(const Value& v);
    std::string toString(const Value& v);
    bool toBoolean(const Value& v);
    Object* toObject(const Value& v);  // null for undefined and null
    // Whether a primitive of v's kind is still wrapped by its built-in class (not one a script put
    // in _global in its place).
    bool builtInWrapper(const Value& v);
    std::string typeOf(const Value& v);
    std::string traceText(const Value& v);

    // Members of any value (primitives through their class prototypes), with accessors and
    // clip properties.
    // `useResolve`: a missing member is asked of the object's __resolve function.
    Value getMember(const Value& target, const std::string& name, bool useResolve = true);
    // A clip's built-in property as scripts see it.
    Value clipProperty(Clip* c, ClipProperty p);
    // Sets a clip's built-in property from a script's value.
    void setClipProperty(Clip* c, ClipProperty p, const Value& v);
    void setMember(const Value& target, const std::string& name, const Value& v);
    bool deleteMember(Object* o, const std::string& name);
    bool hasProperty(Object* o, const std::string& name);
    std::vector<std::string> enumerate(Object* o);
    std::string key(const std::string& name) const;  // folds case where the version ignores it

    // Calls a function value. Throws ScriptThrow / ScriptAbort.
    Value call(const Value& fn, Object* self, std::vector<Value> args, Object* home = nullptr);
    Value construct(const Value& fn, std::vector<Value> args);
    bool instanceOf(Object* o, Object* ctor);
    // Calls `message` on each of `source`'s listeners (AsBroadcaster); true when one had it.
    // Throws ScriptThrow / ScriptAbort like call().
    bool broadcast(Object* source, const std::string& message, const std::vector<Value>& args);
    // Top-level form for the host's input: global[objectName] broadcasts; errors become warnings.
    bool broadcastGlobal(const std::string& objectName, const std::string& message, std::vector<Value> args = {});

    Object* newObject();
    Object* newArray(std::vector<Value> elements = {});
    Object* newFunction(NativeFunction f, Object* prototype = nullptr);
    Object* defineNative(Object* target, const std::string& name, NativeFunction f);
    Object* makeError(const std::string& message);

    Object* global() { return global_; }
    Object* objectProto = nullptr;
    Object* functionProto = nullptr;
    Object* arrayProto = nullptr;
    Object* stringProto = nullptr;
    Object* numberProto = nullptr;
    Object* booleanProto = nullptr;
    Object* movieClipProto = nullptr;
    Object* textFieldProto = nullptr;
    Object* buttonProto = nullptr;
    Object* videoProto = nullptr;
    Object* dateProto = nullptr;
    Object* errorProto = nullptr;
    Object* xmlNodeProto = nullptr;  // what the XML classes give the nodes they make

    // Intervals (setInterval / clearInterval); a `once` interval is a timeout (setTimeout), gone
    // after its call.
    int addInterval(Value fn, Object* self, std::string method, double ms, std::vector<Value> args,
                    bool once = false);
    void clearInterval(int id);

    Clip* resolveTarget(const std::string& path, Clip* base);
    // The clip the running code acts on (tellTarget's, else its own timeline); the root outside scripts.
    Clip* scriptTarget();
    Heap& heap() { return heap_; }

    // Used by the interpreter (interpreter.cpp).
    struct Frame;
    void runBlock(Frame& f, size_t begin, size_t end, size_t& pc);
    Value runFunction(Object* fn, Object* self, std::vector<Value>& args, Object* home);
    // The prototype a super reference stands for, found again from `this` each time.
    Object* superHome(const Object& superRef) const;
    std::vector<Value>& stack() { return stack_; }

private:
    void installBuiltins();
    void checkBudget();
    void checkStack();
    void startScript();
    template <class Body>
    void runFromOutside(Body&& body);
    // setMember after any watcher: `k` is the folded name.
    void storeMember(Object* o, const std::string& name, const std::string& k, const Value& v);
    // The clip a script acts on now: a removed tellTarget target gives way to the script's own
    // clip, and a removed own clip to the root.
    Clip* liveTarget(Frame& f);
    // What `_root` is for code on `c`: the top of its level, or the nearest clip holding a true _lockroot.
    Clip* rootOf(Clip* c);
    // The scope chain's entry `i`, with a timeline's entry for a removed clip given as liveTarget's.
    Object* scopeEntry(Frame& f, size_t i);
    Value lookupVariable(Frame& f, const std::string& name);
    void assignVariable(Frame& f, const std::string& name, const Value& v);
    // `forReading`: a scope is taken only when the path's owner there has the member.
    bool splitPath(Frame& f, const std::string& path, Object*& owner, std::string& member, bool forReading = false);
    Value pop(Frame& f);
    void step(Frame& f, size_t& pc, size_t end, bool& leave);

    Host& host_;
    int version_;
    bool focusRect_ = true;  // the movie-wide _focusrect, which level clips read and set
    Limits limits_;
    Heap heap_;
    Object* global_ = nullptr;
    std::unordered_map<Clip*, Object*> clipObjects_;
    std::map<std::string, Object*> registeredClasses_;
    std::vector<Value> stack_;
    int callDepth_ = 0;
    int setterDepth_ = 0;
    int getterDepth_ = 0;
    bool lockRootUsed_ = false;  // some clip was given a _lockroot of its own
    std::set<std::pair<Object*, std::string>> activeWatches_;
    static constexpr int kMaxAccessorNesting = 65;  // getters in getters, setters in setters
    int scriptDepth_ = 0;
    Frame* activeFrame_ = nullptr;
    uint64_t actionsRun_ = 0;
    std::chrono::steady_clock::time_point scriptStart_;
    uintptr_t stackTop_ = 0;

    struct Interval {
        Value fn;
        Object* self = nullptr;
        std::string method;
        double periodMs = 0, nextMs = 0;
        std::vector<Value> args;
        bool once = false;
    };
    std::map<int, Interval> intervals_;
    struct Deferred {
        std::vector<Object*> keep;
        std::function<void()> task;
        bool ready = false;  // asked for on an earlier frame
    };
    std::vector<Deferred> deferred_;
    int nextIntervalId_ = 1;

    friend struct Interpreter;
};

}  // namespace swf::avm1
