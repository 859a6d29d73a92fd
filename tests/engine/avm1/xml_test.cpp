// XML and XMLNode: the lenient reader and its status codes, the node tree's links as scripts
// change it, namespaces, markup, ids, and loads that end in onLoad(false).
#include "engine/avm1/xml_parser.h"
#include "tests/engine/avm1/machine_fixture.h"

namespace swf::avm1::test {

TEST(XmlParser, StatusCodesAndWhatWasReadBeforeTheError) {
    EXPECT_EQ(parseXml("<a><b/>text</a>", false).status, XmlOk);
    EXPECT_EQ(parseXml("<a>", false).status, XmlUnclosedElement);
    EXPECT_EQ(parseXml("<a></b>", false).status, XmlUnclosedElement);
    EXPECT_EQ(parseXml("</a>", false).status, XmlUnmatchedEndTag);
    EXPECT_EQ(parseXml("<!-- open", false).status, XmlCommentUnterminated);
    EXPECT_EQ(parseXml("<![CDATA[ open", false).status, XmlCdataUnterminated);
    EXPECT_EQ(parseXml("<?xml version='1.0'", false).status, XmlDeclarationUnterminated);
    EXPECT_EQ(parseXml("<!DOCTYPE x", false).status, XmlDoctypeUnterminated);
    EXPECT_EQ(parseXml("<a b='1", false).status, XmlAttributeUnterminated);
    EXPECT_EQ(parseXml("<a b=1>", false).status, XmlMalformedElement);
    EXPECT_EQ(parseXml("<a", false).status, XmlMalformedElement);
    XmlParseResult partial = parseXml("<a>x</a><b c='1", false);
    EXPECT_EQ(partial.items.size(), 3u);  // open, text, close survive the broken attribute
    XmlParseResult many = parseXml("<a/><a/><a/><a/>", false, 3);
    EXPECT_EQ(many.status, XmlOutOfMemory);
    EXPECT_EQ(many.items.size(), 3u);
}

TEST(XmlParser, TextEntitiesWhiteSpaceAndCdata) {
    XmlParseResult r = parseXml("<a x=\"&lt;&amp;&#65;&#x42;&bogus;\"> \n <![CDATA[<raw>&amp;]]><!--gone-->&quot;&Lt;</a>", true);
    ASSERT_EQ(r.status, XmlOk);
    ASSERT_EQ(r.items.size(), 4u);  // open, cdata, text, close: the white text is dropped
    EXPECT_EQ(r.items[0].attributes[0].value, "<&AB&bogus;");
    EXPECT_EQ(r.items[1].text, "<raw>&amp;");
    EXPECT_EQ(r.items[2].text, "\"&Lt;");
    EXPECT_EQ(parseXml("<a> </a>", false).items.size(), 3u);
    EXPECT_EQ(escapeXml("<a href=\"x\">'&'</a>"), "&lt;a href=&quot;x&quot;&gt;&apos;&amp;&apos;&lt;/a&gt;");
}

class XmlTest : public MachineTest {
protected:
    Value global(const char* name) { return machine->getMember(Value(machine->global()), name); }
    Value xml(const std::string& text) { return machine->construct(global("XML"), {Value(text)}); }
    Value call(const Value& self, const char* method, std::vector<Value> args = {}) {
        return machine->call(machine->getMember(self, method), self.object(), std::move(args));
    }
    Value get(const Value& v, const char* name) { return machine->getMember(v, name); }
    std::string text(const Value& v) { return machine->toString(v); }
};

TEST_F(XmlTest, MarkupRoundTripsWithAttributesInDocumentOrder) {
    Value doc = xml("<?xml version=\"1.0\"?><!DOCTYPE d><r b=\"2\" a=\"&amp;\"><e/>t&lt;<f></f></r>");
    EXPECT_EQ(text(doc), "<?xml version=\"1.0\"?><!DOCTYPE d><r b=\"2\" a=\"&amp;\"><e />t&lt;<f /></r>");
    EXPECT_EQ(text(get(doc, "status")), "0");
    Value r = get(doc, "firstChild");
    std::vector<std::string> keys;
    for (auto& k : machine->enumerate(get(r, "attributes").object())) keys.push_back(k);
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[1], "b");  // enumeration pops from the back: b comes out first
    machine->setMember(get(r, "attributes"), "n", Value(1.0));
    EXPECT_EQ(text(r).substr(0, 20), "<r n=\"1\" b=\"2\" a=\"&a");
    EXPECT_EQ(text(get(xml("<a>"), "status")), "-9");
}

