// JSON: parse (with a reviver) and stringify (with a replacer function or list, indentation and
// toJSON), with the player's errors for bad input, bad replacers and cyclic structures.
#include <algorithm>
#include <cmath>

#include "engine/avm2/machine.h"

namespace swf::avm2 {

namespace {

using Args = std::span<const Value>;

constexpr int kMaxDepth = 1000;  // nesting deeper than this is refused, not recursed into

[[noreturn]] void invalidInput(Machine& m) { m.throwError(u"SyntaxError", 1132, u"Invalid JSON parse input."); }

class JsonParser {
public:
    JsonParser(Machine& m, const String& s) : m_(m), s_(s) {}

    Value parseDocument() {
        Value v = value(0);
        space();
        if (i_ != s_.size()) invalidInput(m_);
        return v;
    }

private:
    void space() {
        while (i_ < s_.size() && (s_[i_] == u' ' || s_[i_] == u'\t' || s_[i_] == u'\n' || s_[i_] == u'\r')) ++i_;
    }
    bool take(char16_t c) {
        space();
        if (i_ < s_.size() && s_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }
    void expect(char16_t c) {
        if (!take(c)) invalidInput(m_);
    }
    bool word(std::u16string_view w) {
        if (s_.compare(i_, w.size(), w) != 0) return false;
        i_ += w.size();
        return true;
    }

    Value value(int depth) {
        if (depth > kMaxDepth) invalidInput(m_);
        space();
        if (i_ >= s_.size()) invalidInput(m_);
        char16_t c = s_[i_];
        if (c == u'{') {
            ++i_;
            Object* o = m_.newObject();
            Value result(o);
            if (take(u'}')) return result;
            do {
                space();
                if (i_ >= s_.size() || s_[i_] != u'"') invalidInput(m_);
                String key = string();
                expect(u':');
                o->dynamic.set(key, value(depth + 1));
            } while (take(u','));
            expect(u'}');
            return result;
        }
        if (c == u'[') {
            ++i_;
            ArrayObject* a = m_.newArray();
            Value result(a);
            if (take(u']')) return result;
            do a->items.push_back(value(depth + 1));
            while (take(u','));
            expect(u']');
            return result;
        }
        if (c == u'"') return Value(string());
        if (word(u"true")) return Value(true);
        if (word(u"false")) return Value(false);
        if (word(u"null")) return Value::null();
        if (c == u'-' || (c >= u'0' && c <= u'9')) return number();
        invalidInput(m_);
    }

    String string() {
        ++i_;  // the opening quote
        String out;
        for (;;) {
            if (i_ >= s_.size()) invalidInput(m_);
            char16_t c = s_[i_++];
            if (c == u'"') return out;
            if (c < 0x20) invalidInput(m_);
            if (c != u'\\') {
                out += c;
                continue;
            }
            if (i_ >= s_.size()) invalidInput(m_);
            char16_t e = s_[i_++];
            switch (e) {
            case u'"': out += u'"'; break;
            case u'\\': out += u'\\'; break;
            case u'/': out += u'/'; break;
            case u'b': out += u'\b'; break;
            case u'f': out += u'\f'; break;
            case u'n': out += u'\n'; break;
            case u'r': out += u'\r'; break;
            case u't': out += u'\t'; break;
            case u'u': {
                if (i_ + 4 > s_.size()) invalidInput(m_);
                char16_t v = 0;
                for (int k = 0; k < 4; ++k) {
                    char16_t h = s_[i_++];
                    int d = h >= u'0' && h <= u'9' ? h - u'0' : h >= u'a' && h <= u'f' ? h - u'a' + 10 : h >= u'A' && h <= u'F' ? h - u'A' + 10 : -1;
                    if (d < 0) invalidInput(m_);
                    v = static_cast<char16_t>(v * 16 + d);
                }
                out += v;
                break;
            }
            default: invalidInput(m_);
            }
        }
    }

    Value number() {
        size_t start = i_;
        auto digits = [&] {
            size_t from = i_;
            while (i_ < s_.size() && s_[i_] >= u'0' && s_[i_] <= u'9') ++i_;
            return i_ - from;
        };
        if (s_[i_] == u'-') ++i_;
        size_t intStart = i_;
        size_t n = digits();
        if (n == 0 || (n > 1 && s_[intStart] == u'0')) invalidInput(m_);
        if (i_ < s_.size() && s_[i_] == u'.') {
            ++i_;
            if (digits() == 0) invalidInput(m_);
        }
        if (i_ < s_.size() && (s_[i_] == u'e' || s_[i_] == u'E')) {
            ++i_;
            if (i_ < s_.size() && (s_[i_] == u'+' || s_[i_] == u'-')) ++i_;
            if (digits() == 0) invalidInput(m_);
        }
        return Value(stringToNumber(s_.substr(start, i_ - start)));
    }

    Machine& m_;
    const String& s_;
    size_t i_ = 0;
};

Value revive(Machine& m, const Value& reviver, const Value& holder, const String& key, int depth) {
    if (depth > kMaxDepth) invalidInput(m);
    Value v = m.get(holder, key);
    if (Object* o = v.object(); o && (o->type == ObjectType::Array || o->type == ObjectType::Plain)) {
        std::vector<Value> keys;
        m.enumerate(o, keys);
        for (const Value& k : keys) {
            String name = m.toString(k);
            Value r = revive(m, reviver, v, name, depth + 1);
            Name n{name, m.publicSet};
            if (r.isUndefined()) m.deleteProperty(v, n);
            else m.setProperty(v, n, r);
        }
    }
    Value args[2] = {Value(key), v};
    return m.call(reviver, holder, args);
}

String quote(const String& s) {
    String out = u"\"";
    const char* hex = "0123456789abcdef";
    for (char16_t c : s) {
        switch (c) {
        case u'"': out += u"\\\""; break;
        case u'\\': out += u"\\\\"; break;
        case u'\b': out += u"\\b"; break;
        case u'\f': out += u"\\f"; break;
        case u'\n': out += u"\\n"; break;
        case u'\r': out += u"\\r"; break;
        case u'\t': out += u"\\t"; break;
        default:
            if (c < 0x20) {
                out += u"\\u00";
                out += static_cast<char16_t>(hex[c >> 4]);
                out += static_cast<char16_t>(hex[c & 15]);
            } else {
                out += c;
            }
        }
    }
    return out + u"\"";
}

bool isCallable(const Value& v) {
    Object* o = v.object();
    return o && (o->type == ObjectType::Function || o->type == ObjectType::Class);
}

class JsonWriter {
public:
    JsonWriter(Machine& m, Value replacer, std::vector<String> only, bool hasOnly, String gap)
        : m_(m), replacer_(std::move(replacer)), only_(std::move(only)), hasOnly_(hasOnly), gap_(std::move(gap)) {}

