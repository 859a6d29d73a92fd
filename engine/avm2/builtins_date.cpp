// Date: a time value in milliseconds since 1970 (UTC), the calendar arithmetic of the language,
// getters and setters in local time and UTC, and the text forms the player prints and parses.
// Local time is UTC: a saver shows the same output wherever it runs, as the reference output does.
#include <chrono>
#include <cmath>

#include "engine/avm2/machine.h"

namespace swf::avm2 {

namespace {

using Args = std::span<const Value>;

constexpr double kMsPerDay = 86400000.0;
constexpr double kLocalOffset = 0;  // minutes west of UTC

class DateObject : public Object {
public:
    DateObject() : Object(ObjectType::Date) {}
    double time = NAN;
};

const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

double day(double t) { return std::floor(t / kMsPerDay); }
double timeWithinDay(double t) {
    double r = std::fmod(t, kMsPerDay);
    return r < 0 ? r + kMsPerDay : r;
}
double daysInYear(double y) {
    if (std::fmod(y, 4) != 0) return 365;
    if (std::fmod(y, 100) != 0) return 366;
    if (std::fmod(y, 400) != 0) return 365;
    return 366;
}
double dayFromYear(double y) {
    return 365 * (y - 1970) + std::floor((y - 1969) / 4) - std::floor((y - 1901) / 100) + std::floor((y - 1601) / 400);
}
double timeFromYear(double y) { return kMsPerDay * dayFromYear(y); }
double yearFromTime(double t) {
    double y = std::floor(t / (kMsPerDay * 365.2425)) + 1970;
    while (timeFromYear(y) > t) --y;
    while (timeFromYear(y + 1) <= t) ++y;
    return y;
}
bool inLeapYear(double t) { return daysInYear(yearFromTime(t)) == 366; }
double dayWithinYear(double t) { return day(t) - dayFromYear(yearFromTime(t)); }
// First day of each month in a common year; leap years shift from March on.
const int kMonthStart[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};
int monthStart(int month, bool leap) { return kMonthStart[month] + (leap && month >= 2 ? 1 : 0); }
int monthFromTime(double t) {
    double d = dayWithinYear(t);
    bool leap = inLeapYear(t);
    int m = 0;
    while (m < 11 && d >= monthStart(m + 1, leap)) ++m;
    return m;
}
double dateFromTime(double t) { return dayWithinYear(t) - monthStart(monthFromTime(t), inLeapYear(t)) + 1; }
int weekDay(double t) {
    double r = std::fmod(day(t) + 4, 7);
    return static_cast<int>(r < 0 ? r + 7 : r);
}
double hourFromTime(double t) { return std::floor(timeWithinDay(t) / 3600000.0); }
double minFromTime(double t) { return std::fmod(std::floor(timeWithinDay(t) / 60000.0), 60); }
double secFromTime(double t) { return std::fmod(std::floor(timeWithinDay(t) / 1000.0), 60); }
double msFromTime(double t) { return std::fmod(timeWithinDay(t), 1000); }

double toInteger(double d) { return std::isnan(d) ? 0 : std::trunc(d); }
double makeTime(double h, double m, double s, double ms) {
    if (!std::isfinite(h) || !std::isfinite(m) || !std::isfinite(s) || !std::isfinite(ms)) return NAN;
    return toInteger(h) * 3600000.0 + toInteger(m) * 60000.0 + toInteger(s) * 1000.0 + toInteger(ms);
}
double makeDay(double year, double month, double date) {
    if (!std::isfinite(year) || !std::isfinite(month) || !std::isfinite(date)) return NAN;
    year = toInteger(year);
    month = toInteger(month);
    date = toInteger(date);
    double y = year + std::floor(month / 12);
    double mn = std::fmod(month, 12);
    if (mn < 0) mn += 12;
    if (std::fabs(y) > 400000) return NAN;
    double t = timeFromYear(y);
    return day(t) + monthStart(static_cast<int>(mn), daysInYear(y) == 366) + date - 1;
}
double makeDate(double d, double t) {
    if (!std::isfinite(d) || !std::isfinite(t)) return NAN;
    return d * kMsPerDay + t;
}
double timeClip(double t) {
    if (!std::isfinite(t) || std::fabs(t) > 8.64e15) return NAN;
    return toInteger(t) + 0.0;  // +0, never -0
}
double localTime(double t) { return t - kLocalOffset * 60000.0; }
double utcFromLocal(double t) { return t + kLocalOffset * 60000.0; }

double now() {
    using namespace std::chrono;
    return static_cast<double>(duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count());
}

String pad2(double n) {
    String s = numberToString(n);
    return s.size() < 2 ? u"0" + s : s;
}

String zoneText() {
    double off = -kLocalOffset;
    String sign = off < 0 ? u"-" : u"+";
    off = std::fabs(off);
    return u"GMT" + sign + pad2(std::floor(off / 60)) + pad2(std::fmod(off, 60));
}

String dayText(double t) { return ascii(kDays[weekDay(t)]) + u" " + ascii(kMonths[monthFromTime(t)]) + u" " + numberToString(dateFromTime(t)); }
String clockText(double t) { return pad2(hourFromTime(t)) + u":" + pad2(minFromTime(t)) + u":" + pad2(secFromTime(t)); }
String clock12Text(double t) {
    double h = hourFromTime(t);
    double h12 = std::fmod(h, 12) == 0 ? 12 : std::fmod(h, 12);
    return numberToString(h12) + u":" + pad2(minFromTime(t)) + u":" + pad2(secFromTime(t)) + (h < 12 ? u" AM" : u" PM");
}

}  // namespace

static String dateToString(double t) {
    if (std::isnan(t)) return u"Invalid Date";
    double l = localTime(t);
    return dayText(l) + u" " + clockText(l) + u" " + zoneText() + u" " + numberToString(yearFromTime(l));
}

// Reads the forms the player writes (toString, toUTCString, toDateString, toLocaleString) and
// the common ones people write ("Jan 2, 2000", "1/2/2000 10:00 PM", "Sun, 02 Jan 2000 GMT+0100").
static double parseDate(const String& text) {
    double year = NAN, month = NAN, date = NAN, hour = 0, minute = 0, second = 0, offset = NAN;
    bool pm = false, am = false;
    size_t i = 0, n = text.size();
    auto isDigit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    auto isAlpha = [](char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); };
    auto readNumber = [&](size_t& k, int& digits) {
        double v = 0;
        digits = 0;
        while (k < n && isDigit(text[k]) && digits < 12) v = v * 10 + (text[k++] - u'0'), ++digits;
        return v;
    };
    while (i < n) {
        char16_t c = text[i];
        if (isAlpha(c)) {
            size_t s = i;
            while (i < n && isAlpha(text[i])) ++i;
            String w = text.substr(s, i - s);
            for (char16_t& ch : w)
                if (ch >= u'A' && ch <= u'Z') ch = static_cast<char16_t>(ch - u'A' + u'a');
            if (w == u"am" || w == u"pm") {
                (w == u"am" ? am : pm) = true;
                continue;
            }
            if (w == u"gmt" || w == u"utc" || w == u"ut" || w == u"z") {
                offset = 0;
                continue;
            }
            bool known = false;
            for (int m = 0; m < 12 && !known; ++m) {
                String name = ascii(kMonths[m]);
                name[0] = static_cast<char16_t>(name[0] - u'A' + u'a');
                if (w.size() >= 3 && w.compare(0, 3, name) == 0) month = m, known = true;
            }
            for (int d = 0; d < 7 && !known; ++d) {
                String name = ascii(kDays[d]);
                name[0] = static_cast<char16_t>(name[0] - u'A' + u'a');
                if (w.size() >= 3 && w.compare(0, 3, name) == 0) known = true;
            }
            if (!known) return NAN;
            continue;
        }
        if ((c == u'+' || c == u'-') && i + 1 < n && isDigit(text[i + 1]) && !std::isnan(offset)) {
            // A zone offset after GMT/UTC: +hhmm or +hh:mm.
            size_t k = i + 1;
            int digits;
            double v = readNumber(k, digits);
            double minutes = digits <= 2 ? v * 60 : std::floor(v / 100) * 60 + std::fmod(v, 100);
            if (k < n && text[k] == u':') {
                ++k;
                minutes = v * 60 + readNumber(k, digits);
            }
            offset = c == u'-' ? -minutes : minutes;
            i = k;
            continue;
        }
        if (isDigit(c)) {
            size_t k = i;
            int digits;
            double v = readNumber(k, digits);
            if (k < n && text[k] == u':') {
                hour = v;
                ++k;
                minute = readNumber(k, digits);
                if (k < n && text[k] == u':') {
                    ++k;
                    second = readNumber(k, digits);
                }
            } else if (k < n && text[k] == u'/') {
                month = v - 1;
                ++k;
                date = readNumber(k, digits);
                if (k < n && text[k] == u'/') {
                    ++k;
                    year = readNumber(k, digits);
                }
            } else if (std::isnan(date) && v <= 31 && digits <= 2) {
                date = v;
            } else if (std::isnan(year)) {
                year = v;
            } else {
                return NAN;
            }
            i = k;
            continue;
        }
        if (c == u'-' && i + 1 < n && isDigit(text[i + 1]) && std::isnan(year)) {
            // A negative year.
            size_t k = i + 1;
            int digits;
            year = -readNumber(k, digits);
            i = k;
            continue;
        }
        if (c == u' ' || c == u',' || c == u'\t' || c == u'.' || c == u'(' || c == u')' || c == u'-' || c == u'/') {
            ++i;
            continue;
        }
        return NAN;
    }
    if (std::isnan(year) || std::isnan(month) || std::isnan(date)) return NAN;
    if (year >= 0 && year < 100) year += 1900;
    if (pm && hour < 12) hour += 12;
    if (am && hour == 12) hour = 0;
    double t = makeDate(makeDay(year, month, date), makeTime(hour, minute, second, 0));
    t = std::isnan(offset) ? utcFromLocal(t) : t - offset * 60000.0;
    return timeClip(t);
}

