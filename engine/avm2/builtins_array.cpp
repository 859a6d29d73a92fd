// Array and Vector: both keep their elements in a dense list and share the list operations
// (sorting with the Array options, joining, slicing, splicing, the iteration methods).
#include <algorithm>
#include <cmath>

#include "engine/avm2/machine.h"

namespace swf::avm2 {

namespace {

using Args = std::span<const Value>;

enum SortOptions { kCaseInsensitive = 1, kDescending = 2, kUniqueSort = 4, kReturnIndexedArray = 8, kNumeric = 16 };

std::vector<Value>& itemsOf(Machine& m, const Value& self, bool& isVector) {
    Object* o = self.object();
    if (o && o->type == ObjectType::Array) {
        isVector = false;
        return static_cast<ArrayObject*>(o)->items;
    }
    if (o && o->type == ObjectType::Vector) {
        isVector = true;
        return static_cast<VectorObject*>(o)->items;
    }
    m.typeError(1034, u"Type Coercion failed: cannot convert " + m.describeForError(self) + u" to Array.");
}

std::vector<Value>& items(Machine& m, const Value& self) {
    bool v;
    return itemsOf(m, self, v);
}

void checkNotFixed(Machine& m, const Value& self) {
    Object* o = self.object();
    if (o && o->type == ObjectType::Vector && static_cast<VectorObject*>(o)->fixed)
        m.rangeError(1126, u"Cannot change the length of a fixed Vector.");
}

Value element(Machine& m, const Value& self, const Value& v) {
    Object* o = self.object();
    if (o && o->type == ObjectType::Vector) return m.coerce(v, static_cast<VectorObject*>(o)->elementType);
    return v.isHole() ? Value() : v;
}

double relIndex(Machine& m, const Value& v, double len, double dflt) {
    if (v.isUndefined()) return dflt;
    double d = m.toNumber(v);
    if (std::isnan(d)) d = 0;
    d = std::trunc(d);
    if (d < 0) return std::max(0.0, len + d);
    return std::min(d, len);
}

String join(Machine& m, std::vector<Value>& list, const String& sep) {
    String out;
    for (size_t i = 0; i < list.size(); ++i) {
        if (i) out += sep;
        if (!list[i].isNullish()) out += m.toString(list[i]);
        if (out.size() > m.limits.maxStringLength) throw ScriptAbort("string too long (limit)");
    }
    return out;
}

Value sameKind(Machine& m, const Value& self, std::vector<Value> list) {
    Object* o = self.object();
    if (o && o->type == ObjectType::Vector) {
        auto* src = static_cast<VectorObject*>(o);
        auto* v = static_cast<VectorObject*>(m.instantiate(src->cls));
        v->elementType = src->elementType;
        v->items = std::move(list);
        return Value(v);
    }
    return Value(m.newArray(std::move(list)));
}

int compareValues(Machine& m, const Value& a, const Value& b, int options) {
    if (options & kNumeric) {
        double x = m.toNumber(a), y = m.toNumber(b);
        if (std::isnan(x) && std::isnan(y)) return 0;
        if (std::isnan(x)) return 1;
        if (std::isnan(y)) return -1;
        return x < y ? -1 : x > y ? 1 : 0;
    }
    String x = m.toString(a), y = m.toString(b);
    if (options & kCaseInsensitive) {
        for (auto& c : x) if (c < 128) c = static_cast<char16_t>(std::tolower(c));
        for (auto& c : y) if (c < 128) c = static_cast<char16_t>(std::tolower(c));
    }
    return x < y ? -1 : x > y ? 1 : 0;
}

// Sorts `list`; returns false when UNIQUESORT found equal elements (the list is left alone).
bool sortList(Machine& m, std::vector<Value>& list, const Value& compareFn, int options, std::vector<size_t>* order,
              const std::function<int(const Value&, const Value&)>& custom = nullptr) {
    std::vector<size_t> idx(list.size());
    for (size_t i = 0; i < idx.size(); ++i) idx[i] = i;
    auto cmp = [&](const Value& a, const Value& b) -> int {
        if (custom) return custom(a, b);
        // Undefined elements sort after the others, holes after them all.
        if (a.isUndefined() || b.isUndefined()) {
            int rankA = a.isHole() ? 2 : a.isUndefined() ? 1 : 0, rankB = b.isHole() ? 2 : b.isUndefined() ? 1 : 0;
            return rankA < rankB ? -1 : rankA > rankB ? 1 : 0;
        }
        if (compareFn.object()) {
            Value args[2] = {a, b};
            double r = m.toNumber(m.call(compareFn, Value::null(), args));
            return r < 0 ? -1 : r > 0 ? 1 : 0;
        }
        return compareValues(m, a, b, options);
    };
    bool duplicate = false;
    std::stable_sort(idx.begin(), idx.end(), [&](size_t x, size_t y) {
        int c = cmp(list[x], list[y]);
        if (c == 0) duplicate = true;
        if ((options & kDescending) && !list[x].isUndefined() && !list[y].isUndefined()) c = -c;
        return c < 0;
    });
    if ((options & kUniqueSort) && duplicate) return false;
    if (order) {
        *order = idx;
        return true;
    }
    std::vector<Value> sorted;
    sorted.reserve(list.size());
    for (size_t i : idx) sorted.push_back(list[i]);
    list = std::move(sorted);
    return true;
}

// What sorting sees of an Array: a hole the prototype chain fills with a value sorts as that
// value (it becomes the array's own element); one it leaves undefined stays a hole.
std::vector<Value> sortableElements(Machine& m, const Value& self) {
    std::vector<Value> list = items(m, self);
    if (self.object()->type != ObjectType::Array) return list;
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].isHole())
            if (Value inherited = m.get(self, indexKey(i)); !inherited.isUndefined()) list[i] = inherited;
    return list;
}

