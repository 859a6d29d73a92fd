// Movies whose root is an ActionScript 3 class, assembled with the test writer: a class
// assembler, display calls in byte code and the tags that link classes. Shared by the unit tests,
// the benchmarks and the movie tools of the Wine tests (no test framework here).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tests/engine/avm2/abc_script.h"
#include "tools/swfwriter/swf_writer.h"

namespace avm2test {

using swfw::AbcCode;
using swfw::AbcTraitSpec;
using swfw::AbcWriter;

// The script that makes class `cls` (named `self`, extending `super`) and stores it under its name.
inline void defineClassScript(AbcWriter& w, uint32_t self, uint32_t super, uint32_t cls) {
    uint32_t init = w.method();
    AbcCode sc;
    sc.op(kGetLocal0).op(kPushScope).op(kGetScopeObject, 0).op(kGetLex, super).op(kPushScope).op(kGetLex, super)
        .op(kNewClass, cls).op(kPopScope).op(kInitProperty, self).op(kReturnVoid);
    w.body(init, sc);
    w.script(init, {AbcTraitSpec{self, 4, 1, 0, 0, 0, cls}});
}

// A class `Main extends MovieClip` (or another class of the same shape) assembled from parts: the
// constructor's body after super(), methods of one argument, and slots.
struct ClassBuilder {
    ClassBuilder(AbcWriter& writer, std::string className) : w(writer), name(std::move(className)) {}
    AbcWriter& w;
    std::string name;
    std::string base = "MovieClip";
    std::string basePackage = "flash.display";
    std::vector<AbcTraitSpec> traits;

    uint32_t pub(const std::string& s) { return w.publicName(s); }
    void method(const std::string& methodName, const std::function<void(AbcCode&)>& body, int params = 1) {
        uint32_t m = w.method(std::vector<uint32_t>(static_cast<size_t>(params), 0));
        AbcCode c;
        c.op(kGetLocal0).op(kPushScope);
        body(c);
        c.op(kReturnVoid);
        w.body(m, c, 8, 16);
        traits.push_back(AbcTraitSpec{pub(methodName), 1, 0, 0, 0, 0, m});
    }
    void slot(const std::string& slotName) {
        traits.push_back(AbcTraitSpec{pub(slotName), 0, static_cast<uint32_t>(traits.size() + 1), 0, 0, 0, 0});
    }
    // Defines the class in a script of its own.
    void finish(const std::function<void(AbcCode&)>& constructor) {
        uint32_t super = w.qname(w.ns(0x16, basePackage), base);
        uint32_t self = pub(name);
        uint32_t iinit = w.method();
        AbcCode ic;
        ic.op(kGetLocal0).op(kPushScope).op(kGetLocal0).op(kConstructSuper, 0);
        constructor(ic);
        ic.op(kReturnVoid);
        w.body(iinit, ic, 8, 16);
        uint32_t cinit = w.method();
        w.body(cinit, AbcCode().op(kReturnVoid));
        uint32_t cls = w.klass(self, super, 1, iinit, cinit, traits);
        defineClassScript(w, self, super, cls);
    }
};

// `obj.graphics.<call>(ints...)` where the code before pushed obj.
inline void graphicsCall(AbcWriter& w, AbcCode& c, uint32_t local, const std::string& call, std::vector<int32_t> args) {
    c.op(kGetLocal, local).op(kGetProperty, w.publicName("graphics"));
    for (int32_t a : args) c.op(kPushInt, w.integer(a));
    c.op(kCallPropVoid, w.publicName(call), static_cast<uint32_t>(args.size()));
}

inline void newDisplayObject(AbcWriter& w, AbcCode& c, const std::string& cls, uint32_t local) {
    uint32_t name = w.qname(w.ns(0x16, "flash.display"), cls);
    c.op(kFindPropStrict, name).op(kConstructProp, name, 0).op(kSetLocal, local);
}

inline void setNumber(AbcWriter& w, AbcCode& c, uint32_t local, const std::string& prop, int32_t v) {
    c.op(kGetLocal, local).op(kPushInt, w.integer(v)).op(kSetProperty, w.publicName(prop));
}

inline void setString(AbcWriter& w, AbcCode& c, uint32_t local, const std::string& prop, const std::string& v) {
    c.op(kGetLocal, local).op(kPushString, w.string(v)).op(kSetProperty, w.publicName(prop));
}

// obj.<method>(local args...) with obj and the arguments in locals.
inline void callWith(AbcWriter& w, AbcCode& c, uint32_t object, const std::string& method, std::vector<uint32_t> locals) {
    c.op(kGetLocal, object);
    for (uint32_t l : locals) c.op(kGetLocal, l);
    c.op(kCallPropVoid, w.publicName(method), static_cast<uint32_t>(locals.size()));
}

// this.addEventListener(type, this.<method>, capture) on the object in `local`.
inline void listen(AbcWriter& w, AbcCode& c, uint32_t local, const std::string& type, const std::string& method, bool capture = false) {
    c.op(kGetLocal, local).op(kPushString, w.string(type)).op(kGetLocal0).op(kGetProperty, w.publicName(method));
    c.op(capture ? kPushTrue : kPushFalse).op(kCallPropVoid, w.publicName("addEventListener"), 3);
}

inline std::vector<uint8_t> abcTag(const std::vector<uint8_t>& abc) {
    swfw::BodyWriter b;
    b.u32(0);
    b.string("");
    b.bytes(abc);
    return b.data();
}

inline std::vector<uint8_t> symbolClassTag(const std::vector<std::pair<uint16_t, std::string>>& links) {
    swfw::BodyWriter b;
    b.u16(static_cast<uint16_t>(links.size()));
    for (const auto& [id, name] : links) {
        b.u16(id);
        b.string(name);
    }
    return b.data();
}

}  // namespace avm2test
