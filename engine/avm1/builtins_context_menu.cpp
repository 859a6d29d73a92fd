// ContextMenu and ContextMenuItem: the menu a right click would show. A saver shows none, but
// movies build menus, assign them to clips and copy them; the objects keep what they are given.
#include "engine/avm1/builtins.h"

namespace swf::avm1 {

namespace {

const char* const kBuiltInItems[] = {"save", "zoom", "quality", "play", "loop", "rewind", "forward_back", "print"};

Value itemConstruct(Machine& m, Object* self, std::vector<Value>& a) {
    if (!self || self == m.global()) return Value();
    auto orDefault = [&](size_t i, bool fallback) { return i < a.size() && !a[i].isUndefined() ? a[i] : Value(fallback); };
    m.setMember(Value(self), "caption", arg(a, 0));
    m.setMember(Value(self), "onSelect", arg(a, 1));
    m.setMember(Value(self), "separatorBefore", orDefault(2, false));
    m.setMember(Value(self), "enabled", orDefault(3, true));
    m.setMember(Value(self), "visible", orDefault(4, true));
    return Value(self);
}

Value itemCopy(Machine& m, Object* self, std::vector<Value>&) {
    if (!self) return Value();
    std::vector<Value> args;
    for (const char* name : {"caption", "onSelect", "separatorBefore", "enabled", "visible"})
        args.push_back(m.getMember(Value(self), name));
    return m.construct(m.getMember(Value(m.global()), "ContextMenuItem"), std::move(args));
}

Value menuConstruct(Machine& m, Object* self, std::vector<Value>& a) {
    if (!self || self == m.global()) return Value();
    m.setMember(Value(self), "onSelect", arg(a, 0));
    m.setMember(Value(self), "customItems", Value(m.newArray()));
    Object* builtIn = m.newObject();
    for (const char* name : kBuiltInItems) m.setMember(Value(builtIn), name, Value(true));
    m.setMember(Value(self), "builtInItems", Value(builtIn));
    return Value(self);
}

Value hideBuiltInItems(Machine& m, Object* self, std::vector<Value>&) {
    Value builtIn = self ? m.getMember(Value(self), "builtInItems") : Value();
    if (builtIn.object())
        for (const char* name : kBuiltInItems) m.setMember(builtIn, name, Value(false));
    return Value();
}

Value menuCopy(Machine& m, Object* self, std::vector<Value>&) {
    if (!self) return Value();
    Value copy = m.construct(m.getMember(Value(m.global()), "ContextMenu"), {m.getMember(Value(self), "onSelect")});
    Value from = m.getMember(Value(self), "builtInItems"), to = m.getMember(copy, "builtInItems");
    if (from.object() && to.object())
        for (const char* name : kBuiltInItems) m.setMember(to, name, m.getMember(from, name));
    Object* items = m.getMember(Value(self), "customItems").object();
    Object* copies = m.getMember(copy, "customItems").object();
    if (items && items->isArray && copies && copies->isArray)
        for (const Value& item : items->elements) {
            Value fn = m.getMember(item, "copy");
            copies->elements.push_back(fn.object() ? m.call(fn, m.toObject(item), {}) : item);
        }
    return copy;
}

}  // namespace

void installContextMenu(Machine& m) {
    Object* itemProto = m.newObject();
    defineClass(m, "ContextMenuItem", itemConstruct, itemConstruct, itemProto);
    m.defineNative(itemProto, "copy", itemCopy);
    Object* menuProto = m.newObject();
    defineClass(m, "ContextMenu", menuConstruct, menuConstruct, menuProto);
    m.defineNative(menuProto, "copy", menuCopy);
    m.defineNative(menuProto, "hideBuiltInItems", hideBuiltInItems);
    for (const char* name : {"ContextMenuItem", "ContextMenu"}) m.global()->find(m.key(name))->flags |= FromVersion7;
}

}  // namespace swf::avm1
