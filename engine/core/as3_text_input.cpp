// Typing into an ActionScript 3 input field: the text goes to the field with the stage's focus,
// pasted or typed, announced by a textInput event its listeners may cancel, held to the field's
// restrict and maxChars, and followed by a change event.
#include <algorithm>

#include "engine/core/as3_display.h"
#include "engine/core/text_field_state.h"
#include "engine/core/typed_text_filter.h"

namespace swf {

using namespace avm2;

namespace {

constexpr size_t kMaxFieldText = 1 << 20;  // characters typed into a field past this are dropped

}  // namespace

bool As3Display::textTyped(const std::u32string& typed) {
    As3DisplayObject* field = nullptr;
    if (auto it = stage_->stored.find(u"focus"); it != stage_->stored.end())
        if (Object* f = it->second.object(); f && f->type == ObjectType::Display) field = static_cast<As3DisplayObject*>(f);
    if (!field || !field->node || typed.empty()) return false;
    TextFieldState* s = fieldStateOf(*field->node, library_.movie());
    if (!s || !s->input) return false;
    bool refused = false;
    m_.guarded([&] {
        Value a[4] = {Value(String(u"textInput")), Value(true), Value(true), Value(utf8ToUtf16(encodeUtf8(typed)))};
        auto* e = static_cast<EventObject*>(m_.construct(Value(textEventClass), a).object());
        refused = !dispatchEventObject(m_, field, e);
    });
    // A listener may have taken the field's node or its input away.
    if (refused || !field->node || !(s = fieldStateOf(*field->node, library_.movie())) || !s->input) return true;
    const size_t length = s->document.length();
    size_t begin = std::min<size_t>(static_cast<size_t>(std::max(0, std::min(s->selectionBegin, s->selectionEnd))), length);
    size_t end = std::min<size_t>(static_cast<size_t>(std::max(0, std::max(s->selectionBegin, s->selectionEnd))), length);
    std::u32string admitted = filterTyped(typed, s->restrict, s->maxChars, length - (end - begin));
    // What the field refuses leaves its text and selection, but the change is told all the same.
    if (!admitted.empty() && length - (end - begin) + admitted.size() <= kMaxFieldText) {
        s->document.replace(begin, end, encodeUtf8(admitted), s->newFormat);
        s->styledSource.reset();
        s->selectionBegin = s->selectionEnd = static_cast<int>(begin + admitted.size());
        s->changed();
    }
    m_.guarded([&] {
        Value a[3] = {Value(String(u"change")), Value(true), Value(false)};
        dispatchEventObject(m_, field, asEvent(m_, m_.construct(Value(eventClass), a)));
    });
    return true;
}

}  // namespace swf
