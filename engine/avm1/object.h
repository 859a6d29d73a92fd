// Script objects: ordered properties with flags, a prototype, and the optional parts that make an
// object a function, an array, a wrapped primitive or the script face of a movie clip.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/avm1/value.h"

namespace swf::avm1 {

class Machine;
class Clip;
struct FunctionCode;

enum PropertyFlags : uint16_t {
    DontEnum = 1, DontDelete = 2, ReadOnly = 4,
    // Seen only by movies of at least SWF 6, 7, 8, 9 or 10.
    FromVersion6 = 0x100, FromVersion7 = 0x400, FromVersion8 = 0x1000, FromVersion9 = 0x2000, FromVersion10 = 0x4000
};

// Whether a movie of `swfVersion` sees a property with these flags.
inline bool visibleTo(uint16_t flags, int swfVersion) {
    return !((flags & FromVersion6 && swfVersion < 6) || (flags & FromVersion7 && swfVersion < 7) ||
             (flags & FromVersion8 && swfVersion < 8) || (flags & FromVersion9 && swfVersion < 9) ||
             (flags & FromVersion10 && swfVersion < 10));
}

struct Property {
    std::string name;  // as first written
    Value value;
    Object* getter = nullptr;  // addProperty accessors
    Object* setter = nullptr;
    uint16_t flags = 0;
    bool live = true;
};

// State a built-in class keeps beside the properties (a bitmap's pixels, a sound's target).
struct NativeState {
    virtual ~NativeState() = default;
    // Script objects the state holds (an XML node's children): kept alive by the collector.
    virtual void references(std::vector<Object*>& out) const { (void)out; }
};

// A built-in function: receives the machine, `this` and the arguments; returns the result.
using NativeFunction = Value (*)(Machine&, Object* self, std::vector<Value>& args);

class Object {
public:
    Object* proto = nullptr;  // __proto__

    // Function parts: a native body or script code (with the scope it was defined in).
    NativeFunction native = nullptr;
    NativeFunction nativeConstruct = nullptr;  // `new` on a built-in class, when it differs
    std::shared_ptr<FunctionCode> code;
    std::vector<Object*> scope;
    Clip* definingClip = nullptr;

    // Array part: elements live here, "length" and index names map onto it.
    bool isArray = false;
    std::vector<Value> elements;
    // Flags ASSetPropFlags gave elements, by index; most arrays have none.
    std::unique_ptr<std::map<size_t, uint16_t>> elementFlags;
    uint16_t elementFlagsAt(size_t i) const;
    // Array methods that move elements leave none of them with flags.
    void dropElementFlags() { elementFlags.reset(); }

    // Wrapped primitive (String, Number, Boolean objects) or Date time value.
    bool hasPrimitive = false;
    Value primitive;
    bool isDate = false;

    // Script face of a movie clip.
    Clip* clip = nullptr;
    // The face of a clip that has left: the path it had ("_level0.a.b"), by which a reference
    // held by a script reaches a clip made again at the same place.
    std::unique_ptr<std::string> leftClipPath;

    // Native objects carry extra object references here so that the collector sees them
    // (a Color's target clip, a super reference's base prototype and this).
    Object* slotA = nullptr;
    Object* slotB = nullptr;
    bool isSuper = false;
    // A super reference: how many __proto__ steps from `this` the running method was found, so
    // that the prototype it stands for follows a __proto__ the method changes; -1 when unknown.
    int superDepth = -1;
    std::unique_ptr<NativeState> state;

    // Object.watch: per property key, the watcher function and the value given to it.
    struct Watch {
        Object* callback = nullptr;
        Value userData;
    };
    std::unique_ptr<std::map<std::string, Watch>> watches;

    bool isFunction() const { return native || code; }

    // Back to a fresh object's state, keeping the property storage of a small one for the next
    // user (objects are made and dropped by the thousand each frame).
    void recycle();

    // Own properties, keys already folded for case (see Machine::key).
    Property* find(const std::string& key);
    const Property* find(const std::string& key) const;
    Property& put(const std::string& key, const std::string& name, Value v, uint16_t flags = 0);
    bool remove(const std::string& key);
    template <class F> void forEach(F f) const {
        for (const Property& p : props_)
            if (p.live) f(p);
    }
    template <class F> void forEachMutable(F f) {
        for (Property& p : props_)
            if (p.live) f(p);
    }

private:
    // Most objects hold a few properties: those are found by a scan of their keys, and a hash
    // index is built only once an object grows past kScanLimit.
    static constexpr size_t kScanLimit = 12;
    static constexpr size_t kMissing = size_t(-1);
    size_t slot(const std::string& key) const;
    void reindex();

    std::vector<Property> props_;
    std::vector<std::string> keys_;  // the folded key of each entry of props_
    std::unordered_map<std::string, size_t> index_;
    bool indexed_ = false;
    size_t dead_ = 0;

public:
    bool marked = false;
};

// A canonical array index ("0", "17"), or -1.
long long arrayIndex(const std::string& name);

// Owns every object; unreachable ones are freed by collect() between scripts.
class Heap {
public:
    Object* make();
    size_t size() const { return objects_.size(); }
    // A function call's activation, outside the collector while the call runs: given back with
    // release(), which takes it into the heap when a closure kept it and reuses it otherwise.
    std::unique_ptr<Object> borrow();
    void release(std::unique_ptr<Object> o, bool kept);
    size_t spares() const { return spare_.size(); }
    template <class F> void forEach(F f) const {
        for (const auto& o : objects_) f(*o);
    }
    // Marks from `roots`, then frees the rest.
    void collect(const std::vector<Object*>& roots);

private:
    std::unique_ptr<Object> fresh();
    void keepSpare(std::unique_ptr<Object> o);

    static constexpr size_t kMaxSpares = 4096;
    std::vector<std::unique_ptr<Object>> objects_;
    std::vector<std::unique_ptr<Object>> spare_;  // freed objects, reset, waiting to be reused
};

}  // namespace swf::avm1
