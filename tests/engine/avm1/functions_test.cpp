// Functions, scopes, objects, prototypes, exceptions and the limits that stop runaway scripts.
#include "engine/avm1/function_code.h"
#include "tests/engine/avm1/machine_fixture.h"

namespace swf::avm1::test {

TEST_F(MachineTest, DefineFunctionWithArgumentsAndReturn) {
    Asm body;
    body.get("a").get("b").op(Add2).op(Return);
    Asm a;
    a.function("add", {"a", "b"}, body);
    a.push({4.0, 3.0, 2, "add"}).op(CallFunction).trace();
    // An anonymous function stored in a variable, called with too few arguments.
    a.push({"f"}).function("", {"a", "b"}, body).op(SetVariable);
    a.push({1.0, 1, "f"}).op(CallFunction).trace();
    EXPECT_EQ(run(a), (Lines{"7", "NaN"}));
}

TEST_F(MachineTest, DefineFunction2PreloadsRegisters) {
    // function (x /* r3 */) { return this.k + x + arguments.length; } with this in r1, arguments in r2
    Asm body;
    body.push({Reg{1}, "k"}).op(GetMember).push({Reg{3}}).op(Add2);
    body.push({Reg{2}, "length"}).op(GetMember).op(Add2).op(Return);
    Asm a;
    a.push({"o", "k", 10.0, 1}).op(InitObject).op(SetVariable);
    a.push({"o"}).op(GetVariable).push({"m"});
    a.function2("", 4, PreloadThis | PreloadArguments | SuppressSuper, {{3, "x"}}, body);
    a.op(SetMember);
    a.push({5.0, 9.0, 2}).get("o").push({"m"}).op(CallMethod).trace();
    EXPECT_EQ(run(a), (Lines{"21"}));  // x is the first argument popped: 9
}

TEST_F(MachineTest, ArgumentsAndSuperAreThereWhereverCodeNamesThem) {
    // The activation's `arguments` is one object per call, reached by name, by path and by a
    // closure; a parameter, var or catch of that name wins over it; delete removes it.
    Asm f;
    f.get("arguments").push({"length"}).op(GetMember).trace();
    f.push({"arguments.length"}).op(GetVariable).trace();
    f.get("arguments").get("arguments").op(StrictEquals).trace();
    f.push({"arguments"}).op(DefineLocal2).get("arguments").push({0}).op(GetMember).trace();
    Asm inner;  // DefineFunction2 with no arguments of its own: the outer call's are found
    inner.get("arguments").push({1}).op(GetMember).op(Return);
    f.push({0}).function2("", 2, SuppressArguments, {}, inner).push({Undef()}).op(CallMethod).trace();
    f.push({"arguments"}).op(0x3B).trace().get("arguments").op(TypeOf).trace();
    f.get("super").op(TypeOf).trace();
    Asm a;
    a.function("f", {}, f);
    a.push({"b", "a", 2, "f"}).op(CallFunction).op(Pop);
    EXPECT_EQ(run(a), (Lines{"2", "2", "true", "a", "b", "true", "undefined", "object"}));

    Asm g;  // function g(arguments) { var x = arguments; trace(x); arguments = 7; trace(arguments); }
    g.push({"x"}).get("arguments").op(DefineLocal).get("x").trace();
    g.push({"arguments", 7}).op(SetVariable).get("arguments").trace();
    Asm b;
    b.function("g", {"arguments"}, g);
    b.push({"p", 1, "g"}).op(CallFunction).op(Pop);
    EXPECT_EQ(run(b), (Lines{"p", "7"}));
}

TEST_F(MachineTest, ClosuresSeeTheirDefiningScope) {
    // function outer(n) { return function () { return n * 2; }; }  trace(outer(21)());
    Asm inner;
    inner.get("n").push({2.0}).op(Multiply).op(Return);
    Asm outer;
    outer.function("", {}, inner).op(Return);
    // CallMethod with an undefined name calls the function value itself.
    Asm b;
    b.function("outer", {"n"}, outer);
    b.push({0}).push({21.0, 1, "outer"}).op(CallFunction).push({Undef()}).op(CallMethod).trace();
    EXPECT_EQ(run(b), (Lines{"42"}));
}

TEST_F(MachineTest, EachCallHasAFreshActivationAndClosuresKeepTheirs) {
    // function fresh() { trace(typeof v); var v = 1; this.seen = v; }: a reused activation must not
    // show the last call's local.
    Asm fresh;
    fresh.get("v").op(TypeOf).trace().push({"v", 1.0}).op(DefineLocal);
    // function counter(n) { return function () { n = n + 1; return n; }; }
    Asm step;
    step.push({"n"}).get("n").push({1.0}).op(Add2).op(SetVariable).get("n").op(Return);
    Asm counter;
    counter.function("", {}, step).op(Return);
    Asm a;
    a.function("fresh", {}, fresh).function("counter", {"n"}, counter);
    a.push({0, "fresh"}).op(CallFunction).op(Pop);
    a.push({"c"}).push({10.0, 1, "counter"}).op(CallFunction).op(SetVariable);
    a.push({0, "fresh"}).op(CallFunction).op(Pop);
    a.push({"d"}).push({20.0, 1, "counter"}).op(CallFunction).op(SetVariable);
    a.push({0, "fresh"}).op(CallFunction).op(Pop);
    a.push({0, "c"}).op(CallFunction).trace();
    a.push({0, "d"}).op(CallFunction).trace();
    a.push({0, "c"}).op(CallFunction).trace();
    EXPECT_EQ(run(a), (Lines{"undefined", "undefined", "undefined", "11", "21", "12"}));

    // The closures' activations survive a collection and many later calls that reuse freed ones.
    machine->collectGarbage();
    Asm later;
    later.push({"i", 0.0}).op(SetVariable);
    later.label("loop").get("i").push({50.0}).op(Less2).op(Not).ifTrue("done");
    later.push({0, "fresh"}).op(CallFunction).op(Pop);
    later.push({"i"}).get("i").op(Increment).op(SetVariable).jump("loop");
    later.label("done").push({0, "c"}).op(CallFunction).trace().push({0, "d"}).op(CallFunction).trace();
    Lines out = run(later);
    ASSERT_EQ(out.size(), 52u);
    EXPECT_EQ(out[50], "13");
    EXPECT_EQ(out[51], "22");
}

TEST_F(MachineTest, AnActivationLeftByAThrowIsNotSharedWithALaterCall) {
    // function boom(x) { var kept = x; throw x; } called in try; then fresh() sees no `kept`.
    Asm boom;
    boom.push({"kept"}).get("x").op(DefineLocal).get("x").op(Throw);
    Asm fresh;
    fresh.get("kept").op(TypeOf).trace();
    Asm tryBody;
    tryBody.push({"oops", 1, "boom"}).op(CallFunction).op(Pop);
    Asm catchBody;
    catchBody.get("e").trace();
    Asm a;
    a.function("boom", {"x"}, boom).function("fresh", {}, fresh);
    a.tryCatch(tryBody, "e", &catchBody, nullptr);
    a.push({0, "fresh"}).op(CallFunction).op(Pop);
    EXPECT_EQ(run(a), (Lines{"oops", "undefined"}));
}

TEST_F(MachineTest, ObjectsArraysAndEnumeration) {
    Asm a;
    // Names come out newest first.
    a.push({"o", 0, "Object"}).op(NewObject).op(SetVariable);
    a.get("o").push({"x", 1.0}).op(SetMember).get("o").push({"y", 2.0}).op(SetMember);
    a.push({"o"}).op(GetVariable).op(Enumerate2);
    // Prints names until the null marker.
    a.label("loop").op(PushDuplicate).push({Null()}).op(Equals2).ifTrue("end").trace().jump("loop");
    a.label("end").op(Pop);
    a.push({3.0, 2.0, 1.0, 3}).op(InitArray).store(1).trace();
    a.push({Reg{1}, "length"}).op(GetMember).trace();
    a.push({Reg{1}, "5", "x"}).op(SetMember).push({Reg{1}, "length"}).op(GetMember).trace();
    EXPECT_EQ(run(a), (Lines{"y", "x", "1,2,3", "3", "6"}));
}

TEST_F(MachineTest, PrototypesExtendsSuperAndInstanceOf) {
    // function A(v) { this.v = v; }  A.prototype.get = function () { return this.v; };
    // function B(v) { super(v * 10); }  B extends A;  B.prototype.get = function () { return super.get() + 1; }
    Asm aBody;
    aBody.push({"this"}).op(GetVariable).push({"v"}).get("v").op(SetMember);
    Asm getBody;
    getBody.push({"this"}).op(GetVariable).push({"v"}).op(GetMember).op(Return);
    Asm bBody;
    bBody.get("v").push({10.0}).op(Multiply).push({1}).push({"super"}).op(GetVariable).push({Undef()}).op(CallMethod).op(Pop);
    Asm bGet;
    bGet.push({0}).push({"super"}).op(GetVariable).push({"get"}).op(CallMethod).push({1.0}).op(Add2).op(Return);
    Asm a;
    a.function("A", {"v"}, aBody);
    a.get("A").push({"prototype"}).op(GetMember).push({"get"}).function("", {}, getBody).op(SetMember);
    a.function("B", {"v"}, bBody);
    a.get("B").get("A").op(Extends);
    a.get("B").push({"prototype"}).op(GetMember).push({"get"}).function("", {}, bGet).op(SetMember);
    a.push({"b"}).push({4.0, 1, "B"}).op(NewObject).op(SetVariable);
    a.push({0}).get("b").push({"get"}).op(CallMethod).trace();
    a.get("b").get("A").op(InstanceOf).trace();
    a.push({0.0, "Object"}).op(NewObject).get("A").op(InstanceOf).trace();
    EXPECT_EQ(run(a), (Lines{"41", "true", "false"}));
}

TEST_F(MachineTest, SuperFollowsAPrototypeTheMethodChanges) {
    // function A(v) { this.v = v; }  A.prototype.get = function () { return this.v * 2; };
    // T.prototype.become = function (v) {
    //     this.__proto__ = {__constructor__: A, __proto__: A.prototype};
    //     super(v); return super.get(); }
    Asm aBody;
    aBody.push({"this"}).op(GetVariable).push({"v"}).get("v").op(SetMember);
    Asm getBody;
    getBody.push({"this"}).op(GetVariable).push({"v"}).op(GetMember).push({2.0}).op(Multiply).op(Return);
    Asm become;
    become.push({"this"}).op(GetVariable).push({"__proto__"});
    become.push({"__constructor__"}).get("A").push({"__proto__"}).get("A").push({"prototype"}).op(GetMember);
    become.push({2}).op(InitObject).op(SetMember);
    become.get("v").push({1}).push({"super"}).op(GetVariable).push({Undef()}).op(CallMethod).op(Pop);
    become.push({0}).push({"super"}).op(GetVariable).push({"get"}).op(CallMethod).op(Return);
    Asm a;
    a.function("A", {"v"}, aBody);
    a.get("A").push({"prototype"}).op(GetMember).push({"get"}).function("", {}, getBody).op(SetMember);
    a.function("T", {}, Asm());
    a.get("T").push({"prototype"}).op(GetMember).push({"become"}).function("", {"v"}, become).op(SetMember);
    a.push({"o"}).push({0, "T"}).op(NewObject).op(SetVariable);
    a.push({7.0, 1}).get("o").push({"become"}).op(CallMethod).trace();
    a.get("o").push({"v"}).op(GetMember).trace();
    EXPECT_EQ(run(a), (Lines{"14", "7"}));
}

TEST_F(MachineTest, ProtoHoldsWhateverItIsGivenButInheritsOnlyFromObjects) {
    // function C() {}  C.prototype = true;  o = new C();
    Asm empty;
    Asm a;
    a.function("C", {}, empty);
    a.get("C").push({"prototype", true}).op(SetMember);
    a.push({"o", 0, "C"}).op(NewObject).op(SetVariable);
    a.get("o").push({"__proto__"}).op(GetMember).op(TypeOf).trace();
    a.get("o").push({"toString"}).op(GetMember).op(TypeOf).trace();  // nothing to inherit from
    a.get("o").push({"__proto__", 5.0}).op(SetMember);
    a.get("o").push({"__proto__"}).op(GetMember).trace();
    a.get("o").push({"__proto__"}).get("Object").push({"prototype"}).op(GetMember).op(SetMember);
    a.get("o").push({"toString"}).op(GetMember).op(TypeOf).trace();
    EXPECT_EQ(run(a), (Lines{"boolean", "undefined", "5", "function"}));
}

TEST_F(MachineTest, SuperIntoABuiltInClassMakesTheObjectOneOfItsKind) {
    // function C(x, y) { trace(super(x, y)); }  C extends <built-in>;  o = new C(...)
    auto subclassOf = [&](const std::string& builtIn, std::initializer_list<PushItem> args, const std::string& probe) {
        Asm body;
        body.get("y").get("x").push({2}).push({"super"}).op(GetVariable).push({Undef()}).op(CallMethod).trace();
        Asm a;
        a.function("C", {"x", "y"}, body);
        a.get("C").get(builtIn).op(Extends);
        a.push({"o"}).push(args).push({2, "C"}).op(NewObject).op(SetVariable);
        a.get("o").trace();
        a.get("o").push({probe}).op(GetMember).trace();
        a.get("o").get(builtIn).op(InstanceOf).trace();
        return run(a);
    };
    EXPECT_EQ(subclassOf("Boolean", {0, true}, "length"), (Lines{"true", "true", "undefined", "true"}));
    EXPECT_EQ(subclassOf("String", {0, "hello"}, "length"), (Lines{"hello", "hello", "5", "true"}));
    EXPECT_EQ(subclassOf("Array", {"b", "a"}, "length"), (Lines{"a,b", "a,b", "2", "true"}));
    // The array's methods work on the object itself.
    Asm shift;
    shift.push({0}).get("o").push({"shift"}).op(CallMethod).trace().get("o").push({"length"}).op(GetMember).trace();
    EXPECT_EQ(run(shift), (Lines{"a", "1"}));
    EXPECT_EQ(subclassOf("Number", {0, 12.5}, "x"), (Lines{"12.5", "12.5", "undefined", "true"}));
}

TEST_F(MachineTest, SuperIntoABuiltInClassGivesWhatItsConstructorGivesBack) {
    // function C(x) { trace(super(x)); }  C extends <built-in>;  o = new C("f");  trace(o instanceof <built-in>)
    auto superOf = [&](const std::string& builtIn) {
        Asm body;
        body.get("x").push({1}).push({"super"}).op(GetVariable).push({Undef()}).op(CallMethod).trace();
        Asm a;
        a.function("C", {"x"}, body);
        a.get("C").get(builtIn).op(Extends);
        a.push({"o"}).push({"f", 1, "C"}).op(NewObject).op(SetVariable);
        a.get("o").get(builtIn).op(InstanceOf).trace();
        return run(a);
    };
    EXPECT_EQ(superOf("LocalConnection"), (Lines{"[object Object]", "true"}));
    EXPECT_EQ(superOf("NetConnection"), (Lines{"undefined", "true"}));
    EXPECT_EQ(superOf("NetStream"), (Lines{"undefined", "true"}));
    EXPECT_EQ(superOf("Function"), (Lines{"f", "true"}));
    // new still makes the object whatever the constructor gives back.
    Asm made;
    made.push({0, "NetConnection"}).op(NewObject).push({"isConnected"}).op(GetMember).trace();
    EXPECT_EQ(run(made), (Lines{"false"}));
}

TEST_F(MachineTest, TryCatchFinallyAndUncaughtThrow) {
    Asm tryBody;
    tryBody.push({"boom"}).op(Throw);
    Asm catchBody;
    catchBody.get("e").trace();
    Asm finallyBody;
    finallyBody.push({"finally"}).trace();
    Asm a;
    a.tryCatch(tryBody, "e", &catchBody, &finallyBody);
    a.push({"after"}).trace();
    EXPECT_EQ(run(a), (Lines{"boom", "finally", "after"}));

    Asm b;
    b.push({"before"}).trace().push({"oops"}).op(Throw).push({"never"}).trace();
    EXPECT_EQ(run(b), (Lines{"before"}));
    ASSERT_EQ(host.warnings.size(), 1u);
    EXPECT_NE(host.warnings[0].find("oops"), std::string::npos);
}

TEST_F(MachineTest, RunawayRecursionIsStoppedAndTheNextScriptRuns) {
    Asm body;
    body.push({0, "f"}).op(CallFunction).op(Return);
    Asm a;
    a.function("f", {}, body).push({0, "f"}).op(CallFunction).op(Pop).push({"not reached"}).trace();
    EXPECT_TRUE(run(a).empty());
    ASSERT_EQ(host.warnings.size(), 1u);
    EXPECT_NE(host.warnings[0].find("recursion"), std::string::npos);
    Asm next;
    next.push({"still running"}).trace();
    EXPECT_EQ(run(next), (Lines{"still running"}));
}

TEST_F(MachineTest, EndlessLoopIsStoppedByTheActionLimit) {
    Limits limits;
    limits.maxActionsPerScript = 100000;
    machine->setLimits(limits);
    Asm a;
    a.label("top").jump("top");
    run(a);
    ASSERT_EQ(host.warnings.size(), 1u);
    EXPECT_NE(host.warnings[0].find("too long"), std::string::npos);
}

TEST_F(MachineTest, AddPropertyAccessorsAndSetPropFlags) {
    // o.addProperty("p", function () { return 5; }, function (v) { trace("set " + v); });
    Asm getter;
    getter.push({5.0}).op(Return);
    Asm setter;
    setter.push({"set "}).get("v").op(Add2).trace();
    Asm a;
    a.push({"o", 0, "Object"}).op(NewObject).op(SetVariable);
    a.function("", {"v"}, setter).function("", {}, getter).push({"p", 3}).get("o").push({"addProperty"}).op(CallMethod).op(Pop);
    a.get("o").push({"p"}).op(GetMember).trace();
    a.get("o").push({"p", 7.0}).op(SetMember);
    // ASSetPropFlags(o, "q", 1): hidden from enumeration
    a.get("o").push({"q", 1.0}).op(SetMember);
    a.push({1.0, "q"}).get("o").push({3, "ASSetPropFlags"}).op(CallFunction).op(Pop);
    a.get("o").op(Enumerate2);
    a.label("loop").op(PushDuplicate).push({Null()}).op(Equals2).ifTrue("end").trace().jump("loop");
    a.label("end").op(Pop);
    EXPECT_EQ(run(a), (Lines{"5", "set 7", "p"}));
}

TEST_F(MachineTest, AGetterThatReadsItselfStopsAtTheNestingLimit) {
    // o.addProperty("p", function () { n++; return this.p; }, null); trace(o.p); trace(n);
    Asm getter;
    getter.push({"n"}).get("n").op(Increment).op(SetVariable);
    getter.push({"this"}).op(GetVariable).push({"p"}).op(GetMember).op(Return);
    Asm a;
    a.push({"n", 0.0}).op(SetVariable);
    a.push({"o", 0, "Object"}).op(NewObject).op(SetVariable);
    a.push({Null()}).function("", {}, getter).push({"p", 3}).get("o").push({"addProperty"}).op(CallMethod).op(Pop);
    a.get("o").push({"p"}).op(GetMember).trace();
    a.get("n").trace();
    // The limit is on nesting, not on count: the next read runs the getters again.
    a.get("o").push({"p"}).op(GetMember).op(Pop).get("n").trace();
    EXPECT_EQ(run(a), (Lines{"undefined", "65", "130"}));
}

TEST_F(MachineTest, WithPutsAnObjectOnTheScopeChain) {
    Asm inner;
    inner.get("x").trace().push({"x", 9.0}).op(SetVariable);
    Asm a;
    a.push({"o", "x", 1.0, 1}).op(InitObject).op(SetVariable);
    a.get("o").with(inner);
    a.get("o").push({"x"}).op(GetMember).trace();
    EXPECT_EQ(run(a), (Lines{"1", "9"}));
}

TEST_F(MachineTest, ResolveAnswersMissingMembersButNotConversions) {
    // o = {}; o.__proto__ = null; o.__resolve = function (n) { return "got " + n; };
    Asm resolver;
    resolver.push({"got "}).get("n").op(Add2).op(Return);
    Asm a;
    a.push({"o", 0}).op(InitObject).op(SetVariable);
    a.get("o").push({"__proto__", Null()}).op(SetMember);
    a.get("o").push({"__resolve"}).function("", {"n"}, resolver).op(SetMember);
    a.get("o").push({"anything"}).op(GetMember).trace();
    a.get("o").op(ToNumber).trace();  // no valueOf: NaN, __resolve is not asked
    EXPECT_EQ(run(a), (Lines{"got anything", "NaN"}));
}

}  // namespace swf::avm1::test