    // The text of holder[key], or false when it has none (undefined, functions).
    bool write(const Value& holder, const String& key, Value v, String& out) {
        if (Object* o = v.object(); o && o->type != ObjectType::Function) {
            Value toJson = m_.hasProperty(v, Name{u"toJSON", m_.publicSet}) ? m_.get(v, u"toJSON") : Value();
            if (isCallable(toJson)) {
                Value a[1] = {Value(key)};
                v = m_.call(toJson, v, a);
            }
        }
        if (isCallable(replacer_)) {
            Value a[2] = {Value(key), v};
            v = m_.call(replacer_, holder, a);
        }
        switch (v.kind()) {
        case Value::Kind::Undefined: return false;
        case Value::Kind::Null: out += u"null"; return true;
        case Value::Kind::Boolean: out += v.boolean() ? u"true" : u"false"; return true;
        case Value::Kind::Number: out += std::isfinite(v.number()) ? numberToString(v.number()) : u"null"; return true;
        case Value::Kind::String: out += quote(v.string()); return true;
        case Value::Kind::Object: break;
        }
        Object* o = v.object();
        if (o->type == ObjectType::Function || o->type == ObjectType::Class) return false;
        for (Object* seen : stack_)
            if (seen == o) m_.typeError(1129, u"Cyclic structure cannot be converted to JSON string.");
        if (stack_.size() > kMaxDepth) m_.typeError(1129, u"Cyclic structure cannot be converted to JSON string.");
        if (out.size() > m_.limits.maxStringLength) throw ScriptAbort("string too long (limit)");
        stack_.push_back(o);
        String outer = indent_;
        indent_ += gap_;
        if (o->type == ObjectType::Array || o->type == ObjectType::Vector) writeList(v, out);
        else writeObject(v, out);
        indent_ = outer;
        stack_.pop_back();
        return true;
    }

private:
    void open(String& out, char16_t bracket, bool empty) {
        out += bracket;
        if (!empty && !gap_.empty()) out += u"\n" + indent_;
    }
    void separate(String& out) {
        out += u',';
        if (!gap_.empty()) out += u"\n" + indent_;
    }
    void close(String& out, const String& outer, char16_t bracket, bool empty) {
        if (!empty && !gap_.empty()) out += u"\n" + outer;
        out += bracket;
    }

    void writeList(const Value& v, String& out) {
        const std::vector<Value>& items =
            v.object()->type == ObjectType::Array ? static_cast<ArrayObject*>(v.object())->items : static_cast<VectorObject*>(v.object())->items;
        size_t n = items.size();
        String outer = indent_.substr(0, indent_.size() - gap_.size());
        open(out, u'[', n == 0);
        for (size_t i = 0; i < n && i < items.size(); ++i) {
            if (i) separate(out);
            Value item = items[i];
            if (!write(v, indexKey(i), item, out)) out += u"null";
        }
        close(out, outer, u']', n == 0);
    }

