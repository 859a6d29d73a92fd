// The lenient XML reader of the script XML class: text to a flat list of open, close and text
// items, with the numeric status codes scripts read from XML.status.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace swf::avm1 {

enum XmlStatus : int {
    XmlOk = 0,
    XmlCdataUnterminated = -2,
    XmlDeclarationUnterminated = -3,
    XmlDoctypeUnterminated = -4,
    XmlCommentUnterminated = -5,
    XmlMalformedElement = -6,
    XmlOutOfMemory = -7,
    XmlAttributeUnterminated = -8,
    XmlUnclosedElement = -9,    // a start tag without its end tag
    XmlUnmatchedEndTag = -10,   // an end tag without its start tag
};

struct XmlAttribute {
    std::string name, value;  // value with its entities decoded
};

struct XmlItem {
    enum class Kind { Open, Close, Text, Declaration, Doctype } kind;
    std::string text;                     // element name, decoded text, or the whole declaration
    std::vector<XmlAttribute> attributes; // Open only, in document order
    bool empty = false;                   // Open only: <name/>, no Close follows
};

struct XmlParseResult {
    std::vector<XmlItem> items;  // what was read before any error
    int status = XmlOk;
};

// Reads `text`. Comments are dropped; CDATA sections become text as they stand; with
// `ignoreWhite`, text of white space only is dropped. Reading stops at the first error, and at
// `maxItems` items (status XmlOutOfMemory).
XmlParseResult parseXml(std::string_view text, bool ignoreWhite, size_t maxItems = 250000);

// &lt; &gt; &amp; &quot; &apos; and numeric references to their characters (UTF-8); anything else
// stays as written.
std::string decodeXmlEntities(std::string_view text);

// The five characters XML reserves, written as entities.
std::string escapeXml(std::string_view text);

}  // namespace swf::avm1