namespace swf::avm1::test {

TEST_F(MachineTest, TopLevelBlocksShareTheStackButFunctionsDoNot) {
    Asm first;
    first.push({"left by the first block"});
    Asm body;
    body.trace();  // pops nothing of its caller's
    Asm second;
    second.function("f", {}, body).push({0, "f"}).op(CallFunction).op(Pop).trace();
    run(first);
    EXPECT_EQ(run(second), (Lines{"undefined", "left by the first block"}));
}

TEST_F(MachineTest, PathsTryEachScopeAndWatchersThatThrowLeaveUndefined) {
    // _global.a.b.c = "global"; a = {b: "timeline"}: "a.b.c" reads through the global object.
    Asm a;
    a.get("_global").push({"a", "b", "c", "global", 1}).op(InitObject).push({1}).op(InitObject).op(SetMember);
    a.push({"a", "b", "timeline", 1}).op(InitObject).op(SetVariable);
    a.get("a.b.c").trace();
    a.get("a.b").trace();
    a.push({"x//y"}).op(GetVariable).trace();
    EXPECT_EQ(run(a), (Lines{"global", "timeline", "undefined"}));

    Asm thrower;
    thrower.push({"no"}).op(Throw);
    Asm b;
    b.push({"o", 0}).op(InitObject).op(SetVariable);
    b.push({"o"}).op(GetVariable).push({"p", 5.0}).op(SetMember);
    b.function("w", {}, thrower);
    b.push({"w"}).op(GetVariable).push({"p", 2, "o"}).op(GetVariable).push({"watch"}).op(CallMethod).op(Pop);
    Asm handler;
    handler.get("e").trace();
    b.tryCatch(Asm().push({"o"}).op(GetVariable).push({"p", 7.0}).op(SetMember), "e", &handler, nullptr);
    b.push({"o"}).op(GetVariable).push({"p"}).op(GetMember).trace();
    EXPECT_EQ(run(b), (Lines{"no", "undefined"}));
}

}  // namespace swf::avm1::test
