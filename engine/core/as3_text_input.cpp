// Typing into an ActionScript 3 input field: the text goes to the field with the stage's focus,
// pasted or typed, announced by a textInput event its listeners may cancel, held to the field's
// restrict and maxChars, and followed by a change event. Editing keys (deletion, line breaks, the
// clipboard) work on the field's selection, caret keys move it, and the mouse places and drags
// it; a click on an "event:" link sends a link event.
#include <algorithm>

#include "engine/base/ascii_case.h"
#include "engine/core/as3_display.h"
#include "engine/core/display_geometry.h"
#include "engine/core/text_caret.h"
#include "engine/core/text_field_state.h"
#include "engine/core/text_layout.h"
#include "engine/core/typed_text_filter.h"

namespace swf {

using namespace avm2;

namespace {

constexpr size_t kMaxFieldText = 1 << 20;  // characters typed into a field past this are dropped

// The selection of `s` in order, held inside its text.
std::pair<size_t, size_t> orderedSelection(const TextFieldState& s) {
    const size_t length = s.document.length();
    size_t begin = std::min<size_t>(static_cast<size_t>(std::max(0, std::min(s.selectionBegin, s.selectionEnd))), length);
    size_t end = std::min<size_t>(static_cast<size_t>(std::max(0, std::max(s.selectionBegin, s.selectionEnd))), length);
    return {begin, end};
}

// Puts `text` in place of the selection, in the format new text takes; the caret follows it.
void replaceSelection(TextFieldState& s, const std::u32string& text) {
    auto [begin, end] = orderedSelection(s);
    s.document.replace(begin, end, encodeUtf8(text), s.newFormat);
    s.styledSource.reset();
    s.selectionBegin = s.selectionEnd = static_cast<int>(begin + text.size());
    s.changed();
}

}  // namespace

As3DisplayObject* As3Display::focusedField() {
    auto it = stage_->stored.find(u"focus");
    if (it == stage_->stored.end()) return nullptr;
    Object* f = it->second.object();
    if (!f || f->type != ObjectType::Display) return nullptr;
    auto* field = static_cast<As3DisplayObject*>(f);
    return field->node && fieldStateOf(*field->node, library_.movie()) ? field : nullptr;
}

void As3Display::announceChange(As3DisplayObject* field) {
    m_.guarded([&] {
        Value a[3] = {Value(String(u"change")), Value(true), Value(false)};
        dispatchEventObject(m_, field, asEvent(m_, m_.construct(Value(eventClass), a)));
    });
}

bool As3Display::textTyped(const std::u32string& typed) {
    As3DisplayObject* field = focusedField();
    if (!field || typed.empty()) return false;
    TextFieldState* s = fieldStateOf(*field->node, library_.movie());
    if (!s->input) return false;
    bool refused = false;
    m_.guarded([&] {
        Value a[4] = {Value(String(u"textInput")), Value(true), Value(true), Value(utf8ToUtf16(encodeUtf8(typed)))};
        auto* e = static_cast<EventObject*>(m_.construct(Value(textEventClass), a).object());
        refused = !dispatchEventObject(m_, field, e);
    });
    // A listener may have taken the field's node or its input away.
    if (refused || !field->node || !(s = fieldStateOf(*field->node, library_.movie())) || !s->input) return true;
    auto [begin, end] = orderedSelection(*s);
    const size_t kept = s->document.length() - (end - begin);
    std::u32string admitted = filterTyped(typed, s->restrict, s->maxChars, kept);
    // What the field refuses leaves its text and selection, but the change is told all the same.
    if (!admitted.empty() && kept + admitted.size() <= kMaxFieldText) replaceSelection(*s, admitted);
    announceChange(field);
    return true;
}

bool As3Display::textEdited(TextCommand command, std::string& clipboard) {
    As3DisplayObject* field = focusedField();
    if (!field) return false;
    TextFieldState& s = *fieldStateOf(*field->node, library_.movie());
    auto [begin, end] = orderedSelection(s);
    const size_t length = s.document.length();
    switch (command) {
    case TextCommand::SelectAll:
        if (!s.selectable && !s.input) return false;
        s.selectionBegin = 0, s.selectionEnd = static_cast<int>(length);
        return true;
    case TextCommand::Copy:
    case TextCommand::Cut:
        // A password field gives nothing away.
        if (s.password || begin == end) return false;
        clipboard = encodeUtf8(s.document.chars().substr(begin, end - begin));
        if (command == TextCommand::Cut && s.input) {
            replaceSelection(s, U"");
            announceChange(field);
        }
        return true;
    case TextCommand::Paste:
        // An empty clipboard holds no text to paste: the selection stays.
        return !clipboard.empty() && textTyped(decodeUtf8(clipboard));
    case TextCommand::Backspace:
    case TextCommand::Delete:
        if (!s.input) return false;
        if (begin == end) {
            // With no selection the character before the caret goes, or the one after it.
            if (command == TextCommand::Backspace && begin > 0) --begin;
            else if (command == TextCommand::Delete && end < length) ++end;
            else return false;
            s.selectionBegin = static_cast<int>(begin), s.selectionEnd = static_cast<int>(end);
        }
        replaceSelection(s, U"");
        announceChange(field);
        return true;
    case TextCommand::Enter:
        if (!s.input || !s.multiline) return false;
        if (s.maxChars > 0 && length - (end - begin) >= static_cast<size_t>(s.maxChars)) return false;
        replaceSelection(s, U"\r");
        announceChange(field);
        return true;
    }
    return false;
}

bool As3Display::caretKeyPressed(int keyCode) {
    if (!isCaretKey(keyCode)) return false;
    As3DisplayObject* field = focusedField();
    if (!field) return false;
    TextFieldState& s = *fieldStateOf(*field->node, library_.movie());
    // A field that can be neither edited nor selected has no caret.
    if (!s.input && !s.selectable) return false;
    return moveCaret(s, library_.movie(), &library_.deviceFonts(), s.selectionBegin, s.selectionEnd, keyCode, shiftDown_);
}

void As3Display::pressText(As3DisplayObject* target) {
    selectingText_ = false;
    // A listener may have taken the object from the stage.
    if (!target || target != pressed_ || !target->node) return;
    TextFieldState* s = fieldStateOf(*target->node, library_.movie());
    if (!s || (!s->input && !s->selectable)) return;
    Matrix world = worldMatrix(*target->node);
    if (!world.invertible()) return;
    stage_->stored[u"focus"] = Value(target);
    const int at = static_cast<int>(caretAt(*s, library_.movie(), &library_.deviceFonts(), world.inverted().apply(pointer_)));
    s->selectionBegin = s->selectionEnd = at;
    selectingText_ = true;
}

void As3Display::dragText() {
    if (!selectingText_ || !buttonDown_ || !pressed_ || !pressed_->node) return;
    TextFieldState* s = fieldStateOf(*pressed_->node, library_.movie());
    Matrix world = worldMatrix(*pressed_->node);
    if (!s || !world.invertible()) return;
    s->selectionEnd = static_cast<int>(caretAt(*s, library_.movie(), &library_.deviceFonts(), world.inverted().apply(pointer_)));
}

void As3Display::followLink(As3DisplayObject* target) {
    if (!target || !target->node) return;
    TextFieldState* s = fieldStateOf(*target->node, library_.movie());
    if (!s) return;
    Matrix world = worldMatrix(*target->node);
    if (!world.invertible()) return;
    auto at = characterAt(*s, library_.movie(), &library_.deviceFonts(), world.inverted().apply(pointer_));
    if (!at) return;
    const std::string url = s->document.formatAt(*at).url.value_or("");
    // Only "event:" links speak to the movie; others would open a browser, which a screen saver
    // does not do.
    static constexpr std::string_view scheme = "event:";
    if (!startsWithIgnoringAsciiCase(url, scheme)) return;
    m_.guarded([&] {
        Value a[4] = {Value(String(u"link")), Value(true), Value(false), Value(utf8ToUtf16(url.substr(scheme.size())))};
        dispatchEventObject(m_, target, asEvent(m_, m_.construct(Value(textEventClass), a)));
    });
}

}  // namespace swf
