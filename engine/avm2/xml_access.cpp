// E4X property access: reading a name from XML gives the list of matching children (or
// attributes), assigning replaces or creates them, and a list remembers the node and name it came
// from so that assigning to it when empty creates what was missing.
#include "engine/avm2/xml.h"

namespace swf::avm2 {

void XmlObject::trace(std::vector<Object*>& out) {
    Object::trace(out);
    if (parent) out.push_back(parent);
    for (XmlObject* a : attributes) out.push_back(a);
    for (XmlObject* c : children) out.push_back(c);
}

void XmlListObject::trace(std::vector<Object*>& out) {
    Object::trace(out);
    for (XmlObject* x : items) out.push_back(x);
    if (target) out.push_back(target);
}

bool XmlNameQuery::matchesUri(const String& uri) const {
    if (anyNamespace) return true;
    for (const String& u : uris)
        if (u == uri) return true;
    return false;
}

XmlObject* newXml(Machine& m, XmlObject::Kind kind) {
    auto* x = m.make<XmlObject>();
    x->kind = kind;
    x->cls = m.xmlClass;
    x->proto = m.xmlClass ? m.xmlClass->prototype : nullptr;
    return x;
}

XmlListObject* newXmlList(Machine& m, Object* target, std::optional<XmlNameQuery> name) {
    auto* l = m.make<XmlListObject>();
    l->cls = m.xmlListClass;
    l->proto = m.xmlListClass ? m.xmlListClass->prototype : nullptr;
    l->target = target;
    l->targetName = std::move(name);
    return l;
}

XmlObject* deepCopy(Machine& m, const XmlObject* x, XmlObject* parent) {
    // Copied level by level with a work list: a deep tree does not deepen the C++ stack.
    XmlObject* root = nullptr;
    std::vector<std::pair<const XmlObject*, XmlObject*>> work{{x, parent}};
    while (!work.empty()) {
        auto [from, into] = work.back();
        work.pop_back();
        XmlObject* y = newXml(m, from->kind);
        y->cdata = from->cdata;
        y->uri = from->uri;
        y->local = from->local;
        y->prefix = from->prefix;
        y->value = from->value;
        y->namespaces = from->namespaces;
        y->parent = into;
        for (const XmlObject* a : from->attributes) {
            XmlObject* ac = newXml(m, XmlObject::Kind::Attribute);
            ac->uri = a->uri;
            ac->local = a->local;
            ac->prefix = a->prefix;
            ac->value = a->value;
            ac->parent = y;
            y->attributes.push_back(ac);
        }
        if (!root) root = y;
        else into->children.push_back(y);
        // Children are pushed last first so that they are made in order.
        for (size_t i = from->children.size(); i-- > 0;) work.emplace_back(from->children[i], y);
    }
    // Children went onto their parents as they were made: in order, since each parent's children
    // come off the work list one after another.
    return root;
}

XmlNameQuery xmlNameQuery(Machine& m, const Name& n) {
    XmlNameQuery q;
    q.attribute = n.attribute;
    q.local = n.local;
    if (!q.attribute && !q.local.empty() && q.local[0] == u'@') {
        q.attribute = true;
        q.local = q.local.substr(1);
    }
    q.anyName = n.anyName || q.local == u"*";
    q.anyNamespace = n.anyNamespace;
    if (!q.anyNamespace) {
        for (const Ns& ns : n.nss) {
            if (ns.kind != kNsPackage && ns.kind != kNsNamespace) continue;
            // An unqualified element name is in the default XML namespace; an attribute's in none.
            String uri = ns.kind == kNsPackage && ns.uri.empty() && !q.attribute ? m.defaultXmlNamespace : ns.uri;
            if (ns.kind == kNsNamespace && ns.uri == m.as3Ns.uri) continue;
            q.uris.push_back(uri);
        }
    }
    return q;
}

XmlNameQuery xmlNameFromValue(Machine& m, const Value& v, bool attribute) {
    XmlNameQuery q;
    q.attribute = attribute;
    if (Object* o = v.object(); o && o->type == ObjectType::QName) {
        auto* qn = static_cast<QNameObject*>(o);
        q.local = qn->local;
        if (qn->uri.isNull()) q.anyNamespace = true;
        else q.uris.push_back(m.toString(qn->uri));
    } else {
        q.local = v.isUndefined() ? u"*" : m.toString(v);
        if (!q.attribute && !q.local.empty() && q.local[0] == u'@') {
            q.attribute = true;
            q.local = q.local.substr(1);
        }
        q.uris.push_back(q.attribute ? String() : m.defaultXmlNamespace);
    }
    q.anyName = q.local == u"*";
    if (q.anyName && !(v.object() && v.object()->type == ObjectType::QName)) q.anyNamespace = true;
    return q;
}

namespace {

bool isIndexName(const Name& n, uint32_t& index) {
    return !n.attribute && parseIndex(n.local, index);
}

bool matchesNode(const XmlNameQuery& q, const XmlObject* k) {
    if (q.anyName) return q.anyNamespace || (k->kind == XmlObject::Kind::Element || k->kind == XmlObject::Kind::Attribute ? q.matchesUri(k->uri) : true);
    return (k->kind == XmlObject::Kind::Element || k->kind == XmlObject::Kind::Attribute) && k->local == q.local &&
           q.matchesUri(k->uri);
}

void getInto(const XmlObject* x, const XmlNameQuery& q, std::vector<XmlObject*>& out) {
    if (x->kind != XmlObject::Kind::Element) return;
    for (XmlObject* k : q.attribute ? x->attributes : x->children)
        if (matchesNode(q, k)) out.push_back(k);
}

XmlListObject* getList(Machine& m, Object* o, const XmlNameQuery& q) {
    XmlListObject* r = newXmlList(m, o, q);
    if (o->type == ObjectType::Xml) getInto(static_cast<XmlObject*>(o), q, r->items);
    else
        for (XmlObject* x : static_cast<XmlListObject*>(o)->items) getInto(x, q, r->items);
    return r;
}

String attributeText(Machine& m, const Value& v) {
    if (XmlListObject* l = asXmlList(v)) {
        String s;
        for (size_t i = 0; i < l->items.size(); ++i) {
            if (i) s += u" ";
            s += xmlToString(m, l->items[i]);
        }
        return s;
    }
    return m.toString(v);
}

void setParent(XmlObject* c, XmlObject* parent) { c->parent = parent; }

// Puts `v` in place of child `i` of `x` (appending when `i` is past the end).
void replaceChild(Machine& m, XmlObject* x, size_t i, const Value& v) {
    std::vector<XmlObject*> nodes;
    if (XmlObject* y = asXml(v)) {
        if (y->kind == XmlObject::Kind::Attribute) {
            XmlObject* t = newXml(m, XmlObject::Kind::Text);
            t->value = y->value;
            nodes.push_back(t);
        } else {
            nodes.push_back(y);
        }
    } else if (XmlListObject* l = asXmlList(v)) {
        nodes = l->items;
    } else {
        XmlObject* t = newXml(m, XmlObject::Kind::Text);
        t->value = m.toString(v);
        nodes.push_back(t);
    }
    for (XmlObject* c : nodes)
        for (XmlObject* p = x; p; p = p->parent)
            if (p == c) m.typeError(1118, u"Illegal cyclical loop between nodes.");
    if (i < x->children.size()) {
        x->children[i]->parent = nullptr;
        x->children.erase(x->children.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
        i = x->children.size();
    }
    for (XmlObject* c : nodes) {
        if (c->parent && c->parent != x) {
            auto& sib = c->parent->children;
            sib.erase(std::remove(sib.begin(), sib.end(), c), sib.end());
        } else if (c->parent == x) {
            auto it = std::find(x->children.begin(), x->children.end(), c);
            if (it != x->children.end()) {
                size_t at = static_cast<size_t>(it - x->children.begin());
                x->children.erase(it);
                if (at < i) --i;
            }
        }
        setParent(c, x);
    }
    x->children.insert(x->children.begin() + static_cast<std::ptrdiff_t>(i), nodes.begin(), nodes.end());
}

void setText(Machine& m, XmlObject* e, const String& s) {
    for (XmlObject* c : e->children) c->parent = nullptr;
    e->children.clear();
    if (s.empty()) return;
    XmlObject* t = newXml(m, XmlObject::Kind::Text);
    t->value = s;
    t->parent = e;
    e->children.push_back(t);
}

// The prefix a namespace URI has where `x` is, if it is declared there.
std::optional<String> prefixAt(const XmlObject* x, const String& uri) {
    for (; x; x = x->parent)
        for (const XmlNamespace& ns : x->namespaces)
            if (ns.uri == uri && ns.prefix) return ns.prefix;
    return std::nullopt;
}

void putXml(Machine& m, XmlObject* x, const XmlNameQuery& q, const Value& v) {
    if (x->kind != XmlObject::Kind::Element) return;
    if (q.attribute) {
        String s = attributeText(m, v);
        XmlObject* found = nullptr;
        for (size_t i = 0; i < x->attributes.size();) {
            if (matchesNode(q, x->attributes[i])) {
                if (!found) {
                    found = x->attributes[i];
                    ++i;
                    continue;
                }
                x->attributes[i]->parent = nullptr;
                x->attributes.erase(x->attributes.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
            ++i;
        }
        if (!found) {
            if (q.anyName) return;
            found = newXml(m, XmlObject::Kind::Attribute);
            found->local = q.local;
            found->uri = q.uris.size() == 1 ? q.uris[0] : String();
            if (!found->uri.empty()) found->prefix = prefixAt(x, found->uri);
            found->parent = x;
            x->attributes.push_back(found);
        }
        found->value = s;
        return;
    }
    Value c = v;
    XmlObject* vx = asXml(v);
    bool primitive = !isXmlValue(v) || (vx && (vx->kind == XmlObject::Kind::Text || vx->kind == XmlObject::Kind::Attribute));
    if (primitive) {
        c = Value(m.toString(v));
    } else if (vx) {
        c = Value(deepCopy(m, vx, nullptr));
    } else {
        XmlListObject* copy = newXmlList(m);
        for (XmlObject* item : asXmlList(v)->items) copy->items.push_back(deepCopy(m, item, nullptr));
        c = Value(copy);
    }
    // The first matching child is kept (later ones go); with none, a new element goes at the end.
    std::optional<size_t> keep;
    for (size_t k = x->children.size(); k-- > 0;) {
        if (!matchesNode(q, x->children[k])) continue;
        if (keep) {
            x->children[*keep]->parent = nullptr;
            x->children.erase(x->children.begin() + static_cast<std::ptrdiff_t>(*keep));
        }
        keep = k;
    }
    if (!keep) {
        keep = x->children.size();
        if (primitive) {
            XmlObject* e = newXml(m, XmlObject::Kind::Element);
            e->local = q.anyName ? String() : q.local;
            e->uri = q.uris.size() == 1 ? q.uris[0] : m.defaultXmlNamespace;
            e->prefix = prefixAt(x, e->uri);
            e->parent = x;
            x->children.push_back(e);
        }
    }
    if (primitive) {
        XmlObject* target = x->children[*keep];
        if (target->kind == XmlObject::Kind::Element) setText(m, target, c.string());
        else replaceChild(m, x, *keep, c);
        return;
    }
    replaceChild(m, x, *keep, c);
}

// An empty list made by reading a name: the node that name now stands for, made if missing.
XmlObject* resolveTarget(Machine& m, XmlListObject* l) {
    if (l->items.size() == 1) return l->items[0];
    if (!l->items.empty() || !l->target || !l->targetName || l->targetName->attribute || l->targetName->anyName) return nullptr;
    XmlObject* base = nullptr;
    if (l->target->type == ObjectType::Xml) base = static_cast<XmlObject*>(l->target);
    else base = resolveTarget(m, static_cast<XmlListObject*>(l->target));
    if (!base) return nullptr;
    std::vector<XmlObject*> found;
    getInto(base, *l->targetName, found);
    if (found.empty()) {
        putXml(m, base, *l->targetName, Value(String()));
        getInto(base, *l->targetName, found);
    }
    if (found.size() != 1) return nullptr;
    l->items.push_back(found[0]);
    return found[0];
}

void putList(Machine& m, XmlListObject* l, const Name& n, const Value& v) {
    uint32_t index;
    if (isIndexName(n, index)) {
        if (index >= l->items.size()) {
            XmlObject* parent = nullptr;
            if (l->target) {
                parent = l->target->type == ObjectType::Xml ? static_cast<XmlObject*>(l->target)
                                                             : resolveTarget(m, static_cast<XmlListObject*>(l->target));
            }
            if (!parent) {
                // A list on its own (a filter's result): the value joins it as it is.
                if (XmlObject* x = asXml(v)) l->items.push_back(x);
                else if (XmlListObject* vl = asXmlList(v)) l->items.insert(l->items.end(), vl->items.begin(), vl->items.end());
                else {
                    XmlObject* t = newXml(m, XmlObject::Kind::Text);
                    t->value = m.toString(v);
                    l->items.push_back(t);
                }
                return;
            }
            if (l->targetName && l->targetName->attribute) {
                putXml(m, parent, *l->targetName, v);
                l->items.clear();
                getInto(parent, *l->targetName, l->items);
                return;
            }
            XmlObject* y;
            if (!l->targetName || l->targetName->anyName) {
                y = newXml(m, XmlObject::Kind::Text);
            } else {
                y = newXml(m, XmlObject::Kind::Element);
                y->local = l->targetName->local;
                y->uri = l->targetName->uris.size() == 1 ? l->targetName->uris[0] : m.defaultXmlNamespace;
                y->prefix = prefixAt(parent, y->uri);
            }
            // After the list's last node in that parent, else at the end.
            size_t at = parent->children.size();
            if (!l->items.empty() && l->items.back()->parent == parent) at = static_cast<size_t>(l->items.back()->indexInParent() + 1);
            y->parent = parent;
            parent->children.insert(parent->children.begin() + static_cast<std::ptrdiff_t>(at), y);
            l->items.push_back(y);
            index = static_cast<uint32_t>(l->items.size() - 1);
        }
        XmlObject* item = l->items[index];
        if (item->kind == XmlObject::Kind::Attribute) {
            item->value = attributeText(m, v);
            return;
        }
        XmlObject* parent = item->parent;
        bool primitive = !isXmlValue(v) || (asXml(v) && (asXml(v)->kind == XmlObject::Kind::Text || asXml(v)->kind == XmlObject::Kind::Attribute));
        if (primitive) {
            if (item->kind == XmlObject::Kind::Element) setText(m, item, m.toString(v));
            else item->value = m.toString(v);
            return;
        }
        if (XmlObject* vx = asXml(v)) {
            XmlObject* copy = deepCopy(m, vx, nullptr);
            if (parent) replaceChild(m, parent, static_cast<size_t>(item->indexInParent()), Value(copy));
            l->items[index] = copy;
            return;
        }
        XmlListObject* vl = asXmlList(v);
        std::vector<XmlObject*> copies;
        for (XmlObject* c : vl->items) copies.push_back(deepCopy(m, c, nullptr));
        if (parent) {
            XmlListObject* tmp = newXmlList(m);
            tmp->items = copies;
            replaceChild(m, parent, static_cast<size_t>(item->indexInParent()), Value(tmp));
        }
        l->items.erase(l->items.begin() + index);
        l->items.insert(l->items.begin() + index, copies.begin(), copies.end());
        return;
    }
    XmlNameQuery q = xmlNameQuery(m, n);
    if (l->items.empty()) resolveTarget(m, l);
    if (l->items.size() == 1) {
        putXml(m, l->items[0], q, v);
        return;
    }
    if (l->items.empty()) return;
    m.typeError(1089, u"Assignment to lists with more than one item is not supported.");
}

}  // namespace

Value xmlGet(Machine& m, Object* o, const Name& n) {
    uint32_t index;
    if (isIndexName(n, index)) {
        if (o->type == ObjectType::Xml) return index == 0 ? Value(o) : Value();
        auto* l = static_cast<XmlListObject*>(o);
        return index < l->items.size() ? Value(l->items[index]) : Value();
    }
    // A name in the built-in namespace alone is the method of that name.
    if (!n.attribute && n.nss.size() == 1 && n.nss[0] == m.as3Ns) {
        for (Object* p = o->proto; p; p = p->proto)
            if (Value* v = p->dynamic.find(n.local)) {
                if (FunctionObject* f = v->object() && v->object()->type == ObjectType::Function ? static_cast<FunctionObject*>(v->object()) : nullptr) {
                    FunctionObject* b = m.newNative(f->name, f->length, f->native);
                    b->boundThis = Value(o);
                    b->bound = true;
                    return Value(b);
                }
                return *v;
            }
    }
    return Value(getList(m, o, xmlNameQuery(m, n)));
}

void xmlSet(Machine& m, Object* o, const Name& n, const Value& v) {
    if (o->type == ObjectType::XmlList) {
        putList(m, static_cast<XmlListObject*>(o), n, v);
        return;
    }
    uint32_t index;
    if (isIndexName(n, index)) m.typeError(1087, u"Assignment to indexed XML is not allowed.");
    putXml(m, static_cast<XmlObject*>(o), xmlNameQuery(m, n), v);
}

bool xmlHas(Machine& m, Object* o, const Name& n) {
    uint32_t index;
    if (isIndexName(n, index)) {
        if (o->type == ObjectType::Xml) return index == 0;
        return index < static_cast<XmlListObject*>(o)->items.size();
    }
    XmlNameQuery q = xmlNameQuery(m, n);
    std::vector<XmlObject*> found;
    if (o->type == ObjectType::Xml) getInto(static_cast<XmlObject*>(o), q, found);
    else
        for (XmlObject* x : static_cast<XmlListObject*>(o)->items) getInto(x, q, found);
    if (!found.empty()) return true;
    if (q.attribute) return false;
    for (Object* p = o->proto; p; p = p->proto)
        if (p->dynamic.find(n.local)) return true;
    return false;
}

bool xmlDelete(Machine& m, Object* o, const Name& n) {
    uint32_t index;
    auto removeFrom = [](XmlObject* x) {
        if (!x->parent) return;
        auto& v = x->kind == XmlObject::Kind::Attribute ? x->parent->attributes : x->parent->children;
        v.erase(std::remove(v.begin(), v.end(), x), v.end());
        x->parent = nullptr;
    };
    if (o->type == ObjectType::XmlList) {
        auto* l = static_cast<XmlListObject*>(o);
        if (isIndexName(n, index)) {
            if (index < l->items.size()) {
                removeFrom(l->items[index]);
                l->items.erase(l->items.begin() + index);
            }
            return true;
        }
        for (XmlObject* x : l->items) xmlDelete(m, x, n);
        return true;
    }
    auto* x = static_cast<XmlObject*>(o);
    if (isIndexName(n, index)) m.typeError(1119, u"Delete operator is not supported with operand of type XML.");
    XmlNameQuery q = xmlNameQuery(m, n);
    if (x->kind != XmlObject::Kind::Element) return true;
    auto& v = q.attribute ? x->attributes : x->children;
    for (size_t i = 0; i < v.size();) {
        if (matchesNode(q, v[i])) {
            v[i]->parent = nullptr;
            v.erase(v.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
    return true;
}

XmlListObject* xmlDescendants(Machine& m, Object* o, const XmlNameQuery& q) {
    XmlListObject* r = newXmlList(m);
    std::vector<XmlObject*> roots;
    if (o->type == ObjectType::Xml) roots.push_back(static_cast<XmlObject*>(o));
    else roots = static_cast<XmlListObject*>(o)->items;
    for (XmlObject* root : roots) {
        // Document order: a node, then its descendants, then its next sibling.
        std::vector<std::pair<XmlObject*, size_t>> stack{{root, 0}};
        if (q.attribute) getInto(root, q, r->items);
        while (!stack.empty()) {
            auto& [x, i] = stack.back();
            if (i >= x->children.size()) {
                stack.pop_back();
                continue;
            }
            XmlObject* k = x->children[i++];
            if (q.attribute) getInto(k, q, r->items);
            else if (matchesNode(q, k)) r->items.push_back(k);
            if (!k->children.empty()) stack.emplace_back(k, 0);
        }
    }
    return r;
}

Value xmlCall(Machine& m, const Value& self, const Name& n, std::span<const Value> args) {
    Object* o = self.object();
    for (Object* p = o->proto; p; p = p->proto)
        if (Value* f = p->dynamic.find(n.local)) return m.call(*f, self, args);
    // Simple content answers to the String methods.
    bool simple = false;
    if (XmlObject* x = asXml(self)) simple = x->hasSimpleContent();
    else if (XmlListObject* l = asXmlList(self)) simple = l->items.size() == 1 && l->items[0]->hasSimpleContent();
    if (simple) {
        Value s(m.toString(self));
        for (Object* p = m.stringClass->prototype; p; p = p->proto)
            if (Value* f = p->dynamic.find(n.local)) return m.call(*f, s, args);
    }
    m.typeError(1006, n.local + u" is not a function.");
}

namespace {

bool sameNode(const XmlObject* a, const XmlObject* b, int depth) {
    if (depth > 4096) return false;
    if (a->kind != b->kind || a->local != b->local || a->uri != b->uri || a->value != b->value) return false;
    if (a->attributes.size() != b->attributes.size() || a->children.size() != b->children.size()) return false;
    for (const XmlObject* x : a->attributes) {
        bool found = false;
        for (const XmlObject* y : b->attributes)
            if (x->local == y->local && x->uri == y->uri && x->value == y->value) found = true;
        if (!found) return false;
    }
    for (size_t i = 0; i < a->children.size(); ++i)
        if (!sameNode(a->children[i], b->children[i], depth + 1)) return false;
    return true;
}

}  // namespace

bool xmlEquals(Machine& m, const Value& a, const Value& b) {
    if (XmlListObject* l = asXmlList(a)) {
        if (l->items.empty()) return b.isUndefined() || (asXmlList(b) && asXmlList(b)->items.empty());
        if (XmlListObject* r = asXmlList(b)) {
            if (r->items.size() != l->items.size()) return false;
            for (size_t i = 0; i < l->items.size(); ++i)
                if (!xmlEquals(m, Value(l->items[i]), Value(r->items[i]))) return false;
            return true;
        }
        if (l->items.size() == 1) return xmlEquals(m, Value(l->items[0]), b);
        return false;
    }
    if (asXmlList(b)) return xmlEquals(m, b, a);
    XmlObject* x = asXml(a);
    XmlObject* y = asXml(b);
    if (x && y) {
        if (x->hasSimpleContent() && y->hasSimpleContent() && (x->kind == XmlObject::Kind::Attribute || y->kind == XmlObject::Kind::Attribute ||
                                                               x->kind == XmlObject::Kind::Text || y->kind == XmlObject::Kind::Text))
            return xmlToString(m, x) == xmlToString(m, y);
        return sameNode(x, y, 0);
    }
    XmlObject* one = x ? x : y;
    const Value& other = x ? b : a;
    if (other.isNullish()) return false;
    if (one->hasSimpleContent() || other.isString()) {
        String s = xmlToString(m, one);
        if (other.isNumber()) return stringToNumber(s) == other.number();
        if (other.isBoolean()) return stringToNumber(s) == (other.boolean() ? 1 : 0);
        return s == m.toString(other);
    }
    return m.looseEquals(Value(xmlToString(m, one)), other);
}

Value xmlConcat(Machine& m, const Value& a, const Value& b) {
    XmlListObject* r = newXmlList(m);
    for (const Value* v : {&a, &b}) {
        if (XmlObject* x = asXml(*v)) r->items.push_back(x);
        else if (XmlListObject* l = asXmlList(*v)) r->items.insert(r->items.end(), l->items.begin(), l->items.end());
    }
    return Value(r);
}

}  // namespace swf::avm2
