// Built-in classes: Array, String, Math, Number, Date, Key, intervals and timeouts.
#include "tests/engine/avm1/machine_fixture.h"

namespace swf::avm1::test {

TEST_F(MachineTest, ArraySortSpliceAndJoin) {
    Asm a;
    a.push({22.0, 3.0, 1.0, 4.0, 4}).op(InitArray).store(1).op(Pop);
    a.push({0}).push({Reg{1}, "sort"}).op(CallMethod).trace();  // string order
    a.push({16.0, 1}).push({Reg{1}, "sort"}).op(CallMethod).trace();  // Array.NUMERIC
    a.push({18.0, 1}).push({Reg{1}, "sort"}).op(CallMethod).trace();  // NUMERIC | DESCENDING
    a.push({Undef(), 1}).push({Reg{1}, "sort"}).op(CallMethod).trace();  // not a flag: refused
    // splice(1, 2, "x") returns what it removed
    a.push({"x", 2.0, 1.0, 3}).push({Reg{1}, "splice"}).op(CallMethod).trace();
    a.push({Reg{1}}).trace();
    a.push({"-", 1}).push({Reg{1}, "join"}).op(CallMethod).trace();
    a.push({5.0, 1}).push({Reg{1}, "push"}).op(CallMethod).trace();
    a.push({0}).push({Reg{1}, "reverse"}).op(CallMethod).trace();
    a.push({-2.0, 1}).push({Reg{1}, "slice"}).op(CallMethod).trace();
    EXPECT_EQ(run(a), (Lines{"1,22,3,4", "1,3,4,22", "22,4,3,1", "undefined", "4,3", "22,x,1", "22-x-1", "4",
                             "5,1,x,22", "x,22"}));
}

TEST_F(MachineTest, SortWithACompareFunctionThatLies) {
    // A compare function that always answers 1 must neither crash nor loop.
    Asm cmp;
    cmp.push({1.0}).op(Return);
    Asm a;
    a.push({5.0, 4.0, 3.0, 2.0, 1.0, 5}).op(InitArray).store(1).op(Pop);
    a.function("", {"a", "b"}, cmp).push({1}).push({Reg{1}, "sort"}).op(CallMethod).op(Pop);
    a.push({Reg{1}, "length"}).op(GetMember).trace();
    EXPECT_EQ(run(a), (Lines{"5"}));
}

TEST_F(MachineTest, StringMethods) {
    Asm a;
    a.push({"Hello, World"}).store(1).op(Pop);
    a.push({0}).push({Reg{1}, "toUpperCase"}).op(CallMethod).trace();
    a.push({"o", 1}).push({Reg{1}, "indexOf"}).op(CallMethod).trace();
    a.push({"o", 1}).push({Reg{1}, "lastIndexOf"}).op(CallMethod).trace();
    a.push({3.0, 7.0, 2}).push({Reg{1}, "substr"}).op(CallMethod).trace();
    a.push({0.0, 5.0, 2}).push({Reg{1}, "substring"}).op(CallMethod).trace();
    a.push({", ", 1}).push({Reg{1}, "split"}).op(CallMethod).trace();
    a.push({1.0, 1}).push({Reg{1}, "charCodeAt"}).op(CallMethod).trace();
    a.push({105.0, 72.0, 2}).push({"String"}).op(GetVariable).push({"fromCharCode"}).op(CallMethod).trace();
    a.push({Reg{1}, "length"}).op(GetMember).trace();
    EXPECT_EQ(run(a), (Lines{"HELLO, WORLD", "4", "8", "Wor", "Hello", "Hello,World", "101", "Hi", "12"}));
}

TEST_F(MachineTest, MathNumberAndParsing) {
    Asm a;
    a.push({2.5, 1}).push({"Math"}).op(GetVariable).push({"round"}).op(CallMethod).trace();
    a.push({-2.5, 1}).push({"Math"}).op(GetVariable).push({"round"}).op(CallMethod).trace();
    a.push({1.0, 7.0, 3.0, 3}).push({"Math"}).op(GetVariable).push({"max"}).op(CallMethod).trace();
    a.push({"0x1A", 1, "parseInt"}).op(CallFunction).trace();
    a.push({"3.5px", 1, "parseFloat"}).op(CallFunction).trace();
    a.push({"abc", 1, "isNaN"}).op(CallFunction).trace();
    a.push({16.0, 1}).push({255.0, 1, "Number"}).op(NewObject).push({"toString"}).op(CallMethod).trace();
    a.push({0}).push({"Math"}).op(GetVariable).push({"random"}).op(CallMethod).store(1).push({1.0}).op(Less2).trace();
    EXPECT_EQ(run(a), (Lines{"3", "-2", "7", "26", "3.5", "true", "ff", "true"}));
}

TEST_F(MachineTest, IntervalsRunWhenDueUntilCleared) {
    Asm tick;
    tick.push({"tick "}).get("n").op(Add2).trace();
    Asm a;
    a.push({"id"}).push({7.0, 100.0}).function("", {"n"}, tick).push({3, "setInterval"}).op(CallFunction).op(SetVariable);
    run(a);
    host.lines.clear();
    host.now = 50;
    machine->runIntervals();
    EXPECT_TRUE(host.lines.empty());
    host.now = 100;
    machine->runIntervals();
    host.now = 200;
    machine->runIntervals();
    EXPECT_EQ(host.lines, (Lines{"tick 7", "tick 7"}));
    Asm clear;
    clear.get("id").push({1, "clearInterval"}).op(CallFunction).op(Pop);
    run(clear);
    host.now = 400;
    machine->runIntervals();
    EXPECT_TRUE(host.lines.empty());
}

TEST_F(MachineTest, TimeoutsRunOnceAndCanBeCleared) {
    // o.ping = function (n) { trace("ping " + n); };
    // setTimeout(o, "ping", 100, 1); var late = setTimeout(o, "ping", 150, 2); clearTimeout(late);
    Asm ping;
    ping.push({"ping "}).get("n").op(Add2).trace();
    Asm a;
    a.push({"o", 0}).op(InitObject).op(SetVariable);
    a.get("o").push({"ping"}).function("", {"n"}, ping).op(SetMember);
    a.push({1.0, 100.0, "ping"}).get("o").push({4, "setTimeout"}).op(CallFunction).op(Pop);
    a.push({"late"}).push({2.0, 150.0, "ping"}).get("o").push({4, "setTimeout"}).op(CallFunction).op(SetVariable);
    a.get("late").push({1, "clearTimeout"}).op(CallFunction).op(Pop);
    run(a);
    host.lines.clear();
    for (double t : {50.0, 100.0, 200.0, 300.0}) {
        host.now = t;
        machine->runIntervals();
    }
    EXPECT_EQ(host.lines, (Lines{"ping 1"}));
}

TEST_F(MachineTest, KeyAndDate) {
    host.downKey = 37;
    Asm a;
    a.push({"Key"}).op(GetVariable).push({"LEFT"}).op(GetMember).push({1}).push({"Key"}).op(GetVariable).push({"isDown"}).op(CallMethod).trace();
    a.push({15.0, 0.0, 2020.0, 3, "Date"}).op(NewObject).store(1).op(Pop);
    a.push({0}).push({Reg{1}, "getFullYear"}).op(CallMethod).trace();
    a.push({0}).push({Reg{1}, "getDate"}).op(CallMethod).trace();
    EXPECT_EQ(run(a), (Lines{"true", "2020", "15"}));
}

TEST_F(MachineTest, FunctionCallAndApply) {
    Asm body;
    body.push({"this"}).op(GetVariable).push({"k"}).op(GetMember).get("a").op(Add2).get("b").op(Add2).op(Return);
    Asm a;
    a.function("f", {"a", "b"}, body);
    a.push({"o", "k", "K", 1}).op(InitObject).op(SetVariable);
    a.push({"2", "1"}).get("o").push({3}).get("f").push({"call"}).op(CallMethod).trace();
    a.push({"y", "x", 2}).op(InitArray).get("o").push({2}).get("f").push({"apply"}).op(CallMethod).trace();
    EXPECT_EQ(run(a), (Lines{"K12", "Kxy"}));
}

TEST_F(MachineTest, AButtonsEnabledIsListedFromItsPrototype) {
    // Button.prototype.isPropertyEnumerable(name), MovieClip.prototype likewise
    Asm a;
    for (const char* cls : {"Button", "MovieClip"})
        for (const char* name : {"enabled", "useHandCursor"})
            a.push({name, 1}).get(cls).push({"prototype"}).op(GetMember).push({"isPropertyEnumerable"})
                .op(CallMethod).trace();
    EXPECT_EQ(run(a), (Lines{"true", "false", "false", "false"}));
}

TEST_F(MachineTest, PropertiesFlaggedForLaterVersionsAreHidden) {
    // o.p = 1; ASSetPropFlags(o, "p", 0x1000 /* from SWF 8 on */); trace(o.p);
    Asm a;
    a.push({"o", "p", 1.0, 1}).op(InitObject).op(SetVariable);
    a.push({0.0, 4096.0, "p"}).get("o").push({4, "ASSetPropFlags"}).op(CallFunction).op(Pop);
    a.get("o").push({"p"}).op(GetMember).trace();
    useVersion(7);
    EXPECT_EQ(run(a), (Lines{"undefined"}));
    useVersion(8);
    EXPECT_EQ(run(a), (Lines{"1"}));
}

}  // namespace swf::avm1::test
