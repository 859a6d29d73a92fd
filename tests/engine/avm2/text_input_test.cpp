// Typing and pasting into an ActionScript 3 input field with the stage's focus: the textInput event
// before the text goes in, the field's restrict and maxChars, the change event after.
#include <gtest/gtest.h>

#include "tests/engine/avm2/display_movie.h"

using namespace avm2test;

TEST(Avm2TextInput, TypedAndPastedTextIsAnnouncedFilteredAndFollowedByAChange) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    uint32_t textField = w.qname(w.ns(0x16, "flash.text"), "TextField");
    auto traceEvent = [&](const std::string& method, const char* detail) {
        main.method(method, [&w, &t, detail](AbcCode& c) {
            t.begin(c).op(kGetLocal1).op(kGetProperty, w.publicName("type")).op(kGetLocal1).op(kGetProperty, w.publicName(detail));
            c.op(kGetLocal1).op(kGetProperty, w.publicName("target")).op(kGetProperty, w.publicName("text"));
            t.end(c, 3);
        });
    };
    traceEvent("onInput", "text");
    traceEvent("onChange", "bubbles");
    main.finish([&](AbcCode& c) {
        c.op(kFindPropStrict, textField).op(kConstructProp, textField, 0).op(kSetLocal1);
        setString(w, c, 1, "type", "input");
        setString(w, c, 1, "restrict", "a-z");
        setNumber(w, c, 1, "maxChars", 3);
        c.op(kGetLocal0).op(kGetLocal1).op(kCallPropVoid, w.publicName("addChild"), 1);
        c.op(kGetLocal0).op(kGetProperty, w.publicName("stage")).op(kGetLocal1).op(kSetProperty, w.publicName("focus"));
        listen(w, c, 1, "textInput", "onInput");
        listen(w, c, 1, "change", "onChange");
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    ASSERT_TRUE(p.player);
    p.player->textInput(U'a');
    p.player->textInput(U'B');  // taken in the case the field admits
    p.player->textInput(U'1');  // refused, yet a change is told
    p.player->setClipboardText("xyz");
    p.player->textCommand(swf::TextCommand::Paste);  // room for one character
    EXPECT_EQ(p.lines, (Lines{"textInput a ", "change true a", "textInput B a", "change true ab", "textInput 1 ab",
                              "change true ab", "textInput xyz ab", "change true abx"}));
    EXPECT_TRUE(p.errors.empty()) << p.errors[0];
}

TEST(Avm2TextInput, EditingCommandsWorkOnTheSelectionAndTellTheChange) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    uint32_t textField = w.qname(w.ns(0x16, "flash.text"), "TextField");
    main.method("onChange", [&w, &t](AbcCode& c) {
        t.begin(c).op(kGetLocal1).op(kGetProperty, w.publicName("type")).op(kGetLocal1).op(kGetProperty, w.publicName("target"));
        c.op(kGetProperty, w.publicName("text"));
        t.end(c, 2);
    });
    main.finish([&](AbcCode& c) {
        c.op(kFindPropStrict, textField).op(kConstructProp, textField, 0).op(kSetLocal1);
        setString(w, c, 1, "type", "input");
        c.op(kGetLocal1).op(kPushTrue).op(kSetProperty, w.publicName("multiline"));
        setString(w, c, 1, "text", "abcd");
        c.op(kGetLocal0).op(kGetLocal1).op(kCallPropVoid, w.publicName("addChild"), 1);
        c.op(kGetLocal0).op(kGetProperty, w.publicName("stage")).op(kGetLocal1).op(kSetProperty, w.publicName("focus"));
        c.op(kGetLocal1).op(kPushInt, w.integer(2)).op(kPushInt, w.integer(2)).op(kCallPropVoid, w.publicName("setSelection"), 2);
        listen(w, c, 1, "change", "onChange");
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    ASSERT_TRUE(p.player);
    using swf::TextCommand;
    EXPECT_TRUE(p.player->textCommand(TextCommand::Backspace));  // the b before the caret
    EXPECT_TRUE(p.player->textCommand(TextCommand::Delete));     // the c after it
    EXPECT_TRUE(p.player->textCommand(TextCommand::Enter));      // a line break at the caret
    EXPECT_TRUE(p.player->textCommand(TextCommand::SelectAll));
    EXPECT_TRUE(p.player->textCommand(TextCommand::Copy));
    EXPECT_EQ(p.player->clipboardText(), "a\rd");
    EXPECT_TRUE(p.player->textCommand(TextCommand::Cut));
    EXPECT_FALSE(p.player->textCommand(TextCommand::Backspace));  // nothing left before the caret
    EXPECT_TRUE(p.player->textCommand(TextCommand::Paste));
    EXPECT_EQ(p.lines, (Lines{"change acd", "change ad", "change a\rd", "change ", "change a\rd"}));
    EXPECT_TRUE(p.errors.empty()) << p.errors[0];
}

TEST(Avm2TextInput, AClickOnAnEventLinkSendsItsTextAsALinkEvent) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    uint32_t textField = w.qname(w.ns(0x16, "flash.text"), "TextField");
    main.method("onLink", [&w, &t](AbcCode& c) {
        t.begin(c).op(kGetLocal1).op(kGetProperty, w.publicName("type")).op(kGetLocal1).op(kGetProperty, w.publicName("text"));
        c.op(kGetLocal1).op(kGetProperty, w.publicName("bubbles"));
        t.end(c, 3);
    });
    main.finish([&](AbcCode& c) {
        c.op(kFindPropStrict, textField).op(kConstructProp, textField, 0).op(kSetLocal1);
        setNumber(w, c, 1, "width", 300);
        setString(w, c, 1, "htmlText", "<a href=\"EVENT:go,on\">link</a> and a <a href=\"http://example.org\">web page</a>");
        c.op(kGetLocal0).op(kGetLocal1).op(kCallPropVoid, w.publicName("addChild"), 1);
        listen(w, c, 1, "link", "onLink");
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    ASSERT_TRUE(p.player);
    auto click = [&](double x, double y) {
        p.player->mouseDown(x, y);
        p.player->mouseUp(x, y);
    };
    click(6, 10);    // on "link"
    click(280, 10);  // past the text
    click(6, 60);    // below the text
    EXPECT_EQ(p.lines, (Lines{"link go,on true"}));
    EXPECT_TRUE(p.errors.empty()) << p.errors[0];
}

TEST(Avm2TextInput, CaretKeysMoveTheFocusedFieldsSelectionAndShiftExtendsIt) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    uint32_t textField = w.qname(w.ns(0x16, "flash.text"), "TextField");
    main.method("onKey", [&w, &t](AbcCode& c) {
        t.begin(c).op(kGetLocal1).op(kGetProperty, w.publicName("shiftKey"));
        c.op(kGetLocal1).op(kGetProperty, w.publicName("target")).op(kGetProperty, w.publicName("text"));
        t.end(c, 2);
    });
    main.finish([&](AbcCode& c) {
        c.op(kFindPropStrict, textField).op(kConstructProp, textField, 0).op(kSetLocal1);
        setString(w, c, 1, "type", "input");
        setNumber(w, c, 1, "width", 200);
        setNumber(w, c, 1, "height", 100);
        c.op(kGetLocal1).op(kPushTrue).op(kSetProperty, w.publicName("multiline"));
        setString(w, c, 1, "text", "ab\rcdefgh");
        c.op(kGetLocal0).op(kGetLocal1).op(kCallPropVoid, w.publicName("addChild"), 1);
        c.op(kGetLocal0).op(kGetProperty, w.publicName("stage")).op(kGetLocal1).op(kSetProperty, w.publicName("focus"));
        c.op(kGetLocal1).op(kPushInt, w.integer(1)).op(kPushInt, w.integer(1)).op(kCallPropVoid, w.publicName("setSelection"), 2);
        listen(w, c, 1, "keyUp", "onKey");
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    ASSERT_TRUE(p.player);
    enum { Shift = 16, End = 35, Home = 36, Up = 38, Right = 39, Down = 40 };
    auto press = [&](int key) {
        p.player->keyDown(key, 0);
        p.player->keyUp(key, 0);
    };
    press(Home);
    press(Down);  // the second line's start
    p.player->keyDown(Shift, 0);
    press(End);  // selects to its end
    p.player->keyUp(Shift, 0);
    p.player->textInput(U'X');
    press(Home);
    p.player->keyDown(Shift, 0);
    press(Up);  // from the line's start to the first line's
    press(Right);
    p.player->keyUp(Shift, 0);
    p.player->textInput(U'Y');
    press(End);
    EXPECT_EQ(p.lines, (Lines{"false ab\rcdefgh", "false ab\rcdefgh", "true ab\rcdefgh", "false ab\rcdefgh", "false ab\rX",
                              "true ab\rX", "true ab\rX", "false ab\rX", "false aYX"}));
    EXPECT_TRUE(p.errors.empty()) << p.errors[0];
}

TEST(Avm2TextInput, AClickFocusesAFieldAtThePointerAndADragSelects) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    uint32_t textField = w.qname(w.ns(0x16, "flash.text"), "TextField");
    main.method("onChange", [&w, &t](AbcCode& c) {
        t.begin(c).op(kGetLocal1).op(kGetProperty, w.publicName("target")).op(kGetProperty, w.publicName("text"));
        t.end(c, 1);
    });
    main.finish([&](AbcCode& c) {
        c.op(kFindPropStrict, textField).op(kConstructProp, textField, 0).op(kSetLocal1);
        setString(w, c, 1, "type", "input");
        setNumber(w, c, 1, "width", 200);
        setString(w, c, 1, "text", "abcdef");
        c.op(kGetLocal0).op(kGetLocal1).op(kCallPropVoid, w.publicName("addChild"), 1);
        listen(w, c, 1, "change", "onChange");
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    ASSERT_TRUE(p.player);
    p.player->textInput(U'W');  // nothing has the focus yet
    p.player->mouseDown(190, 10);  // right of the text: the focus, and the caret at its end
    p.player->mouseUp(190, 10);
    p.player->textInput(U'X');
    p.player->mouseDown(1, 10);  // left of it: the caret at its start
    p.player->mouseUp(1, 10);
    p.player->textInput(U'Y');
    p.player->mouseDown(1, 10);  // a drag across the text selects it all
    p.player->mouseMove(100, 12);
    p.player->mouseMove(195, 12);
    p.player->mouseUp(195, 12);
    p.player->textInput(U'Z');
    EXPECT_EQ(p.lines, (Lines{"abcdefX", "YabcdefX", "Z"}));
    EXPECT_TRUE(p.errors.empty()) << p.errors[0];
}
