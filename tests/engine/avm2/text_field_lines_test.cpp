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

TEST(Avm2TextFieldLines, CharacterBoxesPointsAndParagraphs) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    uint32_t textField = w.qname(w.ns(0x16, "flash.text"), "TextField");
    auto call = [&](AbcCode& c, const char* method, std::vector<int> args) -> AbcCode& {
        c.op(kGetLocal1);
        for (int a : args) c.op(kPushByte, a);
        return c.op(kCallProperty, w.publicName(method), static_cast<uint32_t>(args.size()));
    };
    auto prop = [&](AbcCode& c, uint32_t local, const char* name) -> AbcCode& {
        return c.op(kGetLocal, local).op(kGetProperty, w.publicName(name));
    };
    // The character under the middle of the box held in `local`.
    auto atMiddleOf = [&](AbcCode& c, uint32_t local) -> AbcCode& {
        c.op(kGetLocal1);
        prop(c, local, "x");
        prop(c, local, "width").op(kPushByte, 2).op(kDivide).op(kAdd);
        prop(c, local, "y");
        prop(c, local, "height").op(kPushByte, 2).op(kDivide).op(kAdd);
        return c.op(kCallProperty, w.publicName("getCharIndexAtPoint"), 2);
    };
    main.finish([&](AbcCode& c) {
        c.op(kFindPropStrict, textField).op(kConstructProp, textField, 0).op(kSetLocal1);
        c.op(kGetLocal1).op(kPushTrue).op(kSetProperty, w.publicName("multiline"));
        setString(w, c, 1, "text", "ab\rcdef");
        call(c, "getCharBoundaries", {0}).op(kSetLocal2);
        call(c, "getCharBoundaries", {1}).op(kSetLocal, 3);
        call(c, "getCharBoundaries", {3}).op(kSetLocal, 4);
        // The first character sits inside the gutter; the next follows it; the second line's first
        // character starts below the first line, at the same left edge.
        t.begin(c);
        prop(c, 2, "x");
        prop(c, 2, "y");
        c.op(kPushByte, 0);
        prop(c, 2, "width").op(kLessThan);
        prop(c, 3, "x");
        prop(c, 2, "x");
        prop(c, 2, "width").op(kAdd).op(kEquals);
        prop(c, 4, "x");
        prop(c, 2, "x").op(kEquals);
        prop(c, 4, "y");
        prop(c, 2, "y");
        prop(c, 2, "height").op(kAdd).op(kEquals);
        t.end(c, 6);
        // A paragraph break takes no room; indices outside the text have no box.
        t.begin(c);
        call(c, "getCharBoundaries", {2});
        call(c, "getCharBoundaries", {7});
        call(c, "getCharBoundaries", {-1});
        t.end(c, 3);
        // Points inside boxes find their characters; the gutter and the room after a line find none.
        t.begin(c);
        atMiddleOf(c, 3);
        atMiddleOf(c, 4);
        c.op(kGetLocal1).op(kPushByte, 1).op(kPushByte, 1).op(kCallProperty, w.publicName("getCharIndexAtPoint"), 2);
        c.op(kGetLocal1).op(kPushByte, 95).op(kPushByte, 4).op(kCallProperty, w.publicName("getCharIndexAtPoint"), 2);
        t.end(c, 4);
        t.begin(c);
        call(c, "getFirstCharInParagraph", {1});
        call(c, "getFirstCharInParagraph", {5});
        call(c, "getFirstCharInParagraph", {7});
        call(c, "getParagraphLength", {2});
        call(c, "getParagraphLength", {3});
        call(c, "getParagraphLength", {-1});
        t.end(c, 6);
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    EXPECT_EQ(p.lines, (Lines{"2 2 true true true true", "null null null", "1 3 -1 -1", "0 3 -1 3 4 -1"}));
    EXPECT_TRUE(p.errors.empty()) << p.errors[0];
}
