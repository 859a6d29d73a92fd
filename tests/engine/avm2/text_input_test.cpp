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
