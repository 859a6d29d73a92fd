// TextFormat and TextField.StyleSheet: parts null until set, numbers kept whole, CSS read into
// style objects and turned into formats.
#include "tests/engine/avm1/machine_fixture.h"

namespace swf::avm1::test {

class TextFormatTest : public MachineTest {
protected:
    Value global(const char* name) { return machine->getMember(Value(machine->global()), name); }
    Value call(const Value& self, const char* method, std::vector<Value> args = {}) {
        return machine->call(machine->getMember(self, method), self.object(), std::move(args));
    }
    std::string get(const Value& self, const char* name) { return machine->toString(machine->getMember(self, name)); }
};

TEST_F(TextFormatTest, PartsAreNullUntilSetAndNumbersAreKeptWhole) {
    Value f = machine->construct(global("TextFormat"), {Value("Arial"), Value(-10.9), Value(-11.0), Value(1.0)});
    EXPECT_EQ(get(f, "font"), "Arial");
    EXPECT_EQ(get(f, "size"), "-10");
    EXPECT_EQ(get(f, "color"), "4294967285");
    EXPECT_EQ(get(f, "bold"), "true");
    EXPECT_EQ(get(f, "italic"), "null");
    EXPECT_EQ(get(f, "align"), "null");
    EXPECT_EQ(get(f, "display"), "block");
    machine->setMember(f, "align", Value("CENTER"));
    EXPECT_EQ(get(f, "align"), "center");
    machine->setMember(f, "align", Value("middle"));  // not an alignment: kept as it was
    EXPECT_EQ(get(f, "align"), "center");
    machine->setMember(f, "align", Value::null());  // nor are null and undefined
    machine->setMember(f, "align", Value());
    EXPECT_EQ(get(f, "align"), "center");
    machine->setMember(f, "leftMargin", Value(7.8));
    EXPECT_EQ(get(f, "leftMargin"), "8");
    machine->setMember(f, "size", Value::null());
    EXPECT_EQ(get(f, "size"), "null");
    Object* stops = machine->newArray({Value(10.5), Value("20")});
    machine->setMember(f, "tabStops", Value(stops));
    EXPECT_EQ(get(f, "tabStops"), "10,20");
}

TEST_F(TextFormatTest, SettersRoundNumbersAndKeepMarginsAtZeroOrMore) {
    // The constructor cuts towards zero and takes negative margins...
    Value made = machine->construct(global("TextFormat"), {Value(), Value(-10.9), Value(), Value(), Value(), Value(),
                                                           Value(), Value(), Value(), Value(-10.9), Value(-3.0)});
    EXPECT_EQ(get(made, "size"), "-10");
    EXPECT_EQ(get(made, "leftMargin"), "-10");
    EXPECT_EQ(get(made, "rightMargin"), "-3");
    // ...the setters take the nearest whole number, halves to the even one, and no margin below zero.
    Value f = machine->construct(global("TextFormat"), {});
    const std::pair<const char*, double> sets[] = {{"size", -10.9}, {"indent", 11.5}, {"leading", -10.5},
                                                   {"leftMargin", -11}, {"rightMargin", 4.6}, {"blockIndent", 2.4}};
    for (auto [name, value] : sets) machine->setMember(f, name, Value(value));
    EXPECT_EQ(get(f, "size"), "-11");
    EXPECT_EQ(get(f, "indent"), "12");
    EXPECT_EQ(get(f, "leading"), "-10");
    EXPECT_EQ(get(f, "leftMargin"), "0");
    EXPECT_EQ(get(f, "rightMargin"), "5");
    EXPECT_EQ(get(f, "blockIndent"), "2");
}

TEST_F(TextFormatTest, StyleSheetsParseCssIntoStylesAndFormats) {
    Value sheet = machine->construct(machine->getMember(global("TextField"), "StyleSheet"), {});
    EXPECT_EQ(machine->toString(call(sheet, "parseCSS", {Value("p, .big { font-size: 20px; color: #FF0000; }\n"
                                                                   "h1 { font-weight: bold; text-align: center; }")})),
              "true");
    EXPECT_EQ(get(call(sheet, "getStyle", {Value(".big")}), "fontSize"), "20px");
    EXPECT_EQ(get(call(sheet, "getStyleNames"), "length"), "3");
    EXPECT_EQ(machine->toString(call(sheet, "getStyle", {Value("P")})), "null") << "names match exactly";
    Value format = call(sheet, "transform", {call(sheet, "getStyle", {Value("p")})});
    EXPECT_EQ(get(format, "size"), "20");
    EXPECT_EQ(get(format, "color"), "16711680");
    Value heading = call(sheet, "transform", {call(sheet, "getStyle", {Value("h1")})});
    EXPECT_EQ(get(heading, "bold"), "true");
    EXPECT_EQ(get(heading, "align"), "center");
    EXPECT_EQ(machine->toString(call(sheet, "transform", {Value::null()})), "null");
    EXPECT_EQ(machine->toString(call(sheet, "transform", {Value()})), "null");
    Value fromNumber = call(sheet, "transform", {Value(5.0)});
    ASSERT_TRUE(fromNumber.object()) << "a primitive is a style without values";
    EXPECT_EQ(get(fromNumber, "size"), "null");
    EXPECT_EQ(get(fromNumber, "display"), "block");
    // Colours only as exactly '#RRGGBB'; sizes of a whole pixel or more.
    auto styled = [&](const char* name, Value v) {
        Object* style = machine->newObject();
        style->put(machine->key(name), name, v);
        return call(sheet, "transform", {Value(style)});
    };
    EXPECT_EQ(get(styled("color", Value("#faFAfa")), "color"), "16448250");
    EXPECT_EQ(get(styled("color", Value(" #faFAfa")), "color"), "null");
    EXPECT_EQ(get(styled("color", Value("#faFAfa ")), "color"), "null");
    EXPECT_EQ(get(styled("color", Value("#456")), "color"), "null");
    EXPECT_EQ(get(styled("fontSize", Value(1.9)), "size"), "1");
    EXPECT_EQ(get(styled("fontSize", Value(0.9)), "size"), "null");
    EXPECT_EQ(get(styled("fontSize", Value(-5.0)), "size"), "null");
    // A malformed sheet is refused whole.
    EXPECT_EQ(machine->toString(call(sheet, "parseCSS", {Value("q { color: red } r { color")})), "false");
    EXPECT_EQ(machine->toString(call(sheet, "getStyle", {Value("q")})), "null");
    call(sheet, "clear");
    EXPECT_EQ(get(call(sheet, "getStyleNames"), "length"), "0");
}

TEST_F(TextFormatTest, StyleSheetCssReaderTakesThePlayersLooseGrammar) {
    Value sheet = machine->construct(machine->getMember(global("TextField"), "StyleSheet"), {});
    auto parse = [&](const char* css) {
        call(sheet, "clear");
        return machine->toString(call(sheet, "parseCSS", {Value(css)}));
    };
    auto style = [&](const char* selector, const char* property) {
        return get(call(sheet, "getStyle", {Value(selector)}), property);
    };
    // Property names run to ':' (';' and '}' inside them), keep trailing white space, and lose
    // their dashes; values run to ';' or '}' and keep trailing white space.
    EXPECT_EQ(parse("b{;;key: value;;other: value;}"), "true");
    EXPECT_EQ(style("b", ";;key"), "value");
    EXPECT_EQ(style("b", ";other"), "value");
    EXPECT_EQ(parse("a{name}b{:value}"), "true");
    EXPECT_EQ(style("a", "name}b{"), "value");
    EXPECT_EQ(parse("key {  property  :   test    value    }"), "true");
    EXPECT_EQ(style("key", "property  "), "test    value    ");
    EXPECT_EQ(parse("k {this--one: v; UPPER-DASHES: v; font-size: 5 }"), "true");
    EXPECT_EQ(style("k", "this-one"), "v");
    EXPECT_EQ(style("k", "UPPERDASHES"), "v");
    EXPECT_EQ(style("k", "fontSize"), "5 ");
    // Selectors are any characters up to white space, ',' or '{'.
    EXPECT_EQ(parse("a}{}"), "true");
    EXPECT_EQ(machine->toString(call(sheet, "getStyle", {Value("a}")})), "[object Object]");
    // A block left open at the end is closed; one cut inside a property is refused.
    EXPECT_EQ(parse("a{key:;"), "true");
    EXPECT_EQ(style("a", "key"), "");
    for (const char* bad : {"a{name}", "a{key:value", "a{:", "long key { k: v }", "{color:}", "name",
                            "a{;;key: value;other: value;;}", "key {property with space: value; }"})
        EXPECT_EQ(parse(bad), "false") << bad;
    // A style set to something that is no object keeps its name, with no style.
    call(sheet, "clear");
    call(sheet, "setStyle", {Value("gone"), Value("text")});
    EXPECT_EQ(get(call(sheet, "getStyleNames"), "length"), "1");
    EXPECT_EQ(machine->toString(call(sheet, "getStyle", {Value("gone")})), "null");
}

TEST_F(TextFormatTest, StyleSheetTransformReadsNumbersFromTheFrontAndWordsExactly) {
    Value sheet = machine->construct(machine->getMember(global("TextField"), "StyleSheet"), {});
    auto styled = [&](const char* name, Value v) {
        Object* style = machine->newObject();
        style->put(machine->key(name), name, v);
        return call(sheet, "transform", {Value(style)});
    };
    EXPECT_EQ(get(styled("fontSize", Value("42px")), "size"), "42");
    EXPECT_EQ(get(styled("fontSize", Value("\t\n10\t\n")), "size"), "10");
    EXPECT_EQ(get(styled("fontSize", Value("- 10")), "size"), "null");
    EXPECT_EQ(get(styled("leading", Value("x")), "leading"), "0") << "no number: none";
    EXPECT_EQ(get(styled("leading", Value(-1.9)), "leading"), "-1");
    EXPECT_EQ(get(styled("leading", Value(0.0)), "leading"), "null") << "a false value sets nothing";
    EXPECT_EQ(get(styled("letterSpacing", Value("x")), "letterSpacing"), "NaN");
    EXPECT_EQ(get(styled("marginLeft", Value(-5.0)), "leftMargin"), "0");
    EXPECT_EQ(get(styled("textIndent", Value(5.0)), "indent"), "null");
    EXPECT_EQ(get(styled("kerning", Value("true")), "kerning"), "true");
    EXPECT_EQ(get(styled("kerning", Value(true)), "kerning"), "false");
    EXPECT_EQ(get(styled("kerning", Value("-10")), "kerning"), "true");
    EXPECT_EQ(get(styled("kerning", Value(0.5)), "kerning"), "false");
    EXPECT_EQ(get(styled("fontFamily", Value("  Font1  ,   Font2 ,, Font3 ")), "font"), "Font1  ,Font2 ,Font3 ");
    EXPECT_EQ(get(styled("fontFamily", Value(0.0)), "font"), "null");
    EXPECT_EQ(get(styled("fontWeight", Value("bold ")), "bold"), "null");
    EXPECT_EQ(get(styled("fontStyle", Value("Italic")), "italic"), "null");
    EXPECT_EQ(get(styled("textAlign", Value("CenTeR")), "align"), "center");
    EXPECT_EQ(get(styled("textAlign", Value(" center")), "align"), "null");
    EXPECT_EQ(get(styled("display", Value("Inline")), "display"), "block");
}

}  // namespace swf::avm1::test