void defineListMethods(Machine& m, ClassObject* c) {
    m.defineMethod(c, u"push", 1, [](Machine& m, const Value& self, Args a) -> Value {
        auto& l = items(m, self);
        checkNotFixed(m, self);  // even with nothing to push
        for (const Value& v : a) l.push_back(element(m, self, v));
        return Value(static_cast<double>(l.size()));
    });
    m.defineMethod(c, u"pop", 0, [](Machine& m, const Value& self, Args) -> Value {
        auto& l = items(m, self);
        checkNotFixed(m, self);
        if (l.empty()) return Value();
        Value v = l.back().isHole() ? m.get(self, indexKey(l.size() - 1)) : l.back();
        l.pop_back();
        return v;
    });
    m.defineMethod(c, u"shift", 0, [](Machine& m, const Value& self, Args) -> Value {
        auto& l = items(m, self);
        checkNotFixed(m, self);
        if (l.empty()) return Value();
        Value v = l.front().isHole() ? m.get(self, u"0") : l.front();
        l.erase(l.begin());
        return v;
    });
    m.defineMethod(c, u"unshift", 1, [](Machine& m, const Value& self, Args a) -> Value {
        auto& l = items(m, self);
        if (!a.empty()) checkNotFixed(m, self);
        std::vector<Value> front;
        for (const Value& v : a) front.push_back(element(m, self, v));
        l.insert(l.begin(), front.begin(), front.end());
        return Value(static_cast<double>(l.size()));
    });
    m.defineMethod(c, u"join", 1, [](Machine& m, const Value& self, Args a) -> Value {
        auto& l = items(m, self);
        String sep = a.empty() || a[0].isUndefined() ? String(u",") : m.toString(a[0]);
        return Value(join(m, l, sep));
    });
    m.defineMethod(c, u"toString", 0, [](Machine& m, const Value& self, Args) -> Value {
        if (self.object() == m.arrayClass->prototype) return Value(String());
        return Value(join(m, items(m, self), u","));
    });
    m.defineMethod(c, u"toLocaleString", 0, [](Machine& m, const Value& self, Args) -> Value {
        auto& l = items(m, self);
        String out;
        for (size_t i = 0; i < l.size(); ++i) {
            if (i) out += u",";
            if (!l[i].isNullish()) out += m.toString(m.callProperty(l[i], Name{u"toLocaleString", m.publicSet}, {}));
        }
        return Value(out);
    });
    m.defineMethod(c, u"reverse", 0, [](Machine& m, const Value& self, Args) -> Value {
        auto& l = items(m, self);
        // Unset elements at the end are no part of an array's stored elements, which are what
        // reverse turns round: they stay where they are.
        auto end = l.end();
        while (end != l.begin() && std::prev(end)->isHole()) --end;
        std::reverse(l.begin(), end);
        return self;
    });
    m.defineMethod(c, u"concat", 1, [](Machine& m, const Value& self, Args a) -> Value {
        std::vector<Value> out = items(m, self);
        bool selfVector = self.object()->type == ObjectType::Vector;
        for (const Value& v : a) {
            Object* o = v.object();
            if (o && o->type == ObjectType::Array && !selfVector) {
                auto& more = static_cast<ArrayObject*>(o)->items;
                out.insert(out.end(), more.begin(), more.end());
            } else if (o && o->type == ObjectType::Vector && selfVector) {
                auto& more = static_cast<VectorObject*>(o)->items;
                for (const Value& x : more) out.push_back(element(m, self, x));
            } else if (selfVector) {
                m.typeError(1034, u"Type Coercion failed: cannot convert " + m.describeForError(v) + u" to " +
                                      self.object()->cls->qualifiedName() + u".");
            } else {
                out.push_back(v);
            }
        }
        return sameKind(m, self, std::move(out));
    });
    m.defineMethod(c, u"slice", 2, [](Machine& m, const Value& self, Args a) -> Value {
        auto& l = items(m, self);
        double len = static_cast<double>(l.size());
        double b = relIndex(m, arg(a, 0), len, 0), e = relIndex(m, arg(a, 1), len, len);
        std::vector<Value> out;
        if (e > b) out.assign(l.begin() + static_cast<long>(b), l.begin() + static_cast<long>(e));
        return sameKind(m, self, std::move(out));
    });
    m.defineMethod(c, u"splice", 2, [](Machine& m, const Value& self, Args a) -> Value {
        auto& l = items(m, self);
        if (a.empty()) return sameKind(m, self, {});
        double len = static_cast<double>(l.size());
        double b = relIndex(m, arg(a, 0), len, 0);
        double n = a.size() < 2 ? len - b : std::trunc(m.toNumber(a[1]));
        if (std::isnan(n)) n = 0;
        n = std::min(std::max(n, 0.0), len - b);
        if (n != static_cast<double>(a.size() > 2 ? a.size() - 2 : 0)) checkNotFixed(m, self);
        auto first = l.begin() + static_cast<long>(b);
        std::vector<Value> removed(first, first + static_cast<long>(n));
        l.erase(first, first + static_cast<long>(n));
        std::vector<Value> add;
        for (size_t i = 2; i < a.size(); ++i) add.push_back(element(m, self, a[i]));
        l.insert(l.begin() + static_cast<long>(b), add.begin(), add.end());
        return sameKind(m, self, std::move(removed));
    });
    m.defineMethod(c, u"indexOf", 1, [](Machine& m, const Value& self, Args a) -> Value {
        auto& l = items(m, self);
        double len = static_cast<double>(l.size());
        double from = relIndex(m, arg(a, 1), len, 0);
        for (size_t i = static_cast<size_t>(from); i < l.size(); ++i)
            if (m.strictEquals(l[i], arg(a, 0))) return Value(static_cast<double>(i));
        return Value(-1);
    });
    m.defineMethod(c, u"lastIndexOf", 1, [](Machine& m, const Value& self, Args a) -> Value {
        auto& l = items(m, self);
        if (l.empty()) return Value(-1);
        double len = static_cast<double>(l.size());
        double from = a.size() < 2 ? len - 1 : std::trunc(m.toNumber(a[1]));
        if (from < 0) from += len;
        if (std::isnan(from)) from = 0;
        from = std::min(from, len - 1);
        for (double i = from; i >= 0; --i)
            if (m.strictEquals(l[static_cast<size_t>(i)], arg(a, 0))) return Value(i);
        return Value(-1);
    });
    // The iteration methods read the element list afresh at each step: the callback may change it.
    auto iterate = [&m, c](const char16_t* name, int mode) {
        m.defineMethod(c, name, 1, [mode](Machine& m, const Value& self, Args a) -> Value {
            Value fn = arg(a, 0), thisArg = arg(a, 1);
            if (fn.isNullish()) return mode == 1 || mode == 2 ? Value(mode == 1) : (mode == 3 || mode == 4) ? sameKind(m, self, {}) : Value();
            std::vector<Value> out;
            size_t n = items(m, self).size();
            for (size_t i = 0; i < n && i < items(m, self).size(); ++i) {
                Value v = items(m, self)[i];
                Value args[3] = {v, Value(static_cast<double>(i)), self};
                Value r = m.call(fn, thisArg, args);
                switch (mode) {
                case 1: if (!m.toBoolean(r)) return Value(false); break;  // every
                case 2: if (m.toBoolean(r)) return Value(true); break;    // some
                case 3: out.push_back(element(m, self, r)); break;        // map
                case 4: if (m.toBoolean(r)) out.push_back(v); break;      // filter
                default: break;                                           // forEach
                }
            }
            if (mode == 1) return Value(true);
            if (mode == 2) return Value(false);
            if (mode == 3 || mode == 4) return sameKind(m, self, std::move(out));
            return Value();
        });
    };
    iterate(u"forEach", 0);
    iterate(u"every", 1);
    iterate(u"some", 2);
    iterate(u"map", 3);
    iterate(u"filter", 4);
    m.defineMethod(c, u"sort", 1, [](Machine& m, const Value& self, Args a) -> Value {
        Value fn;
        int options = 0;
        size_t k = 0;
        if (k < a.size() && a[k].object() && a[k].object()->type == ObjectType::Function) fn = a[k++];
        if (k < a.size()) options = m.toInt(a[k]);
        bool isVector = self.object()->type == ObjectType::Vector;
        if (isVector && !fn.object() && a.size() && a[0].isNumber()) options = m.toInt(a[0]);
        std::vector<Value> list = sortableElements(m, self);
        std::vector<size_t> order;
        if (!sortList(m, list, fn, options, (options & kReturnIndexedArray) ? &order : nullptr)) return Value(0);
        if (options & kReturnIndexedArray) {
            std::vector<Value> out;
            for (size_t i : order) out.push_back(Value(static_cast<double>(i)));
            return Value(m.newArray(std::move(out)));
        }
        items(m, self) = std::move(list);
        return self;
    });
}

}  // namespace

