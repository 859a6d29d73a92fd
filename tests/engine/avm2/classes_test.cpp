#include <gtest/gtest.h>

#include "tests/engine/avm2/abc_script.h"

using namespace avm2test;
using swfw::AbcCode;
using swfw::AbcTraitSpec;
using swfw::AbcWriter;
using Lines = std::vector<std::string>;

namespace {

// class A { var v:int; function A(x) { v = x } function describe() { return "A" + v }
//           function get twice() { return v * 2 } static var count = 5 }
// class B extends A { function B() { super(3) } override function describe() { return "B" + super.describe() } }
struct TwoClasses {
    AbcWriter w;
    uint32_t objectName = w.publicName("Object");
    uint32_t aName = w.publicName("A"), bName = w.publicName("B");
    uint32_t v = w.publicName("v"), describe = w.publicName("describe"), twice = w.publicName("twice");
    uint32_t count = w.publicName("count");
    uint32_t intName = w.publicName("int");
    uint32_t a = 0, b = 0;

    TwoClasses() {
        uint32_t aInit = w.method({0});
        w.body(aInit, AbcCode().op(kGetLocal0).op(kPushScope).op(kGetLocal0).op(kConstructSuper, 0).op(kGetLocal0).op(kGetLocal1)
                          .op(kInitProperty, v).op(kReturnVoid));
        uint32_t aDescribe = w.method();
        w.body(aDescribe, AbcCode().op(kPushString, w.string("A")).op(kGetLocal0).op(kGetProperty, v).op(kAdd).op(kReturnValue));
        uint32_t aTwice = w.method();
        w.body(aTwice, AbcCode().op(kGetLocal0).op(kGetProperty, v).op(kPushByte, 2).op(kMultiply).op(kReturnValue));
        uint32_t aCinit = w.method();
        w.body(aCinit, AbcCode().op(kReturnVoid));
        a = w.klass(aName, objectName, 1, aInit, aCinit,
                    {AbcTraitSpec{v, 0, 0, intName}, AbcTraitSpec{describe, 1, 0, 0, 0, 0, aDescribe},
                     AbcTraitSpec{twice, 2, 0, 0, 0, 0, aTwice}},
                    {AbcTraitSpec{count, 0, 0, 0, w.integer(5), 0x03}});
        uint32_t bInit = w.method();
        w.body(bInit, AbcCode().op(kGetLocal0).op(kPushScope).op(kGetLocal0).op(kPushByte, 3).op(kConstructSuper, 1).op(kReturnVoid));
        uint32_t bDescribe = w.method();
        w.body(bDescribe, AbcCode().op(kPushString, w.string("B")).op(kGetLocal0).op(kCallSuper, describe, 0).op(kAdd).op(kReturnValue));
        uint32_t bCinit = w.method();
        w.body(bCinit, AbcCode().op(kReturnVoid));
        b = w.klass(bName, aName, 1, bInit, bCinit, {AbcTraitSpec{describe, 1, 0, 0, 0, 0, bDescribe, 2}});
    }

    // The script prologue that defines both classes on the global object.
    void define(AbcCode& c) {
        c.op(kGetLocal0).op(kPushScope);
        c.op(kGetScopeObject, 0).op(kGetLex, objectName).op(kPushScope).op(kGetLex, objectName).op(kNewClass, a).op(kPopScope)
            .op(kInitProperty, aName);
        c.op(kGetScopeObject, 0).op(kGetLex, objectName).op(kPushScope).op(kGetLex, aName).op(kPushScope).op(kGetLex, aName)
            .op(kNewClass, b).op(kPopScope).op(kPopScope).op(kInitProperty, bName);
    }
    std::vector<AbcTraitSpec> scriptTraits() { return {AbcTraitSpec{aName, 4, 1, 0, 0, 0, a}, AbcTraitSpec{bName, 4, 2, 0, 0, 0, b}}; }
};

}  // namespace

TEST(Avm2Classes, InheritanceOverridesSuperCallsAndAccessors) {
    TwoClasses k;
    Tracer t(k.w);
    AbcCode c;
    k.define(c);
    c.op(kFindPropStrict, k.bName).op(kConstructProp, k.bName, 0).op(kSetLocal1);
    t.begin(c).op(kGetLocal1).op(kCallProperty, k.describe, 0);
    t.end(c);
    t.begin(c).op(kGetLocal1).op(kGetProperty, k.twice);
    t.end(c);
    t.begin(c).op(kGetLex, k.aName).op(kGetProperty, k.count);
    t.end(c);
    t.begin(c).op(kGetLocal1).op(kGetLex, k.aName).op(kIsTypeLate);
    t.end(c);
    // A's constructor coerces its argument into the int slot.
    t.begin(c).op(kFindPropStrict, k.aName).op(kPushDouble, k.w.number(9.9)).op(kConstructProp, k.aName, 1).op(kCallProperty, k.describe, 0);
    t.end(c);
    // Sealed instances refuse new properties.
    c.op(kGetLocal1).op(kPushByte, 1).op(kSetProperty, k.w.publicName("nope"));
    c.op(kReturnVoid);
    EXPECT_EQ(runScript(k.w, c, 4, k.scriptTraits()),
              (Lines{"BA3", "6", "5", "true", "A9", "uncaught: ReferenceError: Error #1056: Cannot create property nope on B.\n\tat global$init()"}));
}

TEST(Avm2Classes, WritingAReadOnlyAccessorOrCallingAMissingMethodFails) {
    TwoClasses k;
    Tracer t(k.w);
    AbcCode c;
    k.define(c);
    c.op(kFindPropStrict, k.bName).op(kConstructProp, k.bName, 0).op(kSetLocal1);
    c.label("try").op(kGetLocal1).op(kPushByte, 1).op(kSetProperty, k.twice).label("tryEnd").branch(kJump, "next");
    c.label("catch").op(kSetLocal2).op(kGetLocal0).op(kPushScope);
    t.begin(c).op(kGetLocal2);
    t.end(c);
    c.label("next");
    c.op(kGetLocal1).op(kCallPropVoid, k.w.publicName("missing"), 0);
    c.op(kReturnVoid);
    EXPECT_EQ(runScript(k.w, c, 4, k.scriptTraits(), {{"try", "tryEnd", "catch", 0, 0}}),
              (Lines{"ReferenceError: Error #1074: Illegal write to read-only property twice on B.",
                     "uncaught: ReferenceError: Error #1069: Property missing not found on B and there is no default value.\n\tat global$init()"}));
}
