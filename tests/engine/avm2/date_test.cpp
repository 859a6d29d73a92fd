#include <gtest/gtest.h>

#include <cmath>

#include "tests/engine/avm2/machine_fixture.h"

using namespace swf::avm2;

namespace {

// Dates run in UTC: the local getters and the text forms agree with the UTC ones.
class DateTest : public avm2test::MachineTest {
protected:
    Value dateClass() { return global(u"Date"); }
    Value make(std::vector<Value> args) { return m.construct(dateClass(), args); }
    Value call(const Value& self, const char16_t* name, std::vector<Value> args = {}) { return method(self, name, std::move(args)); }
    double num(const Value& self, const char16_t* name, std::vector<Value> args = {}) { return m.toNumber(call(self, name, args)); }
    double parse(const char16_t* s) { return m.toNumber(call(dateClass(), u"parse", {Value(s)})); }
};

}  // namespace

TEST_F(DateTest, CalendarFieldsAcrossEpochsAndLeapYears) {
    struct Case {
        double time;
        double year, month, date, day, hours, minutes, seconds, ms;
    };
    const Case cases[] = {
        {0, 1970, 0, 1, 4, 0, 0, 0, 0},
        {-1, 1969, 11, 31, 3, 23, 59, 59, 999},
        {951782400000, 2000, 1, 29, 2, 0, 0, 0, 0},            // 2000 is a leap year (divisible by 400)
        {4107542400000, 2100, 2, 1, 1, 0, 0, 0, 0},            // 2100 is not: Feb 28 is followed by Mar 1
        {-62167219200000, 0, 0, 1, 6, 0, 0, 0, 0},             // year 0
        {-2208988800001, 1899, 11, 31, 0, 23, 59, 59, 999},
        {1234567890123, 2009, 1, 13, 5, 23, 31, 30, 123},
    };
    for (const Case& c : cases) {
        Value d = make({Value(c.time)});
        SCOPED_TRACE(c.time);
        EXPECT_EQ(num(d, u"getTime"), c.time);
        EXPECT_EQ(num(d, u"getUTCFullYear"), c.year);
        EXPECT_EQ(num(d, u"getUTCMonth"), c.month);
        EXPECT_EQ(num(d, u"getUTCDate"), c.date);
        EXPECT_EQ(num(d, u"getUTCDay"), c.day);
        EXPECT_EQ(num(d, u"getUTCHours"), c.hours);
        EXPECT_EQ(num(d, u"getUTCMinutes"), c.minutes);
        EXPECT_EQ(num(d, u"getUTCSeconds"), c.seconds);
        EXPECT_EQ(num(d, u"getUTCMilliseconds"), c.ms);
        EXPECT_EQ(num(d, u"getFullYear"), c.year);
        EXPECT_EQ(m.toNumber(m.get(d, u"month")), c.month);
        EXPECT_EQ(m.toNumber(m.get(d, u"dayUTC")), c.day);
    }
}

TEST_F(DateTest, ConstructionFromFieldsAndValues) {
    EXPECT_EQ(num(make({Value(2000), Value(0), Value(1)}), u"getTime"), 946684800000);
    // Two-digit years are in the 1900s; months and days overflow into the next unit.
    EXPECT_EQ(num(make({Value(99), Value(11), Value(31)}), u"getFullYear"), 1999);
    EXPECT_EQ(num(make({Value(2000), Value(12), Value(1)}), u"getTime"), num(make({Value(2001), Value(0), Value(1)}), u"getTime"));
    EXPECT_EQ(num(make({Value(2000), Value(0), Value(0)}), u"getDate"), 31);
    EXPECT_EQ(num(make({Value(2000), Value(0), Value(1), Value(25), Value(61), Value(61), Value(1001)}), u"getTime"),
              946684800000 + 25 * 3600000.0 + 61 * 60000.0 + 61 * 1000.0 + 1001);
    EXPECT_TRUE(std::isnan(num(make({Value(NAN), Value(0)}), u"getTime")));
    // Beyond 8.64e15 ms a time is invalid; fractions are cut.
    EXPECT_TRUE(std::isnan(num(make({Value(8.64e15 + 1)}), u"getTime")));
    EXPECT_EQ(num(make({Value(1.9)}), u"getTime"), 1);
    // Another date copies its time; a string is parsed.
    Value d = make({Value(12345.0)});
    EXPECT_EQ(num(make({d}), u"getTime"), 12345);
    EXPECT_EQ(num(make({Value(u"Thu Jan 1 00:00:01 GMT+0000 1970")}), u"getTime"), 1000);
    EXPECT_EQ(m.toNumber(call(dateClass(), u"UTC", {Value(1970), Value(0), Value(2)})), 86400000);
    // Without arguments: now, which is after 2020.
    EXPECT_GT(num(make({}), u"getTime"), 1.5e12);
}

