// QName: a local name with the URI of its namespace (null for any namespace), as E4X and the
// reflection of names hand them out.
#include "engine/avm2/machine.h"

namespace swf::avm2 {

namespace {

QNameObject* asQName(Machine& m, const Value& v) {
    Object* o = v.object();
    if (!o || o->type != ObjectType::QName)
        m.typeError(1034, u"Type Coercion failed: cannot convert " + m.describeForError(v) + u" to QName.");
    return static_cast<QNameObject*>(o);
}

bool isQName(const Value& v) { return v.object() && v.object()->type == ObjectType::QName; }

// QName(uri, name), QName(name) or QName(qname): the parts as the player takes them.
void build(Machine& m, QNameObject* q, std::span<const Value> a) {
    q->uri = Value(String());
    if (a.size() >= 2) {
        const Value& ns = a[0];
        if (ns.isNull()) q->uri = Value::null();
        else if (ns.object() && ns.object()->type == ObjectType::Namespace) q->uri = Value(static_cast<NamespaceObject*>(ns.object())->ns.uri);
        else if (!ns.isUndefined()) q->uri = Value(m.toString(ns));
        q->local = isQName(a[1]) ? static_cast<QNameObject*>(a[1].object())->local : a[1].isUndefined() ? String() : m.toString(a[1]);
    } else if (a.size() == 1) {
        if (isQName(a[0])) {
            auto* from = static_cast<QNameObject*>(a[0].object());
            q->uri = from->uri;
            q->local = from->local;
        } else {
            q->local = a[0].isUndefined() ? String() : m.toString(a[0]);
        }
    }
}

}  // namespace

void installQNameBuiltins(Machine& m) {
    ClassObject* c = m.defineClass(u"", u"QName", m.objectClass, [](Machine& m, const Value& self, std::span<const Value> a) -> Value {
        build(m, asQName(m, self), a);
        return Value();
    }, [](Machine& m, ClassObject*) -> Object* { return m.make<QNameObject>(); });
    c->isFinal = true;
    c->isSealedInstances = true;
    m.qnameClass = c;
    c->callAsFunction = [](Machine& m, const Value&, std::span<const Value> a) -> Value {
        if (a.size() == 1 && isQName(a[0])) return a[0];
        return m.construct(Value(m.qnameClass), a);
    };
    m.defineGetter(c, u"localName", [](Machine& m, const Value& self, std::span<const Value>) -> Value {
        return Value(asQName(m, self)->local);
    });
    m.defineGetter(c, u"uri", [](Machine& m, const Value& self, std::span<const Value>) -> Value {
        return asQName(m, self)->uri;
    });
    m.defineMethod(c, u"toString", 0, [](Machine& m, const Value& self, std::span<const Value>) -> Value {
        QNameObject* q = asQName(m, self);
        if (q->uri.isNull()) return Value(u"*::" + q->local);
        String uri = m.toString(q->uri);
        return Value(uri.empty() ? q->local : uri + u"::" + q->local);
    });
    m.defineMethod(c, u"valueOf", 0, [](Machine& m, const Value& self, std::span<const Value>) -> Value {
        asQName(m, self);
        return self;
    });
}

}  // namespace swf::avm2
