// Array: construction, the stack and queue methods, slicing, joining and sorting.
#include <algorithm>
#include <cmath>

#include "engine/avm1/builtins.h"
#include "engine/avm1/text_units.h"

namespace swf::avm1 {

namespace {

enum SortFlags { CaseInsensitive = 1, Descending = 2, UniqueSort = 4, ReturnIndexedArray = 8, Numeric = 16 };

constexpr double MaxLength = double(1u << 24);

Value arrayCall(Machine& m, Object*, std::vector<Value>& args) {
    Object* a = m.newArray();
    if (args.size() == 1 && args[0].isNumber()) {
        double n = args[0].number();
        if (n >= 0 && n <= MaxLength) a->elements.resize(size_t(n), Value::hole());
    } else {
        a->elements = args;
    }
    return Value(a);
}

Value arrayConstruct(Machine& m, Object* self, std::vector<Value>& args) {
    Value made = arrayCall(m, nullptr, args);
    made.object()->proto = self->proto;  // keeps subclasses' prototypes
    return made;
}

// A position argument: negative counts from the end; clamped to [0, size].
size_t position(Machine& m, const Value& v, size_t size, size_t otherwise) {
    if (v.isUndefined()) return otherwise;
    double d = m.toNumber(v);
    if (std::isnan(d)) return 0;
    d = std::trunc(d);
    if (d < 0) d = std::max(0.0, double(size) + d);
    return size_t(std::min(d, double(size)));
}

// Methods that move elements write every slot they touch: holes become undefined elements.
void fillHoles(std::vector<Value>& elements) {
    for (Value& v : elements)
        if (v.isHole()) v = Value();
}

std::string joinElements(Machine& m, Object* a, const std::string& sep) {
    std::string out;
    for (size_t i = 0; i < a->elements.size(); ++i) {
        if (i) appendLimited(out, sep);
        appendLimited(out, m.toString(a->elements[i]));
    }
    return out;
}

Value push(Machine& m, Object* self, std::vector<Value>& args) {
    if (!self || !self->isArray) return Value();
    for (Value& v : args) self->elements.push_back(v);
    (void)m;
    return Value(double(self->elements.size()));
}

Value pop(Machine&, Object* self, std::vector<Value>&) {
    if (!self || !self->isArray || self->elements.empty()) return Value();
    Value v = self->elements.back();
    self->elements.pop_back();
    if (self->elementFlags) self->elementFlags->erase(self->elements.size());
    return v.isHole() ? Value() : v;
}

// shift with flagged elements, as the player does it: every element is deleted (those that may
// not be keep their place and value), then each is written one place down, which a read-only
// survivor refuses. What a survivor past the new end held is not kept.
void shiftFlagged(Object* self) {
    std::vector<Value> old = self->elements;
    std::map<size_t, uint16_t> kept;
    for (auto [i, flags] : *self->elementFlags)
        if (flags & DontDelete) kept[i] = flags;
    for (size_t i = 0; i < old.size(); ++i)
        if (!kept.count(i)) self->elements[i] = Value::hole();
    for (size_t i = 1; i < old.size(); ++i) {
        auto k = kept.find(i - 1);
        if (k == kept.end() || !(k->second & ReadOnly)) self->elements[i - 1] = old[i].isHole() ? Value() : old[i];
    }
    self->elements.pop_back();
    kept.erase(self->elements.size());
    *self->elementFlags = std::move(kept);
}

Value shift(Machine&, Object* self, std::vector<Value>&) {
    if (!self || !self->isArray || self->elements.empty()) return Value();
    Value v = self->elements.front();
    if (self->elementFlags && !self->elementFlags->empty()) {
        shiftFlagged(self);
    } else {
        self->elements.erase(self->elements.begin());
        fillHoles(self->elements);
    }
    return v.isHole() ? Value() : v;
}

Value unshift(Machine&, Object* self, std::vector<Value>& args) {
    if (!self || !self->isArray) return Value();
    self->elements.insert(self->elements.begin(), args.begin(), args.end());
    self->dropElementFlags();
    fillHoles(self->elements);
    return Value(double(self->elements.size()));
}

Value join(Machine& m, Object* self, std::vector<Value>& args) {
    if (!self || !self->isArray) return Value();
    std::string sep = args.empty() || args[0].isUndefined() ? "," : m.toString(args[0]);
    return Value(joinElements(m, self, sep));
}

Value toStringFn(Machine& m, Object* self, std::vector<Value>&) {
    if (!self || !self->isArray) return Value("[object Object]");
    return Value(joinElements(m, self, ","));
}

Value reverse(Machine&, Object* self, std::vector<Value>&) {
    if (!self || !self->isArray) return Value();
    std::reverse(self->elements.begin(), self->elements.end());
    self->dropElementFlags();
    fillHoles(self->elements);
    return Value(self);
}

Value slice(Machine& m, Object* self, std::vector<Value>& args) {
    if (!self || !self->isArray) return Value();
    size_t n = self->elements.size();
    size_t from = position(m, arg(args, 0), n, 0), to = position(m, arg(args, 1), n, n);
    std::vector<Value> part;
    if (from < to) part.assign(self->elements.begin() + long(from), self->elements.begin() + long(to));
    return Value(m.newArray(std::move(part)));
}

Value splice(Machine& m, Object* self, std::vector<Value>& args) {
    if (!self || !self->isArray || args.empty() || args[0].isUndefined()) return Value();
    size_t n = self->elements.size();
    size_t from = position(m, args[0], n, 0);
    size_t count = n - from;
    if (args.size() > 1) {
        if (args[1].isUndefined()) return Value();
        double c = m.toNumber(args[1]);
        if (c < 0) return Value();  // a negative count changes nothing and returns nothing
        count = std::isnan(c) ? 0 : size_t(std::min(c, double(n - from)));
    }
    std::vector<Value> removed(self->elements.begin() + long(from), self->elements.begin() + long(from + count));
    self->elements.erase(self->elements.begin() + long(from), self->elements.begin() + long(from + count));
    if (args.size() > 2) self->elements.insert(self->elements.begin() + long(from), args.begin() + 2, args.end());
    self->dropElementFlags();
    fillHoles(self->elements);
    fillHoles(removed);
    return Value(m.newArray(std::move(removed)));
}

Value concat(Machine& m, Object* self, std::vector<Value>& args) {
    if (!self || !self->isArray) return Value();
    std::vector<Value> all = self->elements;
    for (const Value& v : args) {
        Object* o = v.object();
        if (o && o->isArray) all.insert(all.end(), o->elements.begin(), o->elements.end());
        else all.push_back(v);
    }
    return Value(m.newArray(std::move(all)));
}

// The reference player's quicksort, so that elements that compare equal end in the same order:
// the middle element is the pivot (moved to the front), both ends scan towards it, the smaller
// part is sorted first and parts under four elements are ordered by hand. Every scan is bounded
// by the part's ends, so it terminates whatever a script's compare function answers.
template <class Compare> void quickSort(std::vector<size_t>& idx, Compare compare) {
    if (idx.size() < 2) return;
    auto cmp = [&](size_t a, size_t b) { return compare(idx[a], idx[b]); };
    auto swapAt = [&](size_t a, size_t b) { std::swap(idx[a], idx[b]); };
    std::vector<std::pair<size_t, size_t>> pending{{0, idx.size() - 1}};
    while (!pending.empty()) {
        auto [lo, hi] = pending.back();
        pending.pop_back();
        for (;;) {
            size_t size = hi - lo + 1;
            if (size == 3) {
                if (cmp(lo, lo + 1) > 0) swapAt(lo, lo + 1);
                if (cmp(lo + 1, lo + 2) > 0) {
                    swapAt(lo + 1, lo + 2);
                    if (cmp(lo, lo + 1) > 0) swapAt(lo, lo + 1);
                }
                break;
            }
            if (size == 2) {
                if (cmp(lo, lo + 1) > 0) swapAt(lo, lo + 1);
                break;
            }
            if (size < 2) break;
            swapAt(lo + size / 2, lo);
            size_t left = lo, right = hi + 1;
            for (;;) {
                do ++left;
                while (left <= hi && cmp(left, lo) <= 0);
                do --right;
                while (right > lo && cmp(right, lo) >= 0);
                if (right < left) break;
                swapAt(left, right);
            }
            swapAt(lo, right);
            // [lo, right) holds what is not above the pivot, (right, hi] what is not below it.
            bool lowerEmpty = right == lo, upperEmpty = left > hi;
            bool loopOnUpper = !upperEmpty && (lowerEmpty || right - 1 - lo >= hi - left);
            if (loopOnUpper) {
                if (lo + 1 < right) pending.push_back({lo, right - 1});
                lo = left;
            } else {
                if (!upperEmpty && left < hi) pending.push_back({left, hi});
                if (lowerEmpty) break;
                hi = right - 1;
            }
        }
    }
}

// Lower case for ASCII and the Latin-1 letters written as UTF-8 (U+00C0..U+00DE).
std::string lower(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        unsigned char c = (unsigned char)s[i];
        if (c == 0xC3 && i + 1 < s.size()) {
            unsigned char next = (unsigned char)s[i + 1];
            if (next >= 0x80 && next <= 0x9E && next != 0x97) next = (unsigned char)(next + 0x20);
            out += char(c);
            out += char(next);
            ++i;
        } else {
            out += char(std::tolower(c));
        }
    }
    return out;
}

// Compares by the sort flags: <0, 0, >0. NUMERIC compares two numbers by value (NaN last) and
// anything else as text.
int compareByFlags(Machine& m, const Value& a, const Value& b, int flags) {
    if ((flags & Numeric) && a.isNumber() && b.isNumber()) {
        double x = a.number(), y = b.number();
        bool xn = std::isnan(x), yn = std::isnan(y);
        if (xn || yn) return xn == yn ? 0 : xn ? 1 : -1;
        if (x < y) return -1;
        if (x > y) return 1;
        return 0;
    }
    std::string x = m.toString(a), y = m.toString(b);
    if (flags & CaseInsensitive) {
        x = lower(x);
        y = lower(y);
    }
    return x < y ? -1 : x > y ? 1 : 0;
}

// What is sorted: one key per element and field (sortOn may name several fields, each with its
// own flags); UNIQUESORT and RETURNINDEXEDARRAY are taken from `flags`.
struct SortPlan {
    std::vector<std::vector<Value>> keys;  // keys[element][field]
    std::vector<int> fieldFlags;
    Object* compare = nullptr;
    int flags = 0;
};

Value sortWith(Machine& m, Object* self, const SortPlan& plan) {
    std::vector<size_t> idx(plan.keys.size());
    for (size_t i = 0; i < idx.size(); ++i) idx[i] = i;
    bool duplicate = false;
    auto cmp = [&](size_t i, size_t j) {
        int c = 0;
        for (size_t f = 0; f < plan.fieldFlags.size() && c == 0; ++f) {
            const Value &a = plan.keys[i][f], &b = plan.keys[j][f];
            if (plan.compare) {
                double r = m.toNumber(m.call(Value(plan.compare), nullptr, {a, b}));
                c = r < 0 ? -1 : r > 0 ? 1 : 0;
            } else {
                c = compareByFlags(m, a, b, plan.fieldFlags[f]);
            }
            if (plan.fieldFlags[f] & Descending) c = -c;
        }
        if (c == 0 && i != j) duplicate = true;
        return c;
    };
    quickSort(idx, cmp);
    if ((plan.flags & UniqueSort) && duplicate) return Value(0.0);
    if (plan.flags & ReturnIndexedArray) {
        std::vector<Value> out;
        for (size_t i : idx) out.push_back(Value(double(i)));
        return Value(m.newArray(std::move(out)));
    }
    std::vector<Value> sorted;
    for (size_t i : idx) sorted.push_back(self->elements[i].isHole() ? Value() : self->elements[i]);
    self->elements = std::move(sorted);
    self->dropElementFlags();
    return Value(self);
}

// sort(), sort(flags), sort(compare), sort(compare, flags); a number second argument gives the
// flags even after a number first one.
Value sort(Machine& m, Object* self, std::vector<Value>& args) {
    if (!self || !self->isArray) return Value();
    SortPlan plan;
    if (!args.empty()) {
        Object* f = args[0].object();
        if (f && f->isFunction()) plan.compare = f;
        else if (f) return Value(self);  // an object that is no function: left as it is
        else if (!args[0].isNumber()) return Value();
        else plan.flags = toInt32(args[0].number());
    }
    if (args.size() > 1 && !args[1].isUndefined()) {
        if (!args[1].isNumber()) return Value();
        plan.flags = toInt32(args[1].number());
    }
    plan.fieldFlags.assign(1, plan.flags);
    for (const Value& v : self->elements) plan.keys.push_back({v});
    return sortWith(m, self, plan);
}

// A sortOn key: the element's own value of the field, read without calling accessors; clips give
// their built-in properties, and an element that is no object is its own key.
Value sortKey(Machine& m, const Value& element, const std::string& field) {
    Object* o = element.object();
    if (!o) return element;
    if (o->isArray || o->clip) return m.getMember(element, field, false);
    std::string k = m.key(field);
    if (o->hasPrimitive && o->primitive.isString() && k == "length")
        return Value(double(charCount(o->primitive.string(), m.swfVersion() >= 6)));
    const Property* p = o->find(k);
    return p && !p->getter ? p->value : Value();
}

// sortOn(field or [fields], flags or [flags per field]). A list of flags of another length than
// the fields is ignored; the first field's flags decide UNIQUESORT and RETURNINDEXEDARRAY.
Value sortOn(Machine& m, Object* self, std::vector<Value>& args) {
    if (!self || !self->isArray || args.empty()) return Value();
    std::vector<std::string> fields;
    if (Object* list = args[0].object(); list && list->isArray) {
        for (const Value& v : list->elements) fields.push_back(m.toString(v));
    } else {
        fields.push_back(m.toString(args[0]));
    }
    if (fields.empty()) return Value(self);
    SortPlan plan;
    plan.fieldFlags.assign(fields.size(), 0);
    if (Object* list = arg(args, 1).object(); list && list->isArray) {
        if (list->elements.size() == fields.size())
            for (size_t i = 0; i < fields.size(); ++i) plan.fieldFlags[i] = toInt32(m.toNumber(list->elements[i]));
    } else if (args.size() > 1) {
        plan.fieldFlags.assign(fields.size(), toInt32(m.toNumber(args[1])));
    }
    plan.flags = plan.fieldFlags[0];
    for (const Value& v : self->elements) {
        std::vector<Value> row;
        for (const std::string& f : fields) row.push_back(sortKey(m, v, f));
        plan.keys.push_back(std::move(row));
    }
    return sortWith(m, self, plan);
}

// Array methods called on an object that is no array (Array.prototype.push.call(o, ...)) work on
// a copy of its `length` and index members; the changing ones write the result back.
constexpr size_t MaxGenericLength = 65536;

template <NativeFunction Method, bool Changes>
Value onAnyObject(Machine& m, Object* self, std::vector<Value>& args) {
    if (!self) return Value();
    if (self->isArray) return Method(m, self, args);
    size_t count = toCount(m.toNumber(m.getMember(Value(self), "length")), MaxGenericLength);
    std::vector<Value> elements;
    for (size_t i = 0; i < count; ++i) {
        std::string name = std::to_string(i);
        elements.push_back(m.hasProperty(self, name) ? m.getMember(Value(self), name) : Value::hole());
    }
    Object* copy = m.newArray(std::move(elements));
    Value result = Method(m, copy, args);
    if (Changes) {
        for (size_t i = 0; i < copy->elements.size(); ++i) {
            if (copy->elements[i].isHole()) m.deleteMember(self, std::to_string(i));
            else m.setMember(Value(self), std::to_string(i), copy->elements[i]);
        }
        for (size_t i = copy->elements.size(); i < count; ++i) m.deleteMember(self, std::to_string(i));
        m.setMember(Value(self), "length", Value(double(copy->elements.size())));
    }
    return result.object() == copy ? Value(self) : result;
}

}  // namespace

