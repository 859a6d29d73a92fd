// flash.filters for ActionScript 1/2: script objects over the shared filter model, and
// MovieClip.filters, which hands copies to and from the display.
#include "engine/avm1/bitmap_data.h"
#include "engine/avm1/geom_support.h"
#include "engine/avm1/script_filter.h"

namespace swf::avm1 {

namespace {

// A filter object's state (a displacement filter's map bitmap is the object's slotA). Objects
// of the BitmapFilter base class itself have none.
struct FilterState : NativeState {
    explicit FilterState(ScriptFilter f) : filter(std::move(f)) {}
    ScriptFilter filter;
};

FilterState* stateOf(Object* self) { return self ? dynamic_cast<FilterState*>(self->state.get()) : nullptr; }

// The elements of an array-like value as numbers: `count` of them read by index when `fixed`,
// otherwise its `length`, up to `count`.
std::vector<double> numbersOf(Machine& m, const Value& v, ScriptFilter::ListShape shape) {
    size_t count = shape.fixed ? shape.count : toCount(m.toNumber(m.getMember(v, "length")), shape.count);
    std::vector<double> out;
    for (size_t i = 0; i < count; ++i) out.push_back(m.toNumber(m.getMember(v, std::to_string(i))));
    return out;
}

Value read(Machine& m, Object* self, FilterField field) {
    FilterState* s = stateOf(self);
    if (!s) return Value();
    FilterFieldValue v = s->filter.get(field);
    if (!v.present) return Value();
    switch (v.type) {
    case FilterFieldType::Number: return Value(v.number);
    case FilterFieldType::Boolean: return Value(v.boolean);
    case FilterFieldType::String: return Value(v.text);
    case FilterFieldType::Numbers: {
        std::vector<Value> elements;
        for (double x : v.numbers) elements.push_back(Value(x));
        return Value(m.newArray(std::move(elements)));
    }
    case FilterFieldType::Point: return constructFlashClass(m, "geom", "Point", {Value(v.numbers[0]), Value(v.numbers[1])});
    case FilterFieldType::Bitmap: return self->slotA ? Value(self->slotA) : Value();
    }
    return Value();
}

void write(Machine& m, Object* self, FilterField field, const Value& v) {
    FilterState* s = stateOf(self);
    if (!s) return;
    ScriptFilter& f = s->filter;
    switch (filterFieldType(field)) {
    case FilterFieldType::Number: f.setNumber(field, m.toNumber(v)); break;
    case FilterFieldType::Boolean: f.setBoolean(field, m.toBoolean(v)); break;
    case FilterFieldType::String: f.setString(field, m.toString(v)); break;
    case FilterFieldType::Numbers:
        if (!v.isNullish()) f.setNumbers(field, numbersOf(m, v, f.listShape(field)));
        break;
    case FilterFieldType::Point: f.setPoint(numberMember(m, v, "x"), numberMember(m, v, "y")); break;
    case FilterFieldType::Bitmap:
        if (v.object() && dynamic_cast<BitmapPixels*>(v.object()->state.get())) {
            self->slotA = v.object();
            f.forgetShownMap();
        }
        break;
    }
}

template <size_t I>
Value getter(Machine& m, Object* self, std::vector<Value>&) { return read(m, self, FilterField(I)); }
template <size_t I>
Value setter(Machine& m, Object* self, std::vector<Value>& a) {
    write(m, self, FilterField(I), arg(a, 0));
    return Value();
}

template <size_t... I>
constexpr std::array<std::pair<NativeFunction, NativeFunction>, sizeof...(I)> accessorTable(std::index_sequence<I...>) {
    return {std::pair<NativeFunction, NativeFunction>{getter<I>, setter<I>}...};
}
constexpr auto kAccessors = accessorTable(std::make_index_sequence<size_t(FilterField::Count)>{});

template <FilterClass K>
Value construct(Machine& m, Object* self, std::vector<Value>& a) {
    self->state = std::make_unique<FilterState>(ScriptFilter(K));
    const FilterClassInfo& info = filterClassInfo(K);
    for (size_t i = 0; i < a.size() && i < info.arguments.size(); ++i)
        if (!a[i].isUndefined()) write(m, self, info.arguments[i], a[i]);
    return Value(self);
}

Value constructBase(Machine&, Object* self, std::vector<Value>&) { return Value(self); }

Value clone(Machine& m, Object* self, std::vector<Value>&) {
    FilterState* s = stateOf(self);
    if (!s) return Value();
    Value made = constructFlashClass(m, "filters", filterClassName(s->filter.kind()), {});
    Object* o = made.object();
    if (!o) return Value();
    o->state = std::make_unique<FilterState>(s->filter);
    o->slotA = self->slotA;
    return made;
}

Value noClone(Machine&, Object*, std::vector<Value>&) { return Value(); }

Value fromDisplay(Machine& m, const swf::Filter& f) {
    ScriptFilter filter = ScriptFilter::fromDisplay(f);
    Value made = constructFlashClass(m, "filters", filterClassName(filter.kind()), {});
    FilterState* s = stateOf(made.object());
    if (!s) return Value();
    s->filter = std::move(filter);
    return made;
}

// MovieClip.filters: new copies on each read; assigning takes copies of the filters given.
Value clipFilters(Machine& m, Object* self, std::vector<Value>&) {
    if (!self || !self->clip) return Value();
    std::vector<Value> list;
    for (const swf::Filter& f : self->clip->filters()) list.push_back(fromDisplay(m, f));
    return Value(m.newArray(std::move(list)));
}

Value setClipFilters(Machine&, Object* self, std::vector<Value>& a) {
    if (!self || !self->clip) return Value();
    if (auto filters = displayFilters(arg(a, 0))) self->clip->setFilters(*filters);
    return Value();
}

}  // namespace

std::optional<std::vector<swf::Filter>> displayFilters(const Value& given) {
    Object* list = given.object();
    if (!list || !list->isArray) return std::nullopt;
    std::vector<swf::Filter> filters;
    for (const Value& v : list->elements) {
        FilterState* s = stateOf(v.object());
        if (!s) continue;
        BitmapPixels* map = v.object()->slotA ? bitmapPixels(Value(v.object()->slotA)) : nullptr;
        filters.push_back(s->filter.toDisplay(map ? map->shown() : nullptr));
    }
    return filters;
}

void installFilters(Machine& m) {
    Object* baseProto = m.newObject();
    defineFlashClass(m, "filters", "BitmapFilter", constructBase, baseProto);
    m.defineNative(baseProto, "clone", noClone);
    auto constructorOf = [](FilterClass k) -> NativeFunction {
        switch (k) {
        case FilterClass::DropShadow: return construct<FilterClass::DropShadow>;
        case FilterClass::Blur: return construct<FilterClass::Blur>;
        case FilterClass::Glow: return construct<FilterClass::Glow>;
        case FilterClass::Bevel: return construct<FilterClass::Bevel>;
        case FilterClass::GradientGlow: return construct<FilterClass::GradientGlow>;
        case FilterClass::Convolution: return construct<FilterClass::Convolution>;
        case FilterClass::ColorMatrix: return construct<FilterClass::ColorMatrix>;
        case FilterClass::GradientBevel: return construct<FilterClass::GradientBevel>;
        case FilterClass::DisplacementMap: return construct<FilterClass::DisplacementMap>;
        }
        return constructBase;
    };
    for (const FilterClassInfo& info : filterClasses()) {
        Object* proto = m.newObject();
        proto->proto = baseProto;
        defineFlashClass(m, "filters", filterClassName(info.kind), constructorOf(info.kind), proto);
        // Enumerable, in this order: scripts that list a filter's properties see them so.
        for (FilterField f : info.fields) {
            auto [get, set] = kAccessors[size_t(f)];
            defineAccessor(m, proto, filterFieldName(f), get, set, 0);
        }
        m.defineNative(proto, "clone", clone);
        proto->find(m.key("clone"))->flags = 0;
    }
    for (Object* proto : {m.movieClipProto, m.buttonProto})
        if (proto) defineAccessor(m, proto, "filters", clipFilters, setClipFilters, DontEnum | FromVersion8);
}

}  // namespace swf::avm1
