// Objects of the ActionScript 3 machine: names with namespaces, trait tables (the sealed
// properties a class declares), and the object kinds the machine and its built-ins share.
#pragma once

#include <functional>
#include <map>
#include <span>
#include <unordered_map>
#include <vector>

#include "engine/avm2/abc_file.h"
#include "engine/avm2/value.h"

namespace swf::avm2 {

class Machine;
class ClassObject;
class FunctionObject;
struct AbcUnit;

// A namespace: its kind and URI; private namespaces are equal only to themselves (`id`). A
// package's internal namespace is another namespace than its public one of the same URI, so
// importing a package does not open its internal names.
struct Ns {
    uint8_t kind = kNsPackage;
    String uri;
    uintptr_t id = 0;
    bool operator==(const Ns& o) const {
        return id == o.id && (id != 0 || (uri == o.uri && (kind == kNsPackageInternal) == (o.kind == kNsPackageInternal)));
    }
    bool isPublic() const { return id == 0 && uri.empty() && kind != kNsPrivate; }
};

// A property name as an instruction asks for it: a local name in one or more namespaces.
struct Name {
    String local;
    std::span<const Ns> nss;
    bool attribute = false;
    bool anyName = false;       // "*"
    bool anyNamespace = false;  // "*::name" (E4X)
    bool hasNs(const Ns& ns) const {
        for (const Ns& n : nss)
            if (n == ns) return true;
        return false;
    }
    bool hasPublic() const {
        for (const Ns& n : nss)
            if (n.id == 0 && (n.uri.empty() || n.uri == u"http://adobe.com/AS3/2006/builtin")) return true;
        return false;
    }
};

// A sealed property: where it lives and how it is reached.
struct Binding {
    enum class Kind : uint8_t { Slot, Const, Method, Accessor } kind = Kind::Slot;
    uint32_t slot = 0;                   // Slot, Const
    FunctionObject* method = nullptr;    // Method
    FunctionObject* getter = nullptr;    // Accessor
    FunctionObject* setter = nullptr;
    ClassObject* declaredBy = nullptr;
};

struct SlotInfo {
    Value initial;
    const AbcMultiname* type = nullptr;  // nullptr: any
    AbcUnit* unit = nullptr;
    String name;
};

struct TraitTable {
    std::unordered_map<String, std::vector<std::pair<Ns, Binding>>> byName;
    std::vector<SlotInfo> slots;  // index 0 unused: slot ids count from 1
    TraitTable() { slots.emplace_back(); }
    Binding* find(const Name& n);
    Binding* findQ(const Ns& ns, const String& local);
    void set(const Ns& ns, const String& local, const Binding& b);
};

// Dynamic properties in the order they were made (enumeration follows it).
class PropertyMap {
public:
    Value* find(const String& key);
    void set(const String& key, Value v, bool enumerable = true);
    bool remove(const String& key);
    bool isEnumerable(const String& key) const;
    void setEnumerable(const String& key, bool e);
    size_t size() const { return keys_.size(); }
    // Enumeration by position over live keys: index 1 is the first.
    const String* keyAt(size_t i) const { return i < keys_.size() && alive_[i] ? &keys_[i] : nullptr; }
    size_t capacity() const { return keys_.size(); }
    Value* valueAt(size_t i) { return &values_[i]; }
    void clear();

private:
    std::unordered_map<String, size_t> index_;
    std::vector<String> keys_;
    std::vector<Value> values_;
    std::vector<bool> alive_, enumerable_;
};

enum class ObjectType : uint8_t {
    Plain, Function, Class, Array, Vector, Activation, Global, Error, Date, RegExp, Namespace, QName,
    Dictionary, ByteArray, Xml, XmlList, Display, Event, Other,
};

class Object {
public:
    explicit Object(ObjectType t = ObjectType::Plain) : type(t) {}
    virtual ~Object() = default;
    // Every object reference the object holds, for the collector.
    virtual void trace(std::vector<Object*>& out);

