// Stack actions: arithmetic, conversions by SWF version, comparison, strings, variables and jumps.
#include <cmath>

#include "tests/engine/avm1/machine_fixture.h"

namespace swf::avm1::test {

TEST_F(MachineTest, ArithmeticAndTraceFormatting) {
    Asm a;
    a.push({1.0, 2.0}).op(Add2).trace();
    a.push({1.0, 3.0}).op(Divide).trace();
    a.push({"a", 1.0}).op(Add2).trace();
    a.push({7.0, 3.0}).op(Modulo).trace();
    a.push({0.0, 0.0}).op(Divide).trace();
    a.push({-1, 0}).op(BitURShift).trace();
    a.push({1, 31}).op(BitLShift).trace();
    a.push({Undef()}).trace();
    a.push({Null()}).trace();
    a.push({true}).trace();
    EXPECT_EQ(run(a), (Lines{"3", "0.333333333333333", "a1", "1", "NaN", "4294967295", "-2147483648",
                             "undefined", "null", "true"}));
}

TEST_F(MachineTest, ConversionsFollowTheMovieVersion) {
    Asm a;
    a.push({"x", Undef()}).op(StringAdd).trace();      // undefined as text
    a.push({Undef(), 1.0}).op(Add2).trace();           // undefined as number
    a.push({"abc"}).op(Not).trace();                   // string truth
    useVersion(6);
    EXPECT_EQ(run(a), (Lines{"x", "1", "true"}));
    useVersion(7);
    EXPECT_EQ(run(a), (Lines{"xundefined", "NaN", "false"}));
}

TEST_F(MachineTest, LegacyActionsOfSwf4) {
    useVersion(4);
    Asm a;
    a.push({"12", "abc"}).op(Add).trace();   // text that is no number counts as 0
    a.push({2.0, 3.0}).op(Less).trace();     // comparisons give 1 or 0
    a.push({1.0, 0.0}).op(Divide).trace();
    EXPECT_EQ(run(a), (Lines{"12", "1", "#ERROR#"}));
}

TEST_F(MachineTest, EqualityAndComparison) {
    Asm a;
    a.push({"1", 1.0}).op(Equals2).trace();
    a.push({"1", 1.0}).op(StrictEquals).trace();
    a.push({Null(), Undef()}).op(Equals2).trace();
    a.push({true, 1.0}).op(Equals2).trace();
    a.push({"b", "a"}).op(Less2).trace();
    a.push({"10", 9.0}).op(Less2).trace();
    a.push({NAN, 1.0}).op(Less2).trace();
    a.push({3.0, 2.0}).op(Greater).trace();
    EXPECT_EQ(run(a), (Lines{"true", "false", "true", "true", "false", "false", "undefined", "true"}));
}

TEST_F(MachineTest, VariablesLoopsAndRegisters) {
    // i = 0; sum = 0; while (i < 5) { sum += i; i++; } trace(sum)
    Asm a;
    a.push({"i", 0.0}).op(SetVariable).push({"sum", 0.0}).op(SetVariable);
    a.label("top").get("i").push({5.0}).op(Less2).op(Not).ifTrue("done");
    a.push({"sum"}).get("sum").get("i").op(Add2).op(SetVariable);
    a.push({"i"}).get("i").op(Increment).op(SetVariable).jump("top");
    a.label("done").get("sum").trace();
    a.push({42.0}).store(2).op(Pop).push({Reg{2}}).trace();
    EXPECT_EQ(run(a), (Lines{"10", "42"}));
    EXPECT_TRUE(host.warnings.empty());
}

TEST_F(MachineTest, ConstantPoolAndTypeOf) {
    Asm a;
    a.pool({"hello", "world"}).push({Const{0}, Const{1}}).op(StringAdd).trace();
    a.push({1.0}).op(TypeOf).trace();
    a.push({0.0, "Object"}).op(NewObject).op(TypeOf).trace();
    a.push({"_root"}).op(GetVariable).op(TypeOf).trace();
    a.push({"Math"}).op(GetVariable).push({"floor"}).op(GetMember).op(TypeOf).trace();
    EXPECT_EQ(run(a), (Lines{"helloworld", "number", "object", "movieclip", "function"}));
}

TEST_F(MachineTest, FunctionsKeepThePoolOfTheirDefinitionAfterTheBlockReplacesIt) {
    // The function reads constant 0 of the pool in force where it was defined, on every call,
    // though the block has declared another pool since; a pool entry past the end reads undefined.
    Asm body;
    body.push({Const{0}}).trace().push({Const{5}}).trace();
    Asm a;
    a.pool({"first"}).function("f", {}, body);
    a.push({0, "f"}).op(CallFunction).op(Pop);
    a.pool({"second"}).push({Const{0}}).trace();
    a.push({0, "f"}).op(CallFunction).op(Pop);
    a.function("g", {}, body).push({0, "g"}).op(CallFunction).op(Pop);
    EXPECT_EQ(run(a), (Lines{"first", "undefined", "second", "first", "undefined", "second", "undefined"}));
}

TEST_F(MachineTest, CaseOfNamesDependsOnVersion) {
    Asm a;
    a.push({"Foo", 1.0}).op(SetVariable).get("foo").trace();
    useVersion(6);
    EXPECT_EQ(run(a), (Lines{"1"}));
    useVersion(7);
    EXPECT_EQ(run(a), (Lines{"undefined"}));
}

}  // namespace swf::avm1::test

