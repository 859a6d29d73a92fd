// XMLNode: the node tree scripts build and walk (children, siblings, attributes, namespaces) and
// its markup.
#include <algorithm>

#include "engine/avm1/geom_support.h"
#include "engine/avm1/xml_node.h"
#include "engine/avm1/xml_parser.h"

namespace swf::avm1 {

XmlNodeState* xmlNode(Object* o) { return o ? dynamic_cast<XmlNodeState*>(o->state.get()) : nullptr; }

namespace {

Value nullOrString(Machine& m, const Value& v) { return v.isNullish() ? Value::null() : Value(m.toString(v)); }

void syncChildList(XmlNodeState& s) {
    if (!s.childList) return;
    s.childList->elements.assign(s.children.begin(), s.children.end());
}

size_t indexInParent(Object* node, XmlNodeState& s) {
    XmlNodeState* p = xmlNode(s.parent);
    if (!p) return 0;
    if (s.indexHint < p->children.size() && p->children[s.indexHint] == node) return s.indexHint;
    auto it = std::find(p->children.begin(), p->children.end(), node);
    s.indexHint = size_t(it - p->children.begin());
    return s.indexHint;
}

bool isAncestorOrSelf(Object* candidate, Object* node) {
    for (Object* cur = node; cur; cur = xmlNode(cur) ? xmlNode(cur)->parent : nullptr)
        if (cur == candidate) return true;
    return false;
}

}  // namespace

XmlNodeState& makeXmlNode(Object* self, double type, Value nameOrValue) {
    auto state = std::make_unique<XmlNodeState>();
    state->type = type;
    state->name = state->value = Value::null();
    if (type == kXmlText) state->value = std::move(nameOrValue);
    else state->name = std::move(nameOrValue);
    XmlNodeState& s = *state;
    self->state = std::move(state);
    return s;
}

Object* newXmlNode(Machine& m, double type, Value nameOrValue, Object* proto) {
    Object* o = m.newObject();
    o->proto = proto ? proto : m.xmlNodeProto;
    makeXmlNode(o, type, std::move(nameOrValue));
    return o;
}

Object* xmlNodeAttributes(Machine& m, Object* node) {
    XmlNodeState* s = xmlNode(node);
    if (!s) return nullptr;
    if (!s->attributes) s->attributes = m.newObject();
    return s->attributes;
}

void xmlRemove(Object* node) {
    XmlNodeState* s = xmlNode(node);
    XmlNodeState* p = s ? xmlNode(s->parent) : nullptr;
    if (!p) return;
    size_t i = indexInParent(node, *s);
    if (i < p->children.size()) p->children.erase(p->children.begin() + long(i));
    syncChildList(*p);
    s->parent = nullptr;
}

bool xmlInsertBefore(Object* parent, Object* child, Object* before) {
    XmlNodeState* p = xmlNode(parent);
    XmlNodeState* c = xmlNode(child);
    if (!p || !c || isAncestorOrSelf(child, parent) || child == before) return false;
    if (before) {
        XmlNodeState* b = xmlNode(before);
        if (!b || b->parent != parent) return false;
    }
    xmlRemove(child);
    size_t at = p->children.size();
    if (before) at = indexInParent(before, *xmlNode(before));
    p->children.insert(p->children.begin() + long(at), child);
    c->parent = parent;
    c->indexHint = at;
    syncChildList(*p);
    return true;
}

bool xmlAppend(Object* parent, Object* child) { return xmlInsertBefore(parent, child, nullptr); }

void xmlClearChildren(Object* node) {
    XmlNodeState* s = xmlNode(node);
    if (!s) return;
    for (Object* c : s->children)
        if (XmlNodeState* cs = xmlNode(c)) cs->parent = nullptr;
    s->children.clear();
    syncChildList(*s);
}

std::string xmlToString(Machine& m, Object* top) {
    std::string out;
    if (XmlNodeState* s = xmlNode(top); s && !s->isText() && s->name.isNull()) {
        for (const char* member : {"xmlDecl", "docTypeDecl"}) {
            Value v = m.getMember(Value(top), member);
            if (!v.isNullish()) appendLimited(out, m.toString(v));
        }
    }
    // Iterative, so that a deep tree cannot exhaust the native stack.
    struct Step {
        Object* node;
        bool closing;
    };
    std::vector<Step> work{{top, false}};
    while (!work.empty()) {
        Step step = work.back();
        work.pop_back();
        XmlNodeState* s = xmlNode(step.node);
        if (!s) continue;
        if (s->isText()) {
            if (!s->value.isNull()) appendLimited(out, escapeXml(m.toString(s->value)));
            continue;
        }
        bool named = !s->name.isNull();
        if (step.closing) {
            if (named) appendLimited(out, "</" + m.toString(s->name) + ">");
            continue;
        }
        if (named) {
            std::string open = "<" + m.toString(s->name);
            if (s->attributes) {
                std::vector<std::pair<std::string, Value>> attrs;
                s->attributes->forEach([&](const Property& p) {
                    if (!(p.flags & DontEnum)) attrs.emplace_back(p.name, p.value);
                });
                for (auto it = attrs.rbegin(); it != attrs.rend(); ++it)
                    appendLimited(open, " " + it->first + "=\"" + escapeXml(m.toString(it->second)) + "\"");
            }
            appendLimited(out, open + (s->children.empty() ? " />" : ">"));
            if (s->children.empty()) continue;
        }
        work.push_back({step.node, true});
        for (auto it = s->children.rbegin(); it != s->children.rend(); ++it) work.push_back({*it, false});
    }
    return out;
}

namespace {

XmlNodeState* stateOf(Object* self) { return xmlNode(self); }

// "xmlns", "xmlns:" and anything else starting "xmlns" without a colon declare the default
// namespace; "xmlns:p" declares p.
bool namespaceDeclaration(const std::string& attribute, std::string& prefix) {
    if (attribute.compare(0, 5, "xmlns") != 0) return false;
    prefix = attribute.size() > 5 && attribute[5] == ':' ? attribute.substr(6) : "";
    return true;
}

// The first declaration, from the node up through its ancestors, for which `match` holds.
template <class Match>
Value findDeclaration(Machine& m, Object* node, Match match) {
    int guard = 0;
    for (Object* cur = node; cur && guard < 100000; ++guard) {
        XmlNodeState* s = xmlNode(cur);
        if (!s) break;
        if (s->attributes) {
            std::vector<const Property*> props;
            s->attributes->forEach([&](const Property& p) { props.push_back(&p); });
            for (auto it = props.rbegin(); it != props.rend(); ++it) {
                std::string prefix;
                if ((*it)->flags & DontEnum || !namespaceDeclaration((*it)->name, prefix)) continue;
                std::string uri = m.toString((*it)->value);
                if (match(prefix, uri)) return Value(match.wantPrefix ? prefix : uri);
            }
        }
        cur = s->parent;
    }
    return Value::null();
}

struct ByPrefix {
    std::string prefix;
    bool wantPrefix = false;
    bool operator()(const std::string& p, const std::string&) const { return p == prefix; }
};

struct ByUri {
    std::string uri;
    bool wantPrefix = true;
    bool operator()(const std::string&, const std::string& u) const { return u == uri; }
};

Value prefixOf(Machine& m, XmlNodeState& s, bool local) {
    if (s.isText() || s.name.isNull()) return Value::null();
    std::string name = m.toString(s.name);
    size_t colon = name.find(':');
    if (local) return Value(colon == std::string::npos ? name : name.substr(colon + 1));
    return Value(colon == std::string::npos ? std::string() : name.substr(0, colon));
}

Value getNodeType(Machine&, Object* self, std::vector<Value>&) {
    XmlNodeState* s = stateOf(self);
    return s ? Value(s->type) : Value();
}

Value getNodeName(Machine&, Object* self, std::vector<Value>&) {
    XmlNodeState* s = stateOf(self);
    return s ? s->name : Value();
}

Value setNodeName(Machine& m, Object* self, std::vector<Value>& a) {
    if (XmlNodeState* s = stateOf(self)) s->name = nullOrString(m, arg(a, 0));
    return Value();
}

Value getNodeValue(Machine&, Object* self, std::vector<Value>&) {
    XmlNodeState* s = stateOf(self);
    return s ? s->value : Value();
}

Value setNodeValue(Machine& m, Object* self, std::vector<Value>& a) {
    if (XmlNodeState* s = stateOf(self)) s->value = nullOrString(m, arg(a, 0));
    return Value();
}

Value getAttributes(Machine& m, Object* self, std::vector<Value>&) {
    Object* attrs = xmlNodeAttributes(m, self);
    return attrs ? Value(attrs) : Value();
}

Value getChildNodes(Machine& m, Object* self, std::vector<Value>&) {
    XmlNodeState* s = stateOf(self);
    if (!s) return Value();
    if (!s->childList) {
        s->childList = m.newArray();
        syncChildList(*s);
    }
    return Value(s->childList);
}

Value nodeOrNull(Object* o) { return o ? Value(o) : Value::null(); }

Value getParentNode(Machine&, Object* self, std::vector<Value>&) {
    XmlNodeState* s = stateOf(self);
    return s ? nodeOrNull(s->parent) : Value();
}

Value getFirstChild(Machine&, Object* self, std::vector<Value>&) {
    XmlNodeState* s = stateOf(self);
    if (!s) return Value();
    return s->children.empty() ? Value::null() : Value(s->children.front());
}

Value getLastChild(Machine&, Object* self, std::vector<Value>&) {
    XmlNodeState* s = stateOf(self);
    if (!s) return Value();
    return s->children.empty() ? Value::null() : Value(s->children.back());
}

Value sibling(Object* self, int step) {
    XmlNodeState* s = stateOf(self);
    if (!s) return Value();
    XmlNodeState* p = xmlNode(s->parent);
    if (!p) return Value::null();
    size_t i = indexInParent(self, *s);
    if (step < 0) return i == 0 || i > p->children.size() ? Value::null() : Value(p->children[i - 1]);
    return i + 1 < p->children.size() ? Value(p->children[i + 1]) : Value::null();
}

Value getNextSibling(Machine&, Object* self, std::vector<Value>&) { return sibling(self, 1); }
Value getPreviousSibling(Machine&, Object* self, std::vector<Value>&) { return sibling(self, -1); }

Value getPrefix(Machine& m, Object* self, std::vector<Value>&) {
    XmlNodeState* s = stateOf(self);
    return s ? prefixOf(m, *s, false) : Value();
}

Value getLocalName(Machine& m, Object* self, std::vector<Value>&) {
    XmlNodeState* s = stateOf(self);
    return s ? prefixOf(m, *s, true) : Value();
}

Value getNamespaceUri(Machine& m, Object* self, std::vector<Value>&) {
    XmlNodeState* s = stateOf(self);
    if (!s) return Value();
    Value prefix = prefixOf(m, *s, false);
    if (prefix.isNull()) return prefix;
    return findDeclaration(m, self, ByPrefix{prefix.string()});
}

Value getNamespaceForPrefix(Machine& m, Object* self, std::vector<Value>& a) {
    if (!stateOf(self)) return Value();
    return findDeclaration(m, self, ByPrefix{m.toString(arg(a, 0))});
}

Value getPrefixForNamespace(Machine& m, Object* self, std::vector<Value>& a) {
    if (!stateOf(self)) return Value();
    return findDeclaration(m, self, ByUri{m.toString(arg(a, 0))});
}

Value appendChild(Machine&, Object* self, std::vector<Value>& a) {
    xmlAppend(self, arg(a, 0).object());
    return Value();
}

Value insertBefore(Machine&, Object* self, std::vector<Value>& a) {
    Object* before = arg(a, 1).object();
    if (before) xmlInsertBefore(self, arg(a, 0).object(), before);
    return Value();
}

Value removeNode(Machine&, Object* self, std::vector<Value>&) {
    xmlRemove(self);
    return Value();
}

Value hasChildNodes(Machine&, Object* self, std::vector<Value>&) {
    XmlNodeState* s = stateOf(self);
    return s ? Value(!s->children.empty()) : Value();
}

Object* cloneOne(Machine& m, Object* node) {
    XmlNodeState* s = xmlNode(node);
    Object* copy = newXmlNode(m, s->type, s->isText() ? s->value : s->name);
    XmlNodeState* c = xmlNode(copy);
    c->value = s->value;
    c->name = s->name;
    if (s->attributes) {
        Object* attrs = xmlNodeAttributes(m, copy);
        s->attributes->forEach([&](const Property& p) { attrs->put(m.key(p.name), p.name, p.value, p.flags); });
    }
    return copy;
}

Value cloneNode(Machine& m, Object* self, std::vector<Value>& a) {
    if (!stateOf(self)) return Value();
    Object* top = cloneOne(m, self);
    if (!m.toBoolean(arg(a, 0))) return Value(top);
    std::vector<std::pair<Object*, Object*>> work{{self, top}};  // original, copy
    while (!work.empty()) {
        auto [from, to] = work.back();
        work.pop_back();
        for (Object* child : xmlNode(from)->children) {
            Object* copy = cloneOne(m, child);
            xmlAppend(to, copy);
            work.emplace_back(child, copy);
        }
    }
    return Value(top);
}

Value toString(Machine& m, Object* self, std::vector<Value>&) {
    if (!stateOf(self)) return Value("[object Object]");
    return Value(xmlToString(m, self));
}

Value construct(Machine& m, Object* self, std::vector<Value>& a) {
    if (!self || self == m.global() || self->clip) return Value();
    double type = m.toNumber(arg(a, 0));
    makeXmlNode(self, type, nullOrString(m, arg(a, 1)));
    return Value(self);
}

}  // namespace

Object* xmlNodePrototype(Machine& m) { return m.xmlNodeProto; }

void installXmlNode(Machine& m) {
    Object* proto = m.newObject();
    m.xmlNodeProto = proto;
    defineClass(m, "XMLNode", construct, construct, proto);
    struct { const char* name; NativeFunction f; } methods[] = {
        {"cloneNode", cloneNode}, {"removeNode", removeNode}, {"insertBefore", insertBefore},
        {"appendChild", appendChild}, {"hasChildNodes", hasChildNodes}, {"toString", toString},
        {"getNamespaceForPrefix", getNamespaceForPrefix}, {"getPrefixForNamespace", getPrefixForNamespace}};
    for (auto& fn : methods) m.defineNative(proto, fn.name, fn.f);
    struct { const char* name; NativeFunction get, set; uint16_t flags; } accessors[] = {
        {"nodeType", getNodeType, nullptr, 0}, {"nodeValue", getNodeValue, setNodeValue, 0},
        {"nodeName", getNodeName, setNodeName, 0}, {"attributes", getAttributes, nullptr, 0},
        {"childNodes", getChildNodes, nullptr, 0}, {"firstChild", getFirstChild, nullptr, 0},
        {"lastChild", getLastChild, nullptr, 0}, {"nextSibling", getNextSibling, nullptr, 0},
        {"previousSibling", getPreviousSibling, nullptr, 0}, {"parentNode", getParentNode, nullptr, 0},
        {"prefix", getPrefix, nullptr, FromVersion8}, {"localName", getLocalName, nullptr, FromVersion8},
        {"namespaceURI", getNamespaceUri, nullptr, FromVersion8}};
    for (auto& p : accessors) defineAccessor(m, proto, p.name, p.get, p.set, DontEnum | p.flags);
}

}  // namespace swf::avm1
