// Markup to XML nodes, as the XML and XMLList constructors read it: elements with their
// namespaces resolved, text (trimmed and whitespace-only text dropped when white space is
// ignored), CDATA, and comments and processing instructions unless the settings drop them. Errors
// are the player's, and nesting is bounded.
#include "engine/avm2/xml.h"

namespace swf::avm2 {

namespace {

constexpr int kMaxDepth = 1024;

bool isSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
bool isNameStart(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c == u':' || c >= 0xC0;
}
bool isNameChar(char16_t c) { return isNameStart(c) || (c >= u'0' && c <= u'9') || c == u'-' || c == u'.' || c == 0xB7; }

String trimmed(const String& s) {
    size_t a = 0, b = s.size();
    while (a < b && isSpace(s[a])) ++a;
    while (b > a && isSpace(s[b - 1])) --b;
    return s.substr(a, b - a);
}

class Parser {
public:
    Parser(Machine& m, const String& text) : m_(m), s_(text) {}

    void content(XmlObject* parent, const String* closing, int depth, std::vector<XmlObject*>& out) {
        if (depth > kMaxDepth) fail(1090, u"XML parser failure: element is malformed.");
        while (true) {
            if (p_ >= s_.size()) {
                if (closing)
                    fail(1085, u"The element type \"" + *closing + u"\" must be terminated by the matching end-tag \"</" +
                                   *closing + u">\".");
                return;
            }
            if (s_[p_] != u'<') {
                text(parent, out);
                continue;
            }
            if (starts(u"</")) {
                p_ += 2;
                String name = readName();
                skipSpace();
                if (name.empty() || p_ >= s_.size() || s_[p_] != u'>') fail(1090, u"XML parser failure: element is malformed.");
                ++p_;
                if (!closing || name != *closing) {
                    if (closing)
                        fail(1085, u"The element type \"" + *closing + u"\" must be terminated by the matching end-tag \"</" +
                                       *closing + u">\".");
                    fail(1090, u"XML parser failure: element is malformed.");
                }
                return;
            }
            if (starts(u"<!--")) {
                size_t end = s_.find(u"-->", p_ + 4);
                if (end == String::npos) fail(1094, u"XML parser failure: Unterminated comment.");
                if (!m_.xmlSettings.ignoreComments) {
                    XmlObject* c = add(parent, out, XmlObject::Kind::Comment);
                    c->value = s_.substr(p_ + 4, end - p_ - 4);
                }
                p_ = end + 3;
                continue;
            }
            if (startsAnyCase(u"<![CDATA[")) {
                size_t end = s_.find(u"]]>", p_ + 9);
                if (end == String::npos) fail(1091, u"XML parser failure: Unterminated CDATA section.");
                XmlObject* t = add(parent, out, XmlObject::Kind::Text);
                t->value = s_.substr(p_ + 9, end - p_ - 9);
                t->cdata = true;
                p_ = end + 3;
                continue;
            }
            if (startsAnyCase(u"<!DOCTYPE")) {
                doctype();
                continue;
            }
            if (starts(u"<?")) {
                instruction(parent, out);
                continue;
            }
            element(parent, depth, out);
        }
    }

private:
    [[noreturn]] void fail(int id, const String& message) { m_.typeError(id, message); }

    bool starts(const char16_t* t) const {
        size_t n = std::char_traits<char16_t>::length(t);
        return s_.compare(p_, n, t) == 0;
    }
    // Markup keywords (CDATA, DOCTYPE) are read in any letter case.
    bool startsAnyCase(const char16_t* t) const {
        size_t n = std::char_traits<char16_t>::length(t);
        if (s_.size() - p_ < n) return false;
        for (size_t i = 0; i < n; ++i) {
            char16_t a = s_[p_ + i], b = t[i];
            if (a >= u'a' && a <= u'z') a = static_cast<char16_t>(a - 32);
            if (a != b) return false;
        }
        return true;
    }
    void skipSpace() {
        while (p_ < s_.size() && isSpace(s_[p_])) ++p_;
    }
    String readName() {
        size_t start = p_;
        if (p_ < s_.size() && isNameStart(s_[p_]))
            while (p_ < s_.size() && isNameChar(s_[p_])) ++p_;
        return s_.substr(start, p_ - start);
    }