    void writeObject(const Value& v, String& out) {
        Object* o = v.object();
        std::vector<String> keys;
        if (hasOnly_) {
            keys = only_;
        } else {
            // Public variables of a class, in declaration order, then its public getters (by name),
            // then the dynamic properties.
            if (o->traits && o->type != ObjectType::Global) {
                for (size_t s = 1; s < o->traits->slots.size(); ++s) {
                    const String& name = o->traits->slots[s].name;
                    if (Binding* b = o->traits->find(Name{name, m_.publicSet}); b && b->slot == s &&
                        (b->kind == Binding::Kind::Slot || b->kind == Binding::Kind::Const))
                        keys.push_back(name);
                }
                std::vector<String> getters;
                for (const auto& [name, bindings] : o->traits->byName)
                    for (const auto& [ns, b] : bindings)
                        if (ns.isPublic() && b.kind == Binding::Kind::Accessor && b.getter) getters.push_back(name);
                std::sort(getters.begin(), getters.end());
                getters.erase(std::unique(getters.begin(), getters.end()), getters.end());
                keys.insert(keys.end(), getters.begin(), getters.end());
            }
            std::vector<Value> dyn;
            m_.enumerate(o, dyn);
            for (const Value& k : dyn) keys.push_back(m_.toString(k));
        }
        String outer = indent_.substr(0, indent_.size() - gap_.size());
        out += u'{';
        bool any = false;
        for (const String& k : keys) {
            if (!m_.hasProperty(v, Name{k, m_.publicSet})) continue;
            String item = quote(k) + (gap_.empty() ? u":" : u": ");
            if (!write(v, k, m_.get(v, k), item)) continue;
            if (any) out += u',';
            if (!gap_.empty()) out += u"\n" + indent_;
            out += item;
            any = true;
        }
        if (any && !gap_.empty()) out += u"\n" + outer;
        out += u'}';
    }

    Machine& m_;
    Value replacer_;
    std::vector<String> only_;
    bool hasOnly_;
    String gap_;
    String indent_;
    std::vector<Object*> stack_;
};

}  // namespace

void installJsonBuiltins(Machine& m) {
    ClassObject* json = m.defineClass(u"", u"JSON", m.objectClass, nullptr);
    json->isFinal = true;
    json->constructor = m.newNative(u"JSON", 0, [](Machine& m, const Value&, Args) -> Value {
        m.typeError(1076, u"JSON is not a constructor.");
    });
    m.defineStatic(json, u"parse", 2, [](Machine& m, const Value&, Args a) -> Value {
        Value text = arg(a, 0);
        if (text.isNullish()) invalidInput(m);
        String s = m.toString(text);
        Value v = JsonParser(m, s).parseDocument();
        Value reviver = arg(a, 1);
        if (!isCallable(reviver)) return v;
        Object* root = m.newObject();
        root->dynamic.set(u"", v);
        return revive(m, reviver, Value(root), u"", 0);
    });
    m.defineStatic(json, u"stringify", 3, [](Machine& m, const Value&, Args a) -> Value {
        Value replacer = arg(a, 1);
        std::vector<String> only;
        bool hasOnly = false;
        // A replacer given must be a function or a list of names; null means none.
        if (a.size() > 1 && !replacer.isNull()) {
            Object* r = replacer.object();
            if (isCallable(replacer)) {
            } else if (r && r->type == ObjectType::Array) {
                hasOnly = true;
                for (const Value& item : static_cast<ArrayObject*>(r)->items) {
                    if (!item.isString() && !item.isNumber()) continue;
                    String k = m.toString(item);
                    bool dup = false;
                    for (const String& s : only) dup = dup || s == k;
                    if (!dup) only.push_back(k);
                }
            } else {
                m.typeError(1131, u"Replacer argument to JSON stringifier must be an array or a two parameter function.");
            }
        }
        String gap;
        Value space = arg(a, 2);
        if (space.isNumber()) {
            double n = std::min(10.0, std::floor(space.number()));
            if (n >= 1) gap.assign(static_cast<size_t>(n), u' ');
        } else if (space.isString()) {
            gap = space.string().substr(0, 10);
        }
        JsonWriter writer(m, hasOnly ? Value() : replacer, std::move(only), hasOnly, std::move(gap));
        Object* root = m.newObject();
        root->dynamic.set(u"", arg(a, 0));
        String out;
        if (!writer.write(Value(root), u"", arg(a, 0), out)) return Value();
        return Value(out);
    });
}

}  // namespace swf::avm2
