#include <gtest/gtest.h>

#include <algorithm>

#include "tests/engine/avm2/machine_fixture.h"

using namespace swf::avm2;

namespace {

// A machine whose scheduled calls append their first argument to a log.
class TimerQueueTest : public avm2test::MachineTest {
protected:
    std::vector<std::string> log;
    std::vector<std::string> errors;
    Value recorder;
    void SetUp() override {
        recorder = Value(m.newNative(u"record", 1, [this](Machine& m, const Value&, std::span<const Value> a) -> Value {
            log.push_back(utf16ToUtf8(m.toString(arg(a, 0))));
            return Value();
        }));
        m.hostRoots.push_back(recorder.object());
        m.errorHandler = [this](const std::string& e) { errors.push_back(e); };
    }
    uint32_t schedule(const char16_t* fn, double delay, const char16_t* tag) {
        return m.toUint(callGlobal(fn, {recorder, Value(delay), Value(String(tag))}, u"flash.utils"));
    }
    void advanceTo(double ms) {
        m.clockMs = ms;
        m.timers.run(m, ms);
    }
};

}  // namespace

TEST_F(TimerQueueTest, TimeoutsRunOnceWhenDueInOrder) {
    schedule(u"setTimeout", 100, u"late");
    uint32_t first = schedule(u"setTimeout", 50, u"early");
    EXPECT_GE(first, 1u);
    advanceTo(40);
    EXPECT_TRUE(log.empty());
    advanceTo(120);
    EXPECT_EQ(log, (std::vector<std::string>{"early", "late"}));
    advanceTo(500);
    EXPECT_EQ(log.size(), 2u);
    EXPECT_EQ(m.timers.size(), 0u);
}

TEST_F(TimerQueueTest, IntervalsRepeatUntilCleared) {
    uint32_t id = schedule(u"setInterval", 30, u"tick");
    advanceTo(100);  // due at 30, 60, 90
    EXPECT_EQ(log.size(), 3u);
    std::vector<Value> a{Value(id)};
    m.call(global(u"clearInterval", u"flash.utils"), Value::null(), a);
    advanceTo(400);
    EXPECT_EQ(log.size(), 3u);
}

TEST_F(TimerQueueTest, BacklogIsBoundedAndZeroDelayDoesNotSpin) {
    schedule(u"setInterval", 1, u"fast");
    advanceTo(1'000'000);
    EXPECT_EQ(log.size(), static_cast<size_t>(TimerQueue::kMaxCatchUp));
    // A timeout that schedules another with no delay: the new one waits for the next turn.
    Value again = Value(m.newNative(u"again", 0, [this](Machine& m, const Value&, std::span<const Value>) -> Value {
        log.push_back("again");
        m.timers.add(Value(m.newNative(u"later", 0, [this](Machine&, const Value&, std::span<const Value>) -> Value {
                         log.push_back("later");
                         return Value();
                     })),
                     Value::null(), {}, 0, false, m.clockMs);
        return Value();
    }));
    log.clear();
    m.timers.add(again, Value::null(), {}, 0, false, m.clockMs);
    m.timers.run(m, m.clockMs);
    EXPECT_EQ(std::count(log.begin(), log.end(), "again"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "later"), 0);
    m.timers.run(m, m.clockMs);
    EXPECT_EQ(std::count(log.begin(), log.end(), "later"), 1);
}

TEST_F(TimerQueueTest, ErrorsAreReportedAndOthersStillRun) {
    Value thrower = Value(m.newNative(u"thrower", 0, [](Machine& m, const Value&, std::span<const Value>) -> Value {
        m.throwError(u"Error", 0, u"boom");
    }));
    m.timers.add(thrower, Value::null(), {}, 10, false, 0);
    schedule(u"setTimeout", 20, u"after");
    advanceTo(50);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("boom"), std::string::npos);
    EXPECT_EQ(log, (std::vector<std::string>{"after"}));
}

TEST_F(TimerQueueTest, ScheduledCallsSurviveCollection) {
    Value arg = Value(m.newArray({Value(u"kept")}));
    std::vector<Value> args{recorder, Value(10), arg};
    m.call(global(u"setTimeout", u"flash.utils"), Value::null(), args);
    arg = Value();
    m.collectGarbage();
    advanceTo(20);
    EXPECT_EQ(log, (std::vector<std::string>{"kept"}));
}

TEST_F(TimerQueueTest, SetTimeoutWantsAFunction) {
    std::vector<Value> args{Value(u"not a function"), Value(10)};
    try {
        m.call(global(u"setTimeout", u"flash.utils"), Value::null(), args);
        FAIL() << "no error";
    } catch (const ThrownValue& t) {
        EXPECT_EQ(utf16ToUtf8(m.toString(t.value)).substr(0, 20), "TypeError: Error #10");
    }
}

TEST_F(TimerQueueTest, EqualDueTimesKeepCreationOrderAndAClearedCallDoesNotRun) {
    std::vector<uint32_t> ids;
    for (const char16_t* tag : {u"a", u"b", u"c", u"d"}) ids.push_back(schedule(u"setTimeout", 10, tag));
    uint32_t interval = schedule(u"setInterval", 5, u"i");
    // The first call clears the third and the interval, both already due.
    Value clearing = Value(m.newNative(u"clearing", 0, [&](Machine& m, const Value&, std::span<const Value>) -> Value {
        log.push_back("clear");
        m.timers.remove(ids[2]);
        m.timers.remove(interval);
        return Value();
    }));
    m.timers.add(clearing, Value::null(), {}, 1, false, m.clockMs);
    advanceTo(50);
    EXPECT_EQ(log, (std::vector<std::string>{"clear", "a", "b", "d"}));
    EXPECT_EQ(m.timers.size(), 0u);
}
