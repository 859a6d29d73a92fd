// The ActionScript 3 machine: loads ABC blocks, runs their scripts, holds the built-in classes
// and every object (collected by tracing from the roots between frames).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/avm2/object.h"
#include "engine/avm2/timer_queue.h"

namespace swf::avm2 {

// The XML class's settings (XML.settings()).
struct XmlSettings {
    bool ignoreComments = true;
    bool ignoreProcessingInstructions = true;
    bool ignoreWhitespace = true;
    bool prettyPrinting = true;
    int prettyIndent = 2;
};

// An ABC block made ready to run: its pools resolved to namespaces and names.
struct AbcUnit {
    AbcFile abc;
    std::vector<Ns> namespaces;
    std::vector<std::vector<Ns>> nsSets;
    std::vector<Name> names;               // by multiname index: the names without run-time parts
    std::vector<ClassObject*> classes;     // by class index, once `newclass` made them
    std::vector<GlobalObject*> scripts;
    std::vector<std::unique_ptr<TraitTable>> activationTraits;  // by body index, made on first use
    std::vector<FunctionObject*> methodClosures;                // functions for traits, by method index
    std::vector<String> methodNames;                            // as stack traces name them, made on first use
    std::map<std::pair<size_t, size_t>, std::unique_ptr<TraitTable>> catchTraits;  // (body, handler)
};

// An ActionScript exception on its way to a handler.
struct ThrownValue {
    Value value;
    String stack;  // where a value that is not an Error was thrown ("\n\tat ..." lines)
};

// A script went past a limit: not catchable by scripts, it ends what is running.
struct ScriptAbort : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The vectors of one running frame: kept by call depth and reused, so that a call does not
// allocate them again.
struct FrameStore {
    std::vector<Value> locals, stack, scopes;
    std::vector<uint8_t> scopeWith;
};

struct Limits {
    double secondsPerScript = 15.0;
    int callDepth = 256;
    // Stack a script's nested calls may take. Frames differ a lot between builds (checked builds
    // give every temporary its own slot), so the depth count alone cannot keep them inside the
    // thread's stack: both limits raise the script's stack overflow error.
    size_t stackBytes = 2u << 20;
    size_t maxStringLength = 64u << 20;
    size_t maxObjects = 20'000'000;
};

class Machine {
public:
    Machine();
    ~Machine();
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    // Parses and sets up an ABC block; unless `lazy`, runs its last script (the entry point).
    // Errors in the block or uncaught in the script go to the error handler.
    AbcUnit* loadAbc(std::span<const uint8_t> bytes, bool lazy);

    std::function<void(const std::string&)> traceHandler;
    std::function<void(const std::string&)> errorHandler;  // uncaught errors, in the player's form
    Limits limits;
    // The SWF version of the movie whose code runs: some behaviour follows the version a movie
    // was made for (0: the newest).
    int swfVersion = 0;
    bool swfVersionBefore(int v) const { return swfVersion != 0 && swfVersion < v; }

    // Runs `f`, catching what it throws: an uncaught script error is reported and false returned.
    bool guarded(const std::function<void()>& f);
    // Reports an error no script caught, as `guarded` does.
    void reportUncaught(const ThrownValue& t);
    // The text an uncaught error prints.
    std::string describeUncaught(const Value& v, const String& stack = String());

    // Objects.
    template <class T, class... A>
    T* make(A&&... a) {
        T* o = new T(std::forward<A>(a)...);
        track(o);
        return o;
    }
    Object* newObject();
    ArrayObject* newArray(std::vector<Value> items = {});
    FunctionObject* newNative(const String& name, int length, NativeFn fn);
    Object* instantiate(ClassObject* cls);  // an uninitialised instance of the class's C++ kind
    void collectGarbage(const std::vector<Object*>& extraRoots = {});
    size_t objectCount() const { return objects_.size(); }
    // Hosts keep their objects alive across collections by registering them.
    std::vector<Object*> hostRoots;

