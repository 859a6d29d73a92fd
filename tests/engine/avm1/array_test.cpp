// Arrays in full: sparse arrays and what for-in lists, the methods on objects that are no arrays,
// sort and sortOn flags; the listener lists of AsBroadcaster; the Call action and the shared stack.
#include "tests/engine/avm1/machine_fixture.h"

namespace swf::avm1::test {

namespace {

// Traces every name for-in gives for the object on top of the stack.
void traceNames(Asm& a) {
    static int loops = 0;
    std::string loop = "loop" + std::to_string(++loops), end = "end" + std::to_string(loops);
    a.op(Enumerate2);
    a.label(loop).op(PushDuplicate).push({Null()}).op(Equals2).ifTrue(end).trace().jump(loop);
    a.label(end).op(Pop);
}

// Pushes Array.prototype[name].
Asm& arrayMethod(Asm& a, const std::string& name) {
    return a.get("Array").push({"prototype"}).op(GetMember).push({name}).op(GetMember);
}

constexpr double CaseInsensitive = 1, Descending = 2, UniqueSort = 4, ReturnIndexedArray = 8, Numeric = 16;

}  // namespace

TEST_F(MachineTest, SparseArraysListOnlyTheElementsWritten) {
    Asm a;
    a.push({0}).op(InitArray).store(1).op(Pop);
    a.push({Reg{1}, "4", "e"}).op(SetMember).push({Reg{1}, "1", Undef()}).op(SetMember);
    a.push({Reg{1}});
    traceNames(a);  // 4 and 1: the holes between are not listed, the written undefined is
    a.push({Reg{1}, "length"}).op(GetMember).trace();
    a.push({"1", 1}).push({Reg{1}, "hasOwnProperty"}).op(CallMethod).trace();
    a.push({"2", 1}).push({Reg{1}, "hasOwnProperty"}).op(CallMethod).trace();
    // A deleted element becomes a hole again; a longer length adds holes only.
    a.push({Reg{1}, "4"}).op(0x3A).op(Pop);
    a.push({Reg{1}, "length", 6.0}).op(SetMember);
    a.push({Reg{1}});
    traceNames(a);
    a.push({Reg{1}, "length"}).op(GetMember).trace();
    // Moving elements writes every slot.
    a.push({0}).push({Reg{1}, "shift"}).op(CallMethod).op(Pop);
    a.push({Reg{1}});
    traceNames(a);
    // new Array(3) has three holes.
    a.push({3.0, 1, "Array"}).op(NewObject);
    traceNames(a);
    a.push({"done"}).trace();
    EXPECT_EQ(run(a), (Lines{"4", "1", "5", "true", "false", "1", "6", "4", "3", "2", "1", "0", "done"}));
}

TEST_F(MachineTest, ArrayElementsKeepTheFlagsASSetPropFlagsGives) {
    constexpr double Hidden = 1, Kept = 2, Fixed = 4;
    Asm a;
    auto flags = [&](Reg r, PushItem names, double set, double clear) {
        a.push({clear, set, names, r, 4, "ASSetPropFlags"}).op(CallFunction).op(Pop);
    };
    a.push({1.0, 2.0, 3.0, 4.0, 4}).op(InitArray).store(1).op(Pop);  // [4, 3, 2, 1]
    flags(Reg{1}, "0", Fixed + Kept, 0);
    flags(Reg{1}, "1", Hidden, 0);
    flags(Reg{1}, "2", Kept, 0);
    a.push({Reg{1}, "0", "x"}).op(SetMember);  // refused: read-only
    a.push({"1", 1}).push({Reg{1}, "isPropertyEnumerable"}).op(CallMethod).trace();
    a.push({"1", 1}).push({Reg{1}, "hasOwnProperty"}).op(CallMethod).trace();
    a.push({Reg{1}});
    traceNames(a);  // 1 is hidden
    a.push({Reg{1}, "1"}).op(0x3A).trace();
    a.push({Reg{1}, "0"}).op(0x3A).trace();  // may not be deleted
    // shift deletes what it may, then writes each element one place down: the read-only 0
    // refuses 1's hole and keeps 4; 2 is kept and rewritten.
    a.push({Reg{1}, "2", "two"}).op(SetMember);
    a.push({0}).push({Reg{1}, "shift"}).op(CallMethod).trace();
    a.push({Reg{1}}).trace();
    a.push({Reg{1}});
    traceNames(a);
    // Methods that reorder leave no element with flags: element 0 takes writes again.
    a.push({0}).push({Reg{1}, "reverse"}).op(CallMethod).op(Pop);
    a.push({Reg{1}, "0", "y"}).op(SetMember);
    a.push({Reg{1}}).trace();
    // A null name list flags every element; clearing a flag takes it away again.
    a.push({"p", "q", 2}).op(InitArray).store(2).op(Pop);
    flags(Reg{2}, Null(), Hidden, 0);
    a.push({Reg{2}});
    traceNames(a);
    flags(Reg{2}, "1", 0, Hidden);
    a.push({Reg{2}});
    traceNames(a);
    a.push({"done"}).trace();
    EXPECT_EQ(run(a), (Lines{"false", "true", "3", "2", "0", "true", "false", "4", "4,two,1", "2", "1", "0",
                             "y,two,4", "1", "done"}));
}

TEST_F(MachineTest, ArrayMethodsWorkOnObjectsThatAreNoArrays) {
    Asm a;
    a.push({"o", "length", 2.0, "0", "a", "1", "b", 3}).op(InitObject).op(SetVariable);
    // Array.prototype.push.call(o, "c")
    a.push({"c"}).get("o").push({2});
    arrayMethod(a, "push").push({"call"}).op(CallMethod).trace();
    a.get("o").push({"length"}).op(GetMember).trace();
    a.push({"-"}).get("o").push({2});
    arrayMethod(a, "join").push({"call"}).op(CallMethod).trace();
    a.get("o").push({1});
    arrayMethod(a, "reverse").push({"call"}).op(CallMethod).op(Pop);
    a.get("o").push({"0"}).op(GetMember).trace();
    a.get("o").push({1});
    arrayMethod(a, "pop").push({"call"}).op(CallMethod).trace();
    a.get("o").push({"length"}).op(GetMember).trace();
    a.get("o").push({"2"}).op(GetMember).trace();  // popped: gone from the object too
    EXPECT_EQ(run(a), (Lines{"3", "3", "a-b-c", "c", "a", "2", "undefined"}));
}

TEST_F(MachineTest, SortTakesItsFlagsFromTheLastNumberGiven) {
    Asm a;
    // sort(DESCENDING, NUMERIC): the second number wins, so the order is numeric and ascending.
    a.push({Numeric, Descending, 2}).push({1.0, 3.0, 10.0, 3}).op(InitArray).push({"sort"}).op(CallMethod).trace();
    // sort(flags, undefined): the first number stays.
    a.push({Undef(), Numeric + Descending, 2}).push({1.0, 3.0, 10.0, 3}).op(InitArray).push({"sort"}).op(CallMethod).trace();
    // UNIQUESORT with equal elements answers 0 and leaves the array as it was.
    a.push({"b", "a", "b", 3}).op(InitArray).store(1).op(Pop);
    a.push({UniqueSort, 1}).push({Reg{1}, "sort"}).op(CallMethod).trace();
    a.push({Reg{1}}).trace();
    a.push({ReturnIndexedArray, 1}).push({Reg{1}, "sort"}).op(CallMethod).trace();
    a.push({Reg{1}}).trace();
    EXPECT_EQ(run(a), (Lines{"1,3,10", "10,3,1", "0", "b,a,b", "1,0,2", "b,a,b"}));
}

TEST_F(MachineTest, ElementsThatCompareEqualEndInTheQuicksortsOrder) {
    Asm a;
    // Case-insensitive: equal letters are not kept in their first order, as in the reference
    // player, whose quicksort takes the middle element as pivot.
    a.push({CaseInsensitive, 1}).push({"C", "B", "b", "c", 4}).op(InitArray).push({"sort"}).op(CallMethod).trace();
    a.push({CaseInsensitive, 1}).push({"b", "D", "a", "A", "d", 5}).op(InitArray).push({"sort"}).op(CallMethod).trace();
    // Equal keys in sortOn take the same road.
    a.push({"k", 1.0, "n", "x", 2}).op(InitObject).push({"k", 1.0, "n", "y", 2}).op(InitObject);
    a.push({"k", 0.0, "n", "z", 2}).op(InitObject).push({"k", 1.0, "n", "w", 2}).op(InitObject);
    a.push({4}).op(InitArray).store(1).op(Pop);
    a.push({Numeric, "k", 2}).push({Reg{1}, "sortOn"}).op(CallMethod).op(Pop);
    a.push({""});
    for (const char* i : {"0", "1", "2", "3"}) a.push({Reg{1}, i}).op(GetMember).push({"n"}).op(GetMember).op(Add2);
    a.trace();
    EXPECT_EQ(run(a), (Lines{"B,b,c,C", "a,A,b,d,D", "zywx"}));
}

TEST_F(MachineTest, SortOnSeveralFieldsWithFlagsForEach) {
    Asm a;
    // [{n: "b", v: 9}, {n: "a", v: 1}, {n: "b", v: 10}]
    a.push({"n", "b", "v", 10.0, 2}).op(InitObject);
    a.push({"n", "a", "v", 1.0, 2}).op(InitObject);
    a.push({"n", "b", "v", 9.0, 2}).op(InitObject);
    a.push({3}).op(InitArray).store(1).op(Pop);
    auto sortOn = [&](std::initializer_list<PushItem> flags, int flagCount) {
        a.push(flags).push({flagCount}).op(InitArray);
        a.push({"v", "n", 2}).op(InitArray).push({2}).push({Reg{1}, "sortOn"}).op(CallMethod).trace();
    };
    sortOn({Numeric, ReturnIndexedArray}, 2);  // v by number among equal names
    sortOn({0.0, ReturnIndexedArray}, 2);      // v as text: "10" before "9"
    sortOn({ReturnIndexedArray}, 1);           // flags of another count are ignored: sorted in place
    a.push({Reg{1}, "0"}).op(GetMember).push({"n"}).op(GetMember).trace();
    // Elements that are no objects are their own keys.
    a.push({"x", 1}).push({"b", "c", "a", 3}).op(InitArray).push({"sortOn"}).op(CallMethod).trace();
    // Duplicates in every field under UNIQUESORT.
    a.push({UniqueSort, "n", 2}).push({"n", "a", 1}).op(InitObject).push({"n", "a", 1}).op(InitObject);
    a.push({2}).op(InitArray).push({"sortOn"}).op(CallMethod).trace();
    EXPECT_EQ(run(a), (Lines{"1,0,2", "1,2,0", "[object Object],[object Object],[object Object]", "a", "a,b,c", "0"}));
}

TEST_F(MachineTest, BroadcasterListenersAreMatchedLoosely) {
    Asm a;
    a.get("AsBroadcaster").op(TypeOf).trace();
    a.push({"b", 0}).op(InitObject).op(SetVariable);
    a.get("b").push({1}).get("AsBroadcaster").push({"initialize"}).op(CallMethod).op(Pop);
    a.push({0}).get("b").push({"addListener"}).op(CallMethod).trace();  // adds undefined
    a.push({Null(), 1}).get("b").push({"addListener"}).op(CallMethod).trace();  // replaces it
    a.get("b").push({"_listeners"}).op(GetMember).trace();
    a.push({false, 1}).get("b").push({"addListener"}).op(CallMethod).op(Pop);
    a.push({Undef(), 1}).get("b").push({"removeListener"}).op(CallMethod).trace();  // removes null
    a.get("b").push({"_listeners"}).op(GetMember).trace();
    // A list a script broke is made again.
    a.get("b").push({"_listeners", Null()}).op(SetMember);
    a.push({"x", 1}).get("b").push({"addListener"}).op(CallMethod).trace();
    a.get("b").push({"_listeners"}).op(GetMember).trace();
    EXPECT_EQ(run(a), (Lines{"function", "true", "true", "null", "true", "false", "true", "x"}));
}

TEST_F(MachineTest, AnEmptyBroadcastMessageCallsEachListenerItself) {
    // fn = function () { trace("itself " + typeof this + " " + arguments.length); }; an object
    // listener with a "" member is not a function and is passed over.
    Asm body;
    body.push({"itself "}).get("this").op(TypeOf).op(Add2).push({" "}).op(Add2);
    body.get("arguments").push({"length"}).op(GetMember).op(Add2).trace();
    Asm member;
    member.push({"member called"}).trace();
    Asm a;
    a.push({"b", 0}).op(InitObject).op(SetVariable);
    a.get("b").push({1}).get("AsBroadcaster").push({"initialize"}).op(CallMethod).op(Pop);
    a.push({"o", 0}).op(InitObject).op(SetVariable);
    a.get("o").push({""}).function("", {}, member).op(SetMember);
    a.push({"fn"}).function("", {}, body).op(SetVariable);
    a.get("o").push({1}).get("b").push({"addListener"}).op(CallMethod).op(Pop);
    a.get("fn").push({1}).get("b").push({"addListener"}).op(CallMethod).op(Pop);
    a.push({7.0, "", 2}).get("b").push({"broadcastMessage"}).op(CallMethod).trace();
    EXPECT_EQ(run(a), (Lines{"itself undefined 1", "true"}));
}

TEST_F(MachineTest, CallRunsAnotherFramesActionsOnItsClip) {
    FakeClip* child = host.root.add("child");
    Asm three, five;
    three.push({"root frame 3"}).trace();
    five.push({"child frame 5 of "}).push({"_name"}).op(GetVariable).op(Add2).trace();
    host.root.frameScripts["3"] = {ActionCode{three.shared(), 0, three.shared()->size()}};
    child->frameScripts["five"] = {ActionCode{five.shared(), 0, five.shared()->size()}};
    Asm a;
    a.push({"3"}).record(0x9E, {});
    a.push({3.0}).record(0x9E, {});
    a.push({"/child:five"}).record(0x9E, {});
    a.push({"missing"}).record(0x9E, {});
    a.push({"/nobody:3"}).record(0x9E, {});
    a.push({"after"}).trace();
    EXPECT_EQ(run(a), (Lines{"root frame 3", "root frame 3", "child frame 5 of child", "after"}));
}

TEST_F(MachineTest, WhatAFrameLeavesOnTheStackIsGoneNextFrame) {
    Asm leave, take;
    leave.push({"left over"});
    take.trace();
    run(leave);
    EXPECT_EQ(run(take), (Lines{"left over"}));  // blocks of one frame share the stack
    run(leave);
    machine->startFrame();
    EXPECT_EQ(run(take), (Lines{"undefined"}));
}

}  // namespace swf::avm1::test
