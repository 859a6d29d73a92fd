// E4X values: XML nodes (elements, attributes, text, comments, processing instructions) and
// XMLList, an ordered list of nodes that remembers where new nodes assigned to it belong.
#pragma once

#include <optional>

#include <algorithm>
#include <cmath>

#include "engine/avm2/machine.h"

namespace swf::avm2 {

// A namespace as XML holds it: the prefix is absent when unknown (a namespace made from a URI alone).
struct XmlNamespace {
    std::optional<String> prefix;
    String uri;
};

// The name E4X operations look for: a local name or any name ("*"), in one namespace URI, a set
// of them (a multiname), or any namespace.
struct XmlNameQuery {
    String local;
    bool anyName = false;
    bool attribute = false;
    bool anyNamespace = false;
    std::vector<String> uris;  // when not anyNamespace
    bool matchesUri(const String& uri) const;
    bool matches(const String& uri, const String& localName) const {
        return (anyName || localName == local) && matchesUri(uri);
    }
};

class XmlObject : public Object {
public:
    enum class Kind : uint8_t { Element, Attribute, Text, Comment, Instruction };
    XmlObject() : Object(ObjectType::Xml) {}
    void trace(std::vector<Object*>& out) override;

    Kind kind = Kind::Element;
    bool cdata = false;                 // text written as a CDATA section
    String uri, local;                  // element, attribute and instruction names
    std::optional<String> prefix;       // the prefix the name was written with
    String value;                       // text, comment, attribute value, instruction body
    XmlObject* parent = nullptr;
    std::vector<XmlObject*> attributes, children;
    std::vector<XmlNamespace> namespaces;  // declared on this element

    bool isElement() const { return kind == Kind::Element; }
    bool hasSimpleContent() const;
    int indexInParent() const;
};

class XmlListObject : public Object {
public:
    XmlListObject() : Object(ObjectType::XmlList) {}
    void trace(std::vector<Object*>& out) override;

    std::vector<XmlObject*> items;
    // Where a value assigned to an empty list goes: the object it was read from and the name.
    Object* target = nullptr;
    std::optional<XmlNameQuery> targetName;
};

// What the E4X built-ins share with the machine.
XmlObject* newXml(Machine& m, XmlObject::Kind kind);
XmlListObject* newXmlList(Machine& m, Object* target = nullptr, std::optional<XmlNameQuery> name = std::nullopt);
inline XmlObject* asXml(const Value& v) {
    return v.object() && v.object()->type == ObjectType::Xml ? static_cast<XmlObject*>(v.object()) : nullptr;
}
inline XmlListObject* asXmlList(const Value& v) {
    return v.object() && v.object()->type == ObjectType::XmlList ? static_cast<XmlListObject*>(v.object()) : nullptr;
}
inline bool isXmlValue(const Value& v) { return asXml(v) || asXmlList(v); }

// Parses markup into nodes under a nameless parent: the nodes, in order. Errors are the player's
// TypeErrors for malformed markup.
std::vector<XmlObject*> parseXmlFragment(Machine& m, const String& text, const String& defaultUri);
// XML(value) and XMLList(value): the conversions of the constructors and top-level functions.
Value toXml(Machine& m, const Value& v);
XmlListObject* toXmlList(Machine& m, const Value& v);
XmlObject* deepCopy(Machine& m, const XmlObject* x, XmlObject* parent);

String xmlToString(Machine& m, const XmlObject* x);
String xmlListToString(Machine& m, const XmlListObject* l);
String toXmlString(Machine& m, const XmlObject* x);
String listToXmlString(Machine& m, const XmlListObject* l);
String escapeElementValue(const String& s);
String escapeAttributeValue(const String& s);

// The E4X name a property name stands for; `dxns` gives unqualified element names a namespace.
XmlNameQuery xmlNameQuery(Machine& m, const Name& n);
XmlNameQuery xmlNameFromValue(Machine& m, const Value& v, bool attribute = false);

// E4X property access on XML and XMLList values, called by the machine's property operations.
Value xmlGet(Machine& m, Object* o, const Name& n);
void xmlSet(Machine& m, Object* o, const Name& n, const Value& v);
bool xmlHas(Machine& m, Object* o, const Name& n);
bool xmlDelete(Machine& m, Object* o, const Name& n);
XmlListObject* xmlDescendants(Machine& m, Object* o, const XmlNameQuery& q);
Value xmlCall(Machine& m, const Value& self, const Name& n, std::span<const Value> args);
bool xmlEquals(Machine& m, const Value& a, const Value& b);
// x + y where both are XML or XMLList: a new list of both.
Value xmlConcat(Machine& m, const Value& a, const Value& b);

NamespaceObject* newNamespace(Machine& m, const std::optional<String>& prefix, const String& uri);

}  // namespace swf::avm2