    // Conversions.
    double toNumber(const Value& v);
    String toString(const Value& v);
    bool toBoolean(const Value& v);
    Value toPrimitive(const Value& v, bool preferString = false);
    int32_t toInt(const Value& v) { return toInt32(toNumber(v)); }
    uint32_t toUint(const Value& v) { return toUint32(toNumber(v)); }
    String typeOf(const Value& v);
    ClassObject* classOf(const Value& v);
    bool isType(const Value& v, ClassObject* type);
    Value coerce(const Value& v, ClassObject* type);  // TypeError 1034 when it cannot
    Value coerceTo(const Value& v, AbcUnit* unit, const AbcMultiname* type);
    ClassObject* resolveType(AbcUnit* unit, uint32_t multiname);  // nullptr for * and unknown
    bool strictEquals(const Value& a, const Value& b);
    bool looseEquals(const Value& a, const Value& b);
    // a < b: true, false, or undefined (as a Value) when either is NaN.
    Value lessThan(const Value& a, const Value& b);
    Value add(const Value& a, const Value& b);

    // Properties.
    Value getProperty(const Value& obj, const Name& n);
    void setProperty(const Value& obj, const Name& n, const Value& v, bool init = false);
    bool hasProperty(const Value& obj, const Name& n);
    bool deleteProperty(const Value& obj, const Name& n);
    Value callProperty(const Value& obj, const Name& n, std::span<const Value> args, bool lex = false);
    Value constructProperty(const Value& obj, const Name& n, std::span<const Value> args);
    Value call(const Value& f, const Value& self, std::span<const Value> args);
    Value construct(const Value& c, std::span<const Value> args);
    // Public-name shorthands for built-ins.
    Value get(const Value& obj, const String& local);
    void set(const Value& obj, const String& local, const Value& v);
    // Dynamic property keys of an object, in enumeration order (array indices first).
    void enumerate(Object* o, std::vector<Value>& keys);
    bool hasOwnProperty(Object* o, const String& key);
    // The property name a key value stands for on `holder`: its text, or for an object key of
    // a Dictionary, a name for that object.
    String propertyKey(const Value& holder, const Value& key);

    // flash.utils.Proxy: calls the flash_proxy handler `method` of a proxy object; `name` is made
    // into the QName handlers receive.
    Value proxyCall(Object* proxy, const String& method, std::vector<Value> args);
    Value proxyName(const Name& n);

    // Errors: throws an instance of the named error class with the player's message.
    [[noreturn]] void throwError(const String& cls, int id, const String& message);
    [[noreturn]] void typeError(int id, const String& message) { throwError(u"TypeError", id, message); }
    // The TypeError of an XML-only operator (descendants, filter) met on another value: #1009 or
    // #1010 for null and undefined, otherwise `id` with "<what> not supported on type <class>.".
    [[noreturn]] void xmlOperatorError(const Value& v, int id, const String& what);
    [[noreturn]] void referenceError(int id, const String& message) { throwError(u"ReferenceError", id, message); }
    [[noreturn]] void rangeError(int id, const String& message) { throwError(u"RangeError", id, message); }
    String describeForError(const Value& v);  // "null", "Foo", "String"... for messages
    String describeForCoercion(const Value& v);  // as above, an instance with its (fixed) address: "Foo@00000000000"

    // Built-ins.
    ClassObject* defineClass(const String& package, const String& name, ClassObject* super, NativeFn ctor,
                             Allocator alloc = nullptr);
    void defineMethod(ClassObject* c, const String& name, int length, NativeFn fn);       // on the prototype
    void defineStatic(ClassObject* c, const String& name, int length, NativeFn fn);       // on the class
    void defineGetter(ClassObject* c, const String& name, NativeFn get, NativeFn set = nullptr, bool isStatic = false);
    void defineConstant(ClassObject* c, const String& name, Value v);
    void defineGlobal(const String& package, const String& name, Value v);
    void defineGlobalFunction(const String& package, const String& name, int length, NativeFn fn);
    ClassObject* builtin(const String& name) const;  // by qualified name ("flash.utils::Dictionary" or "Array")
    Value findGlobal(const Name& n, bool& found);    // in every loaded script and the built-ins
    ClassObject* vectorClass(ClassObject* element);  // Vector.<element>, made on first use
    Value formatError(Object* e);

    ClassObject *objectClass = nullptr, *functionClass = nullptr, *classClass = nullptr, *arrayClass = nullptr,
                *stringClass = nullptr, *numberClass = nullptr, *intClass = nullptr, *uintClass = nullptr,
                *booleanClass = nullptr, *errorClass = nullptr, *namespaceClass = nullptr, *qnameClass = nullptr,
                *vectorBase = nullptr, *vectorAny = nullptr, *dateClass = nullptr, *regexpClass = nullptr,
                *xmlClass = nullptr, *xmlListClass = nullptr, *dictionaryClass = nullptr, *byteArrayClass = nullptr;
    GlobalObject* toplevel = nullptr;  // the built-ins' global scope
    std::vector<std::unique_ptr<AbcUnit>> units;