namespace swf::avm1::test {

TEST_F(MachineTest, ToIntegerWrapsToInt32) {
    Asm a;
    a.push({4294967295.0}).op(ToInteger).trace();
    a.push({NAN}).op(ToInteger).trace();
    a.push({-10.7}).op(ToInteger).trace();
    a.push({"12.9"}).op(ToInteger).trace();
    EXPECT_EQ(run(a), (Lines{"-1", "0", "-10", "12"}));
}

TEST_F(MachineTest, TextToNumberReadsOctalAndNotInfinity) {
    Asm a;
    a.push({"010", "8"}).op(Equals).trace();
    a.push({"Infinity", INFINITY}).op(Equals2).trace();
    a.push({"019", 19.0}).op(Equals2).trace();
    useVersion(6);
    EXPECT_EQ(run(a), (Lines{"true", "false", "true"}));
    useVersion(5);  // no hex nor octal before SWF 6
    EXPECT_EQ(run(a), (Lines{"false", "false", "true"}));
}

TEST_F(MachineTest, Swf4ComparesNonFiniteAsZeroAndGivesNumbers) {
    useVersion(4);
    Asm a;
    a.push({NAN, INFINITY}).op(Equals).trace();
    a.push({false, -INFINITY}).op(Equals).trace();
    a.push({1.0, 1.0}).op(Equals2).trace();
    a.push({1.0, 1.0}).op(StrictEquals).trace();
    EXPECT_EQ(run(a), (Lines{"1", "1", "1", "1"}));
}

TEST_F(MachineTest, FunctionsOfSwf4MoviesFollowSwf5Rules) {
    useVersion(4);
    Asm body;
    body.push({1.0, 1.0}).op(Equals2).trace();
    body.push({4.0, 0.0}).op(Divide).trace();
    Asm a;
    a.function("f", {}, body);
    a.push({4.0, 0.0}).op(Divide).trace();
    a.push({0, "f"}).op(CallFunction).op(Pop);
    EXPECT_EQ(run(a), (Lines{"#ERROR#", "true", "Infinity"}));
}

TEST_F(MachineTest, ComparingObjects) {
    // valueOf that gives an object: never less, and the other side is not converted.
    Asm valueOf;
    valueOf.push({"called"}).trace().push({1.0}).op(Return);
    Asm a;
    a.push({"withValueOf", "valueOf"}).function("", {}, valueOf).push({1}).op(InitObject).op(SetVariable);
    a.push({0}).op(InitObject).get("withValueOf").op(Less2).trace();
    a.push({0.0}).get("withValueOf").op(Less2).trace();
    a.push({NAN, 0.0}).op(Less2).trace();
    EXPECT_EQ(run(a), (Lines{"false", "called", "true", "undefined"}));
}

TEST_F(MachineTest, MissingNumericArgumentsAreNaN) {
    useVersion(6);  // where undefined converts to 0
    Asm a;
    a.push({true, 1, "Math"}).op(GetVariable).push({"pow"}).op(CallMethod).trace();
    a.push({false, 1, "Math"}).op(GetVariable).push({"pow"}).op(CallMethod).trace();
    a.push({Undef(), 1, "Math"}).op(GetVariable).push({"atan2"}).op(CallMethod).trace();
    a.push({2.0, 1, "Math"}).op(GetVariable).push({"max"}).op(CallMethod).trace();
    a.push({0, "isFinite"}).op(CallFunction).trace();
    a.push({Undef(), 1, "isFinite"}).op(CallFunction).trace();
    a.push({0, "Boolean"}).op(CallFunction).trace();
    EXPECT_EQ(run(a), (Lines{"1", "NaN", "NaN", "NaN", "false", "true", "undefined"}));
}

TEST_F(MachineTest, ASnativeHandsOutBuiltInsByNumber) {
    Asm a;
    a.push({"&", 1, 0, 100, 2, "ASnative"}).op(CallFunction).push({Undef()}).op(CallMethod).trace();
    a.push({"hi", 1, 4.5, 100, 2, "ASnative"}).op(CallFunction).push({Undef()}).op(CallMethod).op(Pop);
    a.push({0, 0, 100, 3, "ASnative"}).op(CallFunction).trace();
    a.push({0, "x", 2, "ASnative"}).op(CallFunction).trace();
    a.push({0, 50, 200, 2, "ASnative"}).op(CallFunction).push({Undef()}).op(CallMethod).trace();
    a.push({-4.0, 1, 0, 200, 2, "ASnative"}).op(CallFunction).push({Undef()}).op(CallMethod).trace();
    EXPECT_EQ(run(a), (Lines{"%26", "hi", "undefined", "undefined", "NaN", "4"}));
}

}  // namespace swf::avm1::test

