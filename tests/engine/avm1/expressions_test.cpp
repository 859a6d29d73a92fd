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

TEST_F(MachineTest, CaseOfNamesDependsOnVersion) {
    Asm a;
    a.push({"Foo", 1.0}).op(SetVariable).get("foo").trace();
    useVersion(6);
    EXPECT_EQ(run(a), (Lines{"1"}));
    useVersion(7);
    EXPECT_EQ(run(a), (Lines{"undefined"}));
}

}  // namespace swf::avm1::test
