// The XML and XMLList classes: construction from markup, the settings of parsing and printing,
// and the methods that walk, read and change the tree. XMLList methods that need one node work on
// a list of exactly one.
#include "engine/avm2/xml.h"

namespace swf::avm2 {

namespace {

using Args = std::span<const Value>;
using Kind = XmlObject::Kind;

// The node an XMLList method that needs one node works on.
XmlObject* single(Machine& m, const Value& self, const char16_t* method) {
    if (XmlObject* x = asXml(self)) return x;
    XmlListObject* l = asXmlList(self);
    if (!l) m.typeError(1034, u"Type Coercion failed: cannot convert " + m.describeForError(self) + u" to XMLList.");
    if (l->items.size() != 1)
        m.typeError(1086, u"The " + String(method) + u" method only works on lists containing one item.");
    return l->items[0];
}

std::vector<XmlObject*> nodesOf(const Value& self) {
    if (XmlObject* x = asXml(self)) return {x};
    if (XmlListObject* l = asXmlList(self)) return l->items;
    return {};
}

Value makeQName(Machine& m, const Value& uri, const String& local) {
    auto* q = m.make<QNameObject>();
    q->cls = m.qnameClass;
    q->proto = m.qnameClass->prototype;
    q->traits = &m.qnameClass->instanceTraits;
    q->uri = uri;
    q->local = local;
    return Value(q);
}

// The namespaces in scope at `x`: its own declarations, then its ancestors' not hidden by them.
std::vector<XmlNamespace> inScope(const XmlObject* x) {
    std::vector<XmlNamespace> r;
    for (const XmlObject* p = x; p; p = p->parent)
        for (const XmlNamespace& ns : p->namespaces) {
            bool hidden = false;
            for (const XmlNamespace& seen : r)
                if (seen.prefix == ns.prefix) hidden = true;
            if (!hidden) r.push_back(ns);
        }
    return r;
}

bool isXmlNameText(const String& s) {
    if (s.empty()) return false;
    auto start = [](char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c >= 0xC0; };
    if (!start(s[0])) return false;
    for (char16_t c : s)
        if (!start(c) && !(c >= u'0' && c <= u'9') && c != u'-' && c != u'.') return false;
    return true;
}

Value childrenList(Machine& m, const Value& self, const XmlNameQuery& q) {
    XmlListObject* r = newXmlList(m, self.object(), q);
    for (XmlObject* x : nodesOf(self)) {
        if (x->kind != Kind::Element) continue;
        for (XmlObject* k : q.attribute ? x->attributes : x->children)
            if (q.anyName ? (q.anyNamespace || k->kind != Kind::Element || q.matchesUri(k->uri))
                          : (k->kind == Kind::Element || k->kind == Kind::Attribute) && k->local == q.local && q.matchesUri(k->uri))
                r->items.push_back(k);
    }
    return Value(r);
}

Value childrenOfKind(Machine& m, const Value& self, Kind kind, const String* name = nullptr) {
    XmlListObject* r = newXmlList(m, self.object());
    for (XmlObject* x : nodesOf(self))
        for (XmlObject* k : x->children)
            if (k->kind == kind && (!name || *name == u"*" || k->local == *name)) r->items.push_back(k);
    return Value(r);
}

// A value as the node(s) insertion methods add: XML as it is, text otherwise parsed or kept as text.
Value insertable(Machine& m, const Value& v) {
    if (isXmlValue(v)) return v;
    return toXml(m, v);
}

void insertAt(Machine& m, XmlObject* x, size_t at, const Value& v) {
    if (x->kind != Kind::Element) return;
    std::vector<XmlObject*> nodes = nodesOf(insertable(m, v));
    for (XmlObject* c : nodes)
        for (XmlObject* p = x; p; p = p->parent)
            if (p == c) m.typeError(1118, u"Illegal cyclical loop between nodes.");
    // A node keeps its place where it was: E4X inserts it again rather than moving it.
    for (XmlObject* c : nodes) {
        c->parent = x;
        at = std::min(at, x->children.size());
        x->children.insert(x->children.begin() + static_cast<std::ptrdiff_t>(at++), c);
    }
}

NamespaceObject* nsValue(Machine& m, const XmlNamespace& ns) { return newNamespace(m, ns.prefix, ns.uri); }

// The namespace of a node's name, with the prefix it has where the node is.
Value nodeNamespace(Machine& m, XmlObject* x) {
    if (x->kind == Kind::Text || x->kind == Kind::Comment) return Value::null();
    if (x->kind == Kind::Instruction) return Value(newNamespace(m, String(), String()));
    std::optional<String> prefix = x->prefix;
    for (const XmlNamespace& ns : inScope(x->kind == Kind::Attribute ? x->parent : x))
        if (ns.uri == x->uri && (!prefix || ns.prefix == prefix)) return Value(nsValue(m, ns));
    if (x->uri.empty()) return Value(newNamespace(m, String(), String()));
    // Its prefix is no longer declared where it is: the namespace is known by its URI alone.
    return Value(newNamespace(m, std::nullopt, x->uri));
}

// The URI and prefix of a name given as a QName, a Namespace-qualified value or text.
void nameParts(Machine& m, const Value& v, String& uri, String& local, bool& hasUri) {
    hasUri = false;
    if (Object* o = v.object(); o && o->type == ObjectType::QName) {
        auto* q = static_cast<QNameObject*>(o);
        local = q->local;
        if (!q->uri.isNull()) {
            uri = m.toString(q->uri);
            hasUri = true;
        }
        return;
    }
    if (XmlObject* x = asXml(v); x && (x->kind == Kind::Element || x->kind == Kind::Attribute)) {
        local = x->local;
        uri = x->uri;
        hasUri = true;
        return;
    }
    local = m.toString(v);
}

void checkName(Machine& m, const String& s) {
    if (!isXmlNameText(s)) m.typeError(1117, u"Invalid XML name: " + s + u".");
}

void addNamespaceTo(XmlObject* x, const XmlNamespace& ns) {
    if (x->kind != Kind::Element) return;
    for (XmlNamespace& d : x->namespaces)
        if (d.prefix == ns.prefix) {
            d.uri = ns.uri;
            return;
        }
    x->namespaces.push_back(ns);
}

XmlNamespace namespaceArg(Machine& m, const Value& v) {
    if (Object* o = v.object(); o && o->type == ObjectType::Namespace) {
        auto* n = static_cast<NamespaceObject*>(o);
        std::optional<String> prefix;
        if (!n->prefix.isUndefined()) prefix = m.toString(n->prefix);
        return XmlNamespace{prefix, n->ns.uri};
    }
    if (Object* o = v.object(); o && o->type == ObjectType::QName) {
        auto* q = static_cast<QNameObject*>(o);
        return XmlNamespace{std::nullopt, q->uri.isNull() ? String() : m.toString(q->uri)};
    }
    String uri = m.toString(v);
    return XmlNamespace{uri.empty() ? std::optional<String>(String()) : std::nullopt, uri};
}

void defineBoth(Machine& m, const String& name, int length, NativeFn fn) {
    m.defineMethod(m.xmlClass, name, length, fn);
    m.defineMethod(m.xmlListClass, name, length, std::move(fn));
}

// A method that needs a single node: on XMLList, the list's one item.
void defineSingle(Machine& m, const char16_t* name, int length, std::function<Value(Machine&, XmlObject*, Args)> fn) {
    String method(name);
    defineBoth(m, name, length, [fn, method](Machine& m, const Value& self, Args a) -> Value {
        return fn(m, single(m, self, method.c_str()), a);
    });
}

void installSettings(Machine& m, ClassObject* c) {
    auto flag = [&](const char16_t* name, bool XmlSettings::*field) {
        m.defineGetter(c, name, [field](Machine& m, const Value&, Args) -> Value { return Value(m.xmlSettings.*field); },
                       [field](Machine& m, const Value&, Args a) -> Value {
                           m.xmlSettings.*field = m.toBoolean(arg(a, 0));
                           return Value();
                       }, true);
    };
    flag(u"ignoreComments", &XmlSettings::ignoreComments);
    flag(u"ignoreProcessingInstructions", &XmlSettings::ignoreProcessingInstructions);
    flag(u"ignoreWhitespace", &XmlSettings::ignoreWhitespace);
    flag(u"prettyPrinting", &XmlSettings::prettyPrinting);
    m.defineGetter(c, u"prettyIndent", [](Machine& m, const Value&, Args) -> Value { return Value(m.xmlSettings.prettyIndent); },
                   [](Machine& m, const Value&, Args a) -> Value {
                       m.xmlSettings.prettyIndent = m.toInt(arg(a, 0));
                       return Value();
                   }, true);
    auto settingsObject = [](Machine& m, const XmlSettings& s) {
        Object* o = m.newObject();
        m.set(Value(o), u"ignoreComments", Value(s.ignoreComments));
        m.set(Value(o), u"ignoreProcessingInstructions", Value(s.ignoreProcessingInstructions));
        m.set(Value(o), u"ignoreWhitespace", Value(s.ignoreWhitespace));
        m.set(Value(o), u"prettyPrinting", Value(s.prettyPrinting));
        m.set(Value(o), u"prettyIndent", Value(s.prettyIndent));
        return Value(o);
    };
    m.defineStatic(c, u"settings", 0, [settingsObject](Machine& m, const Value&, Args) -> Value { return settingsObject(m, m.xmlSettings); });
    m.defineStatic(c, u"defaultSettings", 0, [settingsObject](Machine& m, const Value&, Args) -> Value { return settingsObject(m, XmlSettings{}); });
    m.defineStatic(c, u"setSettings", 1, [](Machine& m, const Value&, Args a) -> Value {
        Value s = arg(a, 0);
        if (!s.object()) {
            m.xmlSettings = XmlSettings{};
            return Value();
        }
        auto read = [&](const char16_t* name, bool& into) {
            Value v = m.get(s, name);
            if (v.isBoolean()) into = v.boolean();
        };
        read(u"ignoreComments", m.xmlSettings.ignoreComments);
        read(u"ignoreProcessingInstructions", m.xmlSettings.ignoreProcessingInstructions);
        read(u"ignoreWhitespace", m.xmlSettings.ignoreWhitespace);
        read(u"prettyPrinting", m.xmlSettings.prettyPrinting);
        Value indent = m.get(s, u"prettyIndent");
        if (indent.isNumber()) m.xmlSettings.prettyIndent = m.toInt(indent);
        return Value();
    });
}

String markupOf(Machine& m, const Value& v) {
    if (v.isNullish()) return String();
    if (Object* o = v.object(); o && o->type != ObjectType::Xml && o->type != ObjectType::XmlList) {
        Value p = m.toPrimitive(v, true);
        return m.toString(p);
    }
    return m.toString(v);
}

}  // namespace

Value toXml(Machine& m, const Value& v) {
    if (XmlObject* x = asXml(v)) return Value(x);
    if (XmlListObject* l = asXmlList(v)) {
        if (l->items.size() == 1) return Value(l->items[0]);
        m.typeError(1088, u"The markup in the document following the root element must be well-formed.");
    }
    std::vector<XmlObject*> nodes = parseXmlFragment(m, markupOf(m, v), m.defaultXmlNamespace);
    if (nodes.empty()) return Value(newXml(m, Kind::Text));
    if (nodes.size() > 1) {
        // Text around one element is white space the parse kept: the element stands alone.
        m.typeError(1088, u"The markup in the document following the root element must be well-formed.");
    }
    return Value(nodes[0]);
}

XmlListObject* toXmlList(Machine& m, const Value& v) {
    if (XmlListObject* l = asXmlList(v)) return l;
    XmlListObject* r = newXmlList(m);
    if (XmlObject* x = asXml(v)) {
        r->items.push_back(x);
        return r;
    }
    r->items = parseXmlFragment(m, markupOf(m, v), m.defaultXmlNamespace);
    return r;
}

NamespaceObject* newNamespace(Machine& m, const std::optional<String>& prefix, const String& uri) {
    auto* ns = m.make<NamespaceObject>();
    ns->cls = m.namespaceClass;
    ns->proto = m.namespaceClass->prototype;
    ns->traits = &m.namespaceClass->instanceTraits;
    ns->ns = Ns{kNsNamespace, uri, 0};
    ns->prefix = prefix ? Value(*prefix) : Value();
    return ns;
}

void installNamespaceBuiltins(Machine& m) {
    ClassObject* c = m.namespaceClass;
    c->constructor = m.newNative(u"Namespace", 0, [](Machine& m, const Value& self, Args a) -> Value {
        auto* ns = static_cast<NamespaceObject*>(self.object());
        ns->ns.kind = kNsNamespace;
        if (a.empty()) {
            ns->prefix = Value(String());
            ns->ns.uri.clear();
        } else if (a.size() == 1) {
            XmlNamespace d = namespaceArg(m, a[0]);
            ns->ns.uri = d.uri;
            ns->prefix = d.prefix ? Value(*d.prefix) : Value();
        } else {
            XmlNamespace d = namespaceArg(m, a[1]);
            ns->ns.uri = d.uri;
            const Value& p = a[0];
            if (d.uri.empty()) {
                if (!p.isUndefined() && !(p.isString() && p.string().empty()) && m.toString(p) != u"")
                    m.typeError(1098, u"Illegal prefix " + m.toString(p) + u" for no namespace.");
                ns->prefix = Value(String());
            } else if (p.isUndefined()) {
                ns->prefix = Value();
            } else {
                String s = p.object() && p.object()->type == ObjectType::Namespace
                               ? static_cast<NamespaceObject*>(p.object())->ns.uri
                               : m.toString(p);
                ns->prefix = s.empty() || isXmlNameText(s) ? Value(s) : Value();
            }
        }
        return Value();
    });
    c->allocate = [](Machine& m, ClassObject*) -> Object* { return newNamespace(m, String(), String()); };
    c->callAsFunction = [](Machine& m, const Value&, Args a) -> Value {
        if (a.size() == 1 && a[0].object() && a[0].object()->type == ObjectType::Namespace) return a[0];
        return m.construct(Value(m.namespaceClass), a);
    };
    auto self = [](Machine& m, const Value& v) -> NamespaceObject* {
        if (Object* o = v.object(); o && o->type == ObjectType::Namespace) return static_cast<NamespaceObject*>(o);
        m.typeError(1034, u"Type Coercion failed: cannot convert " + m.describeForError(v) + u" to Namespace.");
    };
    m.defineGetter(c, u"uri", [self](Machine& m, const Value& v, Args) -> Value { return Value(self(m, v)->ns.uri); });
    m.defineGetter(c, u"prefix", [self](Machine& m, const Value& v, Args) -> Value { return self(m, v)->prefix; });
    m.defineMethod(c, u"toString", 0, [self](Machine& m, const Value& v, Args) -> Value { return Value(self(m, v)->ns.uri); });
    m.defineMethod(c, u"valueOf", 0, [self](Machine& m, const Value& v, Args) -> Value { return Value(self(m, v)->ns.uri); });
}

void installXmlBuiltins(Machine& m) {
    auto alloc = [](Machine& m, ClassObject*) -> Object* { return newXml(m, Kind::Text); };
    ClassObject* xml = m.defineClass(u"", u"XML", m.objectClass, [](Machine& m, const Value& self, Args a) -> Value {
        Value v = arg(a, 0);
        if (XmlObject* x = asXml(v)) return Value(deepCopy(m, x, nullptr));
        if (XmlListObject* l = asXmlList(v); l && l->items.size() == 1) return Value(deepCopy(m, l->items[0], nullptr));
        (void)self;
        return toXml(m, v);
    }, alloc);
    m.xmlClass = xml;
    xml->isFinal = true;
    xml->callAsFunction = [](Machine& m, const Value&, Args a) -> Value { return toXml(m, arg(a, 0)); };
    ClassObject* list = m.defineClass(u"", u"XMLList", m.objectClass, [](Machine& m, const Value&, Args a) -> Value {
        Value v = arg(a, 0);
        XmlListObject* r = newXmlList(m);
        if (XmlListObject* l = asXmlList(v)) r->items = l->items;
        else r->items = toXmlList(m, v)->items;
        return Value(r);
    }, [](Machine& m, ClassObject*) -> Object* { return newXmlList(m); });
    m.xmlListClass = list;
    list->isFinal = true;
    list->callAsFunction = [](Machine& m, const Value&, Args a) -> Value { return Value(toXmlList(m, arg(a, 0))); };
    installSettings(m, xml);
    // The prototypes are themselves XML values (an empty text node and an empty list).
    xml->prototype->dynamic.set(u"constructor", Value(xml), false);

    defineBoth(m, u"toString", 0, [](Machine& m, const Value& self, Args) -> Value {
        if (XmlObject* x = asXml(self)) return Value(xmlToString(m, x));
        if (XmlListObject* l = asXmlList(self)) return Value(xmlListToString(m, l));
        return Value(String());
    });
    defineBoth(m, u"toXMLString", 0, [](Machine& m, const Value& self, Args) -> Value {
        if (XmlObject* x = asXml(self)) return Value(toXmlString(m, x));
        if (XmlListObject* l = asXmlList(self)) return Value(listToXmlString(m, l));
        return Value(String());
    });
    defineBoth(m, u"valueOf", 0, [](Machine&, const Value& self, Args) -> Value { return self; });
    defineBoth(m, u"toJSON", 1, [](Machine&, const Value&, Args) -> Value { return Value(u"XML"); });
    defineBoth(m, u"length", 0, [](Machine&, const Value& self, Args) -> Value {
        if (XmlListObject* l = asXmlList(self)) return Value(static_cast<double>(l->items.size()));
        return Value(asXml(self) ? 1 : 0);
    });
    defineBoth(m, u"children", 0, [](Machine& m, const Value& self, Args) -> Value {
        XmlNameQuery q;
        q.anyName = q.anyNamespace = true;
        return childrenList(m, self, q);
    });
    defineBoth(m, u"child", 1, [](Machine& m, const Value& self, Args a) -> Value {
        Value n = arg(a, 0);
        if (n.isNumber()) {
            double d = n.number();
            XmlListObject* r = newXmlList(m);
            for (XmlObject* x : nodesOf(self))
                if (d >= 0 && d < static_cast<double>(x->children.size()) && d == std::floor(d))
                    r->items.push_back(x->children[static_cast<size_t>(d)]);
            return Value(r);
        }
        return childrenList(m, self, xmlNameFromValue(m, n));
    });
    defineBoth(m, u"attributes", 0, [](Machine& m, const Value& self, Args) -> Value {
        XmlNameQuery q;
        q.attribute = q.anyName = q.anyNamespace = true;
        return childrenList(m, self, q);
    });
    defineBoth(m, u"attribute", 1, [](Machine& m, const Value& self, Args a) -> Value {
        return childrenList(m, self, xmlNameFromValue(m, arg(a, 0), true));
    });
    defineBoth(m, u"elements", 1, [](Machine& m, const Value& self, Args a) -> Value {
        XmlNameQuery q = a.empty() ? XmlNameQuery{} : xmlNameFromValue(m, a[0]);
        if (a.empty()) q.anyName = q.anyNamespace = true;
        XmlListObject* r = newXmlList(m, self.object(), q);
        for (XmlObject* x : nodesOf(self))
            for (XmlObject* k : x->children)
                if (k->kind == Kind::Element && (q.anyName || k->local == q.local) && q.matchesUri(k->uri)) r->items.push_back(k);
        return Value(r);
    });
    defineBoth(m, u"descendants", 1, [](Machine& m, const Value& self, Args a) -> Value {
        XmlNameQuery q = xmlNameFromValue(m, a.empty() ? Value(u"*") : a[0]);
        return Value(xmlDescendants(m, self.object(), q));
    });
    defineBoth(m, u"text", 0, [](Machine& m, const Value& self, Args) -> Value { return childrenOfKind(m, self, Kind::Text); });
    defineBoth(m, u"comments", 0, [](Machine& m, const Value& self, Args) -> Value { return childrenOfKind(m, self, Kind::Comment); });
    defineBoth(m, u"processingInstructions", 1, [](Machine& m, const Value& self, Args a) -> Value {
        String name = a.empty() ? String(u"*") : m.toString(a[0]);
        return childrenOfKind(m, self, Kind::Instruction, &name);
    });
    defineBoth(m, u"hasSimpleContent", 0, [](Machine&, const Value& self, Args) -> Value {
        if (XmlObject* x = asXml(self)) return Value(x->hasSimpleContent());
        XmlListObject* l = asXmlList(self);
        if (!l) return Value(false);
        if (l->items.size() == 1) return Value(l->items[0]->hasSimpleContent());
        for (XmlObject* x : l->items)
            if (x->kind == Kind::Element) return Value(false);
        return Value(true);
    });
    defineBoth(m, u"hasComplexContent", 0, [](Machine&, const Value& self, Args) -> Value {
        auto complex = [](const XmlObject* x) {
            if (x->kind != Kind::Element) return false;
            for (const XmlObject* c : x->children)
                if (c->kind == Kind::Element) return true;
            return false;
        };
        if (XmlObject* x = asXml(self)) return Value(complex(x));
        XmlListObject* l = asXmlList(self);
        if (!l) return Value(false);
        if (l->items.size() == 1) return Value(complex(l->items[0]));
        for (XmlObject* x : l->items)
            if (x->kind == Kind::Element) return Value(true);
        return Value(false);
    });
    defineBoth(m, u"copy", 0, [](Machine& m, const Value& self, Args) -> Value {
        if (XmlObject* x = asXml(self)) return Value(deepCopy(m, x, nullptr));
        XmlListObject* r = newXmlList(m);
        for (XmlObject* x : nodesOf(self)) r->items.push_back(deepCopy(m, x, nullptr));
        return Value(r);
    });
    defineBoth(m, u"contains", 1, [](Machine& m, const Value& self, Args a) -> Value {
        for (XmlObject* x : nodesOf(self))
            if (xmlEquals(m, Value(x), arg(a, 0))) return Value(true);
        return Value(false);
    });
    defineBoth(m, u"hasOwnProperty", 1, [](Machine& m, const Value& self, Args a) -> Value {
        Value n = arg(a, 0);
        Name name{m.toString(n), m.publicSet};
        uint32_t index;
        if (parseIndex(name.local, index)) return Value(xmlHas(m, self.object(), name));
        XmlNameQuery q = xmlNameFromValue(m, n);
        for (XmlObject* x : nodesOf(self))
            if (x->kind == Kind::Element)
                for (XmlObject* k : q.attribute ? x->attributes : x->children)
                    if ((k->kind == Kind::Element || k->kind == Kind::Attribute) && (q.anyName || k->local == q.local) && q.matchesUri(k->uri))
                        return Value(true);
        return Value(false);
    });
    defineBoth(m, u"propertyIsEnumerable", 1, [](Machine& m, const Value& self, Args a) -> Value {
        uint32_t index;
        if (!parseIndex(m.toString(arg(a, 0)), index)) return Value(false);
        if (asXml(self)) return Value(index == 0);
        return Value(index < nodesOf(self).size());
    });
    defineBoth(m, u"normalize", 0, [](Machine& m, const Value& self, Args) -> Value {
        std::vector<XmlObject*> work = nodesOf(self);
        while (!work.empty()) {
            XmlObject* x = work.back();
            work.pop_back();
            auto& c = x->children;
            for (size_t i = 0; i < c.size();) {
                if (c[i]->kind == Kind::Element) {
                    work.push_back(c[i]);
                    ++i;
                } else if (c[i]->kind == Kind::Text && i + 1 < c.size() && c[i + 1]->kind == Kind::Text) {
                    c[i]->value += c[i + 1]->value;
                    c[i + 1]->parent = nullptr;
                    c.erase(c.begin() + static_cast<std::ptrdiff_t>(i + 1));
                } else if (c[i]->kind == Kind::Text && c[i]->value.empty()) {
                    c[i]->parent = nullptr;
                    c.erase(c.begin() + static_cast<std::ptrdiff_t>(i));
                } else {
                    ++i;
                }
            }
        }
        (void)m;
        return self;
    });
    defineBoth(m, u"parent", 0, [](Machine&, const Value& self, Args) -> Value {
        if (XmlObject* x = asXml(self)) return x->parent ? Value(x->parent) : Value();
        XmlObject* common = nullptr;
        std::vector<XmlObject*> nodes = nodesOf(self);
        if (nodes.empty()) return Value();
        for (XmlObject* x : nodes) {
            if (!x->parent || (common && x->parent != common)) return Value();
            common = x->parent;
        }
        return Value(common);
    });

    defineSingle(m, u"nodeKind", 0, [](Machine&, XmlObject* x, Args) -> Value {
        switch (x->kind) {
        case Kind::Element: return Value(u"element");
        case Kind::Attribute: return Value(u"attribute");
        case Kind::Text: return Value(u"text");
        case Kind::Comment: return Value(u"comment");
        case Kind::Instruction: return Value(u"processing-instruction");
        }
        return Value(u"text");
    });
    defineSingle(m, u"name", 0, [](Machine& m, XmlObject* x, Args) -> Value {
        if (x->kind == Kind::Text || x->kind == Kind::Comment) return Value::null();
        return makeQName(m, Value(x->uri), x->local);
    });
    defineSingle(m, u"localName", 0, [](Machine&, XmlObject* x, Args) -> Value {
        if (x->kind == Kind::Text || x->kind == Kind::Comment) return Value::null();
        return Value(x->local);
    });
    defineSingle(m, u"namespace", 1, [](Machine& m, XmlObject* x, Args a) -> Value {
        if (a.empty()) return nodeNamespace(m, x);
        if (x->kind != Kind::Element) return Value();
        String prefix = m.toString(a[0]);
        for (const XmlNamespace& ns : inScope(x))
            if (ns.prefix && *ns.prefix == prefix) return Value(nsValue(m, ns));
        return Value();
    });
    defineSingle(m, u"inScopeNamespaces", 0, [](Machine& m, XmlObject* x, Args) -> Value {
        std::vector<Value> r;
        for (const XmlNamespace& ns : inScope(x)) r.push_back(Value(nsValue(m, ns)));
        if (r.empty()) r.push_back(Value(newNamespace(m, String(), String())));
        return Value(m.newArray(std::move(r)));
    });
    defineSingle(m, u"namespaceDeclarations", 0, [](Machine& m, XmlObject* x, Args) -> Value {
        std::vector<Value> r;
        for (const XmlNamespace& ns : x->namespaces) {
            // A declaration that repeats what the ancestors already say is not a new one.
            bool repeated = false;
            if (x->parent)
                for (const XmlNamespace& up : inScope(x->parent))
                    if (up.prefix == ns.prefix && up.uri == ns.uri) repeated = true;
            if (!repeated && !(ns.prefix && ns.prefix->empty() && ns.uri.empty())) r.push_back(Value(nsValue(m, ns)));
        }
        return Value(m.newArray(std::move(r)));
    });
    defineSingle(m, u"addNamespace", 1, [](Machine& m, XmlObject* x, Args a) -> Value {
        XmlNamespace ns = namespaceArg(m, arg(a, 0));
        if (!ns.prefix) {
            // A namespace without a prefix is declared only when the element's name needs it.
            return Value(x);
        }
        if (x->kind == Kind::Element && x->uri == ns.uri && x->prefix && *x->prefix != *ns.prefix) x->prefix = ns.prefix;
        addNamespaceTo(x, ns);
        return Value(x);
    });
    defineSingle(m, u"removeNamespace", 1, [](Machine& m, XmlObject* x, Args a) -> Value {
        XmlNamespace ns = namespaceArg(m, arg(a, 0));
        if (x->kind != Kind::Element) return Value(x);
        std::vector<XmlObject*> work{x};
        while (!work.empty()) {
            XmlObject* e = work.back();
            work.pop_back();
            if (e->uri == ns.uri) continue;
            bool usedByAttribute = false;
            for (XmlObject* at : e->attributes)
                if (at->uri == ns.uri) usedByAttribute = true;
            if (!usedByAttribute)
                e->namespaces.erase(std::remove_if(e->namespaces.begin(), e->namespaces.end(), [&](const XmlNamespace& d) {
                    return d.uri == ns.uri && (!ns.prefix || d.prefix == ns.prefix);
                }), e->namespaces.end());
            for (XmlObject* c : e->children)
                if (c->kind == Kind::Element) work.push_back(c);
        }
        return Value(x);
    });
    defineSingle(m, u"setNamespace", 1, [](Machine& m, XmlObject* x, Args a) -> Value {
        if (x->kind != Kind::Element && x->kind != Kind::Attribute) return Value();
        XmlNamespace ns = namespaceArg(m, arg(a, 0));
        x->uri = ns.uri;
        x->prefix = ns.prefix;
        XmlObject* holder = x->kind == Kind::Attribute ? x->parent : x;
        if (holder && ns.prefix) addNamespaceTo(holder, ns);
        return Value();
    });
    defineSingle(m, u"setLocalName", 1, [](Machine& m, XmlObject* x, Args a) -> Value {
        if (x->kind == Kind::Text || x->kind == Kind::Comment) return Value();
        Value n = arg(a, 0);
        String local = n.object() && n.object()->type == ObjectType::QName ? static_cast<QNameObject*>(n.object())->local : m.toString(n);
        checkName(m, local);
        x->local = local;
        return Value();
    });
    defineSingle(m, u"setName", 1, [](Machine& m, XmlObject* x, Args a) -> Value {
        if (x->kind == Kind::Text || x->kind == Kind::Comment) return Value();
        String uri, local;
        bool hasUri = false;
        nameParts(m, arg(a, 0), uri, local, hasUri);
        checkName(m, local);
        x->local = local;
        if (x->kind == Kind::Instruction) return Value();
        if (hasUri) {
            x->uri = uri;
            x->prefix.reset();
            XmlObject* holder = x->kind == Kind::Attribute ? x->parent : x;
            for (const XmlNamespace& ns : holder ? inScope(holder) : std::vector<XmlNamespace>{})
                if (ns.uri == uri && ns.prefix) {
                    x->prefix = ns.prefix;
                    break;
                }
        } else if (!x->uri.empty() || hasUri) {
            x->uri.clear();
            x->prefix.reset();
        }
        return Value();
    });
    defineSingle(m, u"childIndex", 0, [](Machine&, XmlObject* x, Args) -> Value { return Value(x->indexInParent()); });
    defineSingle(m, u"appendChild", 1, [](Machine& m, XmlObject* x, Args a) -> Value {
        insertAt(m, x, x->children.size(), arg(a, 0));
        return Value(x);
    });
    defineSingle(m, u"prependChild", 1, [](Machine& m, XmlObject* x, Args a) -> Value {
        insertAt(m, x, 0, arg(a, 0));
        return Value(x);
    });
    auto insertNear = [](bool after) {
        return [after](Machine& m, XmlObject* x, Args a) -> Value {
            if (x->kind != Kind::Element) return Value();
            Value ref = arg(a, 0);
            if (ref.isNullish()) {
                insertAt(m, x, after ? 0 : x->children.size(), arg(a, 1));
                return Value(x);
            }
            XmlObject* r = asXml(ref);
            if (!r) {
                if (XmlListObject* l = asXmlList(ref); l && l->items.size() == 1) r = l->items[0];
            }
            if (!r) return Value();
            for (size_t i = 0; i < x->children.size(); ++i)
                if (x->children[i] == r) {
                    insertAt(m, x, after ? i + 1 : i, arg(a, 1));
                    return Value(x);
                }
            return Value();
        };
    };
    defineSingle(m, u"insertChildAfter", 2, insertNear(true));
    defineSingle(m, u"insertChildBefore", 2, insertNear(false));
    defineSingle(m, u"setChildren", 1, [](Machine& m, XmlObject* x, Args a) -> Value {
        if (x->kind != Kind::Element) return Value(x);
        for (XmlObject* c : x->children) c->parent = nullptr;
        x->children.clear();
        insertAt(m, x, 0, arg(a, 0));
        return Value(x);
    });
    defineSingle(m, u"replace", 2, [](Machine& m, XmlObject* x, Args a) -> Value {
        if (x->kind != Kind::Element) return Value(x);
        Value what = arg(a, 0);
        Value v = arg(a, 1);
        XmlListObject* value = isXmlValue(v) ? toXmlList(m, v) : nullptr;
        auto put = [&](size_t at) {
            x->children[at]->parent = nullptr;
            x->children.erase(x->children.begin() + static_cast<std::ptrdiff_t>(at));
            if (value) {
                insertAt(m, x, at, Value(value));
            } else {
                XmlObject* t = newXml(m, Kind::Text);
                t->value = m.toString(v);
                t->parent = x;
                x->children.insert(x->children.begin() + static_cast<std::ptrdiff_t>(at), t);
            }
        };
        uint32_t index;
        if (what.isNumber() || (what.isString() && parseIndex(what.string(), index))) {
            double d = m.toNumber(what);
            if (d >= 0 && d < static_cast<double>(x->children.size())) put(static_cast<size_t>(d));
            else if (d >= 0 && d < 1e9) insertAt(m, x, x->children.size(), value ? Value(value) : v);
            return Value(x);
        }
        XmlNameQuery q = xmlNameFromValue(m, what);
        std::optional<size_t> first;
        for (size_t i = x->children.size(); i-- > 0;) {
            XmlObject* k = x->children[i];
            if (k->kind == Kind::Element && (q.anyName || k->local == q.local) && q.matchesUri(k->uri)) {
                if (first) {
                    x->children[*first]->parent = nullptr;
                    x->children.erase(x->children.begin() + static_cast<std::ptrdiff_t>(*first));
                }
                first = i;
            }
        }
        if (first) put(*first);
        return Value(x);
    });
}

}  // namespace swf::avm2
