// XML: a node that is a whole document, read from text with the reference reader's rules
// (status codes, ignoreWhite, declarations, ids), and loaded like LoadVars.
#include "engine/avm1/geom_support.h"
#include "engine/avm1/load_requests.h"
#include "engine/avm1/xml_node.h"
#include "engine/avm1/xml_parser.h"

namespace swf::avm1 {

namespace {

void parseInto(Machine& m, Object* doc, const std::string& text) {
    xmlClearChildren(doc);
    bool ignoreWhite = m.toBoolean(m.getMember(Value(doc), "ignoreWhite"));
    XmlParseResult parsed = parseXml(text, ignoreWhite);
    Value ids = m.swfVersion() >= 8 ? m.getMember(Value(doc), "idMap") : Value(doc);
    std::vector<Object*> open{doc};
    for (XmlItem& item : parsed.items) {
        switch (item.kind) {
            case XmlItem::Kind::Open: {
                Object* node = newXmlNode(m, kXmlElement, Value(item.text));
                if (!item.attributes.empty()) {
                    Object* attrs = xmlNodeAttributes(m, node);
                    // Stored last first, so that enumeration gives them in document order.
                    for (auto it = item.attributes.rbegin(); it != item.attributes.rend(); ++it)
                        if (!attrs->find(m.key(it->name))) attrs->put(m.key(it->name), it->name, Value(it->value));
                }
                xmlAppend(open.back(), node);
                if (const Property* id = xmlNodeAttributes(m, node)->find(m.key("id")); id && ids.object())
                    m.setMember(ids, m.toString(id->value), Value(node));
                if (!item.empty) open.push_back(node);
                break;
            }
            case XmlItem::Kind::Close:
                if (open.size() > 1) open.pop_back();
                break;
            case XmlItem::Kind::Text:
                xmlAppend(open.back(), newXmlNode(m, kXmlText, Value(item.text)));
                break;
            case XmlItem::Kind::Declaration:
                m.setMember(Value(doc), "xmlDecl", Value(item.text));
                break;
            case XmlItem::Kind::Doctype:
                m.setMember(Value(doc), "docTypeDecl", Value(item.text));
                break;
        }
    }
    m.setMember(Value(doc), "status", Value(double(parsed.status)));
}

Value construct(Machine& m, Object* self, std::vector<Value>& a) {
    if (!self || self == m.global() || self->clip) return Value();
    makeXmlNode(self, kXmlElement, Value::null());
    if (m.swfVersion() >= 8) self->put(m.key("idMap"), "idMap", Value(m.newObject()));
    Value text = arg(a, 0);
    if (!text.isNullish()) parseInto(m, self, m.toString(text));
    return Value(self);
}

Value parseXML(Machine& m, Object* self, std::vector<Value>& a) {
    if (xmlNode(self)) parseInto(m, self, m.toString(arg(a, 0)));
    return Value();
}

Value createElement(Machine& m, Object*, std::vector<Value>& a) {
    return Value(newXmlNode(m, kXmlElement, Value(m.toString(arg(a, 0)))));
}

Value createTextNode(Machine& m, Object*, std::vector<Value>& a) {
    return Value(newXmlNode(m, kXmlText, Value(m.toString(arg(a, 0)))));
}

Value onData(Machine& m, Object* self, std::vector<Value>& a) { return finishLoad(m, self, arg(a, 0), "parseXML"); }
}  // namespace

// Shared with LoadVars: headers a request would carry, kept as name, value pairs.
Value addRequestHeader(Machine& m, Object* self, std::vector<Value>& a) {
    if (!self) return Value();
    Value list = m.getMember(Value(self), "_customHeaders");
    if (!list.object() || !list.object()->isArray) {
        list = Value(m.newArray());
        self->put(m.key("_customHeaders"), "_customHeaders", list, DontEnum);
    }
    std::vector<Value>& headers = list.object()->elements;
    if (Object* pairs = arg(a, 0).object(); pairs && pairs->isArray) {
        for (size_t i = 0; i + 1 < pairs->elements.size(); i += 2) {
            headers.push_back(Value(m.toString(pairs->elements[i])));
            headers.push_back(Value(m.toString(pairs->elements[i + 1])));
        }
    } else if (a.size() >= 2) {
        headers.push_back(Value(m.toString(a[0])));
        headers.push_back(Value(m.toString(a[1])));
    }
    return Value();
}

void installXml(Machine& m) {
    installXmlNode(m);
    Object* proto = m.newObject();
    proto->proto = m.xmlNodeProto;
    defineClass(m, "XML", construct, construct, proto);
    struct { const char* name; NativeFunction f; } methods[] = {
        {"createElement", createElement}, {"createTextNode", createTextNode}, {"parseXML", parseXML},
        {"load", loading::load}, {"send", loading::send}, {"sendAndLoad", loading::sendAndLoad}, {"onData", onData}, {"onLoad", loading::onLoad},
        {"getBytesLoaded", loading::getBytesLoaded}, {"getBytesTotal", loading::getBytesTotal}, {"addRequestHeader", addRequestHeader}};
    for (auto& fn : methods) m.defineNative(proto, fn.name, fn.f);
    proto->put(m.key("contentType"), "contentType", Value("application/x-www-form-urlencoded"), DontEnum);
    proto->put(m.key("ignoreWhite"), "ignoreWhite", Value(false), DontEnum);
}

}  // namespace swf::avm1