namespace {

DateObject* thisDate(Machine& m, const Value& self, const char16_t* method) {
    Object* o = self.object();
    if (!o || o->type != ObjectType::Date)
        m.typeError(1004, u"Method Date.prototype." + String(method) + u" was invoked on an incompatible object.");
    return static_cast<DateObject*>(o);
}

// The fields a date is made of, in the order setters take them.
enum Field { kYear, kMonth, kDate, kHour, kMinute, kSecond, kMs };

double fieldOf(double t, Field f) {
    switch (f) {
    case kYear: return yearFromTime(t);
    case kMonth: return monthFromTime(t);
    case kDate: return dateFromTime(t);
    case kHour: return hourFromTime(t);
    case kMinute: return minFromTime(t);
    case kSecond: return secFromTime(t);
    case kMs: return msFromTime(t);
    }
    return NAN;
}

// Sets fields from `first` on (as many as there are arguments, at most `count`) and returns
// the new time value, as every setFoo/setUTCFoo does.
double setFields(Machine& m, double time, bool utc, Field first, int count, Args a) {
    bool yearSetter = first == kYear;
    if (std::isnan(time)) {
        if (!yearSetter) return NAN;
        time = 0;
    }
    double t = utc ? time : localTime(time);
    double f[7];
    for (int k = 0; k < 7; ++k) f[k] = fieldOf(t, static_cast<Field>(k));
    int given = static_cast<int>(std::min<size_t>(a.size(), static_cast<size_t>(count)));
    if (given == 0) return NAN;
    for (int k = 0; k < given; ++k) f[first + k] = m.toNumber(a[static_cast<size_t>(k)]);
    double r = makeDate(makeDay(f[kYear], f[kMonth], f[kDate]), makeTime(f[kHour], f[kMinute], f[kSecond], f[kMs]));
    return timeClip(utc ? r : utcFromLocal(r));
}

double timeFromArgs(Machine& m, Args a) {
    double f[7] = {NAN, 0, 1, 0, 0, 0, 0};
    for (size_t k = 0; k < a.size() && k < 7; ++k) f[k] = m.toNumber(a[k]);
    double y = f[0];
    if (!std::isnan(y) && toInteger(y) >= 0 && toInteger(y) <= 99) y = 1900 + toInteger(y);
    return makeDate(makeDay(y, f[1], f[2]), makeTime(f[3], f[4], f[5], f[6]));
}

struct Accessor {
    const char16_t* name;
    bool utc;
    Field field;  // kYear.. kMs; the day of the week is kDate with `weekday`
    bool weekday;
};

}  // namespace

