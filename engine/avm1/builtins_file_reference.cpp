// flash.net.FileReference and FileReferenceList: a saver opens no file dialogs. Arguments are
// checked as the reference player checks them (a refused call answers false); a call that would
// open a dialog answers true and the dialog ends at once as cancelled: listeners get onCancel.
#include <cctype>

#include "engine/avm1/geom_support.h"

namespace swf::avm1 {

namespace {

// An own member of a filter (an accessor's getter is asked; its error makes the filter invalid,
// while converting the value to text may throw on to the script).
bool ownText(Machine& m, Object* filter, const char* name, bool required, bool& valid) {
    const Property* p = filter->find(m.key(name));
    if (!p) return !required;
    Value v;
    if (p->getter) {
        try {
            v = m.call(Value(p->getter), filter, {});
        } catch (ScriptThrow&) {
            valid = false;
            return false;
        }
    } else {
        v = p->value;
    }
    std::string text = m.toString(v);
    return !required || !text.empty();
}

// browse([filters]): no argument at all is fine; otherwise a non-empty array of objects, each
// with its own non-empty description and extension.
bool validFilters(Machine& m, std::vector<Value>& a) {
    if (a.empty()) return true;
    Object* list = a[0].object();
    if (!list || !list->isArray || list->elements.empty()) return false;
    for (const Value& v : list->elements) {
        Object* filter = v.object();
        if (!filter) return false;
        bool valid = true;
        if (!ownText(m, filter, "description", true, valid) || !valid) return false;
        if (!ownText(m, filter, "extension", true, valid) || !valid) return false;
        if (!ownText(m, filter, "macType", false, valid) || !valid) return false;
    }
    return true;
}

// An absolute address: a scheme, a colon and something after it.
bool absoluteUrl(const std::string& url) {
    size_t colon = url.find(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 >= url.size()) return false;
    if (!std::isalpha((unsigned char)url[0])) return false;
    for (size_t i = 1; i < colon; ++i) {
        char c = url[i];
        if (!std::isalnum((unsigned char)c) && c != '+' && c != '-' && c != '.') return false;
    }
    return url.compare(colon, 3, "://") != 0 || colon + 3 < url.size();
}

void cancelLater(Machine& m, Object* self) {
    m.defer({self}, [&m, self] { m.broadcast(self, "onCancel", {Value(self)}); }, true);
}

Value construct(Machine& m, Object* self, std::vector<Value>&) {
    if (!self || self == m.global()) return Value();
    makeBroadcaster(m, self);
    return Value(self);
}

Value browse(Machine& m, Object* self, std::vector<Value>& a) {
    if (!self || !validFilters(m, a)) return Value(false);
    cancelLater(m, self);
    return Value(true);
}

Value download(Machine& m, Object* self, std::vector<Value>& a) {
    if (!self || a.empty() || !absoluteUrl(m.toString(a[0]))) return Value(false);
    cancelLater(m, self);
    return Value(true);
}

// Nothing was ever selected, so there is nothing to upload.
Value upload(Machine&, Object*, std::vector<Value>&) { return Value(false); }
Value cancel(Machine&, Object*, std::vector<Value>&) { return Value(); }
Value nothingSelected(Machine&, Object*, std::vector<Value>&) { return Value(); }

// As a class's constructor it gives nothing back (`new` still makes the object): a subclass's
// super() call returns undefined.
Value referenceConstruct(Machine& m, Object* self, std::vector<Value>& a) {
    construct(m, self, a);
    return Value();
}

Value listConstruct(Machine& m, Object* self, std::vector<Value>& a) {
    if (!construct(m, self, a).object()) return Value();
    m.setMember(Value(self), "fileList", Value(m.newArray()));
    return Value(self);
}

}  // namespace

void installFileReference(Machine& m) {
    Object* proto = m.newObject();
    defineFlashClass(m, "net", "FileReference", referenceConstruct, proto);
    struct { const char* name; NativeFunction f; } methods[] = {
        {"browse", browse}, {"download", download}, {"upload", upload}, {"cancel", cancel}};
    for (auto& fn : methods) m.defineNative(proto, fn.name, fn.f);
    for (const char* name : {"creationDate", "creator", "modificationDate", "name", "size", "type"})
        defineAccessor(m, proto, name, nothingSelected, nullptr);

    Object* listProto = m.newObject();
    defineFlashClass(m, "net", "FileReferenceList", listConstruct, listProto);
    m.defineNative(listProto, "browse", browse);
}

}  // namespace swf::avm1
