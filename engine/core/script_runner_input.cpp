// Input to the movie's scripts: the mouse (clip events, Mouse listeners, buttons under the
// pointer), keys (Key listeners, clip events, the focused object, buttons' key presses), typed
// text and editing commands for the focused text field, links in text, and the keyboard focus
// with its tab order.
#include <algorithm>
#include <optional>

#include "engine/base/ascii_case.h"
#include "engine/base/utf8.h"
#include "engine/core/display_geometry.h"
#include "engine/core/script_runner.h"
#include "engine/core/text_caret.h"
#include "engine/core/text_layout.h"
#include "engine/core/typed_text_filter.h"

namespace swf {

namespace {

// Scripts read the mouse buttons as keys of these codes (Key.isDown(1) is the left button).
int mouseKeyCode(MouseButton b) {
    switch (b) {
    case MouseButton::Left: return 1;
    case MouseButton::Right: return 2;
    case MouseButton::Middle: return 4;
    }
    return 1;
}

// The code a button's key-press condition stores for a key that types no character; characters
// are matched when they are typed (textInput).
int specialKeyCode(int keyCode) {
    switch (keyCode) {
    case 37: return 1;   // left
    case 39: return 2;   // right
    case 36: return 3;   // home
    case 35: return 4;   // end
    case 45: return 5;   // insert
    case 46: return 6;   // delete
    case 8: return 8;    // backspace
    case 13: return 13;  // enter
    case 38: return 14;  // up
    case 40: return 15;  // down
    case 33: return 16;  // page up
    case 34: return 17;  // page down
    case 9: return 18;   // tab
    case 27: return 19;  // escape
    default: return 0;
    }
}

constexpr int kTabKey = 9, kShiftKey = 16, kSpaceKey = 32;
constexpr int kMaxNesting = 64;
constexpr size_t kMaxFieldText = 1 << 20;  // characters typed into a field past this are dropped

const char* const kButtonMethods[] = {"onPress", "onRelease", "onReleaseOutside", "onRollOver",
                                      "onRollOut", "onDragOver", "onDragOut"};

// Shown on the stage: the object and every clip it sits in are visible.
bool shown(const DisplayObject* o) {
    for (int n = 0; o && n <= kMaxNesting; ++n) {
        if (!o->visible) return false;
        o = o->parent ? o->parent->owner : nullptr;
    }
    return true;
}


// Code points of UTF-8 text (a broken sequence counts each of its bytes), so that selections
// count characters as scripts do.
std::vector<char32_t> codePoints(const std::string& s) {
    std::vector<char32_t> out;
    for (size_t i = 0; i < s.size();) {
        unsigned char b = static_cast<unsigned char>(s[i]);
        size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size()) {
            out.push_back(b);
            ++i;
            continue;
        }
        char32_t c = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
        bool ok = true;
        for (size_t k = 1; k < n; ++k) {
            unsigned char cb = static_cast<unsigned char>(s[i + k]);
            if ((cb & 0xC0) != 0x80) ok = false;
            c = (c << 6) | (cb & 0x3F);
        }
        if (!ok) {
            out.push_back(b);
            ++i;
            continue;
        }
        out.push_back(c);
        i += n;
    }
    return out;
}

std::string utf8(const std::vector<char32_t>& cps, size_t from, size_t to) {
    std::string out;
    for (size_t i = from; i < to && i < cps.size(); ++i) appendUtf8(out, cps[i]);
    return out;
}

// Where the pointer (stage twips) puts the caret of `field`; none for a field that cannot be mapped.
std::optional<int> caretUnder(ScriptClip& field, Point stage, CharacterLibrary& library) {
    DisplayObject* o = field.object();
    TextFieldState* s = o ? fieldStateOf(*o, library.movie()) : nullptr;
    if (!s) return std::nullopt;
    Matrix world = worldMatrix(*o);
    if (!world.invertible()) return std::nullopt;
    return static_cast<int>(caretAt(*s, library.movie(), &library.deviceFonts(), world.inverted().apply(stage)));
}

}  // namespace

// ---- queued script calls

void ScriptRunner::queueCall(std::function<void()> call) {
    Job j;
    j.call = std::move(call);
    queue(std::move(j));
}

