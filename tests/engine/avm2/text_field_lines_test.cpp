// TextField's lines as scripts read them (count, texts, offsets, lengths, the line of a character,
// metrics), and the restrict pattern, selection and smoothing settings read back.
#include <gtest/gtest.h>

#include "tests/engine/avm2/display_movie.h"

using namespace avm2test;

TEST(Avm2TextFieldLines, LinesSelectionAndSettingsReadBack) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    uint32_t textField = w.qname(w.ns(0x16, "flash.text"), "TextField");
    auto call = [&](AbcCode& c, const char* method, std::vector<int> args) -> AbcCode& {
        c.op(kGetLocal1);
        for (int a : args) c.op(kPushByte, a);
        return c.op(kCallProperty, w.publicName(method), static_cast<uint32_t>(args.size()));
    };
    auto get = [&](AbcCode& c, const char* prop) -> AbcCode& { return c.op(kGetLocal1).op(kGetProperty, w.publicName(prop)); };
    main.finish([&](AbcCode& c) {
        c.op(kFindPropStrict, textField).op(kConstructProp, textField, 0).op(kSetLocal1);
        c.op(kGetLocal1).op(kPushTrue).op(kSetProperty, w.publicName("multiline"));
        setString(w, c, 1, "text", "ab\rcde");
        t.begin(c);
        get(c, "numLines");
        call(c, "getLineText", {0});
        call(c, "getLineText", {1});
        call(c, "getLineOffset", {1});
        call(c, "getLineLength", {0});
        call(c, "getLineIndexOfChar", {4});
        call(c, "getLineIndexOfChar", {9});
        t.end(c, 7);
        // A line's metrics: its height is its ascent, descent and leading together.
        call(c, "getLineMetrics", {0}).op(kSetLocal2);
        t.begin(c).op(kGetLocal2).op(kGetProperty, w.publicName("ascent")).op(kGetLocal2).op(kGetProperty, w.publicName("descent"))
            .op(kAdd).op(kGetLocal2).op(kGetProperty, w.publicName("leading")).op(kAdd).op(kGetLocal2)
            .op(kGetProperty, w.publicName("height")).op(kStrictEquals).op(kGetLocal2).op(kGetProperty, w.publicName("ascent"))
            .op(kPushByte, 0).op(kLessThan).op(kNot);
        t.end(c, 2);
        // restrict: null until set, null again when cleared.
        t.begin(c);
        get(c, "restrict");
        t.end(c);
        setString(w, c, 1, "restrict", "a-z");
        t.begin(c);
        get(c, "restrict");
        t.end(c);
        c.op(kGetLocal1).op(kPushNull).op(kSetProperty, w.publicName("restrict"));
        // A selection given backwards reads in order; past the end it stops at the end.
        call(c, "setSelection", {4, 1}).op(kPop);
        t.begin(c);
        get(c, "restrict");
        get(c, "selectionBeginIndex");
        get(c, "selectionEndIndex");
        t.end(c, 3);
        call(c, "setSelection", {2, 50}).op(kPop);
        setString(w, c, 1, "antiAliasType", "advanced");
        c.op(kGetLocal1).op(kPushShort, 500).op(kSetProperty, w.publicName("sharpness"));
        t.begin(c);
        get(c, "selectionEndIndex");
        get(c, "antiAliasType");
        get(c, "sharpness");
        get(c, "maxScrollH");
        t.end(c, 4);
        // A line that is not there.
        call(c, "getLineText", {2}).op(kPop);
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    EXPECT_EQ(p.lines, (Lines{"2 ab\r cde 3 3 1 -1", "true true", "null", "a-z", "null 1 4", "6 advanced 400 0"}));
    ASSERT_EQ(p.errors.size(), 1u);
    EXPECT_NE(p.errors[0].find("RangeError: Error #2006"), std::string::npos) << p.errors[0];
}
