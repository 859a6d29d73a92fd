#include <gtest/gtest.h>

#include <cmath>

#include "tests/engine/avm2/abc_script.h"

using namespace avm2test;
using swfw::AbcCode;
using swfw::AbcWriter;
using Lines = std::vector<std::string>;

TEST(Avm2Interpreter, ArithmeticAndConversions) {
    AbcWriter w;
    Tracer t(w);
    AbcCode c;
    c.op(kGetLocal0).op(kPushScope);
    auto traceOf = [&](auto push) {
        t.begin(c);
        push();
        t.end(c);
    };
    traceOf([&] { c.op(kPushByte, 7).op(kPushString, w.string("3")).op(kAdd); });                  // "73"
    traceOf([&] { c.op(kPushByte, 7).op(kPushString, w.string("3")).op(kSubtract); });             // 4
    traceOf([&] { c.op(kPushInt, w.integer(2147483647)).op(kPushByte, 1).op(kAddI); });            // wraps
    traceOf([&] { c.op(kPushByte, 1).op(kPushByte, 3).op(kDivide); });                             // 0.333...
    traceOf([&] { c.op(kPushByte, static_cast<uint8_t>(-7)).op(kPushByte, 2).op(kModulo); });      // -1
    traceOf([&] { c.op(kPushByte, static_cast<uint8_t>(-1)).op(kPushByte, 28).op(kURShift); });    // 15
    traceOf([&] { c.op(kPushDouble, w.number(1e21)); });
    traceOf([&] { c.op(kPushDouble, w.number(0.000001)); });
    traceOf([&] { c.op(kPushDouble, w.number(-3.99)).op(kConvertI); });
    traceOf([&] { c.op(kPushByte, static_cast<uint8_t>(-1)).op(kConvertU); });
    traceOf([&] { c.op(kPushNull).op(kTypeOf); });
    traceOf([&] { c.op(kPushNaN).op(kPushNaN).op(kEquals); });
    traceOf([&] { c.op(kPushString, w.string("1")).op(kPushByte, 1).op(kEquals); });
    traceOf([&] { c.op(kPushString, w.string("1")).op(kPushByte, 1).op(kStrictEquals); });
    traceOf([&] { c.op(kPushString, w.string("10")).op(kPushString, w.string("9")).op(kLessThan); });
    traceOf([&] { c.op(kPushUndefined).op(kConvertD); });
    // NaN, 0 and -0 from the constant pool, each its own entry.
    traceOf([&] { c.op(kPushDouble, w.number(std::nan(""))); });
    traceOf([&] { c.op(kPushByte, 1).op(kPushDouble, w.number(0.0)).op(kDivide); });
    traceOf([&] { c.op(kPushByte, 1).op(kPushDouble, w.number(-0.0)).op(kDivide); });
    traceOf([&] { c.op(kPushDouble, w.number(std::nan(""))).op(kPushDouble, w.number(2.5)).op(kAdd); });
    c.op(kReturnVoid);
    EXPECT_EQ(runScript(w, c), (Lines{"73", "4", "-2147483648", "0.3333333333333333", "-1", "15", "1e+21", "0.000001", "-3",
                                      "4294967295", "object", "false", "true", "false", "true", "NaN", "NaN", "Infinity",
                                      "-Infinity", "NaN"}));
}

TEST(Avm2Interpreter, LoopsBranchesAndSwitch) {
    AbcWriter w;
    Tracer t(w);
    AbcCode c;
    // sum = 0; for (i = 1; i <= 10; i++) sum += i; trace(sum)
    c.op(kGetLocal0).op(kPushScope);
    c.op(kPushByte, 0).op(kSetLocal1).op(kPushByte, 1).op(kSetLocal2);
    c.label("loop").op(kGetLocal2).op(kPushByte, 10).branch(0x17, "done");  // ifgt
    c.op(kGetLocal1).op(kGetLocal2).op(kAdd).op(kSetLocal1).op(kIncLocal, 2).branch(kJump, "loop");
    c.label("done");
    t.begin(c).op(kGetLocal1);
    t.end(c);
    // switch (2) { case 0: "zero"; case 1: "one"; case 2: "two"; default: "other" }, and out of range
    for (int v : {2, 7}) {
        std::string k = std::to_string(v);
        c.op(kPushByte, static_cast<uint32_t>(v)).lookupSwitch("d" + k, {"c0" + k, "c1" + k, "c2" + k});
        c.label("c0" + k);
        t.string(c, "zero").branch(kJump, "end" + k);
        c.label("c1" + k);
        t.string(c, "one").branch(kJump, "end" + k);
        c.label("c2" + k);
        t.string(c, "two").branch(kJump, "end" + k);
        c.label("d" + k);
        t.string(c, "other");
        c.label("end" + k);
    }
    c.op(kReturnVoid);
    EXPECT_EQ(runScript(w, c), (Lines{"55", "two", "other"}));
}