void installDateBuiltins(Machine& m) {
    ClassObject* d = m.defineClass(u"", u"Date", m.objectClass, nullptr, [](Machine& m, ClassObject*) -> Object* {
        return m.make<DateObject>();
    });
    m.dateClass = d;
    d->isFinal = true;
    d->constructor = m.newNative(u"Date", 7, [](Machine& m, const Value& self, Args a) -> Value {
        auto* date = static_cast<DateObject*>(self.object());
        if (!date || date->type != ObjectType::Date) return Value();
        if (a.empty()) {
            date->time = now();
        } else if (a.size() == 1) {
            Value v = a[0];
            if (Object* o = v.object(); o && o->type == ObjectType::Date) {
                date->time = static_cast<DateObject*>(o)->time;
            } else {
                Value p = m.toPrimitive(v);
                date->time = p.isString() ? parseDate(p.string()) : timeClip(m.toNumber(p));
            }
        } else {
            date->time = timeClip(utcFromLocal(timeFromArgs(m, a)));
        }
        return Value();
    });
    d->callAsFunction = [](Machine&, const Value&, Args) -> Value { return Value(dateToString(now())); };
    m.defineConstant(d, u"length", Value(7));

    m.defineStatic(d, u"parse", 1, [](Machine& m, const Value&, Args a) -> Value {
        return Value(parseDate(m.toString(arg(a, 0))));
    });
    m.defineStatic(d, u"UTC", 7, [](Machine& m, const Value&, Args a) -> Value { return Value(timeClip(timeFromArgs(m, a))); });

    auto method = [&](const char16_t* name, int length, auto body) {
        m.defineMethod(d, name, length, [name, body](Machine& m, const Value& self, Args a) -> Value {
            return body(m, thisDate(m, self, name), a);
        });
    };
    method(u"getTime", 0, [](Machine&, DateObject* o, Args) { return Value(o->time); });
    method(u"valueOf", 0, [](Machine&, DateObject* o, Args) { return Value(o->time); });
    method(u"setTime", 1, [](Machine& m, DateObject* o, Args a) {
        o->time = timeClip(m.toNumber(arg(a, 0)));
        return Value(o->time);
    });
    method(u"getTimezoneOffset", 0, [](Machine&, DateObject* o, Args) { return Value(std::isnan(o->time) ? NAN : kLocalOffset); });
    method(u"getDay", 0, [](Machine&, DateObject* o, Args) {
        return Value(std::isnan(o->time) ? NAN : static_cast<double>(weekDay(localTime(o->time))));
    });
    method(u"getUTCDay", 0, [](Machine&, DateObject* o, Args) {
        return Value(std::isnan(o->time) ? NAN : static_cast<double>(weekDay(o->time)));
    });

    struct Named {
        const char16_t* get;
        const char16_t* getUtc;
        const char16_t* set;
        const char16_t* setUtc;
        const char16_t* property;
        const char16_t* propertyUtc;
        Field field;
        int setterArgs;
    };
    static const Named kNamed[] = {
        {u"getFullYear", u"getUTCFullYear", u"setFullYear", u"setUTCFullYear", u"fullYear", u"fullYearUTC", kYear, 3},
        {u"getMonth", u"getUTCMonth", u"setMonth", u"setUTCMonth", u"month", u"monthUTC", kMonth, 2},
        {u"getDate", u"getUTCDate", u"setDate", u"setUTCDate", u"date", u"dateUTC", kDate, 1},
        {u"getHours", u"getUTCHours", u"setHours", u"setUTCHours", u"hours", u"hoursUTC", kHour, 4},
        {u"getMinutes", u"getUTCMinutes", u"setMinutes", u"setUTCMinutes", u"minutes", u"minutesUTC", kMinute, 3},
        {u"getSeconds", u"getUTCSeconds", u"setSeconds", u"setUTCSeconds", u"seconds", u"secondsUTC", kSecond, 2},
        {u"getMilliseconds", u"getUTCMilliseconds", u"setMilliseconds", u"setUTCMilliseconds", u"milliseconds",
         u"millisecondsUTC", kMs, 1},
    };
    for (const Named& nm : kNamed) {
        Field field = nm.field;
        int count = nm.setterArgs;
        for (bool utc : {false, true}) {
            auto get = [field, utc](Machine&, DateObject* o, Args) {
                if (std::isnan(o->time)) return Value(NAN);
                return Value(fieldOf(utc ? o->time : localTime(o->time), field));
            };
            auto set = [field, utc, count](Machine& m, DateObject* o, Args a) {
                o->time = setFields(m, o->time, utc, field, count, a);
                return Value(o->time);
            };
            const char16_t* getName = utc ? nm.getUtc : nm.get;
            const char16_t* setName = utc ? nm.setUtc : nm.set;
            method(getName, 0, get);
            method(setName, count, set);
            // The property form: `date.hours`, `date.hours = 5`.
            m.defineGetter(
                d, utc ? nm.propertyUtc : nm.property,
                [get, getName](Machine& m, const Value& self, Args a) -> Value { return get(m, thisDate(m, self, getName), a); },
                [set, setName](Machine& m, const Value& self, Args a) -> Value {
                    Value one[1] = {arg(a, 0)};
                    set(m, thisDate(m, self, setName), one);
                    return Value();
                });
        }
    }
    m.defineGetter(d, u"day", [](Machine& m, const Value& self, Args) -> Value {
        DateObject* o = thisDate(m, self, u"getDay");
        return Value(std::isnan(o->time) ? NAN : static_cast<double>(weekDay(localTime(o->time))));
    });
    m.defineGetter(d, u"dayUTC", [](Machine& m, const Value& self, Args) -> Value {
        DateObject* o = thisDate(m, self, u"getUTCDay");
        return Value(std::isnan(o->time) ? NAN : static_cast<double>(weekDay(o->time)));
    });
    m.defineGetter(
        d, u"time", [](Machine& m, const Value& self, Args) -> Value { return Value(thisDate(m, self, u"getTime")->time); },
        [](Machine& m, const Value& self, Args a) -> Value {
            thisDate(m, self, u"setTime")->time = timeClip(m.toNumber(arg(a, 0)));
            return Value();
        });
    m.defineGetter(d, u"timezoneOffset", [](Machine& m, const Value& self, Args) -> Value {
        return Value(std::isnan(thisDate(m, self, u"getTimezoneOffset")->time) ? NAN : kLocalOffset);
    });

    method(u"toString", 0, [](Machine&, DateObject* o, Args) { return Value(dateToString(o->time)); });
    method(u"toDateString", 0, [](Machine&, DateObject* o, Args) {
        if (std::isnan(o->time)) return Value(u"Invalid Date");
        double l = localTime(o->time);
        return Value(dayText(l) + u" " + numberToString(yearFromTime(l)));
    });
    method(u"toTimeString", 0, [](Machine&, DateObject* o, Args) {
        if (std::isnan(o->time)) return Value(u"Invalid Date");
        return Value(clockText(localTime(o->time)) + u" " + zoneText());
    });
    method(u"toUTCString", 0, [](Machine&, DateObject* o, Args) {
        if (std::isnan(o->time)) return Value(u"Invalid Date");
        return Value(dayText(o->time) + u" " + clockText(o->time) + u" " + numberToString(yearFromTime(o->time)) + u" UTC");
    });
    method(u"toLocaleString", 0, [](Machine&, DateObject* o, Args) {
        if (std::isnan(o->time)) return Value(u"Invalid Date");
        double l = localTime(o->time);
        return Value(dayText(l) + u" " + numberToString(yearFromTime(l)) + u" " + clock12Text(l));
    });
    method(u"toLocaleDateString", 0, [](Machine&, DateObject* o, Args) {
        if (std::isnan(o->time)) return Value(u"Invalid Date");
        double l = localTime(o->time);
        return Value(dayText(l) + u" " + numberToString(yearFromTime(l)));
    });
    method(u"toLocaleTimeString", 0, [](Machine&, DateObject* o, Args) {
        if (std::isnan(o->time)) return Value(u"Invalid Date");
        return Value(clock12Text(localTime(o->time)));
    });
}

}  // namespace swf::avm2
