// flash.filters for ActionScript 3: BitmapFilter and its nine kinds over the filter model both
// script machines share, and DisplayObject.filters, which hands copies to and from the display
// (what a script reads back is what the display keeps, as in the player).
#include "engine/avm1/script_filter.h"
#include "engine/core/as3_display.h"

namespace swf {

using namespace avm2;
using avm1::FilterClass;
using avm1::FilterField;
using avm1::FilterFieldType;
using avm1::ScriptFilter;

namespace {

class FilterObject : public Object {
public:
    FilterObject() : Object(ObjectType::Other) {}
    void trace(std::vector<Object*>& out) override {
        Object::trace(out);
        if (map) out.push_back(map);
    }
    std::optional<ScriptFilter> filter;  // none for the BitmapFilter base class itself
    BitmapDataObject* map = nullptr;     // a displacement filter's map bitmap
};

FilterObject* asFilter(Machine& m, const Value& v) { return nativeAs<FilterObject>(m, v, u"flash.filters.BitmapFilter"); }

ScriptFilter& filterOf(Machine& m, const Value& v, FilterClass kind) {
    FilterObject* f = asFilter(m, v);
    if (!f->filter) f->filter.emplace(kind);
    return *f->filter;
}

std::string narrow(const String& s) { return utf16ToUtf8(s); }

}  // namespace

void As3Display::installFilters() {
    Machine& m = m_;
    auto alloc = [](Machine& m, ClassObject*) -> Object* { return m.make<FilterObject>(); };
    ClassObject* base = m.defineClass(u"flash.filters", u"BitmapFilter", m.objectClass,
                                      [](Machine&, const Value&, Args) -> Value { return Value(); }, alloc);
    base->isSealedInstances = true;
    ClassObject* pointCls = pointClass;
    BitmapDataObject* (*toMap)(Machine&, const Value&) = [](Machine& m, const Value& v) -> BitmapDataObject* {
        return v.isNullish() ? nullptr : asBitmapData(m, v);
    };

    // A script value into a field, converted as the field's type asks.
    auto write = [pointCls, toMap](Machine& m, const Value& self, FilterClass kind, FilterField field, const Value& v) {
        ScriptFilter& f = filterOf(m, self, kind);
        switch (avm1::filterFieldType(field)) {
        case FilterFieldType::Number: f.setNumber(field, m.toNumber(v)); break;
        case FilterFieldType::Boolean: f.setBoolean(field, m.toBoolean(v)); break;
        case FilterFieldType::String: f.setString(field, v.isNullish() ? std::string() : narrow(m.toString(v))); break;
        case FilterFieldType::Numbers: {
            if (v.isNullish()) break;
            Value list = m.coerce(v, m.arrayClass);
            ScriptFilter::ListShape shape = f.listShape(field);
            size_t count = shape.count;
            if (!shape.fixed) {
                double length = m.toNumber(m.get(list, u"length"));
                count = length > 0 ? std::min<size_t>(size_t(std::min(length, 1e9)), shape.count) : 0;
            }
            std::vector<double> values;
            for (size_t i = 0; i < count; ++i) values.push_back(m.toNumber(m.get(list, numberToString(double(i)))));
            f.setNumbers(field, values);
            break;
        }
        case FilterFieldType::Point: {
            if (v.isNullish()) {
                f.setPoint(0, 0);
                break;
            }
            Value p = m.coerce(v, pointCls);
            f.setPoint(m.toNumber(m.get(p, u"x")), m.toNumber(m.get(p, u"y")));
            break;
        }
        case FilterFieldType::Bitmap:
            asFilter(m, self)->map = toMap(m, v);
            f.forgetShownMap();
            break;
        }
    };
    auto read = [pointCls](Machine& m, const Value& self, FilterClass kind, FilterField field) -> Value {
        avm1::FilterFieldValue v = filterOf(m, self, kind).get(field);
        if (!v.present) return Value();
        switch (v.type) {
        case FilterFieldType::Number: return Value(v.number);
        case FilterFieldType::Boolean: return Value(v.boolean);
        case FilterFieldType::String: return Value(ascii(v.text));
        case FilterFieldType::Numbers: {
            std::vector<Value> items;
            for (double x : v.numbers) items.push_back(Value(x));
            return Value(m.newArray(std::move(items)));
        }
        case FilterFieldType::Point: {
            Value xy[2] = {Value(v.numbers[0]), Value(v.numbers[1])};
            return m.construct(Value(pointCls), xy);
        }
        case FilterFieldType::Bitmap: {
            BitmapDataObject* map = asFilter(m, self)->map;
            return map ? Value(map) : Value::null();
        }
        }
        return Value();
    };

    for (const avm1::FilterClassInfo& info : avm1::filterClasses()) {
        FilterClass kind = info.kind;
        std::vector<FilterField> arguments = info.arguments;
        ClassObject* c = m.defineClass(u"flash.filters", ascii(avm1::filterClassName(kind)), base,
                                       [kind, arguments, write](Machine& m, const Value& self, Args a) -> Value {
                                           asFilter(m, self)->filter.emplace(kind);
                                           // The constructors' angle defaults to exactly 45 degrees.
                                           for (size_t i = a.size(); i < arguments.size(); ++i)
                                               if (arguments[i] == FilterField::Angle) write(m, self, kind, arguments[i], Value(45.0));
                                           for (size_t i = 0; i < a.size() && i < arguments.size(); ++i)
                                               write(m, self, kind, arguments[i], a[i]);
                                           return Value();
                                       }, alloc);
        c->isFinal = true;
        c->isSealedInstances = true;
        filterClasses_[size_t(kind)] = c;
        for (FilterField field : info.fields) {
            m.defineGetter(c, ascii(avm1::filterFieldName(field)),
                           [kind, field, read](Machine& m, const Value& self, Args) -> Value { return read(m, self, kind, field); },
                           [kind, field, write](Machine& m, const Value& self, Args a) -> Value {
                               write(m, self, kind, field, arg(a, 0));
                               return Value();
                           });
        }
        m.defineMethod(c, u"clone", 0, [this, kind](Machine& m, const Value& self, Args) -> Value {
            FilterObject* from = asFilter(m, self);
            auto* copy = static_cast<FilterObject*>(m.instantiate(filterClasses_[size_t(kind)]));
            copy->filter = filterOf(m, self, kind);
            copy->map = from->map;
            return Value(copy);
        });
    }
    m.defineMethod(base, u"clone", 0, [](Machine&, const Value&, Args) -> Value { return Value::null(); });

    // DisplayObject.filters: each read makes new filters from what the display keeps; a write
    // takes copies of the filters given (null or an empty list takes them all away).
    m.defineGetter(displayObjectClass, u"filters", [this](Machine& m, const Value& v, Args) -> Value {
        As3DisplayObject* o = asDisplayObject(m, v);
        std::vector<Value> items;
        if (o->node)
            for (const Filter& shown : o->node->filters) {
                ScriptFilter f = ScriptFilter::fromDisplay(shown);
                auto* made = static_cast<FilterObject*>(m.instantiate(filterClasses_[size_t(f.kind())]));
                // A displacement keeps the bitmap object whose pixels it shows.
                if (shown.kind == Filter::Kind::DisplacementMap)
                    for (BitmapDataObject* map : o->filterMaps)
                        if (map && map->pixels.shown() == shown.displacement.mapSource) made->map = map;
                made->filter = std::move(f);
                items.push_back(Value(made));
            }
        return Value(m.newArray(std::move(items)));
    }, [this, base](Machine& m, const Value& v, Args a) -> Value {
        As3DisplayObject* o = asDisplayObject(m, v);
        std::vector<Filter> filters;
        std::vector<BitmapDataObject*> maps;
        if (!arg(a, 0).isNullish()) {
            Value list = m.coerce(arg(a, 0), m.arrayClass);
            double length = m.toNumber(m.get(list, u"length"));
            size_t count = length > 0 ? size_t(std::min(length, 4096.0)) : 0;
            for (size_t i = 0; i < count; ++i) {
                Value item = m.get(list, numberToString(double(i)));
                auto* f = dynamic_cast<FilterObject*>(item.object());
                if (!f || !f->filter || !m.isType(item, base))
                    m.throwError(u"ArgumentError", 2005, u"Parameter 0 is of the incorrect type. Should be type Filter.");
                filters.push_back(f->filter->toDisplay(f->map ? f->map->pixels.shown() : nullptr));
                if (f->map) maps.push_back(f->map);
            }
        }
        if (!o->node) return Value();
        o->node->filters = std::move(filters);
        o->filterMaps = std::move(maps);
        return Value();
    });
}

}  // namespace swf
