// Reading, writing, deleting and listing members: ordinary properties, accessors, array elements
// and the built-in properties of movie clips.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <set>

#include "engine/avm1/machine.h"
#include "engine/avm1/text_units.h"

namespace swf::avm1 {

namespace {

constexpr size_t MaxArrayLength = 1u << 24;  // larger lengths are refused rather than allocated
constexpr int MaxChain = 1000;               // prototype chains longer than this are cut (cycles)

const char* const ClipPropertyNames[] = {
    "_x", "_y", "_xscale", "_yscale", "_currentframe", "_totalframes", "_alpha", "_visible", "_width",
    "_height", "_rotation", "_target", "_framesloaded", "_name", "_droptarget", "_url", "_highquality",
    "_focusrect", "_soundbuftime", "_quality", "_xmouse", "_ymouse"};

int clipPropertyIndex(const std::string& name) {
    if (name.empty() || name[0] != '_') return -1;
    std::string lower(name);
    for (char& c : lower) c = char(std::tolower((unsigned char)c));
    for (int i = 0; i < int(ClipProperty::Count); ++i)
        if (lower == ClipPropertyNames[i]) return i;
    return -1;
}

bool isTextProperty(ClipProperty p) {
    return p == ClipProperty::Name || p == ClipProperty::Target || p == ClipProperty::Url ||
           p == ClipProperty::DropTarget || p == ClipProperty::Quality;
}

// Whether the first property named `k` up the chain is an accessor with a setter.
bool inheritsSetter(Object* o, const std::string& k) {
    int steps = 0;
    for (Object* cur = o; cur && steps < MaxChain; cur = cur->proto, ++steps)
        if (const Property* p = cur->find(k)) return p->setter != nullptr;
    return false;
}

}  // namespace

std::string Machine::key(const std::string& name) const {
    if (version_ >= 7) return name;
    std::string k(name);
    for (char& c : k) c = char(std::tolower((unsigned char)c));
    return k;
}

Value Machine::clipProperty(Clip* c, ClipProperty p) {
    if (p == ClipProperty::Target) {
        // _target is the slash form of the dotted path: "_level0.a.b" reads "/a/b".
        std::string dotted = c->text(p), slash;
        size_t dot = dotted.find('.');
        if (dot == std::string::npos) return Value("/");
        for (size_t i = dot; i < dotted.size(); ++i) slash += dotted[i] == '.' ? '/' : dotted[i];
        return Value(slash);
    }
    if (p == ClipProperty::Visible) return Value(c->number(p) != 0);
    if (p == ClipProperty::FocusRect) {
        // Before SWF 6 there is only the movie's setting, read as a number. Later, a level's clip
        // reads the movie's setting and every other clip its own, null until set.
        if (version_ < 6) return Value(focusRect_ ? 1.0 : 0.0);
        if (!c->parent()) return Value(focusRect_);
        std::optional<bool> own = c->focusRect();
        return own ? Value(*own) : Value::null();
    }
    return isTextProperty(p) ? Value(c->text(p)) : Value(c->number(p));
}

void Machine::setClipProperty(Clip* c, ClipProperty p, const Value& v) {
    if (p == ClipProperty::Name || p == ClipProperty::Quality) {
        c->setText(p, toString(v));
    } else if (p == ClipProperty::FocusRect) {
        if (version_ >= 6 && c->parent()) {
            // A clip's own setting: undefined and null unset it.
            c->setFocusRect(v.isNullish() ? std::nullopt : std::optional<bool>(toBoolean(v)));
            return;
        }
        // The movie's setting ignores undefined and null and is on for any other number but zero:
        // a primitive that is not a number counts as on, an object that is not one as off.
        if (v.isNullish()) return;
        double n = toNumber(v);
        focusRect_ = std::isnan(n) ? !v.isObject() : n != 0;
    } else if (!isTextProperty(p)) {
        c->setNumber(p, toNumber(v));
    }
}

Value Machine::getMember(const Value& target, const std::string& name, bool useResolve) {
    Object* o = target.object();
    if (!o) {
        if (target.isNullish()) return Value();
        if (target.isString() && key(name) == "length" && builtInWrapper(target)) return Value(double(charCount(target.string(), version_ >= 6)));
        o = toObject(target);
        if (!o) return Value();
    }
    if (o->isSuper) {
        Object* home = superHome(*o);
        Object* base = home ? home->proto : nullptr;
        return base ? getMember(Value(base), name) : Value();
    }
    if (o->leftClipPath) o = currentClipFace(o);
    std::string k = key(name);
    if (o->clip) {
        int index = clipPropertyIndex(name);
        if (index >= 0) return clipProperty(o->clip, ClipProperty(index));
        if (o->clip->isTextField() && !o->find(k)) {
            if (k == key("text")) return Value(o->clip->fieldText());
            if (k == key("htmlText")) return Value(o->clip->fieldHtmlText());
            if (k == key("variable")) {
                std::string v = o->clip->fieldVariable();
                return v.empty() ? Value::null() : Value(v);
            }
        }
        if (!o->find(k)) {
            if (Clip* child = o->clip->childByName(name, version_ >= 7)) return Value(clipObject(child));
            if (k == key("_parent")) {
                Clip* p = o->clip->parent();
                return p ? Value(clipObject(p)) : Value();
            }
            if (k == key("_root")) {
                Clip* r = rootOf(o->clip);
                return r ? Value(clipObject(r)) : Value();
            }
        }
    }
    if (o->isArray) {
        if (k == "length") return Value(double(o->elements.size()));
        long long i = arrayIndex(name);
        if (i >= 0) return size_t(i) < o->elements.size() && !o->elements[size_t(i)].isHole() ? o->elements[size_t(i)] : Value();
    }
    if (o->hasPrimitive && o->primitive.isString() && k == "length")
        return Value(double(charCount(o->primitive.string(), version_ >= 6)));
    if (k == "__proto__") {
        if (!o->proto)
            if (const Property* p = o->find(k)) return p->value;
        return Value(o->proto);
    }
    int steps = 0;
    for (Object* cur = o; cur && steps < MaxChain; cur = cur->proto, ++steps) {
        if (const Property* p = cur->find(k); p && visibleTo(p->flags, version_)) {
            if (p->getter) {
                // Getters that read through getters nest only so far; a deeper read gives
                // undefined and the script goes on, as in the reference player.
                if (getterDepth_ >= kMaxAccessorNesting) return Value();
                ++getterDepth_;
                struct Leave {
                    int& depth;
                    ~Leave() { --depth; }
                } leave{getterDepth_};
                return call(Value(p->getter), o, {});
            }
            return p->value;
        }
    }
    // A missing member is asked of the object's __resolve function, when it has one.
    if (useResolve && k != key("__resolve")) {
        steps = 0;
        for (Object* cur = o; cur && steps < MaxChain; cur = cur->proto, ++steps) {
            // The first __resolve that holds an object other than a clip is the one called (one
            // that is no function gives undefined); accessors, primitives and clips are passed over.
            if (const Property* p = cur->find(key("__resolve")); p && visibleTo(p->flags, version_)) {
                Object* resolver = p->getter ? nullptr : p->value.object();
                if (!resolver || resolver->clip) continue;
                return call(p->value, o, {Value(name)});
            }
        }
    }
    return Value();
}

void Machine::setMember(const Value& target, const std::string& name, const Value& value) {
    Object* o = target.object();
    if (!o) return;
    std::string k = key(name);
    Value v = value;
    // A watched property passes the new value through its watcher, which is not called again for
    // assignments it makes itself.
    if (o->watches) {
        auto w = o->watches->find(k);
        if (w != o->watches->end() && !activeWatches_.count({o, k})) {
            Object::Watch watch = w->second;
            activeWatches_.insert({o, k});
            struct Leave {
                std::set<std::pair<Object*, std::string>>& set;
                std::pair<Object*, std::string> entry;
                ~Leave() { set.erase(entry); }
            } leave{activeWatches_, {o, k}};
            try {
                // A text field's text, HTML and variable live in the field, not in a slot the
                // watcher could read: it sees them as undefined.
                bool fieldValue = o->clip && o->clip->isTextField() && !o->find(k) &&
                                  (k == key("text") || k == key("htmlText") || k == key("variable"));
                Value old = fieldValue ? Value() : getMember(target, name, false);
                v = call(Value(watch.callback), o, {Value(name), old, value, watch.userData});
            } catch (ScriptThrow&) {
                // A watcher that throws leaves the property undefined; the error goes on.
                storeMember(o, name, k, Value());
                throw;
            }
        }
    }
    storeMember(o, name, k, v);
}

void Machine::storeMember(Object* o, const std::string& name, const std::string& k, const Value& v) {
    if (o->leftClipPath) o = currentClipFace(o);
    if (k == "__proto__") {
        // Any value may be given; only an object is inherited from. Anything else stays in a
        // hidden slot, so that reading __proto__ gives it back.
        o->proto = v.object();
        if (v.isObject()) o->remove(k);
        else o->put(k, name, v, DontEnum);
        return;
    }
    if (o->clip) {
        int index = clipPropertyIndex(name);
        if (index >= 0) {
            setClipProperty(o->clip, ClipProperty(index), v);
            return;
        }
        // A field's text goes through the TextField setters when they are there (they tell
        // onScroller listeners); straight to the field otherwise.
        if (o->clip->isTextField() && !inheritsSetter(o, k)) {
            if (k == key("text")) {
                o->clip->setFieldText(toString(v));
                return;
            }
            if (k == key("htmlText")) {
                o->clip->setFieldHtmlText(toString(v));
                return;
            }
            if (k == key("variable")) {
                o->clip->setFieldVariable(v.isNullish() ? "" : toString(v));
                return;
            }
        }
    }
    if (o->clip && k == key("_lockroot")) lockRootUsed_ = true;
    if (o->isArray) {
        if (k == "length") {
            double n = toNumber(v);
            if (std::isfinite(n) && n >= 0 && n <= double(MaxArrayLength)) {
                o->elements.resize(size_t(n), Value::hole());
                if (o->elementFlags) o->elementFlags->erase(o->elementFlags->lower_bound(size_t(n)), o->elementFlags->end());
            }
            return;
        }
        long long i = arrayIndex(name);
        if (i >= 0 && size_t(i) < MaxArrayLength) {
            if (size_t(i) >= o->elements.size()) o->elements.resize(size_t(i) + 1, Value::hole());
            if (!(o->elementFlagsAt(size_t(i)) & ReadOnly)) o->elements[size_t(i)] = v;
            return;
        }
    }
    int steps = 0;
    for (Object* cur = o; cur && steps < MaxChain; cur = cur->proto, ++steps) {
        if (Property* p = cur->find(k)) {
            if (p->setter) {
                // Likewise setters that set through setters: deeper assignments are dropped.
                if (setterDepth_ >= kMaxAccessorNesting) return;
                ++setterDepth_;
                struct Leave {
                    int& depth;
                    ~Leave() { --depth; }
                } leave{setterDepth_};
                call(Value(p->setter), o, {v});
                return;
            }
            if (p->getter) return;  // a read-only accessor
            if (cur == o) {
                if (!(p->flags & ReadOnly)) p->value = v;
                return;
            }
            break;
        }
    }
    o->put(k, name, v);
}

bool Machine::deleteMember(Object* o, const std::string& name) {
    std::string k = key(name);
    if (o->isArray) {
        long long i = arrayIndex(name);
        if (i >= 0 && size_t(i) < o->elements.size()) {
            if (o->elementFlagsAt(size_t(i)) & DontDelete) return false;
            if (o->elementFlags) o->elementFlags->erase(size_t(i));
            o->elements[size_t(i)] = Value::hole();
            return true;
        }
    }
    Property* p = o->find(k);
    if (!p || (p->flags & DontDelete)) return false;
    return o->remove(k);
}

bool Machine::hasProperty(Object* o, const std::string& name) {
    if (!o) return false;
    if (o->leftClipPath) o = currentClipFace(o);
    std::string k = key(name);
    if (o->clip) {
        if (clipPropertyIndex(name) >= 0) return true;
        if (o->clip->childByName(name, version_ >= 7)) return true;
    }
    if (o->hasPrimitive && o->primitive.isString() && k == "length") return true;
    if (o->isArray) {
        if (k == "length") return true;
        long long i = arrayIndex(name);
        if (i >= 0 && size_t(i) < o->elements.size() && !o->elements[size_t(i)].isHole()) return true;
    }
    int steps = 0;
    for (Object* cur = o; cur && steps < MaxChain; cur = cur->proto, ++steps)
        if (const Property* p = cur->find(k); p && visibleTo(p->flags, version_)) return true;
    return false;
}

std::vector<std::string> Machine::enumerate(Object* o) {
    std::vector<Object*> chain;
    for (Object* cur = o; cur && int(chain.size()) < MaxChain; cur = cur->proto) chain.push_back(cur);
    std::vector<std::string> names;
    std::set<std::string> seen;
    // Pushed deepest first: the loop pops them, so own and newest names come out first.
    for (size_t c = chain.size(); c-- > 0;) {
        Object* cur = chain[c];
        if (cur->isArray)
            for (size_t i = 0; i < cur->elements.size(); ++i) {
                if (cur->elements[i].isHole()) continue;  // never written: not listed
                if (cur->elementFlagsAt(i) & DontEnum) continue;
                std::string n = std::to_string(i);
                if (seen.insert(n).second) names.push_back(n);
            }
        cur->forEach([&](const Property& p) {
            if ((p.flags & DontEnum) || !visibleTo(p.flags, version_)) return;
            if (seen.insert(key(p.name)).second) names.push_back(p.name);
        });
    }
    return names;
}

}  // namespace swf::avm1