void installArrayBuiltins(Machine& m) {
    ClassObject* c = m.arrayClass;
    auto build = [](Machine& m, ArrayObject* a, Args args) {
        if (args.size() == 1 && args[0].isNumber()) {
            double n = args[0].number();
            if (n < 0 || n != std::floor(n) || n > 4294967295.0)
                m.rangeError(1005, u"Array index is not a positive integer (" + numberToString(n) + u").");
            if (n > 64.0 * 1024 * 1024) throw ScriptAbort("array too long (limit)");
            a->items.assign(static_cast<size_t>(n), Value::hole());
        } else {
            a->items.assign(args.begin(), args.end());
        }
    };
    c->constructor = m.newNative(u"Array", 1, [build](Machine& m, const Value& self, Args a) -> Value {
        if (Object* o = self.object(); o && o->type == ObjectType::Array) build(m, static_cast<ArrayObject*>(o), a);
        return Value();
    });
    c->callAsFunction = [build](Machine& m, const Value&, Args a) -> Value {
        ArrayObject* arr = m.newArray();
        build(m, arr, a);
        return Value(arr);
    };
    m.defineConstant(c, u"CASEINSENSITIVE", Value(1));
    m.defineConstant(c, u"DESCENDING", Value(2));
    m.defineConstant(c, u"UNIQUESORT", Value(4));
    m.defineConstant(c, u"RETURNINDEXEDARRAY", Value(8));
    m.defineConstant(c, u"NUMERIC", Value(16));
    m.defineGetter(c, u"length", [](Machine& m, const Value& self, Args) -> Value {
        return Value(static_cast<double>(items(m, self).size()));
    }, [](Machine& m, const Value& self, Args a) -> Value {
        double n = m.toNumber(arg(a, 0));
        if (n < 0 || n != std::floor(n) || n > 4294967295.0) m.rangeError(1005, u"Array index is not a positive integer (" + numberToString(n) + u").");
        if (n > 64.0 * 1024 * 1024) throw ScriptAbort("array too long (limit)");
        items(m, self).resize(static_cast<size_t>(n), Value::hole());
        return Value();
    });
    defineListMethods(m, c);
    m.defineMethod(c, u"sortOn", 2, [](Machine& m, const Value& self, Args a) -> Value {
        std::vector<String> fields;
        std::vector<int> opts;
        Value f = arg(a, 0), o = arg(a, 1);
        if (Object* fo = f.object(); fo && fo->type == ObjectType::Array)
            for (const Value& v : static_cast<ArrayObject*>(fo)->items) fields.push_back(m.toString(v));
        else
            fields.push_back(m.toString(f));
        if (Object* oo = o.object(); oo && oo->type == ObjectType::Array)
            for (const Value& v : static_cast<ArrayObject*>(oo)->items) opts.push_back(m.toInt(v));
        int first = opts.empty() ? (o.isUndefined() ? 0 : m.toInt(o)) : opts[0];
        if (opts.size() != fields.size()) opts.assign(fields.size(), first);
        auto custom = [&](const Value& x, const Value& y) -> int {
            for (size_t i = 0; i < fields.size(); ++i) {
                Value vx = x.isObject() ? m.get(x, fields[i]) : Value();
                Value vy = y.isObject() ? m.get(y, fields[i]) : Value();
                int c = compareValues(m, vx, vy, opts[i]);
                if (opts[i] & kDescending) c = -c;
                if (c) return (first & kDescending) ? -c : c;
            }
            return 0;
        };
        std::vector<Value> list = sortableElements(m, self);
        std::vector<size_t> order;
        if (!sortList(m, list, Value(), first, (first & kReturnIndexedArray) ? &order : nullptr, custom)) return Value(0);
        if (first & kReturnIndexedArray) {
            std::vector<Value> out;
            for (size_t i : order) out.push_back(Value(static_cast<double>(i)));
            return Value(m.newArray(std::move(out)));
        }
        items(m, self) = std::move(list);
        return self;
    });
}

