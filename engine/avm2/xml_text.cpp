// XML values as text: toString (the text of simple content, markup otherwise) and toXMLString,
// markup with the namespaces each element needs declared and, when pretty printing, one child per
// line indented under its parent.
#include "engine/avm2/xml.h"

namespace swf::avm2 {

namespace {

constexpr int kMaxDepth = 4096;

bool isSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

String trimmed(const String& s) {
    size_t a = 0, b = s.size();
    while (a < b && isSpace(s[a])) ++a;
    while (b > a && isSpace(s[b - 1])) --b;
    return s.substr(a, b - a);
}

struct Writer {
    Machine& m;
    String out;

    void indent(int n) { out.append(static_cast<size_t>(std::max(0, n)), u' '); }

    static const XmlNamespace* find(const std::vector<XmlNamespace>& scope, const String& uri, const std::optional<String>& prefix) {
        // The innermost declaration wins: the list runs outermost first.
        const XmlNamespace* any = nullptr;
        for (size_t i = scope.size(); i-- > 0;) {
            const XmlNamespace& ns = scope[i];
            if (ns.uri != uri || !ns.prefix) continue;
            // A prefix hidden by a later declaration of the same prefix is not usable.
            bool hidden = false;
            for (size_t j = i + 1; j < scope.size(); ++j)
                if (scope[j].prefix == ns.prefix) hidden = true;
            if (hidden) continue;
            if (prefix && ns.prefix == prefix) return &ns;
            if (!any) any = &ns;
        }
        return any;
    }

    static bool prefixUsed(const std::vector<XmlNamespace>& scope, const String& prefix) {
        for (const XmlNamespace& ns : scope)
            if (ns.prefix && *ns.prefix == prefix) return true;
        return false;
    }

    // The prefix for a name in `uri`, declaring one in `decls` when the scope has none: the
    // prefix the name was written with if it is free, else the default namespace if that is
    // free, else a made-up one.
    String prefixFor(std::vector<XmlNamespace>& scope, std::vector<XmlNamespace>& decls, const String& uri,
                     const std::optional<String>& wanted) {
        // No namespace needs no prefix; as the player does, a default namespace declared above is
        // not undone for it (a declaration of its own, as parsed, still is written).
        if (uri.empty()) return String();
        if (const XmlNamespace* ns = find(scope, uri, wanted)) return *ns->prefix;
        String p;
        if (wanted && !wanted->empty() && !prefixUsed(scope, *wanted)) p = *wanted;
        else if (!prefixUsed(scope, String())) p.clear();
        else
            for (int i = 0; i < 1'000'000; ++i) {
                p = u"ns" + numberToString(i);
                if (!prefixUsed(scope, p)) break;
            }
        XmlNamespace d{p, uri};
        decls.push_back(d);
        scope.push_back(d);
        return p;
    }

