// Malformed and hostile action bytes: the machine reports, stops the script and goes on.
#include <limits>
#include <random>

#include "tests/engine/avm1/machine_fixture.h"

namespace swf::avm1::test {

TEST_F(MachineTest, TruncatedRecordsAndWildJumps) {
    std::vector<std::vector<uint8_t>> cases = {
        {0x96, 0x10, 0x00, 0x00, 'a'},             // push longer than the block
        {0x96, 0x02, 0x00, 0x06, 0x00},            // a double cut short
        {0x99, 0x02, 0x00, 0x00, 0x80},            // jump far before the start
        {0x99, 0x02, 0x00, 0xff, 0x7f},            // jump far past the end
        {0x9B, 0x07, 0x00, 'f', 0, 0, 0, 0xff, 0xff, 0x00},  // function body past the end
        {0x8F, 0x07, 0x00, 0x04, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff},  // try sizes past the end
        {0x94, 0x02, 0x00, 0xff, 0xff},            // with on an empty stack
        {0x88, 0x05, 0x00, 0xff, 0xff, 'a', 0},    // constant pool claiming 65535 entries
        {0x3D, 0x52, 0x53, 0x40, 0x4E, 0x4F, 0x17, 0x2A},  // calls and throw on an empty stack
    };
    for (auto& bytes : cases) {
        host.warnings.clear();
        machine->runActions(std::make_shared<const std::vector<uint8_t>>(bytes), &host.root);
    }
    Asm next;
    next.push({"alive"}).trace();
    EXPECT_EQ(run(next), (Lines{"alive"}));
}

TEST_F(MachineTest, HugeCountsAndFrameNumbersAreHeldInRange) {
    // Counts and frame numbers far beyond any integer type are taken as the most there can be.
    Asm a;
    a.push({"x", 1e300}).op(0x42).op(0x1D);              // InitArray with a count of 1e300
    a.push({"k", "v", 1e30}).op(0x43).op(0x1D);          // InitObject claiming 1e30 pairs
    a.push({1.0, 2.0, -1e300}).op(0x42).op(Pop);         // a negative count makes an empty array
    a.push({1e300}).record(0x9F, {0});                   // GotoFrame2 to frame 1e300
    a.push({-1e300}).record(0x9F, {0});
    // The method wraps its number to 32 bits: 1e300 is a multiple of 2^32, so no frame at all.
    a.push({1e300, 1}).push({"_root"}).op(0x1C).push({"gotoAndStop"}).op(0x52).op(Pop);
    a.push({1e300, 1e300, 2, "Date"}).op(0x40).op(Pop);  // a date of year and month 1e300
    a.push({0}).push({1e300, 1, "Date"}).op(0x40).push({"getFullYear"}).op(0x52).trace();
    a.push({"alive"}).trace();
    EXPECT_EQ(run(a), (Lines{"NaN", "alive"}));
    const std::string most = "goto " + std::to_string(std::numeric_limits<int>::max());
    EXPECT_EQ(host.root.log, (Lines{most, "goto " + std::to_string(std::numeric_limits<int>::min())}));
}

TEST_F(MachineTest, AStringThatKeepsDoublingStopsTheScript) {
    // Each doubling takes two actions; memory, not time, would run out first.
    Asm a;
    a.push({"s", "0123456789abcdef"}).op(0x1D);
    for (int i = 0; i < 30; ++i) a.push({"s"}).get("s").get("s").op(0x47).op(0x1D);
    a.push({"not reached"}).trace();
    EXPECT_EQ(run(a), Lines{});
    ASSERT_FALSE(host.warnings.empty());
    EXPECT_NE(host.warnings.back().find("string longer than"), std::string::npos);
    // Joining and concatenating are held to the same length; the machine goes on afterwards.
    Asm join;
    join.push({"t", "0123456789abcdef"}).op(0x1D);
    for (int i = 0; i < 30; ++i) join.push({"t"}).get("t").push({1}).get("t").push({"concat"}).op(0x52).op(0x1D);
    const size_t warned = host.warnings.size();
    EXPECT_EQ(run(join), Lines{});
    ASSERT_EQ(host.warnings.size(), warned + 1);
    EXPECT_NE(host.warnings.back().find("string longer than"), std::string::npos);
    Asm next;
    next.push({"alive"}).trace();
    EXPECT_EQ(run(next), (Lines{"alive"}));
}

TEST_F(MachineTest, RandomBytesNeverCrashOrHang) {
    Limits limits;
    limits.maxActionsPerScript = 20000;
    machine->setLimits(limits);
    std::mt19937 rng(1234);
    const uint8_t common[] = {0x96, 0x99, 0x9D, 0x9B, 0x8E, 0x8F, 0x94, 0x3D, 0x52, 0x40, 0x4E, 0x4F, 0x42, 0x43,
                              0x1C, 0x1D, 0x47, 0x3E, 0x2A, 0x55, 0x46, 0x88, 0x87};
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> bytes(rng() % 64);
        for (auto& b : bytes) b = (rng() % 3 == 0) ? common[rng() % sizeof common] : uint8_t(rng());
        machine->runActions(std::make_shared<const std::vector<uint8_t>>(bytes), &host.root);
        if (round % 100 == 0) machine->collectGarbage();
    }
    // Blocks share the stack, so leftovers stay, but never without bound.
    EXPECT_LE(machine->stack().size(), 65536u + 64u);
}

TEST_F(MachineTest, GarbageCollectionKeepsWhatIsReachable) {
    Asm a;
    a.push({"kept", "v", 1.0, 1}).op(InitObject).op(SetVariable);
    for (int i = 0; i < 200; ++i) a.push({"w", 2.0, 1}).op(InitObject).op(Pop);
    run(a);
    size_t before = machine->heap().size();
    machine->collectGarbage();
    EXPECT_LT(machine->heap().size() + 150, before);
    Asm b;
    b.get("kept").push({"v"}).op(GetMember).trace();
    EXPECT_EQ(run(b), (Lines{"1"}));
}

}  // namespace swf::avm1::test

namespace swf::avm1::test {

TEST_F(MachineTest, SelfContainingArrayAsTextIsStopped) {
    // a = []; a[0] = a; trace(a);
    Asm a;
    a.push({"a", 0}).op(InitArray).op(SetVariable);
    a.get("a").push({"0"}).get("a").op(SetMember);
    a.get("a").trace();
    run(a);
    ASSERT_EQ(host.warnings.size(), 1u);
    EXPECT_NE(host.warnings[0].find("recursion"), std::string::npos);
}

}  // namespace swf::avm1::test

namespace swf::avm1::test {

TEST_F(MachineTest, DeeplyNestedBlocksAreStoppedBeforeTheStackEnds) {
    Asm body;
    body.push({"innermost"}).trace();
    for (int i = 0; i < 3000; ++i) {
        Asm outer;
        outer.push({"_root"}).op(GetVariable).with(body);
        body = outer;
    }
    // A stack budget that 3000 levels pass whatever a level's frame size in this build.
    Limits limits;
    limits.maxStackBytes = 256 * 1024;
    machine->setLimits(limits);
    EXPECT_TRUE(run(body).empty());
    ASSERT_EQ(host.warnings.size(), 1u);
    EXPECT_NE(host.warnings[0].find("too deeply"), std::string::npos);
}

}  // namespace swf::avm1::test