void installVectorBuiltins(Machine& m) {
    auto alloc = [](Machine& m, ClassObject* cls) -> Object* {
        auto* v = m.make<VectorObject>();
        v->elementType = cls->vectorOf;
        return v;
    };
    ClassObject* base = m.defineClass(u"__AS3__.vec", u"Vector", m.objectClass, nullptr);
    m.vectorBase = base;
    base->isFinal = true;
    // Only a Vector of some element type can be made: the bare name is a type function.
    base->constructor = m.newNative(u"Vector", 0, [](Machine& m, const Value&, Args) -> Value {
        m.typeError(1007, u"Instantiation attempted on a non-constructor.");
    });
    ClassObject* any = m.defineClass(u"__AS3__.vec", u"Vector$object", m.objectClass, nullptr, alloc);
    any->name = u"Vector.<*>";
    any->isVector = true;
    any->isSealedInstances = true;
    m.vectorAny = any;
    any->constructor = m.newNative(u"Vector", 2, [](Machine& m, const Value& self, Args a) -> Value {
        auto* v = static_cast<VectorObject*>(self.object());
        double n = a.empty() ? 0 : m.toNumber(a[0]);
        if (n < 0 || n != std::floor(n) || n > 64.0 * 1024 * 1024)
            m.rangeError(1005, u"Array index is not a positive integer (" + numberToString(n) + u").");
        Value fill = m.coerce(Value(), v->elementType);
        if (!v->elementType || v->elementType == m.objectClass) fill = Value::null();
        if (v->elementType == m.intClass || v->elementType == m.uintClass || v->elementType == m.numberClass) fill = Value(0);
        if (v->elementType == m.booleanClass) fill = Value(false);
        if (v->elementType == m.stringClass) fill = Value::null();
        v->items.assign(static_cast<size_t>(n), fill);
        v->fixed = a.size() > 1 && m.toBoolean(a[1]);
        return Value();
    });
    any->callAsFunction = [](Machine& m, const Value& self, Args a) -> Value {
        (void)self;
        if (a.size() != 1) m.throwError(u"ArgumentError", 1112, u"Argument count mismatch on class coercion.  Expected 1, got " + numberToString(static_cast<double>(a.size())) + u".");
        return a[0];
    };
    m.defineGetter(any, u"length", [](Machine& m, const Value& self, Args) -> Value {
        return Value(static_cast<double>(items(m, self).size()));
    }, [](Machine& m, const Value& self, Args a) -> Value {
        auto* v = static_cast<VectorObject*>(self.object());
        double n = m.toNumber(arg(a, 0));
        if (v->fixed) m.rangeError(1126, u"Cannot change the length of a fixed Vector.");
        if (n < 0 || n != std::floor(n) || n > 64.0 * 1024 * 1024) m.rangeError(1005, u"Array index is not a positive integer (" + numberToString(n) + u").");
        Value fill = v->elementType == m.intClass || v->elementType == m.uintClass || v->elementType == m.numberClass ? Value(0)
                   : v->elementType == m.booleanClass ? Value(false) : Value::null();
        v->items.resize(static_cast<size_t>(n), fill);
        return Value();
    });
    m.defineGetter(any, u"fixed", [](Machine&, const Value& self, Args) -> Value {
        return Value(static_cast<VectorObject*>(self.object())->fixed);
    }, [](Machine& m, const Value& self, Args a) -> Value {
        static_cast<VectorObject*>(self.object())->fixed = m.toBoolean(arg(a, 0));
        return Value();
    });
    defineListMethods(m, any);
}

}  // namespace swf::avm2