    void write(const XmlObject* x, std::vector<XmlNamespace>& scope, int level, int depth) {
        if (depth > kMaxDepth) throw ScriptAbort("XML nested too deeply (limit)");
        const XmlSettings& st = m.xmlSettings;
        if (st.prettyPrinting) indent(level);
        switch (x->kind) {
        case XmlObject::Kind::Text:
            if (x->cdata) out += u"<![CDATA[" + x->value + u"]]>";
            else out += escapeElementValue(st.prettyPrinting ? trimmed(x->value) : x->value);
            return;
        case XmlObject::Kind::Attribute: out += escapeAttributeValue(x->value); return;
        case XmlObject::Kind::Comment: out += u"<!--" + x->value + u"-->"; return;
        case XmlObject::Kind::Instruction: out += u"<?" + x->local + u" " + x->value + u"?>"; return;
        case XmlObject::Kind::Element: break;
        }
        size_t scopeSize = scope.size();
        std::vector<XmlNamespace> decls;
        for (const XmlNamespace& ns : x->namespaces) {
            bool known = false;
            for (size_t i = scope.size(); i-- > 0;)
                if (scope[i].prefix == ns.prefix) {
                    known = scope[i].uri == ns.uri;
                    break;
                }
            if (!known && ns.prefix) {
                decls.push_back(ns);
                scope.push_back(ns);
            }
        }
        String prefix = prefixFor(scope, decls, x->uri, x->prefix);
        String tag = prefix.empty() ? x->local : prefix + u":" + x->local;
        out += u"<" + tag;
        for (const XmlObject* a : x->attributes) {
            String ap = prefixFor(scope, decls, a->uri, a->prefix);
            out += u" " + (ap.empty() ? a->local : ap + u":" + a->local) + u"=\"" + escapeAttributeValue(a->value) + u"\"";
        }
        for (const XmlNamespace& ns : decls)
            out += (ns.prefix->empty() ? String(u" xmlns") : u" xmlns:" + *ns.prefix) + u"=\"" + escapeAttributeValue(ns.uri) + u"\"";
        if (x->children.empty()) {
            out += u"/>";
            scope.resize(scopeSize);
            return;
        }
        out += u">";
        bool indentChildren = x->children.size() > 1 || x->children[0]->kind != XmlObject::Kind::Text;
        bool pretty = st.prettyPrinting && indentChildren;
        for (const XmlObject* c : x->children) {
            if (pretty) out += u"\n";
            write(c, scope, pretty ? level + st.prettyIndent : 0, depth + 1);
        }
        if (pretty) {
            out += u"\n";
            indent(level);
        }
        out += u"</" + tag + u">";
        scope.resize(scopeSize);
    }
};

}  // namespace

String escapeElementValue(const String& s) {
    String r;
    for (char16_t c : s) {
        if (c == u'<') r += u"&lt;";
        else if (c == u'>') r += u"&gt;";
        else if (c == u'&') r += u"&amp;";
        else r += c;
    }
    return r;
}

String escapeAttributeValue(const String& s) {
    String r;
    for (char16_t c : s) {
        if (c == u'"') r += u"&quot;";
        else if (c == u'<') r += u"&lt;";
        else if (c == u'&') r += u"&amp;";
        else if (c == u'\n') r += u"&#xA;";
        else if (c == u'\r') r += u"&#xD;";
        else if (c == u'\t') r += u"&#x9;";
        else r += c;
    }
    return r;
}

bool XmlObject::hasSimpleContent() const {
    if (kind == Kind::Comment || kind == Kind::Instruction) return false;
    for (const XmlObject* c : children)
        if (c->kind == Kind::Element) return false;
    return true;
}

int XmlObject::indexInParent() const {
    if (!parent || kind == Kind::Attribute) return -1;
    for (size_t i = 0; i < parent->children.size(); ++i)
        if (parent->children[i] == this) return static_cast<int>(i);
    return -1;
}

String xmlToString(Machine& m, const XmlObject* x) {
    switch (x->kind) {
    case XmlObject::Kind::Text:
    case XmlObject::Kind::Attribute: return x->value;
    case XmlObject::Kind::Element:
        if (x->hasSimpleContent()) {
            String r;
            for (const XmlObject* c : x->children)
                if (c->kind == XmlObject::Kind::Text) r += c->value;
            return r;
        }
        break;
    default: break;
    }
    return toXmlString(m, x);
}

String toXmlString(Machine& m, const XmlObject* x) {
    Writer w{m, {}};
    // The namespaces in scope where the node sits are declared above it.
    std::vector<XmlNamespace> scope;
    std::vector<const XmlObject*> chain;
    for (const XmlObject* p = x->parent; p; p = p->parent) chain.push_back(p);
    std::vector<XmlNamespace> inherited;  // nearest ancestor first
    for (const XmlObject* p : chain)
        for (const XmlNamespace& ns : p->namespaces) inherited.push_back(ns);
    if (x->kind == XmlObject::Kind::Element && !inherited.empty()) {
        // Declared on the node itself, as the player writes them: innermost declaration of each prefix.
        XmlObject copy;
        copy.kind = x->kind;
        copy.uri = x->uri;
        copy.local = x->local;
        copy.prefix = x->prefix;
        copy.attributes = x->attributes;
        copy.children = x->children;
        copy.namespaces = x->namespaces;
        for (const XmlNamespace& up : inherited) {
            bool seen = false;
            for (const XmlNamespace& ns : copy.namespaces)
                if (ns.prefix == up.prefix) seen = true;
            if (!seen && !(up.prefix && up.prefix->empty() && up.uri.empty())) copy.namespaces.push_back(up);
        }
        w.write(&copy, scope, 0, 0);
        return w.out;
    }
    w.write(x, scope, 0, 0);
    return w.out;
}

String xmlListToString(Machine& m, const XmlListObject* l) {
    bool simple = true;
    if (l->items.size() == 1) simple = l->items[0]->hasSimpleContent();
    else
        for (const XmlObject* x : l->items)
            if (x->kind == XmlObject::Kind::Element) simple = false;
    if (!simple) return listToXmlString(m, l);
    String r;
    for (const XmlObject* x : l->items)
        if (x->kind != XmlObject::Kind::Comment && x->kind != XmlObject::Kind::Instruction) r += xmlToString(m, x);
    return r;
}

String listToXmlString(Machine& m, const XmlListObject* l) {
    String r;
    for (size_t i = 0; i < l->items.size(); ++i) {
        if (i && m.xmlSettings.prettyPrinting) r += u"\n";
        r += toXmlString(m, l->items[i]);
    }
    return r;
}

}  // namespace swf::avm2
