// Date: calendar arithmetic, local time with summer time, UTC forms, setters that carry over,
// the text form, and dates that are no dates.
#include <cmath>
#include <cstdlib>
#include <ctime>

#include "tests/engine/avm1/machine_fixture.h"

namespace swf::avm1::test {

namespace {

// Central European time with its summer time, spelled out so that no zone files are needed.
class DateTest : public MachineTest {
protected:
    void SetUp() override {
        const char* old = std::getenv("TZ");
        hadZone_ = old != nullptr;
        if (old) oldZone_ = old;
        setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
        tzset();
    }
    void TearDown() override {
        if (hadZone_) setenv("TZ", oldZone_.c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }

    // Calls register 1's `method` with `args` (pushed last first) and traces the result.
    static void callTrace(Asm& a, const char* method, std::initializer_list<double> args = {}) {
        std::vector<double> list(args);
        for (auto it = list.rbegin(); it != list.rend(); ++it) a.push({*it});
        a.push({int(list.size())}).push({Reg{1}, method}).op(CallMethod).trace();
    }
    static void newDate(Asm& a, std::initializer_list<double> args) {
        std::vector<double> list(args);
        for (auto it = list.rbegin(); it != list.rend(); ++it) a.push({*it});
        a.push({int(list.size()), "Date"}).op(NewObject).store(1).op(Pop);
    }

private:
    bool hadZone_ = false;
    std::string oldZone_;
};

}  // namespace

TEST_F(DateTest, UtcPartsOfATime) {
    Asm a;
    a.push({250.0, 15.0, 30.0, 12.0, 29.0, 1.0, 2000.0, 7}).push({"Date"}).op(GetVariable).push({"UTC"})
        .op(CallMethod).trace();
    newDate(a, {951827415250.0});
    for (const char* part : {"getUTCFullYear", "getUTCMonth", "getUTCDate", "getUTCDay", "getUTCHours",
                             "getUTCMinutes", "getUTCSeconds", "getUTCMilliseconds"})
        callTrace(a, part);
    EXPECT_EQ(run(a), (Lines{"951827415250", "2000", "1", "29", "2", "12", "30", "15", "250"}));
}

TEST_F(DateTest, LocalTimeFollowsSummerTime) {
    Asm a;
    newDate(a, {2021, 6, 1, 12});  // 1 July, summer time: two hours east of UTC
    callTrace(a, "getTime");
    callTrace(a, "getTimezoneOffset");
    callTrace(a, "getHours");
    callTrace(a, "getUTCHours");
    newDate(a, {2021, 0, 15, 12});  // January: one hour
    callTrace(a, "getTimezoneOffset");
    callTrace(a, "getUTCHours");
    EXPECT_EQ(run(a), (Lines{"1625133600000", "-120", "12", "10", "-60", "11"}));
}

TEST_F(DateTest, TextForm) {
    Asm a;
    newDate(a, {2026, 11, 8, 9, 5, 7});
    callTrace(a, "toString");
    newDate(a, {2021, 6, 1, 23, 59, 59});
    callTrace(a, "toString");
    EXPECT_EQ(run(a), (Lines{"Tue Dec 8 09:05:07 GMT+0100 2026", "Thu Jul 1 23:59:59 GMT+0200 2021"}));
}

TEST_F(DateTest, SettersCarryOverAndKeepTheOtherFields) {
    Asm a;
    newDate(a, {2020, 0, 31, 10, 20, 30});
    callTrace(a, "setMonth", {1});  // 31 February is 2 March in a leap year
    callTrace(a, "getMonth");
    callTrace(a, "getDate");
    callTrace(a, "setDate", {0});  // day 0: the last of the month before
    callTrace(a, "getDate");
    callTrace(a, "setHours", {25, 1});  // the next day, 01:01, seconds kept
    callTrace(a, "getDate");
    callTrace(a, "getMinutes");
    callTrace(a, "getSeconds");
    callTrace(a, "setFullYear", {2019, 13, 1});  // month 13: February of the next year
    callTrace(a, "getFullYear");
    callTrace(a, "getMonth");
    callTrace(a, "setYear", {5});  // two-digit years are in the 1900s
    callTrace(a, "getFullYear");
    auto lines = run(a);
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[1], "2");
    EXPECT_EQ(lines[2], "2");
    EXPECT_EQ(lines[4], "29");
    EXPECT_EQ(lines[6], "1");
    EXPECT_EQ(lines[7], "1");
    EXPECT_EQ(lines[8], "30");
    EXPECT_EQ(lines[10], "2020");
    EXPECT_EQ(lines[11], "1");
    EXPECT_EQ(lines[13], "1905");
}

TEST_F(DateTest, YearsBeforeTheEpochAndTwoDigitYears) {
    Asm a;
    newDate(a, {1900, 0, 1});
    callTrace(a, "getDay");  // a Monday
    callTrace(a, "getFullYear");
    newDate(a, {99, 11, 31});
    callTrace(a, "getFullYear");
    newDate(a, {-1.0});  // one millisecond before the epoch
    callTrace(a, "getUTCFullYear");
    callTrace(a, "getUTCMilliseconds");
    callTrace(a, "getUTCDay");
    EXPECT_EQ(run(a), (Lines{"1", "1900", "1999", "1969", "999", "3"}));
}

TEST_F(DateTest, DatesThatAreNoDates) {
    Asm a;
    newDate(a, {NAN});
    callTrace(a, "toString");
    callTrace(a, "getMonth");
    callTrace(a, "setMonth", {3});
    callTrace(a, "setFullYear", {2001});  // a year gives an invalid date a time again
    callTrace(a, "getMonth");
    newDate(a, {8.64e15 + 1});  // past the calendar's end
    callTrace(a, "getTime");
    newDate(a, {1e308, 0});
    callTrace(a, "getTime");
    auto lines = run(a);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "Invalid Date");
    EXPECT_EQ(lines[1], "NaN");
    EXPECT_EQ(lines[2], "NaN");
    EXPECT_NE(lines[3], "NaN");
    EXPECT_EQ(lines[4], "0");
    EXPECT_EQ(lines[5], "NaN");
    EXPECT_EQ(lines[6], "NaN");
}

}  // namespace swf::avm1::test