void ScriptRunner::queueBroadcast(const char* objectName, const char* message, std::vector<avm1::Value> args) {
    queueCall([this, objectName, message, args] { machine_.broadcastGlobal(objectName, message, args); });
}

bool ScriptRunner::queueMethod(ScriptClip* sc, const char* method, std::vector<avm1::Value> args) {
    if (!sc || sc->isRemoved() || !hasHandler(*sc, 0, method)) return false;
    std::string name = method;
    queueCall([this, sc, name, args] {
        if (!sc->isRemoved()) machine_.callClipMethod(sc, name, args);
    });
    return true;
}

// A mouse event reaches clips with its clip event and handler, then the Mouse object's listeners.
bool ScriptRunner::broadcastMouse(uint32_t event, const char* handler) {
    bool changed = broadcast(event, handler);
    queueBroadcast("Mouse", handler);
    return changed;
}

// ---- mouse

bool ScriptRunner::mouseMove(Point stage) {
    // A move to where the pointer already is (the system repeats them) is no movement.
    if (mouseKnown_ && stage.x == mouse_.x && stage.y == mouse_.y) return false;
    mouseKnown_ = true;
    mouse_ = stage;
    // A press on a field gave it the focus, and a press elsewhere took the focus from fields: a
    // drag with a field focused selects in it.
    if (mouseIsDown_ && focus_ && !focus_->isRemoved() && focus_->isTextField())
        if (auto at = caretUnder(*focus_, mouse_, library_)) selEnd_ = *at;
    bool changed = broadcastMouse(avm1::EventMouseMove, "onMouseMove");
    changed |= updatePointer();
    runPending();
    return changed;
}

bool ScriptRunner::mouseDown(Point stage, MouseButton button) {
    int code = mouseKeyCode(button);
    if (!keysDown_.count(code) && !keysToggled_.erase(code)) keysToggled_.insert(code);
    keysDown_.insert(code);
    if (button != MouseButton::Left) return false;  // the other buttons only count as keys
    mouseKnown_ = true;
    mouse_ = stage;
    // The pointer reaches the point first, then the button goes down there.
    mouseIsDown_ = false;
    bool changed = updatePointer();
    mouseIsDown_ = true;
    changed |= broadcastMouse(avm1::EventMouseDown, "onMouseDown");
    // A click gives the focus to the text field under the pointer and takes it from anything else.
    ScriptClip* field = nullptr;
    std::vector<ScriptClip*> fields;
    collectTabbable(root_, fields, -1);
    for (auto it = fields.rbegin(); it != fields.rend(); ++it)
        if ((*it)->hitTest(mouse_.x / kTwipsPerPixel, mouse_.y / kTwipsPerPixel, false)) {
            field = *it;
            break;
        }
    if (field != focus_) changed |= moveFocus(field, false);
    // The click puts the caret where it is; while the button stays down the selection follows.
    if (field && field == focus_)
        if (auto at = caretUnder(*field, mouse_, library_)) selBegin_ = selEnd_ = *at;
    ScriptClip* linked = nullptr;
    std::string url = linkAt(root_, linked, 0);
    if (linked && !url.empty()) {
        followLink(*linked, url);
        changed = true;
    }
    changed |= updatePointer();
    runPending();
    return changed;
}

std::string ScriptRunner::linkAt(swf::Clip& clip, ScriptClip*& field, int nesting) {
    if (nesting > kMaxNesting) return "";
    // The children from the top down: the first text under the pointer decides.
    for (auto it = clip.children.rbegin(); it != clip.children.rend(); ++it) {
        DisplayObject& child = *it->second;
        if (!child.clip || !shown(&child)) continue;
        if (child.kind == DisplayObject::Kind::Sprite) {
            std::string url = linkAt(*child.clip, field, nesting + 1);
            if (field) return url;
            continue;
        }
        if (child.kind != DisplayObject::Kind::EditText) continue;
        ScriptClip* sc = scriptClip(*child.clip);
        TextFieldState* state = fieldStateOf(child, library_.movie());
        Matrix world = worldMatrix(child);
        if (!sc || !state || !world.invertible()) continue;
        Point local = world.inverted().apply(mouse_);
        const Rect& b = state->bounds;
        if (local.x < b.xMin || local.x > b.xMax || local.y < b.yMin || local.y > b.yMax) continue;
        field = sc;
        auto at = characterAt(*state, library_.movie(), &library_.deviceFonts(), local);
        if (!at) return "";
        return state->document.formatAt(*at).url.value_or("");
    }
    return "";
}

