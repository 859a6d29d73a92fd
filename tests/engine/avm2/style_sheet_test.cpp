// flash.text.StyleSheet and TextField.styleSheet: styles read from CSS or set from objects, by
// names in any case, and what a field's HTML becomes under them.
#include <gtest/gtest.h>

#include "tests/engine/avm2/display_movie.h"

using namespace avm2test;

TEST(Avm2StyleSheet, StylesFromCssAndObjectsShapeAFieldsHtml) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    uint32_t textField = w.qname(w.ns(0x16, "flash.text"), "TextField");
    uint32_t styleSheet = w.qname(w.ns(0x16, "flash.text"), "StyleSheet");
    auto get = [&](AbcCode& c, int local, const char* prop) -> AbcCode& {
        return c.op(kGetLocal, local).op(kGetProperty, w.publicName(prop));
    };
    main.finish([&](AbcCode& c) {
        c.op(kFindPropStrict, styleSheet).op(kConstructProp, styleSheet, 0).op(kSetLocal2);
        c.op(kGetLocal2).op(kPushString, w.string("Title { color: #FF0000; font-weight:bold} .note{display:none}"))
            .op(kCallPropVoid, w.publicName("parseCSS"), 1);
        // A malformed text changes nothing.
        c.op(kGetLocal2).op(kPushString, w.string("bad { color")).op(kCallPropVoid, w.publicName("parseCSS"), 1);
        // An object's colour that is not "#rrggbb" makes black.
        c.op(kGetLocal2).op(kPushString, w.string("em")).op(kPushString, w.string("color")).op(kPushShort, 255)
            .op(kNewObject, 1).op(kCallPropVoid, w.publicName("setStyle"), 2);
        t.begin(c);
        get(c, 2, "styleNames");
        c.op(kGetLocal2).op(kPushString, w.string("TITLE")).op(kCallProperty, w.publicName("getStyle"), 1)
            .op(kGetProperty, w.publicName("fontWeight"));
        t.end(c, 2);
        c.op(kFindPropStrict, textField).op(kConstructProp, textField, 0).op(kSetLocal1);
        c.op(kGetLocal1).op(kGetLocal2).op(kSetProperty, w.publicName("styleSheet"));
        setString(w, c, 1, "htmlText", "<title>a<em>b</em></title>c<span class=\"note\">hidden</span>");
        t.begin(c);
        get(c, 1, "text");
        get(c, 1, "htmlText");
        c.op(kGetLocal1).op(kPushByte, 0).op(kPushByte, 1).op(kCallProperty, w.publicName("getTextFormat"), 2)
            .op(kGetProperty, w.publicName("color"));
        c.op(kGetLocal1).op(kPushByte, 1).op(kPushByte, 2).op(kCallProperty, w.publicName("getTextFormat"), 2)
            .op(kGetProperty, w.publicName("color"));
        c.op(kGetLocal1).op(kCallProperty, w.publicName("getTextRuns"), 0).op(kGetProperty, w.publicName("length"));
        t.end(c, 5);
        // Without the sheet the field writes its styled text's HTML.
        c.op(kGetLocal1).op(kPushNull).op(kSetProperty, w.publicName("styleSheet"));
        t.begin(c);
        get(c, 1, "htmlText");
        t.end(c);
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    EXPECT_EQ(p.lines, (Lines{"title,.note,em bold",
                              "ab\rc <title>a<em>b</em></title>c<span class=\"note\">hidden</span> 16711680 0 3",
                              "<P ALIGN=\"LEFT\"><FONT FACE=\"Times New Roman\" SIZE=\"12\" COLOR=\"#FF0000\" "
                              "LETTERSPACING=\"0\" KERNING=\"0\"><B>a</B><FONT COLOR=\"#000000\"><B>b</B></FONT></FONT></P>"
                              "<P ALIGN=\"LEFT\"><FONT FACE=\"Times New Roman\" SIZE=\"12\" COLOR=\"#000000\" "
                              "LETTERSPACING=\"0\" KERNING=\"0\">c</FONT></P>"}));
    EXPECT_TRUE(p.errors.empty()) << p.errors[0];
}