TEST_F(DateTest, SettersTakeOptionalFieldsAndKeepTheRest) {
    Value d = make({Value(0.0)});
    EXPECT_EQ(num(d, u"setMilliseconds", {Value(-86400000)}), -86400000);
    EXPECT_EQ(num(d, u"getUTCDate"), 31);
    call(d, u"setTime", {Value(0.0)});
    call(d, u"setHours", {Value(10), Value(30)});
    EXPECT_EQ(num(d, u"getTime"), 10 * 3600000.0 + 30 * 60000.0);
    call(d, u"setUTCMonth", {Value(1), Value(30)});  // Feb 30 1970 is Mar 2
    EXPECT_EQ(num(d, u"getUTCMonth"), 2);
    EXPECT_EQ(num(d, u"getUTCDate"), 2);
    EXPECT_EQ(num(d, u"getUTCHours"), 10);
    call(d, u"setFullYear", {Value(2004), Value(1), Value(29)});
    EXPECT_EQ(text(d), "Sun Feb 29 10:30:00 GMT+0000 2004");
    // The property forms write one field.
    m.set(d, u"minutes", Value(5));
    m.set(d, u"dateUTC", Value(1));
    EXPECT_EQ(text(d), "Sun Feb 1 10:05:00 GMT+0000 2004");
    // An invalid date stays invalid for every setter but the year ones, which start from 0.
    Value bad = make({Value(NAN)});
    EXPECT_TRUE(std::isnan(num(bad, u"setHours", {Value(1)})));
    EXPECT_EQ(num(bad, u"setFullYear", {Value(1970)}), 0);
    EXPECT_TRUE(std::isnan(num(d, u"setSeconds", {})));
}

TEST_F(DateTest, TextFormsReadBackThroughParse) {
    Value d = make({Value(1234567890123.0)});
    EXPECT_EQ(text(d), "Fri Feb 13 23:31:30 GMT+0000 2009");
    EXPECT_EQ(text(call(d, u"toUTCString")), "Fri Feb 13 23:31:30 2009 UTC");
    EXPECT_EQ(text(call(d, u"toDateString")), "Fri Feb 13 2009");
    EXPECT_EQ(text(call(d, u"toTimeString")), "23:31:30 GMT+0000");
    EXPECT_EQ(text(call(d, u"toLocaleString")), "Fri Feb 13 2009 11:31:30 PM");
    EXPECT_EQ(text(call(make({Value(0.0)}), u"toLocaleTimeString")), "12:00:00 AM");
    EXPECT_EQ(text(make({Value(NAN)})), "Invalid Date");
    for (const char16_t* method : {u"toString", u"toUTCString", u"toLocaleString"})
        EXPECT_EQ(parse(m.toString(call(d, method)).c_str()), 1234567890000) << utf16ToUtf8(method);
    EXPECT_EQ(parse(u"Fri Feb 13 2009"), 1234483200000);
    EXPECT_EQ(parse(u"2/13/2009 11:31:30 PM"), 1234567890000);
    EXPECT_EQ(parse(u"Feb 13, 2009"), 1234483200000);
    EXPECT_EQ(parse(u"Wed Dec 31 16:00:00 GMT-0800 1969"), 0);
    EXPECT_EQ(parse(u"Thu, 01 Jan 1970 01:00:00 GMT+0100"), 0);
    EXPECT_TRUE(std::isnan(parse(u"")));
    EXPECT_TRUE(std::isnan(parse(u"tomorrow")));
    EXPECT_TRUE(std::isnan(parse(u"Jan 2000")));
    // Adding a date to a string uses its text; subtracting uses its time.
    EXPECT_EQ(text(m.add(Value(u"at "), make({Value(0.0)}))), "at Thu Jan 1 00:00:00 GMT+0000 1970");
    EXPECT_EQ(m.toNumber(make({Value(5.0)})), 5);
}

TEST_F(DateTest, MethodsRefuseOtherObjects) {
    Value proto = m.get(dateClass(), u"prototype");
    Value getTime = m.get(proto, u"getTime");
    try {
        m.call(getTime, Value(m.newObject()), {});
        FAIL() << "no error";
    } catch (const ThrownValue& t) {
        EXPECT_EQ(text(t.value), "TypeError: Error #1004: Method Date.prototype.getTime was invoked on an incompatible object.");
    }
}
