// Date (construction and the local-time getters) and Key (the keyboard state).
#include <chrono>
#include <cmath>
#include <ctime>

#include "engine/avm1/builtins.h"

namespace swf::avm1 {

namespace {

double nowMs() {
    using namespace std::chrono;
    return double(duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count());
}

double dateMs(Machine& m, Object* o) {
    if (!o || !o->isDate) return NAN;
    return m.toNumber(o->primitive);
}

bool localParts(double ms, std::tm& out) {
    // Times beyond 8.64e15 ms either way are no dates, and would not fit the clock's type.
    if (!std::isfinite(ms) || std::fabs(ms) > 8.64e15) return false;
    std::time_t t = std::time_t(std::floor(ms / 1000));
    std::tm* parts = std::localtime(&t);
    if (!parts) return false;
    out = *parts;
    return true;
}

Value dateConstruct(Machine& m, Object* o, std::vector<Value>& args) {
    o->isDate = true;
    o->hasPrimitive = true;
    double ms = nowMs();
    if (args.size() == 1) {
        ms = m.toNumber(args[0]);
    } else if (args.size() >= 2) {
        double parts[7] = {0, 0, 1, 0, 0, 0, 0};
        for (size_t i = 0; i < 7 && i < args.size(); ++i) parts[i] = m.toNumber(args[i]);
        bool finite = true;
        for (double p : parts) finite = finite && std::isfinite(p);
        if (!finite) ms = NAN;
        else {
            std::tm t{};
            t.tm_year = toClampedInt(parts[0] < 100 && parts[0] >= 0 ? parts[0] : parts[0] - 1900);
            t.tm_mon = toClampedInt(parts[1]);
            t.tm_mday = toClampedInt(parts[2]);
            t.tm_hour = toClampedInt(parts[3]);
            t.tm_min = toClampedInt(parts[4]);
            t.tm_sec = toClampedInt(parts[5]);
            t.tm_isdst = -1;
            std::time_t secs = std::mktime(&t);
            ms = secs == std::time_t(-1) ? NAN : double(secs) * 1000 + parts[6];
        }
    }
    o->primitive = Value(ms);
    return Value(o);
}

Value dateCall(Machine& m, Object*, std::vector<Value>&) {
    Object* o = m.newObject();
    o->proto = m.dateProto;
    std::vector<Value> none;
    dateConstruct(m, o, none);
    return Value(m.toString(Value(o)));
}

Value getTime(Machine& m, Object* o, std::vector<Value>&) { return Value(dateMs(m, o)); }

#define DATE_PART(name, expr)                                     \
    Value name(Machine& m, Object* o, std::vector<Value>&) {      \
        double ms = dateMs(m, o);                                 \
        std::tm t;                                                \
        if (!localParts(ms, t)) return Value(NAN);                \
        return Value(double(expr));                               \
    }
DATE_PART(getFullYear, t.tm_year + 1900)
DATE_PART(getYear, t.tm_year)
DATE_PART(getMonth, t.tm_mon)
DATE_PART(getDate, t.tm_mday)
DATE_PART(getDay, t.tm_wday)
DATE_PART(getHours, t.tm_hour)
DATE_PART(getMinutes, t.tm_min)
DATE_PART(getSeconds, t.tm_sec)
#undef DATE_PART

Value getMilliseconds(Machine& m, Object* o, std::vector<Value>&) {
    double ms = dateMs(m, o);
    if (!std::isfinite(ms)) return Value(NAN);
    double r = std::fmod(ms, 1000.0);
    return Value(r < 0 ? r + 1000 : r);
}

Value setTime(Machine& m, Object* o, std::vector<Value>& args) {
    if (!o || !o->isDate) return Value();
    o->primitive = Value(m.toNumber(arg(args, 0)));
    return o->primitive;
}

Value dateToString(Machine& m, Object* o, std::vector<Value>&) {
    std::tm t;
    if (!localParts(dateMs(m, o), t)) return Value("Invalid Date");
    char buf[64];
    std::strftime(buf, sizeof buf, "%a %b %d %H:%M:%S %Y", &t);
    return Value(buf);
}

Value keyIsDown(Machine& m, Object*, std::vector<Value>& args) {
    return Value(m.host().keyIsDown(toInt32(m.toNumber(arg(args, 0)))));
}

Value keyGetCode(Machine& m, Object*, std::vector<Value>&) { return Value(double(m.host().lastKeyCode())); }

}  // namespace

void installDateAndKey(Machine& m) {
    m.dateProto = m.newObject();
    defineClass(m, "Date", dateCall, dateConstruct, m.dateProto);
    struct { const char* name; NativeFunction f; } methods[] = {
        {"getTime", getTime}, {"valueOf", getTime}, {"setTime", setTime}, {"getFullYear", getFullYear},
        {"getYear", getYear}, {"getMonth", getMonth}, {"getDate", getDate}, {"getDay", getDay},
        {"getHours", getHours}, {"getMinutes", getMinutes}, {"getSeconds", getSeconds},
        {"getMilliseconds", getMilliseconds}, {"toString", dateToString}};
    for (auto& fn : methods) m.defineNative(m.dateProto, fn.name, fn.f);

    Object* key = m.newObject();
    m.global()->put(m.key("Key"), "Key", Value(key), DontEnum);
    m.defineNative(key, "isDown", keyIsDown);
    m.defineNative(key, "getCode", keyGetCode);
    struct { const char* name; int code; } codes[] = {
        {"BACKSPACE", 8}, {"TAB", 9}, {"ENTER", 13}, {"SHIFT", 16}, {"CONTROL", 17}, {"CAPSLOCK", 20},
        {"ESCAPE", 27}, {"SPACE", 32}, {"PGUP", 33}, {"PGDN", 34}, {"END", 35}, {"HOME", 36}, {"LEFT", 37},
        {"UP", 38}, {"RIGHT", 39}, {"DOWN", 40}, {"INSERT", 45}, {"DELETEKEY", 46}};
    for (auto& c : codes) putConstant(m, key, c.name, Value(double(c.code)));
}

}  // namespace swf::avm1