void ScriptRunner::followLink(ScriptClip& field, const std::string& url) {
    static const std::string scheme = "asfunction:";
    if (!startsWithIgnoringAsciiCase(url, scheme)) return;
    // Other links would open a browser, which a screen saver does not do.
    std::string call = url.substr(scheme.size());
    size_t comma = call.find(',');
    std::string path = call.substr(0, comma);
    std::vector<avm1::Value> args;
    if (comma != std::string::npos) args.push_back(avm1::Value(call.substr(comma + 1)));
    DisplayObject* o = field.object();
    if (path.empty() || !o || !o->parent) return;
    ScriptClip* timeline = scriptClip(*o->parent);
    queueCall([this, timeline, path, args] {
        if (!timeline || timeline->isRemoved()) return;
        size_t cut = path.find_last_of(":.");
        avm1::Clip* target = cut == std::string::npos ? timeline : machine_.resolveTarget(path.substr(0, cut), timeline);
        std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
        if (!target || name.empty()) return;
        avm1::Object* owner = machine_.clipObject(target);
        avm1::Value fn = machine_.getMember(avm1::Value(owner), name);
        if (fn.isUndefined() && cut == std::string::npos) {
            owner = machine_.global();
            fn = machine_.getMember(avm1::Value(owner), name);
        }
        if (!fn.object()) return;
        try {
            machine_.call(fn, owner, args);
        } catch (...) {
            // A link whose function throws or runs away does nothing more.
        }
    });
}

bool ScriptRunner::mouseUp(Point stage, MouseButton button) {
    keysDown_.erase(mouseKeyCode(button));
    if (button != MouseButton::Left) return false;
    mouseKnown_ = true;
    mouse_ = stage;
    mouseIsDown_ = false;
    bool changed = broadcastMouse(avm1::EventMouseUp, "onMouseUp");
    changed |= updatePointer();
    runPending();
    return changed;
}

bool ScriptRunner::mouseWheel(Point stage, int lines) {
    if (!mouseKnown_ || stage.x != mouse_.x || stage.y != mouse_.y) mouseMove(stage);
    ScriptClip* under = interactiveAt(root_, mouse_, 0);
    queueBroadcast("Mouse", "onMouseWheel",
                   {avm1::Value(double(lines)), under ? avm1::Value(machine_.clipObject(under)) : avm1::Value()});
    runPending();
    return true;
}

// ---- keys

bool ScriptRunner::keyPressButtons(int code) {
    bool any = false;
    std::vector<swf::Clip*> clips{&root_};
    for (size_t i = 0; i < clips.size() && i < 100000; ++i) {
        for (auto& [depth, child] : clips[i]->children) {
            if (!child->clip || !child->visible) continue;
            if (child->kind == DisplayObject::Kind::Sprite) {
                clips.push_back(child->clip.get());
                continue;
            }
            if (child->kind != DisplayObject::Kind::Button || !child->parent) continue;
            const Button* b = library_.movie().findAs<Button>(child->characterId);
            if (!b) continue;
            ScriptClip* sc = scriptClip(*child);
            if (!sc || !enabled(*sc)) continue;
            const auto& bytes = buttonActions(child->characterId);
            for (size_t a = 0; a < b->actions.size() && a < bytes.size(); ++a)
                if ((b->actions[a].conditions >> 9) == code) {
                    queue(Job{scriptClip(*child->parent), avm1::ActionCode{bytes[a], 0, bytes[a]->size()}, 0, "",
                              false});
                    any = true;
                }
        }
    }
    return any;
}

bool ScriptRunner::hasKeyPressButton(int code) {
    std::vector<swf::Clip*> clips{&root_};
    for (size_t i = 0; i < clips.size() && i < 100000; ++i)
        for (auto& [depth, child] : clips[i]->children) {
            if (!child->clip || !child->visible) continue;
            if (child->kind == DisplayObject::Kind::Sprite) clips.push_back(child->clip.get());
            if (child->kind != DisplayObject::Kind::Button) continue;
            const Button* b = library_.movie().findAs<Button>(child->characterId);
            ScriptClip* sc = b ? scriptClip(*child) : nullptr;
            if (!sc || !enabled(*sc)) continue;
            for (const ButtonAction& a : b->actions)
                if ((a.conditions >> 9) == code) return true;
        }
    return false;
}