    XmlObject* add(XmlObject* parent, std::vector<XmlObject*>& out, XmlObject::Kind kind) {
        XmlObject* x = newXml(m_, kind);
        x->parent = parent;
        out.push_back(x);
        return x;
    }

    // Entity and character references; an unknown reference stays as written.
    String decode(size_t from, size_t to) {
        String r;
        for (size_t i = from; i < to; ++i) {
            char16_t c = s_[i];
            if (c != u'&') {
                r += c;
                continue;
            }
            size_t semi = s_.find(u';', i);
            if (semi == String::npos || semi >= to || semi - i > 12) {
                r += c;
                continue;
            }
            String ent = s_.substr(i + 1, semi - i - 1);
            char32_t code = 0;
            bool ok = true;
            if (ent == u"lt") code = u'<';
            else if (ent == u"gt") code = u'>';
            else if (ent == u"amp") code = u'&';
            else if (ent == u"quot") code = u'"';
            else if (ent == u"apos") code = u'\'';
            else if (ent.size() > 1 && ent[0] == u'#') {
                bool hex = ent[1] == u'x' || ent[1] == u'X';
                size_t k = hex ? 2 : 1;
                if (k >= ent.size()) ok = false;
                for (; k < ent.size() && ok; ++k) {
                    char16_t d = ent[k];
                    int v = d >= u'0' && d <= u'9' ? d - u'0'
                            : hex && d >= u'a' && d <= u'f' ? d - u'a' + 10
                            : hex && d >= u'A' && d <= u'F' ? d - u'A' + 10
                                                             : -1;
                    if (v < 0) ok = false;
                    else code = code * (hex ? 16 : 10) + static_cast<char32_t>(v);
                    if (code > 0x10FFFF) ok = false;
                }
            } else {
                ok = false;
            }
            if (!ok) {
                r += c;
                continue;
            }
            if (code >= 0x10000) {
                code -= 0x10000;
                r += static_cast<char16_t>(0xD800 + (code >> 10));
                r += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
            } else {
                r += static_cast<char16_t>(code);
            }
            i = semi;
        }
        return r;
    }

    void text(XmlObject* parent, std::vector<XmlObject*>& out) {
        size_t end = s_.find(u'<', p_);
        if (end == String::npos) end = s_.size();
        String v = decode(p_, end);
        p_ = end;
        if (m_.xmlSettings.ignoreWhitespace) v = trimmed(v);
        if (v.empty()) return;
        add(parent, out, XmlObject::Kind::Text)->value = v;
    }

    void doctype() {
        int brackets = 0;
        for (size_t i = p_ + 9; i < s_.size(); ++i) {
            if (s_[i] == u'[') ++brackets;
            else if (s_[i] == u']') --brackets;
            else if (s_[i] == u'>' && brackets <= 0) {
                p_ = i + 1;
                return;
            }
        }
        fail(1093, u"XML parser failure: Unterminated DOCTYPE declaration.");
    }

    void instruction(XmlObject* parent, std::vector<XmlObject*>& out) {
        size_t end = s_.find(u"?>", p_ + 2);
        p_ += 2;
        String target = readName();
        bool declaration = target.size() == 3 && (target[0] | 0x20) == u'x' && (target[1] | 0x20) == u'm' && (target[2] | 0x20) == u'l';
        if (end == String::npos)
            fail(declaration ? 1092 : 1097, declaration ? u"XML parser failure: Unterminated XML declaration."
                                                        : u"XML parser failure: Unterminated processing instruction.");
        if (target.empty()) fail(1090, u"XML parser failure: element is malformed.");
        if (!declaration && !m_.xmlSettings.ignoreProcessingInstructions) {
            XmlObject* pi = add(parent, out, XmlObject::Kind::Instruction);
            pi->local = target;
            size_t body = p_;
            while (body < end && isSpace(s_[body])) ++body;
            pi->value = s_.substr(body, end - body);
        }
        p_ = end + 2;
    }

