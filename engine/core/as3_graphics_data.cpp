// flash.display's drawing data: the IGraphicsData classes (fills, strokes, paths and the fill's
// end) that Graphics.drawGraphicsData draws in order, and the names of path commands and
// windings. Each is a record of typed fields that its constructor fills in order.
#include <cmath>

#include "engine/core/as3_graphics_data.h"

namespace swf {

using namespace avm2;

namespace {

class GraphicsDataObject : public Object {
public:
    GraphicsDataObject() : Object(ObjectType::Other) {}
    void trace(std::vector<Object*>& out) override {
        Object::trace(out);
        for (const Value& v : fields)
            if (Object* o = v.object()) out.push_back(o);
    }
    std::vector<Value> fields;
};

enum class FieldType { Number, Uint, Boolean, String, Object, IntVector, NumberVector, Winding };

struct Field {
    const char16_t* name;
    FieldType type;
    Value initial;
};

// `windingError` throws the ArgumentError of a winding other than the two (a frame of its own, as
// the player's Error.throwError shows in stack traces).
Value convert(Machine& m, FieldType type, const Value& v, FunctionObject* windingError) {
    switch (type) {
    case FieldType::Number: return Value(m.toNumber(v));
    case FieldType::Uint: return Value(double(m.toUint(v)));
    case FieldType::Boolean: return Value(m.toBoolean(v));
    case FieldType::String: return v.isNullish() ? Value::null() : Value(m.toString(v));
    case FieldType::Object: return v.isUndefined() ? Value::null() : v;
    case FieldType::IntVector: return v.isNullish() ? Value::null() : m.coerce(v, m.vectorClass(m.intClass));
    case FieldType::NumberVector: return v.isNullish() ? Value::null() : m.coerce(v, m.vectorClass(m.numberClass));
    case FieldType::Winding: {
        String s = v.isNullish() ? String() : m.toString(v);
        if (s != u"evenOdd" && s != u"nonZero") m.callNative(windingError, Value::null(), {});
        return Value(s);
    }
    }
    return v;
}

GraphicsDataObject* asData(Machine& m, const Value& v, ClassObject* cls) {
    Object* o = v.object();
    if (!o) m.typeError(1009, u"Cannot access a property or method of a null object reference.");
    if (!o->cls || !o->cls->isSubclassOf(cls))
        m.typeError(1034, u"Type Coercion failed: cannot convert " + m.describeForError(v) + u" to " + cls->qualifiedName() + u".");
    return static_cast<GraphicsDataObject*>(o);
}

// The vector in field `i`, made empty of `element` when it is null.
VectorObject* vectorField(Machine& m, GraphicsDataObject* g, size_t i, ClassObject* element) {
    if (g->fields[i].isNullish()) {
        auto* v = static_cast<VectorObject*>(m.instantiate(m.vectorClass(element)));
        v->elementType = element;
        g->fields[i] = Value(v);
    }
    return static_cast<VectorObject*>(g->fields[i].object());
}

}  // namespace

void installGraphicsData(Machine& m) {
    FunctionObject* windingError = m.newNative(u"throwError", 0, [](Machine& m, const Value&, Args) -> Value {
        m.throwError(u"ArgumentError", 2008, u"Parameter winding must be one of the accepted values.");
    });
    windingError->traceName = u"Error$/throwError";
    auto interfaceNamed = [&m](const char16_t* name, std::vector<ClassObject*> supers) {
        ClassObject* c = m.defineClass(u"flash.display", name, nullptr, nullptr);
        c->isInterface = true;
        c->interfaces = std::move(supers);
        return c;
    };
    ClassObject* data = interfaceNamed(u"IGraphicsData", {});
    ClassObject* fill = interfaceNamed(u"IGraphicsFill", {});
    ClassObject* path = interfaceNamed(u"IGraphicsPath", {});
    ClassObject* stroke = interfaceNamed(u"IGraphicsStroke", {});

    auto record = [&m, windingError](const char16_t* name, std::vector<ClassObject*> interfaces, std::vector<Field> fields) {
        ClassObject* c = m.defineClass(u"flash.display", name, m.objectClass, [fields, windingError](Machine& m, const Value& self, Args a) -> Value {
            auto* g = static_cast<GraphicsDataObject*>(self.object());
            for (size_t i = 0; i < fields.size(); ++i) g->fields[i] = i < a.size() ? convert(m, fields[i].type, a[i], windingError) : fields[i].initial;
            return Value();
        }, [n = fields.size()](Machine& m, ClassObject*) -> Object* {
            auto* g = m.make<GraphicsDataObject>();
            g->fields.resize(n);
            return g;
        });
        c->isSealedInstances = true;
        c->isFinal = true;
        c->interfaces = std::move(interfaces);
        for (size_t i = 0; i < fields.size(); ++i) {
            FieldType type = fields[i].type;
            m.defineGetter(c, fields[i].name, [c, i](Machine& m, const Value& self, Args) -> Value { return asData(m, self, c)->fields[i]; },
                           [c, i, type, windingError](Machine& m, const Value& self, Args a) -> Value {
                               GraphicsDataObject* g = asData(m, self, c);
                               g->fields[i] = convert(m, type, arg(a, 0), windingError);
                               return Value();
                           });
        }
        return c;
    };
    Value nan(std::nan(""));
    record(u"GraphicsSolidFill", {fill, data}, {{u"color", FieldType::Uint, Value(0)}, {u"alpha", FieldType::Number, Value(1.0)}});
    record(u"GraphicsGradientFill", {fill, data},
           {{u"type", FieldType::String, Value(u"linear")}, {u"colors", FieldType::Object, Value::null()},
            {u"alphas", FieldType::Object, Value::null()}, {u"ratios", FieldType::Object, Value::null()},
            {u"matrix", FieldType::Object, Value::null()}, {u"spreadMethod", FieldType::String, Value(u"pad")},
            {u"interpolationMethod", FieldType::String, Value(u"rgb")}, {u"focalPointRatio", FieldType::Number, Value(0.0)}});
    record(u"GraphicsBitmapFill", {fill, data},
           {{u"bitmapData", FieldType::Object, Value::null()}, {u"matrix", FieldType::Object, Value::null()},
            {u"repeat", FieldType::Boolean, Value(true)}, {u"smooth", FieldType::Boolean, Value(false)}});
    record(u"GraphicsEndFill", {fill, data}, {});
    record(u"GraphicsStroke", {stroke, data},
           {{u"thickness", FieldType::Number, nan}, {u"pixelHinting", FieldType::Boolean, Value(false)},
            {u"scaleMode", FieldType::String, Value(u"normal")}, {u"caps", FieldType::String, Value(u"none")},
            {u"joints", FieldType::String, Value(u"round")}, {u"miterLimit", FieldType::Number, Value(3.0)},
            {u"fill", FieldType::Object, Value::null()}});
    ClassObject* pathClass = record(u"GraphicsPath", {path, data},
                                    {{u"commands", FieldType::IntVector, Value::null()}, {u"data", FieldType::NumberVector, Value::null()},
                                     {u"winding", FieldType::Winding, Value(u"evenOdd")}});

    // The path's own drawing calls add a command and its numbers.
    struct Step {
        const char16_t* name;
        int command;
        int numbers;
    };
    for (Step s : {Step{u"moveTo", 1, 2}, Step{u"lineTo", 2, 2}, Step{u"curveTo", 3, 4}, Step{u"wideMoveTo", 4, 2},
                   Step{u"wideLineTo", 5, 2}, Step{u"cubicCurveTo", 6, 6}}) {
        m.defineMethod(pathClass, s.name, s.numbers, [pathClass, s](Machine& m, const Value& self, Args a) -> Value {
            GraphicsDataObject* g = asData(m, self, pathClass);
            VectorObject* commands = vectorField(m, g, 0, m.intClass);
            VectorObject* numbers = vectorField(m, g, 1, m.numberClass);
            if (commands->fixed || numbers->fixed) m.rangeError(1126, u"Cannot change the length of a fixed Vector.");
            commands->items.push_back(Value(s.command));
            // The wide commands keep a spare pair first, so their numbers line up in fours.
            if (s.command == 4 || s.command == 5) numbers->items.insert(numbers->items.end(), {Value(0.0), Value(0.0)});
            for (int i = 0; i < s.numbers; ++i) numbers->items.push_back(Value(m.toNumber(arg(a, size_t(i)))));
            return Value();
        });
    }

    auto constants = [&m](const char16_t* name, std::vector<std::pair<const char16_t*, Value>> values) {
        ClassObject* c = m.defineClass(u"flash.display", name, m.objectClass, nullptr);
        c->isFinal = true;
        for (auto& [key, v] : values) m.defineConstant(c, key, v);
    };
    constants(u"GraphicsPathCommand", {{u"NO_OP", Value(0)}, {u"MOVE_TO", Value(1)}, {u"LINE_TO", Value(2)}, {u"CURVE_TO", Value(3)},
                                       {u"WIDE_MOVE_TO", Value(4)}, {u"WIDE_LINE_TO", Value(5)}, {u"CUBIC_CURVE_TO", Value(6)}});
    constants(u"GraphicsPathWinding", {{u"EVEN_ODD", Value(u"evenOdd")}, {u"NON_ZERO", Value(u"nonZero")}});
}

}  // namespace swf