bool ScriptRunner::keyDown(int keyCode, int charCode) {
    // Each press (not the repeats of a held key) toggles the key.
    if (!keysDown_.count(keyCode) && !keysToggled_.erase(keyCode)) keysToggled_.insert(keyCode);
    keysDown_.insert(keyCode);
    lastKey_ = keyCode;
    lastAscii_ = charCode;
    if (focus_ && focus_->isRemoved()) focus_ = nullptr;
    bool changed = false;
    int special = specialKeyCode(keyCode);
    // Tab moves the focus, unless a button waits for it as its key press.
    bool tab = keyCode == kTabKey && !hasKeyPressButton(specialKeyCode(kTabKey));
    ScriptClip* target = tab ? nextTabTarget(keysDown_.count(kShiftKey) > 0) : nullptr;
    ScriptClip* focused = focus_ && !focus_->isTextField() ? focus_ : nullptr;
    if (focused) changed |= queueMethod(focused, "onKeyDown");
    changed |= broadcast(avm1::EventKeyDown, nullptr);
    queueBroadcast("Key", "onKeyDown");
    if (special) changed |= keyPressButtons(special);
    // The focus moves once the key is heard, to fields as to buttons and clips.
    if (target) changed |= moveFocus(target, true);
    // Space presses the focused button (or clip that acts as one).
    if (keyCode == kSpaceKey && focused && focused->object() && enabled(*focused) &&
        (focused->object()->kind == DisplayObject::Kind::Button || actsAsButton(*focused))) {
        changed |= buttonTransition(*focused, avm1::OverUpToOverDown);
        changed |= buttonTransition(*focused, avm1::OverDownToOverUp);
    }
    runPending();
    // Once the key is heard, a caret key moves the caret of the focused field.
    if (focus_ && !focus_->isRemoved() && focus_->isTextField() && focus_->object())
        if (TextFieldState* s = fieldStateOf(*focus_->object(), library_.movie()))
            changed |= moveCaret(*s, library_.movie(), &library_.deviceFonts(), selBegin_, selEnd_, keyCode,
                                 keysDown_.count(kShiftKey) > 0);
    return changed;
}

bool ScriptRunner::keyUp(int keyCode, int charCode) {
    keysDown_.erase(keyCode);
    lastKey_ = keyCode;
    lastAscii_ = charCode;
    if (focus_ && focus_->isRemoved()) focus_ = nullptr;
    bool changed = false;
    if (focus_ && !focus_->isTextField()) changed |= queueMethod(focus_, "onKeyUp");
    changed |= broadcast(avm1::EventKeyUp, nullptr);
    queueBroadcast("Key", "onKeyUp");
    runPending();
    return changed;
}

// ---- typed text and editing

bool ScriptRunner::editableField(ScriptClip& sc) {
    DisplayObject* o = sc.object();
    if (!o || !sc.isTextField()) return false;
    avm1::Value type = machine_.getMember(avm1::Value(machine_.clipObject(&sc)), "type", false);
    if (type.isString()) return machine_.toString(type) == "input";
    const EditText* def = o->fieldDefinition ? o->fieldDefinition.get() : library_.movie().findAs<EditText>(o->characterId);
    return def && !def->readOnly;
}

