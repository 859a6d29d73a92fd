// flash.utils.Proxy: a class whose subclasses answer for the properties they do not declare, with
// handlers in the flash_proxy namespace (getProperty, setProperty, callProperty, hasProperty,
// deleteProperty, and nextNameIndex, nextName, nextValue for enumeration). Proxy's own handlers
// throw the player's error asking for an override.
#include "engine/avm2/machine.h"

namespace swf::avm2 {

namespace {

const String kProxyUri = u"http://www.adobe.com/2006/actionscript/flash/proxy";

}  // namespace

Value Machine::proxyName(const Name& n) {
    Value parts[2] = {Value(n.nss.size() == 1 && !n.nss[0].isPublic() ? n.nss[0].uri : String()), Value(n.local)};
    return construct(Value(qnameClass), parts);
}

Value Machine::proxyCall(Object* proxy, const String& method, std::vector<Value> args) {
    Binding* b = proxy->traits ? proxy->traits->findQ(Ns{kNsNamespace, kProxyUri, 0}, method) : nullptr;
    if (!b || b->kind != Binding::Kind::Method) return Value();
    return call(Value(b->method), Value(proxy), args);
}

void installProxyBuiltins(Machine& m) {
    ClassObject* c = m.defineClass(u"flash.utils", u"Proxy", m.objectClass, [](Machine&, const Value&, std::span<const Value>) {
        return Value();
    }, [](Machine& m, ClassObject*) -> Object* {
        Object* o = m.make<Object>();
        o->proxy = true;
        return o;
    });
    c->isSealedInstances = false;
    struct Handler {
        const char16_t* name;
        int length;
    };
    for (Handler h : {Handler{u"getProperty", 1}, Handler{u"setProperty", 2}, Handler{u"callProperty", 1},
                      Handler{u"hasProperty", 1}, Handler{u"deleteProperty", 1}, Handler{u"getDescendants", 1},
                      Handler{u"nextNameIndex", 1}, Handler{u"nextName", 1}, Handler{u"nextValue", 1},
                      Handler{u"isAttribute", 1}}) {
        String name = h.name;
        Binding b;
        b.kind = Binding::Kind::Method;
        b.declaredBy = c;
        b.method = m.newNative(name, h.length, [name](Machine& m, const Value&, std::span<const Value>) -> Value {
            m.throwError(u"flash.errors::IllegalOperationError", 2088,
                         u"The Proxy class does not implement " + name + u". It must be overridden by a subclass.");
        });
        c->instanceTraits.set(Ns{kNsNamespace, kProxyUri, 0}, name, b);
    }
    m.defineGlobal(u"flash.utils", u"flash_proxy", Value([&m] {
        auto* ns = m.make<NamespaceObject>();
        ns->cls = m.namespaceClass;
        ns->proto = m.namespaceClass->prototype;
        ns->traits = &m.namespaceClass->instanceTraits;
        ns->ns = Ns{kNsNamespace, kProxyUri, 0};
        return ns;
    }()));
}

}  // namespace swf::avm2