void installArray(Machine& m) {
    m.arrayProto = m.newObject();
    Object* ctor = defineClass(m, "Array", arrayCall, arrayConstruct, m.arrayProto);
    putConstant(m, ctor, "CASEINSENSITIVE", Value(double(CaseInsensitive)));
    putConstant(m, ctor, "DESCENDING", Value(double(Descending)));
    putConstant(m, ctor, "UNIQUESORT", Value(double(UniqueSort)));
    putConstant(m, ctor, "RETURNINDEXEDARRAY", Value(double(ReturnIndexedArray)));
    putConstant(m, ctor, "NUMERIC", Value(double(Numeric)));
    Object* p = m.arrayProto;
    m.defineNative(p, "push", onAnyObject<push, true>);
    m.defineNative(p, "pop", onAnyObject<pop, true>);
    m.defineNative(p, "shift", onAnyObject<shift, true>);
    m.defineNative(p, "unshift", onAnyObject<unshift, true>);
    m.defineNative(p, "join", onAnyObject<join, false>);
    m.defineNative(p, "toString", toStringFn);
    m.defineNative(p, "reverse", onAnyObject<reverse, true>);
    m.defineNative(p, "slice", onAnyObject<slice, false>);
    m.defineNative(p, "splice", onAnyObject<splice, true>);
    m.defineNative(p, "concat", onAnyObject<concat, false>);
    m.defineNative(p, "sort", onAnyObject<sort, true>);
    m.defineNative(p, "sortOn", onAnyObject<sortOn, true>);
}

}  // namespace swf::avm1