namespace swf::avm1::test {

TEST_F(MachineTest, StringMethodsCountCharactersAndTakeNegativeLengths) {
    Asm a;
    auto method = [&](const char* s, const char* name, std::initializer_list<PushItem> argsReversed, int count) {
        a.push(argsReversed).push({count, s}).push({name}).op(CallMethod).trace();
    };
    method("hello world", "substr", {-1, 0}, 2);
    method("hello world", "substr", {-3, 3}, 2);
    method("hello world", "substr", {-5, 4}, 2);
    method("abcd", "substr", {-5}, 1);
    a.push({"h\xc3\xa9llo", "length"}).op(GetMember).trace();
    method("h\xc3\xa9llo", "charAt", {1}, 1);
    method("h\xc3\xa9llo", "charCodeAt", {1}, 1);
    method("h\xc3\xa9llo", "substring", {3, 1}, 2);
    method("h\xc3\xa9llo", "toUpperCase", {}, 0);
    method("\xd0\x96\xc3\x89", "toLowerCase", {}, 0);
    method("a\xc3\xa9" "b", "split", {""}, 1);
    method("a\xc3\xa9" "b", "lastIndexOf", {-1, "a"}, 2);
    EXPECT_EQ(run(a), (Lines{"hello worl", "", "o worl", "abcd", "5", "\xc3\xa9", "233", "\xc3\xa9l",
                             "H\xc3\x89LLO", "\xd0\xb6\xc3\xa9", "a,\xc3\xa9,b", "-1"}));
    useVersion(5);  // single-byte text before SWF 6
    Asm b;
    b.push({"h\xc3\xa9llo", "length"}).op(GetMember).trace();
    EXPECT_EQ(run(b), (Lines{"6"}));
}

TEST_F(MachineTest, PrimitivesAreWrappedByTheClassGlobalHoldsNow) {
    // function W(v) { super(v); trace("W " + v); }  W extends Number;  W.prototype.tag = "w";
    Asm body;
    body.get("v").push({1}).push({"super"}).op(GetVariable).push({Undef()}).op(CallMethod).op(Pop);
    body.push({"W "}).get("v").op(Add2).trace();
    Asm a;
    a.function("W", {"v"}, body);
    a.get("W").get("Number").op(Extends);
    a.get("W").push({"prototype"}).op(GetMember).push({"tag", "w"}).op(SetMember);
    a.push({"original"}).get("Number").op(SetVariable);
    // function f() { trace(typeof this); trace(this + 1); trace(this === _global); }
    Asm f;
    f.push({"this"}).op(GetVariable).op(TypeOf).trace();
    f.push({"this"}).op(GetVariable).push({1}).op(Add2).trace();
    f.push({"this"}).op(GetVariable).get("_global").op(StrictEquals).trace();
    a.function("f", {}, f);
    auto probe = [](Asm& s) {
        s.push({42, "tag"}).op(GetMember).trace();
        s.push({7, 1}).get("f").push({"call"}).op(CallMethod).op(Pop);
    };
    probe(a);  // the built-in class: no tag, no constructor call
    a.get("_global").push({"Number"}).get("W").op(SetMember);
    probe(a);
    // Something that is no class wraps nothing: a method called on the primitive gets _global.
    a.get("_global").push({"Number", "not a class"}).op(SetMember);
    probe(a);
    a.get("_global").push({"Number"}).get("original").op(SetMember);
    probe(a);
    EXPECT_EQ(run(a), (Lines{"undefined", "object", "8", "false",                  //
                             "W 42", "w", "W 7", "object", "8", "false",           //
                             "undefined", "object", "NaN", "true",                 //
                             "undefined", "object", "8", "false"}));
}

TEST_F(MachineTest, AStringClassReplacedBySomethingElseIsAskedForTheLength) {
    // _global.String = function () { trace("made"); };  trace("abc".length);  "abc"();
    Asm made;
    made.push({"made"}).trace();
    Asm a;
    a.push({"original"}).get("String").op(SetVariable);
    a.get("_global").push({"String"}).function("", {}, made).op(SetMember);
    a.push({"abc", "length"}).op(GetMember).trace();
    a.push({0, "abc", Undef()}).op(CallMethod).trace();
    a.get("_global").push({"String"}).get("original").op(SetMember);
    a.push({"abc", "length"}).op(GetMember).trace();
    EXPECT_EQ(run(a), (Lines{"made", "undefined", "made", "undefined", "3"}));
}

}  // namespace swf::avm1::test