TEST(Avm2Interpreter, ExceptionsAreCaughtByTypeAndScope) {
    AbcWriter w;
    Tracer t(w);
    uint32_t errorName = w.publicName("Error");
    uint32_t typeErrorName = w.publicName("TypeError");
    uint32_t eName = w.publicName("e");
    uint32_t message = w.publicName("message");
    AbcCode c;
    c.op(kGetLocal0).op(kPushScope);
    // try { throw new Error("boom") } catch (e:TypeError) {...} catch (e:Error) { trace(e.message) }
    c.label("try1").op(kFindPropStrict, errorName).op(kPushString, w.string("boom")).op(kConstructProp, errorName, 1).op(kThrow);
    c.label("tryEnd1");
    c.label("catchType").op(kPop);
    t.string(c, "wrong handler").branch(kJump, "after1");
    c.label("catchError");
    c.op(kNewCatch, 1).op(kDup).op(kPushScope).op(kSwap).op(kSetSlot, 1);
    c.op(kGetLocal0).op(kPushScope);  // handlers restore the scope they need
    t.begin(c).op(kGetScopeObject, 0).op(kGetSlot, 1).op(kGetProperty, message);
    t.end(c);
    c.op(kPopScope).op(kPopScope);
    c.label("after1");
    // A null property read inside a try: the player's TypeError reaches the handler.
    c.label("try2").op(kPushNull).op(kGetProperty, message).op(kPop);
    c.label("tryEnd2");
    c.branch(kJump, "after2");
    c.label("catch2");
    c.op(kSetLocal1).op(kGetLocal0).op(kPushScope);
    t.begin(c).op(kGetLocal1);
    t.end(c);
    c.label("after2");
    // Uncaught: reported, the script stops.
    c.op(kPushString, w.string("plain")).op(kThrow);
    t.string(c, "not reached");
    c.op(kReturnVoid);
    Lines lines = runScript(w, c, 8, {},
                            {{"try1", "tryEnd1", "catchType", typeErrorName, eName},
                             {"try1", "tryEnd1", "catchError", errorName, eName},
                             {"try2", "tryEnd2", "catch2", 0, 0}});
    EXPECT_EQ(lines, (Lines{"boom", "TypeError: Error #1009: Cannot access a property or method of a null object reference.",
                            "uncaught: plain\n\tat global$init()"}));
}

TEST(Avm2Interpreter, ClosuresShareTheirActivation) {
    AbcWriter w;
    Tracer t(w);
    uint32_t count = w.publicName("count");
    // function make() { var count = 0; return function() { return ++count; } }
    uint32_t inner = w.method();
    AbcCode ic;
    ic.op(kGetLocal0).op(kPushScope);
    ic.op(kFindProperty, count).op(kFindProperty, count).op(kGetProperty, count).op(kIncrement).op(kSetProperty, count);
    ic.op(kFindProperty, count).op(kGetProperty, count).op(kReturnValue);
    w.body(inner, ic);
    uint32_t make = w.method();
    AbcCode mc;
    mc.op(kGetLocal0).op(kPushScope).op(kNewActivation).op(kDup).op(kSetLocal1).op(kPushScope);
    mc.op(kGetLocal1).op(kPushByte, 0).op(kSetSlot, 1);
    mc.op(kNewFunction, inner).op(kReturnValue);
    w.body(make, mc, 4, 8, {}, {swfw::AbcTraitSpec{count, 0, 1}});
    AbcCode c;
    c.op(kGetLocal0).op(kPushScope);
    c.op(kNewFunction, make).op(kPushNull).op(kCall, 0).op(kSetLocal1);  // f = make()
    c.op(kNewFunction, make).op(kPushNull).op(kCall, 0).op(kSetLocal2);  // g = make()
    for (int i = 0; i < 2; ++i) {
        t.begin(c).op(kGetLocal1).op(kPushNull).op(kCall, 0);
        t.end(c);
    }
    t.begin(c).op(kGetLocal2).op(kPushNull).op(kCall, 0);
    t.end(c);
    c.op(kReturnVoid);
    EXPECT_EQ(runScript(w, c), (Lines{"1", "2", "1"}));
}

