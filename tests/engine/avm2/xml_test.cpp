#include <gtest/gtest.h>

#include "engine/avm2/xml.h"
#include "tests/engine/avm2/machine_fixture.h"

using namespace swf::avm2;

namespace {

class XmlTest : public avm2test::MachineTest {
protected:
    Value xml(const char16_t* text) { return m.construct(global(u"XML"), std::vector<Value>{Value(text)}); }
    Value list(const char16_t* text) { return m.construct(global(u"XMLList"), std::vector<Value>{Value(text)}); }
    Value get(const Value& o, const char16_t* name) { return m.getProperty(o, Name{name, m.publicSet}); }
    Value attr(const Value& o, const char16_t* name) {
        Name n{name, m.publicSet};
        n.attribute = true;
        return m.getProperty(o, n);
    }
    void put(const Value& o, const char16_t* name, const Value& v, bool attribute = false) {
        Name n{name, m.publicSet};
        n.attribute = attribute;
        m.setProperty(o, n, v);
    }
    std::string markup(const Value& v) { return text(method(v, u"toXMLString")); }
    void compact() { m.xmlSettings.prettyPrinting = false; }
};

TEST_F(XmlTest, ParsesElementsTextAndAttributesWithEntities) {
    compact();
    Value x = xml(u"<a id=\"1\" note='x &amp; &quot;y&quot;'>Hi &lt;there&gt; &#65;&#x42;<b/><c>two</c></a>");
    EXPECT_EQ(text(method(x, u"nodeKind")), "element");
    EXPECT_EQ(text(attr(x, u"id")), "1");
    EXPECT_EQ(text(attr(x, u"note")), "x & \"y\"");
    EXPECT_EQ(text(method(get(x, u"c"), u"toString")), "two");
    EXPECT_EQ(text(method(method(x, u"children"), u"length")), "3");
    // Markup comes back escaped, attributes in order.
    EXPECT_EQ(markup(x), "<a id=\"1\" note=\"x &amp; &quot;y&quot;\">Hi &lt;there&gt; AB<b/><c>two</c></a>");
    EXPECT_EQ(text(x), markup(x));  // complex content: toString is the markup
    EXPECT_EQ(m.typeOf(x), u"xml");
    EXPECT_EQ(m.typeOf(get(x, u"c")), u"xml");
}

TEST_F(XmlTest, SettingsDecideWhatTheParseKeeps) {
    compact();
    const char16_t* src = u"<a>  \n  text  <!-- c --><?pi body?><b> </b></a>";
    EXPECT_EQ(markup(xml(src)), "<a>text<b/></a>");
    m.xmlSettings.ignoreComments = false;
    m.xmlSettings.ignoreProcessingInstructions = false;
    m.xmlSettings.ignoreWhitespace = false;
    EXPECT_EQ(markup(xml(src)), "<a>  \n  text  <!-- c --><?pi body?><b> </b></a>");
    // CDATA is text kept as written, whatever the letter case of its keyword.
    m.xmlSettings = XmlSettings{};
    compact();
    Value c = xml(u"<t><![cdata[ a <b> ]]></t>");
    EXPECT_EQ(text(c), " a <b> ");
    EXPECT_EQ(markup(c), "<t><![CDATA[ a <b> ]]></t>");
}

TEST_F(XmlTest, PrettyPrintingIndentsChildrenButNotLoneText) {
    Value x = xml(u"<a><b>t</b><c><d/></c></a>");
    EXPECT_EQ(markup(x), "<a>\n  <b>t</b>\n  <c>\n    <d/>\n  </c>\n</a>");
    m.xmlSettings.prettyIndent = 4;
    EXPECT_EQ(markup(get(x, u"c")), "<c>\n    <d/>\n</c>");
    // A list of several elements is printed one per line.
    EXPECT_EQ(text(method(get(x, u"*"), u"toXMLString")), "<b>t</b>\n<c>\n    <d/>\n</c>");
}

TEST_F(XmlTest, MalformedMarkupIsTheParsersTypeError) {
    EXPECT_EQ(thrown([&] { xml(u"<a><b></a>"); }),
              "TypeError: Error #1085: The element type \"b\" must be terminated by the matching end-tag \"</b>\".");
    EXPECT_EQ(thrown([&] { xml(u"<a"); }), "TypeError: Error #1090: XML parser failure: element is malformed.");
    EXPECT_EQ(thrown([&] { xml(u"<a><![CDATA[x</a>"); }), "TypeError: Error #1091: XML parser failure: Unterminated CDATA section.");
    EXPECT_EQ(thrown([&] { xml(u"<!DOCTYPE x [ <!ELEMENT a> "); }), "TypeError: Error #1093: XML parser failure: Unterminated DOCTYPE declaration.");
    EXPECT_EQ(thrown([&] { xml(u"<a/><b/>"); }),
              "TypeError: Error #1088: The markup in the document following the root element must be well-formed.");
    EXPECT_EQ(thrown([&] { xml(u"<p:a/>"); }), "TypeError: Error #1083: The prefix \"p\" for element \"a\" is not bound.");
    EXPECT_EQ(thrown([&] { xml(u"<a x='1' x='2'/>"); }), "TypeError: Error #1104: Attribute \"x\" was already specified for element \"a\".");
    // Nesting is bounded instead of recursing without end.
    std::u16string deep;
    for (int i = 0; i < 5000; ++i) deep += u"<a>";
    EXPECT_EQ(thrown([&] { xml(deep.c_str()); }), "TypeError: Error #1090: XML parser failure: element is malformed.");
    // Several top-level nodes are fine for a list; nothing at all is an empty text node.
    EXPECT_EQ(text(method(list(u"<a/><b/>text"), u"length")), "3");
    EXPECT_EQ(text(method(xml(u""), u"nodeKind")), "text");
}

TEST_F(XmlTest, AssignmentReplacesCreatesAndRemovesNodes) {
    compact();
    Value x = xml(u"<r><a>1</a><b/><a>2</a></r>");
    // Assigning a name keeps the first match, drops the rest and sets its text.
    put(x, u"a", Value(u"new"));
    EXPECT_EQ(markup(x), "<r><a>new</a><b/></r>");
    // A missing name is created at the end; an attribute is added or changed.
    put(x, u"c", Value(3));
    put(x, u"id", Value(u"<&>"), true);
    EXPECT_EQ(markup(x), "<r id=\"&lt;&amp;>\"><a>new</a><b/><c>3</c></r>");
    // Assigning XML replaces the element with a copy of it.
    Value y = xml(u"<z>zz</z>");
    put(x, u"b", y);
    EXPECT_EQ(markup(x), "<r id=\"&lt;&amp;>\"><a>new</a><z>zz</z><c>3</c></r>");
    put(y, u"q", Value(1));
    EXPECT_EQ(text(get(x, u"z")), "zz");
    // A chain through a missing element creates it.
    put(get(x, u"d"), u"e", Value(u"deep"));
    EXPECT_EQ(text(get(get(x, u"d"), u"e")), "deep");
    EXPECT_TRUE(m.deleteProperty(x, Name{u"a", m.publicSet}));
    EXPECT_EQ(text(method(get(x, u"a"), u"length")), "0");
    // Lists of several nodes cannot take a named assignment.
    Value two = xml(u"<r><a><b/></a><a><b/></a></r>");
    EXPECT_EQ(thrown([&] { put(get(two, u"a"), u"b", Value(1)); }),
              "TypeError: Error #1089: Assignment to lists with more than one item is not supported.");
    EXPECT_EQ(thrown([&] { put(x, u"0", Value(1)); }), "TypeError: Error #1087: Assignment to indexed XML is not allowed.");
}

TEST_F(XmlTest, TreeMethodsWalkAndChangeTheTree) {
    compact();
    Value x = xml(u"<r><a k='v'><b>1</b></a><a><b>2</b></a></r>");
    Value bs = method(x, u"descendants", {Value(u"b")});
    EXPECT_EQ(text(method(bs, u"length")), "2");
    EXPECT_EQ(text(method(bs, u"toXMLString")), "<b>1</b><b>2</b>");
    EXPECT_EQ(text(method(get(get(x, u"a"), u"0"), u"childIndex")), "0");
    Value b2 = get(get(get(x, u"a"), u"1"), u"b");
    EXPECT_TRUE(m.strictEquals(method(method(b2, u"parent"), u"parent"), x));
    EXPECT_TRUE(method(x, u"parent").isUndefined());
    method(x, u"prependChild", {Value(u"<first/>")});
    method(x, u"appendChild", {Value(u"tail")});
    EXPECT_EQ(markup(x), "<r><first/><a k=\"v\"><b>1</b></a><a><b>2</b></a>tail</r>");
    EXPECT_EQ(text(method(method(x, u"child", {Value(0)}), u"name")), "first");
    EXPECT_EQ(text(method(x, u"attributes")), "");
    EXPECT_EQ(text(method(get(x, u"a"), u"attributes")), "v");
    // A node cannot become its own descendant.
    EXPECT_EQ(thrown([&] { method(get(get(x, u"a"), u"0"), u"appendChild", {x}); }),
              "TypeError: Error #1118: Illegal cyclical loop between nodes.");
    // Methods that need one node refuse other lists.
    EXPECT_EQ(thrown([&] { method(get(x, u"a"), u"name"); }),
              "TypeError: Error #1086: The name method only works on lists containing one item.");
    // Simple content answers to the String methods.
    EXPECT_EQ(text(method(get(get(x, u"first"), u"0"), u"toUpperCase")), "");
    EXPECT_EQ(text(method(xml(u"<s>abc</s>"), u"toUpperCase")), "ABC");
}

TEST_F(XmlTest, EqualityComparesContentAndAdditionMakesLists) {
    Value a = xml(u"<a x='1'><b>t</b></a>");
    Value b = xml(u"<a x='1'><b>t</b></a>");
    Value c = xml(u"<a x='2'><b>t</b></a>");
    EXPECT_TRUE(m.looseEquals(a, b));
    EXPECT_FALSE(m.looseEquals(a, c));
    EXPECT_FALSE(m.strictEquals(a, b));
    EXPECT_TRUE(m.looseEquals(get(a, u"b"), Value(u"t")));
    EXPECT_TRUE(m.looseEquals(attr(a, u"x"), Value(1)));
    EXPECT_TRUE(m.looseEquals(get(a, u"missing"), Value()));
    Value sum = m.add(a, c);
    EXPECT_EQ(text(method(sum, u"length")), "2");
    EXPECT_EQ(m.add(Value(u"n="), attr(a, u"x")).string(), u"n=1");
}

TEST_F(XmlTest, NamespacesAreResolvedAndDeclaredWhereNeeded) {
    compact();
    Value x = xml(u"<p:r xmlns:p='urn:p' xmlns='urn:d'><p:a p:k='1'/><b/></p:r>");
    Value ns = method(x, u"namespace");
    EXPECT_EQ(text(get(ns, u"prefix")), "p");
    EXPECT_EQ(text(get(ns, u"uri")), "urn:p");
    // Unqualified names find nothing in a namespace; a namespace-qualified name finds the node.
    EXPECT_EQ(text(method(get(x, u"a"), u"length")), "0");
    std::vector<Ns> p{Ns{kNsNamespace, u"urn:p", 0}};
    EXPECT_EQ(text(method(m.getProperty(x, Name{u"a", p}), u"length")), "1");
    // A child printed alone carries the declarations of its ancestors.
    Value a = m.getProperty(x, Name{u"a", p});
    EXPECT_EQ(markup(a), "<p:a p:k=\"1\" xmlns:p=\"urn:p\" xmlns=\"urn:d\"/>");
    EXPECT_EQ(markup(x), "<p:r xmlns:p=\"urn:p\" xmlns=\"urn:d\"><p:a p:k=\"1\"/><b/></p:r>");
    // A name changed into a namespace nobody declared gets a declaration of its own.
    Value q = m.construct(global(u"QName"), std::vector<Value>{Value(u"urn:new"), Value(u"n")});
    Value b = xml(u"<b/>");
    method(b, u"setName", {q});
    EXPECT_EQ(markup(b), "<n xmlns=\"urn:new\"/>");
    EXPECT_EQ(thrown([&] { method(b, u"setName", {Value(u"1x")}); }), "TypeError: Error #1117: Invalid XML name: 1x.");
}

TEST_F(XmlTest, NamespaceConstructorTakesPrefixAndUri) {
    Value cls = global(u"Namespace");
    Value none = m.construct(cls, {});
    EXPECT_EQ(text(get(none, u"prefix")), "");
    EXPECT_EQ(text(none), "");
    Value uriOnly = m.construct(cls, std::vector<Value>{Value(u"urn:x")});
    EXPECT_TRUE(get(uriOnly, u"prefix").isUndefined());
    EXPECT_EQ(text(uriOnly), "urn:x");
    Value both = m.construct(cls, std::vector<Value>{Value(u"p"), Value(u"urn:x")});
    EXPECT_EQ(text(get(both, u"prefix")), "p");
    EXPECT_TRUE(m.looseEquals(both, uriOnly));
    EXPECT_EQ(thrown([&] { m.construct(cls, std::vector<Value>{Value(u"p"), Value(u"")}); }),
              "TypeError: Error #1098: Illegal prefix p for no namespace.");
}

}  // namespace
