#include "tools/swfrender/input_script.h"

#include <cmath>

#include "tools/swfrender/json_reader.h"
#include "tools/swfrender/key_names.h"

namespace swfrender {

namespace {

constexpr size_t kMaxEvents = 1'000'000;
constexpr double kMaxCoordinate = 1e6;

struct BadEntry {
    std::string message;
};

// The one code point of a UTF-8 string; nullopt when it holds none or more than one.
std::optional<char32_t> singleCharacter(const std::string& s) {
    if (s.empty()) return std::nullopt;
    auto b = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    size_t n = b(0) < 0x80 ? 1 : (b(0) >> 5) == 6 ? 2 : (b(0) >> 4) == 14 ? 3 : (b(0) >> 3) == 30 ? 4 : 0;
    if (n == 0 || s.size() != n) return std::nullopt;
    char32_t c = n == 1 ? b(0) : n == 2 ? (b(0) & 0x1F) : n == 3 ? (b(0) & 0x0F) : (b(0) & 0x07);
    for (size_t i = 1; i < n; ++i) {
        if ((b(i) & 0xC0) != 0x80) return std::nullopt;
        c = (c << 6) | (b(i) & 0x3F);
    }
    return c;
}

const JsonValue& member(const JsonValue& entry, std::string_view name) {
    const JsonValue* v = entry.find(name);
    if (!v) throw BadEntry{"has no \"" + std::string(name) + "\""};
    return *v;
}

const std::string& stringMember(const JsonValue& entry, std::string_view name) {
    const JsonValue& v = member(entry, name);
    if (!v.isString()) throw BadEntry{"\"" + std::string(name) + "\" is not a string"};
    return v.asString();
}

void readPosition(const JsonValue& entry, InputEvent& e) {
    const JsonValue& pos = member(entry, "pos");
    if (!pos.isArray() || pos.items().size() != 2 || !pos.items()[0].isNumber() || !pos.items()[1].isNumber())
        throw BadEntry{"\"pos\" is not a pair of numbers"};
    e.x = pos.items()[0].asNumber();
    e.y = pos.items()[1].asNumber();
    if (std::fabs(e.x) > kMaxCoordinate || std::fabs(e.y) > kMaxCoordinate) throw BadEntry{"\"pos\" is out of range"};
}

// False for a button it does not know.
bool readButton(const JsonValue& entry, InputEvent& e) {
    const JsonValue* btn = entry.find("btn");
    if (!btn) return true;  // the left button
    if (!btn->isString()) throw BadEntry{"\"btn\" is not a string"};
    const std::string& b = btn->asString();
    if (b == "Left") e.button = swf::MouseButton::Left;
    else if (b == "Right") e.button = swf::MouseButton::Right;
    else if (b == "Middle") e.button = swf::MouseButton::Middle;
    else return false;
    return true;
}

// False for a key it cannot name.
bool readKey(const JsonValue& entry, InputEvent& e) {
    const JsonValue& key = member(entry, "key");
    if (key.isString()) {
        auto k = keyByName(key.asString());
        if (!k) return false;
        e.keyCode = k->keyCode;
        e.charCode = k->charCode;
        return true;
    }
    if (key.isObject()) {
        if (const JsonValue* ch = key.find("Char")) {
            if (!ch->isString()) throw BadEntry{"\"Char\" is not a string"};
            auto c = singleCharacter(ch->asString());
            if (!c) throw BadEntry{"\"Char\" is not one character"};
            KeyStroke k = keyForCharacter(*c);
            e.keyCode = k.keyCode;
            e.charCode = k.charCode;
            return e.keyCode != 0;
        }
        return false;
    }
    throw BadEntry{"\"key\" is neither a name nor an object"};
}

bool readWheel(const JsonValue& entry, InputEvent& e) {
    // The turn comes as "lines" or as a "delta" of lines or pixels.
    const JsonValue* linesMember = entry.isObject() ? entry.find("lines") : nullptr;
    const JsonValue& delta = linesMember ? *linesMember : member(entry, "delta");
    double lines = 0;
    if (delta.isNumber()) {
        lines = delta.asNumber();
    } else if (delta.isObject() && delta.find("Lines") && delta.find("Lines")->isNumber()) {
        lines = delta.find("Lines")->asNumber();
    } else if (delta.isObject() && delta.find("Pixels") && delta.find("Pixels")->isNumber()) {
        lines = delta.find("Pixels")->asNumber() / 40.0;  // a line of scrolled text, roughly
    } else {
        return false;
    }
    if (!std::isfinite(lines) || std::fabs(lines) > 1e6) throw BadEntry{"\"delta\" is out of range"};
    e.wheelLines = static_cast<int>(std::lround(lines));
    return true;
}

bool readCommand(const JsonValue& entry, InputEvent& e) {
    const std::string& code = stringMember(entry, "code");
    struct { const char* name; swf::TextCommand command; } commands[] = {
        {"Enter", swf::TextCommand::Enter}, {"Backspace", swf::TextCommand::Backspace},
        {"Delete", swf::TextCommand::Delete}, {"SelectAll", swf::TextCommand::SelectAll},
        {"Copy", swf::TextCommand::Copy}, {"Cut", swf::TextCommand::Cut}, {"Paste", swf::TextCommand::Paste}};
    for (auto& c : commands)
        if (code == c.name) {
            e.command = c.command;
            return true;
        }
    return false;
}

// Reads one entry into `e`; false (with `why`) for one of a kind it does not take.
bool readEntry(const JsonValue& entry, InputEvent& e, std::string& why) {
    if (!entry.isObject()) throw BadEntry{"is not an object"};
    const std::string& type = stringMember(entry, "type");
    using T = InputEvent::Type;
    if (type == "Wait") {
        e.type = T::Wait;
    } else if (type == "MouseMove") {
        e.type = T::MouseMove;
        readPosition(entry, e);
    } else if (type == "MouseDown" || type == "MouseUp") {
        e.type = type == "MouseDown" ? T::MouseDown : T::MouseUp;
        readPosition(entry, e);
        if (!readButton(entry, e)) {
            why = "the mouse button " + stringMember(entry, "btn");
            return false;
        }
    } else if (type == "MouseWheel") {
        e.type = T::MouseWheel;
        if (entry.find("pos")) readPosition(entry, e);
        if (!readWheel(entry, e)) {
            why = "a wheel turn of no known unit";
            return false;
        }
    } else if (type == "KeyDown" || type == "KeyUp") {
        e.type = type == "KeyDown" ? T::KeyDown : T::KeyUp;
        if (!readKey(entry, e)) {
            why = "a key it cannot name";
            return false;
        }
    } else if (type == "TextInput") {
        e.type = T::TextInput;
        auto c = singleCharacter(stringMember(entry, "codepoint"));
        if (!c) throw BadEntry{"\"codepoint\" is not one character"};
        e.character = *c;
    } else if (type == "TextControl") {
        e.type = T::TextCommand;
        if (!readCommand(entry, e)) {
            why = "the text command " + stringMember(entry, "code");
            return false;
        }
    } else if (type == "SetClipboardText") {
        e.type = T::SetClipboard;
        e.text = stringMember(entry, "text");
    } else {
        why = "events of type " + type;
        return false;
    }
    return true;
}

}  // namespace

std::optional<InputScript> readInputScript(std::string_view json, std::string& error) {
    auto doc = parseJson(json, error);
    if (!doc) return std::nullopt;
    if (!doc->isArray()) {
        error = "the events are not a list";
        return std::nullopt;
    }
    if (doc->items().size() > kMaxEvents) {
        error = "more than " + std::to_string(kMaxEvents) + " events";
        return std::nullopt;
    }
    InputScript script;
    double lastX = 0, lastY = 0;  // a wheel turn without a position is where the pointer was
    for (size_t i = 0; i < doc->items().size(); ++i) {
        InputEvent e;
        std::string why;
        try {
            e.x = lastX;
            e.y = lastY;
            if (readEntry(doc->items()[i], e, why)) {
                lastX = e.x;
                lastY = e.y;
                script.events.push_back(std::move(e));
            }
            else script.skipped.push_back("event " + std::to_string(i + 1) + " left out: " + why);
        } catch (const BadEntry& bad) {
            error = "event " + std::to_string(i + 1) + " " + bad.message;
            return std::nullopt;
        }
    }
    return script;
}

void sendInput(swf::Player& player, const InputEvent& e) {
    using T = InputEvent::Type;
    switch (e.type) {
    case T::Wait: break;
    case T::MouseMove: player.mouseMove(e.x, e.y); break;
    case T::MouseDown: player.mouseDown(e.x, e.y, e.button); break;
    case T::MouseUp: player.mouseUp(e.x, e.y, e.button); break;
    case T::MouseWheel: player.mouseWheel(e.x, e.y, e.wheelLines); break;
    case T::KeyDown: player.keyDown(e.keyCode, e.charCode); break;
    case T::KeyUp: player.keyUp(e.keyCode, e.charCode); break;
    case T::TextInput: player.textInput(e.character); break;
    case T::TextCommand: player.textCommand(e.command); break;
    case T::SetClipboard: player.setClipboardText(e.text); break;
    }
}

}  // namespace swfrender