TEST(Avm2Interpreter, EnumerationFollowsInsertionOrder) {
    AbcWriter w;
    Tracer t(w);
    AbcCode c;
    c.op(kGetLocal0).op(kPushScope);
    for (const char* k : {"b", "a", "c"}) c.op(kPushString, w.string(k)).op(kPushByte, static_cast<uint32_t>(k[0] - 'a'));
    c.op(kNewObject, 3).op(kSetLocal1).op(kPushByte, 0).op(kSetLocal2);
    c.branch(kJump, "check");
    c.label("body");
    t.begin(c).op(kGetLocal1).op(kGetLocal2).op(kNextName).op(kGetLocal1).op(kGetLocal2).op(kNextValue);
    t.end(c, 2);
    c.label("check").op(kHasNext2, 1, 2).branch(kIfTrue, "body");
    c.op(kReturnVoid);
    EXPECT_EQ(runScript(w, c), (Lines{"b 1", "a 0", "c 2"}));
}

TEST(Avm2Interpreter, VectorsFromApplyTypeCoerceAndCheckBounds) {
    AbcWriter w;
    Tracer t(w);
    uint32_t vec = w.qname(w.ns(0x16, "__AS3__.vec"), "Vector");
    uint32_t intName = w.publicName("int");
    uint32_t push = w.publicName("push");
    uint32_t set = w.nsSet({w.ns(0x16, "")});
    uint32_t index = w.multinameL(set);
    AbcCode c;
    c.op(kGetLocal0).op(kPushScope);
    c.op(kGetLex, vec).op(kGetLex, intName).op(kApplyType, 1).op(kConstruct, 0).op(kSetLocal1);
    c.op(kGetLocal1).op(kPushDouble, w.number(3.7)).op(kCallPropVoid, push, 1);
    t.begin(c).op(kGetLocal1).op(kPushByte, 0).op(kGetProperty, index);
    t.end(c);
    t.begin(c).op(kGetLocal1);
    t.end(c);
    c.op(kGetLocal1).op(kPushByte, 5).op(kGetProperty, index);
    c.op(kReturnVoid);
    EXPECT_EQ(runScript(w, c), (Lines{"3", "3", "uncaught: RangeError: Error #1125: The index 5 is out of range 1.\n\tat global$init()"}));
}

TEST(Avm2Interpreter, BadCodeIsAVerifyErrorNotACrash) {
    for (std::vector<uint8_t> bytes : {std::vector<uint8_t>{0x29},                    // pop on an empty stack
                                       std::vector<uint8_t>{0x62, 200},               // local out of range
                                       std::vector<uint8_t>{0x10, 0x00, 0x10, 0x00},  // branch past the end
                                       std::vector<uint8_t>{0xFE},                    // unknown opcode
                                       std::vector<uint8_t>{0x2C}}) {                 // operand missing
        AbcWriter w;
        AbcCode c;
        for (uint8_t b : bytes) c.u8(b);
        Lines lines = runScript(w, c, 2);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].rfind("uncaught: VerifyError", 0), 0u) << lines[0];
    }
}

TEST(Avm2Interpreter, RunawayRecursionStopsWithStackOverflow) {
    AbcWriter w;
    uint32_t self = w.publicName("f");
    uint32_t f = w.method();
    AbcCode fc;
    fc.op(kGetLocal0).op(kPushScope).op(kFindPropStrict, self).op(kCallPropVoid, self, 0).op(kReturnVoid);
    w.body(f, fc);
    AbcCode c;
    c.op(kGetLocal0).op(kPushScope).op(kFindPropStrict, self).op(kCallPropVoid, self, 0).op(kReturnVoid);
    const std::vector<swfw::AbcTraitSpec> traits{swfw::AbcTraitSpec{self, 1, 0, 0, 0, 0, f}};
    // The report names every frame, innermost first, down to the script's initialiser.
    const std::string head = "uncaught: Error: Error #1023: Stack overflow occurred.\n\tat global/f()\n";
    const std::string tail = "\tat global/f()\n\tat global$init()";
    Lines lines = runScript(w, c, 2, traits);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(0, head.size()), head);
    ASSERT_GT(lines[0].size(), tail.size());
    EXPECT_EQ(lines[0].substr(lines[0].size() - tail.size()), tail);

    // A call count the thread's stack could never hold: the stack budget stops it first.
    swf::avm2::Limits deep;
    deep.callDepth = 10'000'000;
    deep.stackBytes = 256u << 10;
    lines = runScript(w, c, 2, traits, {}, deep);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(0, head.size()), head);
    ASSERT_GT(lines[0].size(), tail.size());
    EXPECT_EQ(lines[0].substr(lines[0].size() - tail.size()), tail);
}

