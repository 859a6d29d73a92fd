// Key (the keyboard state); Date has a file of its own, Selection too.
#include "engine/avm1/builtins.h"

namespace swf::avm1 {

namespace {

Value keyIsDown(Machine& m, Object*, std::vector<Value>& args) {
    return Value(m.host().keyIsDown(toInt32(m.toNumber(arg(args, 0)))));
}

Value keyGetCode(Machine& m, Object*, std::vector<Value>&) { return Value(double(m.host().lastKeyCode())); }

Value keyGetAscii(Machine& m, Object*, std::vector<Value>&) { return Value(double(m.host().lastKeyAscii())); }

Value keyIsToggled(Machine& m, Object*, std::vector<Value>& args) {
    return Value(m.host().keyIsToggled(toInt32(m.toNumber(arg(args, 0)))));
}

}  // namespace

void installDateAndKey(Machine& m) {
    installDate(m);

    Object* key = m.newObject();
    m.global()->put(m.key("Key"), "Key", Value(key), DontEnum);
    m.defineNative(key, "isDown", keyIsDown);
    m.defineNative(key, "getCode", keyGetCode);
    m.defineNative(key, "getAscii", keyGetAscii);
    m.defineNative(key, "isToggled", keyIsToggled);
    struct { const char* name; int code; } codes[] = {
        {"BACKSPACE", 8}, {"TAB", 9}, {"ENTER", 13}, {"SHIFT", 16}, {"CONTROL", 17}, {"CAPSLOCK", 20},
        {"ESCAPE", 27}, {"SPACE", 32}, {"PGUP", 33}, {"PGDN", 34}, {"END", 35}, {"HOME", 36}, {"LEFT", 37},
        {"UP", 38}, {"RIGHT", 39}, {"DOWN", 40}, {"INSERT", 45}, {"DELETEKEY", 46}};
    for (auto& c : codes) putConstant(m, key, c.name, Value(double(c.code)));

    installSelection(m);
}

}  // namespace swf::avm1
