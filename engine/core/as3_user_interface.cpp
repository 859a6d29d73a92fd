// flash.ui: Keyboard's key codes and lock states, and Mouse. A saver hides the pointer for the
// whole show, so Mouse.hide and show have nothing left to change; cursor names are kept for
// scripts to read back.
#include <string>

#include "engine/core/as3_display.h"

namespace swf {

using namespace avm2;

namespace {

struct KeyCode {
    const char* name;
    int code;
};

constexpr KeyCode kNamedKeys[] = {
    {"BACKSPACE", 8},     {"TAB", 9},         {"ENTER", 13},           {"COMMAND", 15},       {"SHIFT", 16},
    {"CONTROL", 17},      {"ALTERNATE", 18},  {"CAPS_LOCK", 20},       {"ESCAPE", 27},        {"SPACE", 32},
    {"PAGE_UP", 33},      {"PAGE_DOWN", 34},  {"END", 35},             {"HOME", 36},          {"LEFT", 37},
    {"UP", 38},           {"RIGHT", 39},      {"DOWN", 40},            {"INSERT", 45},        {"DELETE", 46},
    {"NUMPAD_MULTIPLY", 106}, {"NUMPAD_ADD", 107}, {"NUMPAD_ENTER", 108}, {"NUMPAD_SUBTRACT", 109},
    {"NUMPAD_DECIMAL", 110},  {"NUMPAD_DIVIDE", 111}, {"SEMICOLON", 186}, {"EQUAL", 187},     {"COMMA", 188},
    {"MINUS", 189},       {"PERIOD", 190},    {"SLASH", 191},          {"BACKQUOTE", 192},    {"LEFTBRACKET", 219},
    {"BACKSLASH", 220},   {"RIGHTBRACKET", 221}, {"QUOTE", 222},
};

String keyName(const std::string& s) { return String(s.begin(), s.end()); }

}  // namespace

void As3Display::installUserInterface() {
    Machine& m = m_;
    ClassObject* keyboard = m.defineClass(u"flash.ui", u"Keyboard", m.objectClass, nullptr);
    for (const KeyCode& k : kNamedKeys) m.defineConstant(keyboard, keyName(k.name), Value(k.code));
    for (char c = 'A'; c <= 'Z'; ++c) m.defineConstant(keyboard, keyName(std::string(1, c)), Value(int(c)));
    for (int d = 0; d <= 9; ++d) {
        m.defineConstant(keyboard, keyName("NUMBER_" + std::to_string(d)), Value(48 + d));
        m.defineConstant(keyboard, keyName("NUMPAD_" + std::to_string(d)), Value(96 + d));
    }
    for (int f = 1; f <= 15; ++f) m.defineConstant(keyboard, keyName("F" + std::to_string(f)), Value(111 + f));
    for (const char16_t* name : {u"capsLock", u"numLock", u"hasVirtualKeyboard"})
        m.defineGetter(keyboard, name, [](Machine&, const Value&, Args) -> Value { return Value(false); }, nullptr, true);
    m.defineGetter(keyboard, u"physicalKeyboardType", [](Machine&, const Value&, Args) -> Value {
        return Value(String(u"alphanumeric"));
    }, nullptr, true);
    m.defineStatic(keyboard, u"isAccessible", 0, [](Machine&, const Value&, Args) -> Value { return Value(false); });

    ClassObject* mouse = m.defineClass(u"flash.ui", u"Mouse", m.objectClass, nullptr);
    for (const char16_t* name : {u"hide", u"show"})
        m.defineStatic(mouse, name, 0, [](Machine&, const Value&, Args) -> Value { return Value(); });
    m.defineGetter(mouse, u"supportsCursor", [](Machine&, const Value&, Args) -> Value { return Value(true); }, nullptr, true);
    m.defineGetter(mouse, u"cursor", [this](Machine&, const Value&, Args) -> Value { return Value(mouseCursor_); },
                   [this](Machine& m, const Value&, Args a) -> Value {
                       String name = m.toString(arg(a, 0));
                       if (name != u"auto" && name != u"arrow" && name != u"button" && name != u"hand" && name != u"ibeam")
                           m.throwError(u"ArgumentError", 2008, u"Parameter cursor must be one of the accepted values.");
                       mouseCursor_ = name;
                       return Value();
                   }, true);
    ClassObject* cursor = m.defineClass(u"flash.ui", u"MouseCursor", m.objectClass, nullptr);
    for (const char16_t* name : {u"AUTO", u"ARROW", u"BUTTON", u"HAND", u"IBEAM"}) {
        String value;
        for (const char16_t* c = name; *c; ++c) value += static_cast<char16_t>(*c + ('a' - 'A'));
        m.defineConstant(cursor, name, Value(value));
    }
}

}  // namespace swf