TEST(Avm2Interpreter, ClosuresTakeAnyArgumentCountButMethodsCheck) {
    AbcWriter w;
    Tracer t(w);
    uint32_t intType = w.publicName("int");
    // function (a:int, b) { trace(a, b) }: as a closure and as a method of the script.
    uint32_t show = w.method({intType, 0});
    AbcCode sc;
    t.begin(sc).op(kGetLocal1).op(kGetLocal2);
    t.end(sc, 2).op(kReturnVoid);
    w.body(show, sc);
    uint32_t shown = w.publicName("shown");
    AbcCode c;
    c.op(kGetLocal0).op(kPushScope);
    c.op(kNewFunction, show).op(kSetLocal1);
    c.op(kGetLocal1).op(kPushNull).op(kCall, 0).op(kPop);                                            // 0 undefined
    c.op(kGetLocal1).op(kPushNull).op(kPushString, w.string("7")).op(kCall, 1).op(kPop);             // 7 undefined
    c.op(kGetLocal1).op(kPushNull).op(kPushByte, 1).op(kPushByte, 2).op(kPushByte, 3).op(kCall, 3).op(kPop);  // 1 2
    c.op(kFindPropStrict, shown).op(kPushByte, 5).op(kCallPropVoid, shown, 1);                      // an error
    c.op(kReturnVoid);
    EXPECT_EQ(runScript(w, c, 8, {swfw::AbcTraitSpec{shown, 1, 1, 0, 0, 0, show}}),
              (Lines{"0 undefined", "7 undefined", "1 2",
                     "uncaught: ArgumentError: Error #1063: Argument count mismatch on Function/<anonymous>(). Expected 2, got 1.\n\tat global/shown()\n\tat global$init()"}));
}

TEST(Avm2Interpreter, NestedCallsKeepEachFramesValuesThroughThrowsAndReuse) {
    AbcWriter w;
    Tracer t(w);
    // g(self, n) { var keep = n * 100; if (n == 0) throw "bottom";
    //   if (n == 3) try { self(self, n - 1) } catch (e) { return keep + 1 }
    //   return n + self(self, n - 1) }   -- n waits on the operand stack through the call
    uint32_t g = w.method({0, 0});
    AbcCode gc;
    gc.op(kGetLocal2).op(kPushByte, 100).op(kMultiply).op(kSetLocal, 4);
    gc.op(kGetLocal2).op(kPushByte, 0).branch(kIfNe, "notZero");
    gc.op(kPushString, w.string("bottom")).op(kThrow);
    gc.label("notZero").op(kGetLocal2).op(kPushByte, 3).branch(kIfNe, "plain");
    gc.label("tryFrom").op(kGetLocal1).op(kPushNull).op(kGetLocal1).op(kGetLocal2).op(kPushByte, 1).op(kSubtract).op(kCall, 2).op(kPop);
    gc.label("tryTo").branch(kJump, "plain");
    gc.label("caught").op(kPop).op(kGetLocal, 4).op(kPushByte, 1).op(kAdd).op(kReturnValue);
    gc.label("plain").op(kGetLocal2);
    gc.op(kGetLocal1).op(kPushNull).op(kGetLocal1).op(kGetLocal2).op(kPushByte, 1).op(kSubtract).op(kCall, 2);
    gc.op(kAdd).op(kReturnValue);
    w.body(g, gc, 6, 12, {{"tryFrom", "tryTo", "caught", 0, 0}});
    AbcCode c;
    c.op(kGetLocal0).op(kPushScope).op(kNewFunction, g).op(kSetLocal1);
    for (int run = 0; run < 2; ++run) {  // the second run meets the frames the first one left
        t.begin(c).op(kGetLocal1).op(kPushNull).op(kGetLocal1).op(kPushByte, 5).op(kCall, 2);
        t.end(c);
    }
    // From below 3 nothing catches: the throw leaves every frame.
    t.begin(c).op(kGetLocal1).op(kPushNull).op(kGetLocal1).op(kPushByte, 2).op(kCall, 2);
    t.end(c);
    c.op(kReturnVoid);
    // 5 + 4 + (the catch at 3: 300 + 1)
    EXPECT_EQ(runScript(w, c), (Lines{"310", "310", "uncaught: bottom\n\tat MethodInfo-0()\n\tat MethodInfo-0()\n\tat MethodInfo-0()\n\tat global$init()"}));
}

// An object whose valueOf and toString are no functions cannot take part in arithmetic: the
// error names its class, without the instance mark of coercion errors.
TEST(Avm2Interpreter, ObjectsWithoutPrimitivesNameTheirClass) {
    AbcWriter w;
    AbcCode c;
    c.op(kGetLocal0).op(kPushScope);
    c.op(kPushString, w.string("valueOf")).op(kPushByte, 1).op(kPushString, w.string("toString")).op(kPushByte, 2)
        .op(kNewObject, 2).op(kPushByte, 1).op(kAdd).op(kPop).op(kReturnVoid);
    EXPECT_EQ(runScript(w, c), (Lines{"uncaught: TypeError: Error #1050: Cannot convert Object to primitive.\n\tat global$init()"}));
}