void ScriptRunner::replaceSelection(ScriptClip& field, const std::string& utf8Text, bool typed) {
    std::vector<char32_t> text = codePoints(field.fieldText());
    size_t b = std::min<size_t>(std::max(0, std::min(selBegin_, selEnd_)), text.size());
    size_t e = std::min<size_t>(std::max(0, std::max(selBegin_, selEnd_)), text.size());
    std::vector<char32_t> insert = codePoints(utf8Text);
    if (typed) {
        if (avm1::TextFieldAccess* f = field.textField()) {
            const TextFieldSettings& s = f->settings();
            std::u32string admitted = filterTyped(std::u32string(insert.begin(), insert.end()), s.restrict, s.maxChars,
                                                  text.size() - (e - b));
            // Nothing the field takes: the text and the selection stay.
            if (admitted.empty() && !insert.empty()) return;
            insert.assign(admitted.begin(), admitted.end());
        }
    }
    if (text.size() - (e - b) + insert.size() > kMaxFieldText) return;
    std::string out = utf8(text, 0, b) + utf8(insert, 0, insert.size()) + utf8(text, e, text.size());
    field.setFieldText(out);
    selBegin_ = selEnd_ = int(b + insert.size());
    // The field tells its listeners (itself first) that its text changed.
    avm1::Value self(machine_.clipObject(&field));
    queueCall([this, self] {
        try {
            machine_.broadcast(self.object(), "onChanged", {self});
        } catch (...) {
            // A listener that throws or runs away stops only itself.
        }
    });
}

bool ScriptRunner::textInput(char32_t c) {
    if (c < 32 || c == 127) return false;  // control characters come as keys and text commands
    // A button that waits for the character takes it.
    if (c < 128 && hasKeyPressButton(int(c))) {
        bool changed = keyPressButtons(int(c));
        runPending();
        return changed;
    }
    if (focus_ && focus_->isRemoved()) focus_ = nullptr;
    if (!focus_ || !editableField(*focus_)) return false;
    std::string s;
    appendUtf8(s, c);
    replaceSelection(*focus_, s, true);
    runPending();
    return true;
}

bool ScriptRunner::textCommand(TextCommand command) {
    if (focus_ && focus_->isRemoved()) focus_ = nullptr;
    if (!focus_ || !focus_->isTextField()) return false;
    ScriptClip& field = *focus_;
    std::vector<char32_t> text = codePoints(field.fieldText());
    size_t b = std::min<size_t>(std::max(0, std::min(selBegin_, selEnd_)), text.size());
    size_t e = std::min<size_t>(std::max(0, std::max(selBegin_, selEnd_)), text.size());
    bool editable = editableField(field);
    bool password = false;
    if (DisplayObject* o = field.object()) {
        avm1::Value p = machine_.getMember(avm1::Value(machine_.clipObject(&field)), "password", false);
        const EditText* def = o->fieldDefinition ? o->fieldDefinition.get() : library_.movie().findAs<EditText>(o->characterId);
        password = p.isUndefined() ? def && def->password : machine_.toBoolean(p);
    }
    switch (command) {
    case TextCommand::SelectAll:
        selBegin_ = 0;
        selEnd_ = int(text.size());
        return true;
    case TextCommand::Copy:
    case TextCommand::Cut:
        // A password field gives nothing away.
        if (password || b == e) return false;
        clipboard_ = utf8(text, b, e);
        if (command == TextCommand::Cut && editable) replaceSelection(field, "");
        break;
    case TextCommand::Paste:
        // An empty clipboard holds no text to paste: the selection stays.
        if (!editable || clipboard_.empty()) return false;
        replaceSelection(field, clipboard_, true);
        break;
    case TextCommand::Backspace:
    case TextCommand::Delete:
        if (!editable) return false;
        if (b == e) {
            if (command == TextCommand::Backspace && b > 0) --b;
            else if (command == TextCommand::Delete && e < text.size()) ++e;
            selBegin_ = int(b);
            selEnd_ = int(e);
        }
        if (b != e) replaceSelection(field, "");
        break;
    case TextCommand::Enter: {
        if (!editable) return false;
        const EditText* def = field.object() && field.object()->fieldDefinition ? field.object()->fieldDefinition.get()
                              : field.object() ? library_.movie().findAs<EditText>(field.object()->characterId)
                                               : nullptr;
        if (!def || !def->multiline) return false;
        replaceSelection(field, "\r");
        break;
    }
    }
    runPending();
    return true;
}

// ---- focus

avm1::Value ScriptRunner::focusValue(ScriptClip* sc) {
    return sc && !sc->isRemoved() ? avm1::Value(machine_.clipObject(sc)) : avm1::Value::null();
}

bool ScriptRunner::enabled(ScriptClip& sc) {
    avm1::Value v = machine_.getMember(avm1::Value(machine_.clipObject(&sc)), "enabled", false);
    return v.isUndefined() || machine_.toBoolean(v);
}