TEST_F(XmlTest, LinksFollowEveryChangeAndRefuseCycles) {
    Value doc = xml("<a><b/><c/></a>");
    Value a = get(doc, "firstChild");
    Value list = get(a, "childNodes");
    Value b = get(a, "firstChild"), c = get(a, "lastChild");
    EXPECT_TRUE(get(b, "nextSibling").object() == c.object());
    EXPECT_TRUE(get(c, "nextSibling").isNull());
    Value d = call(doc, "createElement", {Value("d")});
    call(a, "insertBefore", {d, c});
    EXPECT_EQ(text(list), "<b />,<d />,<c />");  // the array handed out earlier follows
    call(b, "removeNode");
    EXPECT_TRUE(get(b, "parentNode").isNull());
    EXPECT_TRUE(get(d, "previousSibling").isNull());
    call(d, "appendChild", {a});  // a node cannot go inside itself
    EXPECT_EQ(text(doc), "<a><d /><c /></a>");
    call(doc, "appendChild", {c});  // moving takes it from its old parent
    EXPECT_EQ(text(doc), "<a><d /></a><c />");
    Value copy = call(a, "cloneNode", {Value(true)});
    EXPECT_EQ(text(copy), "<a><d /></a>");
    EXPECT_TRUE(get(copy, "parentNode").isNull());
    EXPECT_EQ(text(call(a, "cloneNode", {Value(false)})), "<a />");
    call(doc, "parseXML", {Value("<z/>")});
    EXPECT_TRUE(get(a, "parentNode").isNull());
    EXPECT_EQ(text(get(a, "firstChild")), "<d />");  // old nodes keep their own children
}

TEST_F(XmlTest, NamespacesComeFromTheNearestDeclaration) {
    Value doc = xml("<p:a xmlns:p='u1' xmlnsx='u0'><p:b xmlns:q='u2'><c/></p:b></p:a>");
    Value a = get(doc, "firstChild"), b = get(a, "firstChild"), c = get(b, "firstChild");
    EXPECT_EQ(text(get(b, "prefix")) + " " + text(get(b, "localName")) + " " + text(get(b, "namespaceURI")), "p b u1");
    EXPECT_EQ(text(get(c, "prefix")) + "|" + text(get(c, "namespaceURI")), "|u0");
    EXPECT_EQ(text(call(c, "getPrefixForNamespace", {Value("u2")})), "q");
    EXPECT_EQ(text(call(a, "getNamespaceForPrefix", {Value("q")})), "null");
    EXPECT_TRUE(get(doc, "prefix").isNull());
}

TEST_F(XmlTest, IdsGoToIdMapFromVersion8AndOntoTheDocumentBefore) {
    Value doc = xml("<a id='x'><b id='y'/></a>");
    EXPECT_TRUE(get(get(doc, "idMap"), "y").object() == get(get(doc, "firstChild"), "firstChild").object());
    useVersion(7);
    Value old = xml("<a id='x'/>");
    EXPECT_TRUE(get(old, "idMap").isUndefined());
    EXPECT_TRUE(get(old, "x").object() == get(old, "firstChild").object());
}

TEST_F(XmlTest, LoadOfAFileThatIsNotThereEndsInOnLoadFalseNextFrame) {
    Value doc = xml("");
    EXPECT_EQ(text(call(doc, "load", {Value("missing.xml")})), "true");
    EXPECT_EQ(text(call(doc, "getBytesLoaded")), "0");
    EXPECT_EQ(text(call(doc, "load")), "false");
    // The default onData hands the failure to onLoad.
    Object* onLoad = machine->newFunction([](Machine& m, Object*, std::vector<Value>& a) {
        m.host().trace("onLoad " + m.toString(a.empty() ? Value() : a[0]));
        return Value();
    });
    machine->setMember(doc, "onLoad", Value(onLoad));
    host.lines.clear();
    machine->runIntervals();
    EXPECT_TRUE(host.lines.empty());
    machine->runIntervals();
    EXPECT_EQ(host.lines, Lines{"onLoad false"});
    EXPECT_EQ(text(get(doc, "loaded")), "false");
}

}  // namespace swf::avm1::test