    ObjectType type;
    bool marked = false;
    bool sealed = false;               // no dynamic properties
    bool proxy = false;                // a flash.utils.Proxy: what its class does not declare goes to its handlers
    ClassObject* cls = nullptr;        // for is/as and class names; nullptr for activations
    TraitTable* traits = nullptr;      // sealed properties
    Object* proto = nullptr;           // where dynamic look-ups continue
    std::vector<Value> slots;
    PropertyMap dynamic;
};

using NativeFn = std::function<Value(Machine&, const Value& self, std::span<const Value> args)>;

struct ScopeEntry {
    Value object;
    bool with = false;
};

class FunctionObject : public Object {
public:
    FunctionObject() : Object(ObjectType::Function) {}
    void trace(std::vector<Object*>& out) override;
    NativeFn native;
    AbcUnit* unit = nullptr;
    uint32_t method = 0;
    std::vector<ScopeEntry> scope;  // captured, outermost first
    ClassObject* home = nullptr;    // the class whose method this is (for super)
    Value boundThis;                // method closures
    bool bound = false;
    bool closure = false;           // made by `newfunction`: its argument count is not checked
    String name;
    // A built-in of the player's own classes: how stack traces name it while it runs
    // ("flash.events::EventDispatcher/dispatchEvent"); empty for those traces leave out.
    String traceName;
    int length = 0;
    Object* prototypeObject = nullptr;  // for functions used as constructors
};

// Makes the C++ object behind `new` of a native class.
using Allocator = std::function<Object*(Machine&, ClassObject* cls)>;

class ClassObject : public Object {
public:
    ClassObject() : Object(ObjectType::Class) {}
    void trace(std::vector<Object*>& out) override;
    String name;      // local name
    String package;   // namespace URI
    ClassObject* super = nullptr;
    std::vector<ClassObject*> interfaces;
    bool isInterface = false;
    bool isFinal = false;
    bool isSealedInstances = false;
    Ns protectedNs;
    bool hasProtectedNs = false;
    TraitTable instanceTraits;
    TraitTable staticTraits;
    Object* prototype = nullptr;
    FunctionObject* constructor = nullptr;  // bytecode or native iinit
    NativeFn callAsFunction;                // Class(x): a conversion
    Allocator allocate;                     // inherited down the chain when unset
    AbcUnit* unit = nullptr;
    int instanceIndex = -1;
    ClassObject* vectorOf = nullptr;        // Vector.<T>: T (nullptr for *)
    bool isVector = false;
    std::vector<ScopeEntry> scope;          // for instance methods
    String qualifiedName() const { return package.empty() ? name : package + u"::" + name; }
    bool isSubclassOf(const ClassObject* other) const;
};

class ArrayObject : public Object {
public:
    ArrayObject() : Object(ObjectType::Array) {}
    void trace(std::vector<Object*>& out) override;
    std::vector<Value> items;
};

class VectorObject : public Object {
public:
    VectorObject() : Object(ObjectType::Vector) {}
    void trace(std::vector<Object*>& out) override;
    std::vector<Value> items;
    ClassObject* elementType = nullptr;
    bool fixed = false;
};

class NamespaceObject : public Object {
public:
    NamespaceObject() : Object(ObjectType::Namespace) {}
    Ns ns;
    Value prefix;
};

class QNameObject : public Object {
public:
    QNameObject() : Object(ObjectType::QName) {}
    Value uri;  // null: any namespace
    String local;
};

// A script's global object, with what is needed to run its initialiser on first use.
class GlobalObject : public Object {
public:
    GlobalObject() : Object(ObjectType::Global) {}
    void trace(std::vector<Object*>& out) override;
    TraitTable table;
    AbcUnit* unit = nullptr;
    int script = -1;
    bool initialised = false;
};

}  // namespace swf::avm2