bool ScriptRunner::actsAsButton(ScriptClip& sc) {
    if (!sc.loadQueued) return false;
    if (hasHandler(sc, avm1::EventPress | avm1::EventRelease | avm1::EventReleaseOutside | avm1::EventRollOver |
                           avm1::EventRollOut | avm1::EventDragOver | avm1::EventDragOut,
                   nullptr))
        return true;
    for (const char* m : kButtonMethods)
        if (hasHandler(sc, 0, m)) return true;
    return false;
}

bool ScriptRunner::focusable(ScriptClip& sc, bool byTab) {
    DisplayObject* o = sc.object();
    if (!o || sc.isRemoved() || !shown(o)) return false;
    avm1::Value self(machine_.clipObject(&sc));
    avm1::Value tabEnabled = machine_.getMember(self, "tabEnabled", false);
    if (byTab && !tabEnabled.isUndefined() && !machine_.toBoolean(tabEnabled)) return false;
    switch (o->kind) {
    case DisplayObject::Kind::EditText:
        if (!byTab) return true;
        return editableField(sc) || (!tabEnabled.isUndefined() && machine_.toBoolean(tabEnabled));
    case DisplayObject::Kind::Button: return enabled(sc);
    case DisplayObject::Kind::Sprite: {
        if (!tabEnabled.isUndefined() && machine_.toBoolean(tabEnabled)) return true;
        if (!byTab) {
            avm1::Value focusEnabled = machine_.getMember(self, "focusEnabled", false);
            if (machine_.toBoolean(focusEnabled)) return true;
        }
        return tabEnabled.isUndefined() && enabled(sc) && actsAsButton(sc);
    }
    default: return false;
    }
}

// The objects the focus can go to, in display order. `nesting` -1 collects the selectable fields
// that a click gives the focus to instead.
void ScriptRunner::collectTabbable(swf::Clip& clip, std::vector<ScriptClip*>& out, int nesting) {
    bool fieldsOnly = nesting < 0;
    int level = fieldsOnly ? -nesting : nesting;
    if (level > kMaxNesting) return;
    for (auto& [depth, child] : clip.children) {
        if (!child->clip || !child->visible) continue;
        ScriptClip* sc = scriptClip(*child);
        if (!sc) continue;
        if (fieldsOnly) {
            // Only selectable fields take the focus from a click, input or not; a click on any
            // other text takes it away.
            if (child->kind == DisplayObject::Kind::EditText) {
                avm1::Value sel = machine_.getMember(avm1::Value(machine_.clipObject(sc)), "selectable", false);
                const EditText* def = child->fieldDefinition ? child->fieldDefinition.get()
                                                             : library_.movie().findAs<EditText>(child->characterId);
                if (sel.isUndefined() ? def && !def->noSelect : machine_.toBoolean(sel)) out.push_back(sc);
            }
        } else if (focusable(*sc, true)) {
            out.push_back(sc);
        }
        if (child->kind != DisplayObject::Kind::Sprite) continue;
        if (!fieldsOnly) {
            avm1::Value tabChildren = machine_.getMember(avm1::Value(machine_.clipObject(sc)), "tabChildren", false);
            if (!tabChildren.isUndefined() && !machine_.toBoolean(tabChildren)) continue;
        }
        collectTabbable(*child->clip, out, fieldsOnly ? nesting - 1 : nesting + 1);
    }
}