    // The namespace a prefix stands for at `x` (declarations there, then its ancestors).
    static const XmlNamespace* lookup(const XmlObject* x, const String& prefix) {
        for (; x; x = x->parent)
            for (const XmlNamespace& ns : x->namespaces)
                if (ns.prefix && *ns.prefix == prefix) return &ns;
        return nullptr;
    }

    void element(XmlObject* parent, int depth, std::vector<XmlObject*>& out) {
        ++p_;
        String qname = readName();
        if (qname.empty()) fail(1090, u"XML parser failure: element is malformed.");
        XmlObject* e = add(parent, out, XmlObject::Kind::Element);
        std::vector<std::pair<String, String>> attrs;
        bool empty = false;
        while (true) {
            size_t before = p_;
            skipSpace();
            if (p_ >= s_.size()) fail(1090, u"XML parser failure: element is malformed.");
            if (starts(u"/>")) {
                p_ += 2;
                empty = true;
                break;
            }
            if (s_[p_] == u'>') {
                ++p_;
                break;
            }
            if (before == p_) fail(1090, u"XML parser failure: element is malformed.");
            String an = readName();
            if (an.empty()) fail(1090, u"XML parser failure: element is malformed.");
            skipSpace();
            if (p_ >= s_.size() || s_[p_] != u'=') fail(1090, u"XML parser failure: element is malformed.");
            ++p_;
            skipSpace();
            if (p_ >= s_.size() || (s_[p_] != u'"' && s_[p_] != u'\'')) fail(1090, u"XML parser failure: element is malformed.");
            char16_t q = s_[p_++];
            size_t end = s_.find(q, p_);
            if (end == String::npos) fail(1095, u"XML parser failure: Unterminated attribute.");
            for (auto& [n, v] : attrs)
                if (n == an)
                    fail(1104, u"Attribute \"" + an + u"\" was already specified for element \"" + qname + u"\".");
            attrs.emplace_back(an, decode(p_, end));
            p_ = end + 1;
        }
        // Declarations first: the element's own prefixes may be declared on it.
        for (auto& [n, v] : attrs) {
            if (n == u"xmlns") e->namespaces.push_back(XmlNamespace{String(), v});
            else if (n.compare(0, 6, u"xmlns:") == 0) e->namespaces.push_back(XmlNamespace{n.substr(6), v});
        }
        auto split = [](const String& n, String& prefix, String& local) {
            size_t colon = n.find(u':');
            if (colon == String::npos) {
                prefix.clear();
                local = n;
                return false;
            }
            prefix = n.substr(0, colon);
            local = n.substr(colon + 1);
            return true;
        };
        String prefix;
        bool prefixed = split(qname, prefix, e->local);
        if (const XmlNamespace* ns = lookup(e, prefix)) {
            e->uri = ns->uri;
            e->prefix = prefix;
        } else if (prefixed) {
            fail(1083, u"The prefix \"" + prefix + u"\" for element \"" + e->local + u"\" is not bound.");
        }
        for (auto& [n, v] : attrs) {
            if (n == u"xmlns" || n.compare(0, 6, u"xmlns:") == 0) continue;
            XmlObject* a = newXml(m_, XmlObject::Kind::Attribute);
            a->parent = e;
            a->value = v;
            if (split(n, prefix, a->local)) {
                const XmlNamespace* ns = lookup(e, prefix);
                if (!ns) fail(1083, u"The prefix \"" + prefix + u"\" for element \"" + e->local + u"\" is not bound.");
                a->uri = ns->uri;
                a->prefix = prefix;
            }
            e->attributes.push_back(a);
        }
        if (!empty) content(e, &qname, depth + 1, e->children);
    }

    Machine& m_;
    const String& s_;
    size_t p_ = 0;
};

}  // namespace

std::vector<XmlObject*> parseXmlFragment(Machine& m, const String& text, const String& defaultUri) {
    // A nameless parent stands for the context: it declares the default namespace.
    XmlObject* holder = newXml(m, XmlObject::Kind::Element);
    holder->namespaces.push_back(XmlNamespace{String(), defaultUri});
    std::vector<XmlObject*> nodes;
    Parser(m, text).content(holder, nullptr, 0, nodes);
    for (XmlObject* x : nodes) x->parent = nullptr;
    return nodes;
}

}  // namespace swf::avm2