    // Running.
    Value execute(FunctionObject* f, const Value& self, std::span<const Value> args);
    // Runs a built-in; one with a trace name is on the call stack while it runs.
    Value callNative(FunctionObject* f, const Value& self, std::span<const Value> args);
    void ensureScriptInitialised(GlobalObject* g);
    FunctionObject* newFunction(AbcUnit* unit, uint32_t method, std::vector<ScopeEntry> scope, ClassObject* home);
    ClassObject* newClass(AbcUnit* unit, uint32_t index, ClassObject* super, const std::vector<ScopeEntry>& scope);
    void runTraitsInto(AbcUnit* unit, const std::vector<AbcTrait>& traits, TraitTable& table, ClassObject* declaredBy,
                       const std::vector<ScopeEntry>& scope, bool isStatic);
    Value defaultValue(AbcUnit* unit, const AbcDefault& d);
    Name multiname(AbcUnit* unit, uint32_t index, String* storage = nullptr);
    void initSlots(Object* o);
    uintptr_t stackBase = 0;  // frame address of the outermost script call
    std::vector<std::unique_ptr<FrameStore>> frameStores;  // by call depth
    // The methods running (byte code, and built-ins with trace names), outermost first, and the stack trace they make: one
    // "\n\tat name()" line each, innermost first, with "[file:line]" where the code carries
    // debug lines, as a debugging player writes them.
    struct CallFrame {
        const FunctionObject* function;
        uint32_t file = 0;  // string index of the source file the debug instructions name, 0 if none
        uint32_t line = 0;
    };
    std::vector<CallFrame> callStack;
    String stackTrace();
    // The `throw` instruction.
    [[noreturn]] void throwScriptValue(const Value& v);
    String methodName(AbcUnit* unit, uint32_t method);
    std::chrono::steady_clock::time_point scriptStart;
    bool timing = false;
    void checkTime();
    std::vector<std::vector<Value>*> activeStacks;  // values in running frames, roots for the collector
    Ns publicNs;
    Ns as3Ns;
    std::vector<Ns> publicSet;  // {public}
    std::vector<std::unique_ptr<std::vector<Ns>>> nsStorage;  // run-time namespace sets
    double startMs() const;
    // The movie's clock (milliseconds), moved on by the host each frame; timers run on it.
    double clockMs = 0;
    TimerQueue timers;
    // E4X: the settings of the XML class and the namespace of unqualified element names
    // (`default xml namespace`, set by the running method).
    XmlSettings xmlSettings;
    String defaultXmlNamespace;

private:
    void track(Object* o);
    void installBuiltins();
    std::vector<Object*> objects_;
    std::map<String, ClassObject*> builtins_;
    std::map<ClassObject*, ClassObject*> vectors_;
    std::chrono::steady_clock::time_point created_;
};

// Built-in class families, each in its own file.
void installObjectBuiltins(Machine& m);
void installFunctionBuiltins(Machine& m);
void installArrayBuiltins(Machine& m);
void installStringBuiltins(Machine& m);
void installNumberBuiltins(Machine& m);
void installMathBuiltins(Machine& m);
void installErrorBuiltins(Machine& m);
void installGlobalFunctions(Machine& m);
void installVectorBuiltins(Machine& m);
void installRegExpBuiltins(Machine& m);
void installUtilsBuiltins(Machine& m);
void installDateBuiltins(Machine& m);
void installJsonBuiltins(Machine& m);
void installByteArrayBuiltins(Machine& m);
void installDictionaryBuiltins(Machine& m);
void installTimerBuiltins(Machine& m);
void installProxyBuiltins(Machine& m);
void installQNameBuiltins(Machine& m);
void installXmlBuiltins(Machine& m);
void installNamespaceBuiltins(Machine& m);

// Helpers the built-ins share.
inline Value arg(std::span<const Value> args, size_t i) { return i < args.size() ? args[i] : Value(); }
String indexKey(size_t i);
bool parseIndex(const String& s, uint32_t& out);  // a canonical array index

// A method closure: `method` with `self` as its receiver.
FunctionObject* bindMethod(Machine& m, FunctionObject* method, const Value& self);

}  // namespace swf::avm2