ScriptClip* ScriptRunner::nextTabTarget(bool backwards) {
    std::vector<ScriptClip*> all;
    collectTabbable(root_, all, 0);
    // Objects with a tabIndex go in its order, and then only they; otherwise the order follows
    // where they stand on the stage, row by row.
    std::vector<std::pair<double, ScriptClip*>> indexed;
    for (ScriptClip* sc : all) {
        avm1::Value index = machine_.getMember(avm1::Value(machine_.clipObject(sc)), "tabIndex", false);
        if (index.isUndefined() || index.isNull()) continue;
        double n = machine_.toNumber(index);
        if (n == n) indexed.emplace_back(n, sc);
    }
    std::vector<ScriptClip*> order;
    if (!indexed.empty()) {
        std::stable_sort(indexed.begin(), indexed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto& [n, sc] : indexed) order.push_back(sc);
    } else {
        ScriptClip* stage = scriptClip(root_);
        std::vector<std::pair<avm1::ClipBounds, ScriptClip*>> placed;
        for (ScriptClip* sc : all) placed.emplace_back(sc->bounds(stage), sc);
        std::stable_sort(placed.begin(), placed.end(), [](const auto& a, const auto& b) {
            if (a.first.yMin != b.first.yMin) return a.first.yMin < b.first.yMin;
            return a.first.xMin < b.first.xMin;
        });
        for (auto& [bounds, sc] : placed) order.push_back(sc);
    }
    if (order.empty()) return nullptr;
    auto at = std::find(order.begin(), order.end(), focus_);
    if (at == order.end()) return backwards ? order.back() : order.front();
    size_t i = size_t(at - order.begin());
    return backwards ? order[(i + order.size() - 1) % order.size()] : order[(i + 1) % order.size()];
}

bool ScriptRunner::moveFocus(ScriptClip* target, bool highlight, bool fromScript) {
    if (focus_ && focus_->isRemoved()) focus_ = nullptr;
    ScriptClip* old = focus_;
    if (old == target) {
        // A script that focuses the focused field again selects all its text again.
        if (!fromScript || !target || !target->isTextField()) return false;
        selBegin_ = 0;
        selEnd_ = int(codePoints(target->fieldText()).size());
        return true;
    }
    // The field losing the focus keeps its selection for replaceSel.
    if (old && old->isTextField())
        if (avm1::TextFieldAccess* f = old->textField())
            f->settings().selectionBegin = selBegin_, f->settings().selectionEnd = selEnd_;
    focus_ = target;
    if (target && target->isTextField()) {
        // A field given the focus has all its text selected.
        selBegin_ = 0;
        selEnd_ = int(codePoints(target->fieldText()).size());
    }
    if (highlight && target && !target->isTextField()) {
        // The keyboard's highlight and the pointer share the rolled-over state: what the pointer
        // was over rolls out, the new focus rolls over.
        if (pointerTarget_ && !pointerTarget_->isRemoved())
            for (avm1::ButtonCondition c : pointerTarget_->tracker.update(false, false)) buttonTransition(*pointerTarget_, c);
        pointerTarget_ = target;
        for (avm1::ButtonCondition c : target->tracker.update(true, false)) buttonTransition(*target, c);
    }
    avm1::Value was = focusValue(old), now = focusValue(target);
    if (fromScript) {
        // A script that moves the focus hears of it before its next action.
        if (old && !old->isRemoved()) machine_.callClipMethod(old, "onKillFocus", {now});
        if (target && !target->isRemoved()) machine_.callClipMethod(target, "onSetFocus", {was});
        machine_.broadcastGlobal("Selection", "onSetFocus", {was, now});
        return true;
    }
    if (old) queueMethod(old, "onKillFocus", {now});
    if (target) queueMethod(target, "onSetFocus", {was});
    queueBroadcast("Selection", "onSetFocus", {was, now});
    return true;
}

avm1::Clip* ScriptRunner::focus() {
    if (focus_ && focus_->isRemoved()) focus_ = nullptr;
    return focus_;
}

bool ScriptRunner::setFocus(avm1::Clip* target) {
    auto* sc = static_cast<ScriptClip*>(target);
    if (sc && !focusable(*sc, false)) return false;
    moveFocus(sc, false, true);
    return true;
}

void ScriptRunner::selection(int& begin, int& end, int& caret) {
    if (!focus() || !focus_->isTextField()) {
        begin = end = caret = -1;
        return;
    }
    int size = int(codePoints(focus_->fieldText()).size());
    begin = std::clamp(std::min(selBegin_, selEnd_), 0, size);
    end = std::clamp(std::max(selBegin_, selEnd_), 0, size);
    caret = std::clamp(selEnd_, 0, size);
}

void ScriptRunner::setSelection(int begin, int end) {
    if (!focus() || !focus_->isTextField()) return;
    int size = int(codePoints(focus_->fieldText()).size());
    selBegin_ = std::clamp(begin, 0, size);
    selEnd_ = std::clamp(end, 0, size);
}

}  // namespace swf
