// Date: time values in milliseconds since 1970 UTC, read and set in local time or in UTC with
// the calendar arithmetic of the language (proleptic Gregorian calendar, no leap seconds). The
// local time zone comes from the C library, asked for the offset at each moment so that summer
// time applies where it applied.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "engine/avm1/builtins.h"

namespace swf::avm1 {

namespace {

constexpr double kMsPerDay = 86400000.0;
constexpr double kMaxTime = 8.64e15;  // beyond this either way a time is no date

double dayFromYear(double y) {
    return 365 * (y - 1970) + std::floor((y - 1969) / 4) - std::floor((y - 1901) / 100) + std::floor((y - 1601) / 400);
}
bool leapYear(double y) { return std::fmod(y, 4) == 0 && (std::fmod(y, 100) != 0 || std::fmod(y, 400) == 0); }
double positiveMod(double a, double b) {
    double r = std::fmod(a, b);
    return r < 0 ? r + b : r;
}

struct Parts {
    double year, month, date, hours, minutes, seconds, ms, weekday;
};

Parts split(double t) {
    double day = std::floor(t / kMsPerDay);
    // The year: an estimate from the mean year, corrected by at most a step either way.
    double year = std::floor(day / 365.2425) + 1970;
    while (dayFromYear(year) > day) --year;
    while (dayFromYear(year + 1) <= day) ++year;
    int dayInYear = int(day - dayFromYear(year));
    static const int kMonthStarts[2][13] = {{0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
                                            {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366}};
    const int* starts = kMonthStarts[leapYear(year) ? 1 : 0];
    int month = 0;
    while (month < 11 && dayInYear >= starts[month + 1]) ++month;
    double msInDay = positiveMod(t, kMsPerDay);
    return {year,
            double(month),
            double(dayInYear - starts[month] + 1),
            std::floor(msInDay / 3600000),
            std::floor(positiveMod(msInDay, 3600000) / 60000),
            std::floor(positiveMod(msInDay, 60000) / 1000),
            positiveMod(msInDay, 1000),
            positiveMod(day + 4, 7)};  // 1 January 1970 was a Thursday
}

// MakeDay and MakeTime of the language: months and days past their ranges carry over.
double makeDay(double year, double month, double date) {
    if (!std::isfinite(year) || !std::isfinite(month) || !std::isfinite(date)) return NAN;
    year = std::trunc(year);
    month = std::trunc(month);
    date = std::trunc(date);
    double y = year + std::floor(month / 12);
    if (std::fabs(y) > 400000) return NAN;  // far outside any date: keeps the arithmetic exact
    double m = positiveMod(month, 12);
    static const int kMonthStarts[2][12] = {{0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334},
                                            {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335}};
    return dayFromYear(y) + kMonthStarts[leapYear(y) ? 1 : 0][int(m)] + date - 1;
}
double makeTime(double h, double min, double s, double ms) {
    if (!std::isfinite(h) || !std::isfinite(min) || !std::isfinite(s) || !std::isfinite(ms)) return NAN;
    return std::trunc(h) * 3600000 + std::trunc(min) * 60000 + std::trunc(s) * 1000 + std::trunc(ms);
}
double makeDate(double day, double time) {
    if (!std::isfinite(day) || !std::isfinite(time)) return NAN;
    return day * kMsPerDay + time;
}
double timeClip(double t) {
    if (!std::isfinite(t) || std::fabs(t) > kMaxTime) return NAN;
    return std::trunc(t) + 0.0;  // + 0.0 turns -0 into 0
}

// A year from 1971 to 2037 that starts on the same weekday and has the same length: the C library
// knows the time zone's rules only for the years it can represent everywhere.
double equivalentYear(double year) {
    if (year >= 1971 && year <= 2037) return year;
    double weekday = positiveMod(dayFromYear(year) + 4, 7);
    for (int y = 1971; y <= 2037; ++y)
        if (leapYear(y) == leapYear(year) && positiveMod(dayFromYear(y) + 4, 7) == weekday) return y;
    return 2000;
}

// Local time minus UTC, in milliseconds, at the UTC moment `t`.
double localOffset(double t) {
    if (!std::isfinite(t)) return 0;
    Parts p = split(t);
    double shifted = t + (dayFromYear(equivalentYear(p.year)) - dayFromYear(p.year)) * kMsPerDay;
    std::time_t secs = std::time_t(std::floor(shifted / 1000));
    std::tm* lt = std::localtime(&secs);
    if (!lt) return 0;
    double local = makeDate(makeDay(lt->tm_year + 1900, lt->tm_mon, lt->tm_mday),
                            makeTime(lt->tm_hour, lt->tm_min, lt->tm_sec, 0));
    return local - double(secs) * 1000;
}
double toLocal(double t) { return t + localOffset(t); }
// The UTC moment of a local time: the offset is asked at the moment it names, then once more
// at the moment that gives, so that times next to a change of summer time land right.
double toUtc(double local) {
    if (!std::isfinite(local)) return NAN;
    double guess = local - localOffset(local);
    return local - localOffset(guess);
}

double nowMs() {
    using namespace std::chrono;
    return double(duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count());
}

double timeOf(Machine& m, Object* o) {
    if (!o || !o->isDate) return NAN;
    return m.toNumber(o->primitive);
}
Value store(Object* o, double t) {
    if (!o || !o->isDate) return Value(NAN);
    o->primitive = Value(timeClip(t));
    return o->primitive;
}

// The year argument of the constructor, Date.UTC and setYear: 0 to 99 mean 1900 to 1999.
double fullYear(double y) {
    double whole = std::trunc(y);
    return std::isfinite(y) && whole >= 0 && whole <= 99 ? 1900 + whole : y;
}

// A time from constructor-style arguments (year, month[, date, hours, minutes, seconds, ms]).
double fromArguments(Machine& m, const std::vector<Value>& args) {
    double v[7] = {0, 0, 1, 0, 0, 0, 0};
    for (size_t i = 0; i < 7 && i < args.size(); ++i) v[i] = m.toNumber(args[i]);
    return makeDate(makeDay(fullYear(v[0]), v[1], v[2]), makeTime(v[3], v[4], v[5], v[6]));
}

Value dateConstruct(Machine& m, Object* o, std::vector<Value>& args) {
    o->isDate = true;
    o->hasPrimitive = true;
    double t = nowMs();
    if (args.size() == 1) t = m.toNumber(args[0]);
    else if (args.size() >= 2) t = toUtc(fromArguments(m, args));
    o->primitive = Value(timeClip(t));
    return Value(o);
}

Value dateCall(Machine& m, Object*, std::vector<Value>&) {
    Object* o = m.newObject();
    o->proto = m.dateProto;
    std::vector<Value> none;
    dateConstruct(m, o, none);
    return Value(m.toString(Value(o)));
}

Value dateUtc(Machine& m, Object*, std::vector<Value>& args) {
    if (args.size() < 2) return Value(NAN);
    return Value(timeClip(fromArguments(m, args)));
}

Value getTime(Machine& m, Object* o, std::vector<Value>&) { return Value(timeOf(m, o)); }
Value setTime(Machine& m, Object* o, std::vector<Value>& args) { return store(o, m.toNumber(arg(args, 0))); }

Value getTimezoneOffset(Machine& m, Object* o, std::vector<Value>&) {
    double t = timeOf(m, o);
    if (std::isnan(t)) return Value(NAN);
    return Value(-localOffset(t) / 60000);
}

enum class Field { FullYear, Year, Month, Date, Day, Hours, Minutes, Seconds, Milliseconds };

double field(const Parts& p, Field f) {
    switch (f) {
    case Field::FullYear: return p.year;
    case Field::Year: return p.year - 1900;
    case Field::Month: return p.month;
    case Field::Date: return p.date;
    case Field::Day: return p.weekday;
    case Field::Hours: return p.hours;
    case Field::Minutes: return p.minutes;
    case Field::Seconds: return p.seconds;
    case Field::Milliseconds: return p.ms;
    }
    return NAN;
}

template <Field F, bool Utc>
Value getField(Machine& m, Object* o, std::vector<Value>&) {
    double t = timeOf(m, o);
    if (std::isnan(t)) return Value(NAN);
    return Value(field(split(Utc ? t : toLocal(t)), F));
}

// The setters take the named field and, optionally, the smaller ones after it (setHours(h, min,
// s, ms)); the fields not given keep their values.
template <Field F, bool Utc>
Value setField(Machine& m, Object* o, std::vector<Value>& args) {
    if (!o || !o->isDate) return Value(NAN);
    double t = timeOf(m, o);
    bool yearSetter = F == Field::FullYear || F == Field::Year;
    if (std::isnan(t)) {
        if (!yearSetter) return Value(NAN);
        t = 0;  // setting the year of an invalid date starts from the epoch, as the language says
    }
    double local = Utc ? t : toLocal(t);
    Parts p = split(local);
    double v[7] = {p.year, p.month, p.date, p.hours, p.minutes, p.seconds, p.ms};
    int first = 0;
    switch (F) {
    case Field::FullYear: case Field::Year: first = 0; break;
    case Field::Month: first = 1; break;
    case Field::Date: first = 2; break;
    case Field::Hours: first = 3; break;
    case Field::Minutes: first = 4; break;
    case Field::Seconds: first = 5; break;
    case Field::Milliseconds: first = 6; break;
    case Field::Day: return Value(NAN);
    }
    // setYear takes one argument; the others as many fields as there are after theirs.
    int most = F == Field::Year ? 1 : (first == 0 ? 3 : first == 1 ? 2 : first == 2 ? 1 : 7 - first);
    int given = int(std::min<size_t>(args.size(), size_t(most)));
    if (given == 0) v[first] = m.toNumber(Value());
    for (int i = 0; i < given; ++i) v[first + i] = m.toNumber(args[size_t(i)]);
    if (F == Field::Year) v[0] = fullYear(v[0]);
    double result = makeDate(makeDay(v[0], v[1], v[2]), makeTime(v[3], v[4], v[5], v[6]));
    return store(o, Utc ? result : toUtc(result));
}

// "Tue Dec 8 18:57:35 GMT+0100 2026", as the reference player writes a date.
Value dateToString(Machine& m, Object* o, std::vector<Value>&) {
    double t = timeOf(m, o);
    if (std::isnan(t)) return Value("Invalid Date");
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    double offsetMinutes = std::round(localOffset(t) / 60000);
    Parts p = split(t + offsetMinutes * 60000);
    int offset = int(std::fabs(offsetMinutes));
    char buf[96];
    std::snprintf(buf, sizeof buf, "%s %s %d %02d:%02d:%02d GMT%c%02d%02d %.0f", kDays[int(p.weekday)],
                  kMonths[int(p.month)], int(p.date), int(p.hours), int(p.minutes), int(p.seconds),
                  offsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60, p.year);
    return Value(buf);
}

}  // namespace

void installDate(Machine& m) {
    m.dateProto = m.newObject();
    Object* ctor = defineClass(m, "Date", dateCall, dateConstruct, m.dateProto);
    m.defineNative(ctor, "UTC", dateUtc);
    struct {
        const char* name;
        NativeFunction f;
    } methods[] = {
        {"getTime", getTime},
        {"valueOf", getTime},
        {"setTime", setTime},
        {"getTimezoneOffset", getTimezoneOffset},
        {"toString", dateToString},
        {"getFullYear", getField<Field::FullYear, false>},
        {"getYear", getField<Field::Year, false>},
        {"getMonth", getField<Field::Month, false>},
        {"getDate", getField<Field::Date, false>},
        {"getDay", getField<Field::Day, false>},
        {"getHours", getField<Field::Hours, false>},
        {"getMinutes", getField<Field::Minutes, false>},
        {"getSeconds", getField<Field::Seconds, false>},
        {"getMilliseconds", getField<Field::Milliseconds, false>},
        {"getUTCFullYear", getField<Field::FullYear, true>},
        {"getUTCYear", getField<Field::Year, true>},
        {"getUTCMonth", getField<Field::Month, true>},
        {"getUTCDate", getField<Field::Date, true>},
        {"getUTCDay", getField<Field::Day, true>},
        {"getUTCHours", getField<Field::Hours, true>},
        {"getUTCMinutes", getField<Field::Minutes, true>},
        {"getUTCSeconds", getField<Field::Seconds, true>},
        {"getUTCMilliseconds", getField<Field::Milliseconds, true>},
        {"setFullYear", setField<Field::FullYear, false>},
        {"setYear", setField<Field::Year, false>},
        {"setMonth", setField<Field::Month, false>},
        {"setDate", setField<Field::Date, false>},
        {"setHours", setField<Field::Hours, false>},
        {"setMinutes", setField<Field::Minutes, false>},
        {"setSeconds", setField<Field::Seconds, false>},
        {"setMilliseconds", setField<Field::Milliseconds, false>},
        {"setUTCFullYear", setField<Field::FullYear, true>},
        {"setUTCMonth", setField<Field::Month, true>},
        {"setUTCDate", setField<Field::Date, true>},
        {"setUTCHours", setField<Field::Hours, true>},
        {"setUTCMinutes", setField<Field::Minutes, true>},
        {"setUTCSeconds", setField<Field::Seconds, true>},
        {"setUTCMilliseconds", setField<Field::Milliseconds, true>},
    };
    for (auto& fn : methods) m.defineNative(m.dateProto, fn.name, fn.f);
}

}  // namespace swf::avm1
