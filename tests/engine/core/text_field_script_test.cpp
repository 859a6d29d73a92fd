// Text fields driven by scripts and input: what typing and pasting put in (restrict, maxChars,
// password fields), the selection a field keeps without the focus, onScroller when the text
// moves, and the size of a field's box under scaling and rotation.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/core/typed_text_filter.h"
#include "tests/engine/avm1/assembler.h"
#include "tests/engine/core/movie_builder.h"

namespace {

using namespace coretest;
using swf::avm1::test::Asm;
using Lines = std::vector<std::string>;
namespace op = swf::avm1::test;

TEST(TypedTextFilter, RestrictPatternsAdmitListedCharactersRangesAndExclusions) {
    using swf::restrictAdmits;
    EXPECT_TRUE(restrictAdmits(std::nullopt, U'x'));
    EXPECT_FALSE(restrictAdmits(std::string(""), U'x'));
    EXPECT_TRUE(restrictAdmits(std::string("A-Z 0-9"), U'Q'));
    EXPECT_TRUE(restrictAdmits(std::string("A-Z 0-9"), U' '));
    EXPECT_TRUE(restrictAdmits(std::string("A-Z 0-9"), U'9'));
    EXPECT_FALSE(restrictAdmits(std::string("A-Z 0-9"), U'q'));
    EXPECT_FALSE(restrictAdmits(std::string("A-Z 0-9"), U'-'));
    // A leading '^' admits everything but what follows it.
    EXPECT_FALSE(restrictAdmits(std::string("^a-z"), U'k'));
    EXPECT_TRUE(restrictAdmits(std::string("^a-z"), U'K'));
    // Inside a range, then excluded again after '^': the later rule decides.
    EXPECT_TRUE(restrictAdmits(std::string("a-z^q"), U'p'));
    EXPECT_FALSE(restrictAdmits(std::string("a-z^q"), U'q'));
    // A backslash makes '-' and '^' plain characters.
    EXPECT_TRUE(restrictAdmits(std::string("0-9\\-"), U'-'));
    EXPECT_TRUE(restrictAdmits(std::string("\\^"), U'^'));
    EXPECT_FALSE(restrictAdmits(std::string("\\^"), U'a'));
    // A dash with nothing before it ranges from the first character; backwards or with nothing
    // after it, it names nothing; runs of dashes count as one.
    EXPECT_TRUE(restrictAdmits(std::string("-b"), U'&'));
    EXPECT_FALSE(restrictAdmits(std::string("-b"), U'c'));
    EXPECT_TRUE(restrictAdmits(std::string("a-b-c"), U'0'));
    EXPECT_TRUE(restrictAdmits(std::string("b-a"), U'b'));
    EXPECT_FALSE(restrictAdmits(std::string("b-a"), U'a'));
    EXPECT_FALSE(restrictAdmits(std::string("a-"), U'-'));
    EXPECT_FALSE(restrictAdmits(std::string("--"), U'-'));
    EXPECT_TRUE(restrictAdmits(std::string("---b"), U'!'));
    EXPECT_TRUE(restrictAdmits(std::string("\\\\-\\^"), U']'));
    // Characters past ASCII, written as UTF-8.
    EXPECT_TRUE(restrictAdmits(std::string("\xC3\xA0-\xC3\xBF"), U'\u00E9'));
}

TEST(TypedTextFilter, TypedTextTakesTheOtherCaseAndStopsAtMaxChars) {
    using swf::filterTyped;
    EXPECT_EQ(filterTyped(U"ab1c", std::string("A-Z"), 0, 0), U"ABC");
    EXPECT_EQ(filterTyped(U"hello", std::nullopt, 4, 2), U"he");
    EXPECT_EQ(filterTyped(U"hello", std::nullopt, 4, 4), U"");
    EXPECT_EQ(filterTyped(U"hello", std::nullopt, 4, 9), U"");  // a script made it longer already
    EXPECT_EQ(filterTyped(U"hello", std::nullopt, 0, 100), U"hello");
}

class TextFieldScriptTest : public ::testing::Test {
protected:
    TextFieldScriptTest() { b.movie->header.version = 8; }

    void play(Asm& frame) {
        b.main() = timeline({{swf::DoAction{frame.bytes()}}});
        player = b.player();
        player->setTraceHandler([this](const std::string& line) { lines.push_back(line); });
        player->render(image);
    }
    // _root.createTextField("tf", 1, 0, 0, width, height)
    static Asm& makeField(Asm& a, double width, double height) {
        a.push({height, width, 0, 0, 1, "tf", 6}).get("_root").push({"createTextField"}).op(op::CallMethod).op(op::Pop);
        return a;
    }
    static Asm& set(Asm& a, const std::string& member, op::PushItem value) {
        a.get("tf").push({member, value}).op(op::SetMember);
        return a;
    }
    // tf.<handler> = function () { trace(<prefix> + tf.<member>) }
    static Asm& traceOn(Asm& a, const std::string& handler, const std::string& prefix, const std::string& member) {
        Asm body;
        body.push({prefix}).get("tf").push({member}).op(op::GetMember).op(op::Add2).trace();
        a.get("tf").push({handler}).function("", {}, body).op(op::SetMember);
        return a;
    }
    static Asm& focusField(Asm& a) {
        a.get("tf").push({1}).get("Selection").push({"setFocus"}).op(op::CallMethod).op(op::Pop);
        return a;
    }
    static Asm& traceCall(Asm& a, const std::string& object, const std::string& method) {
        a.push({0}).get(object).push({method}).op(op::CallMethod).trace();
        return a;
    }

    MovieBuilder b;
    std::unique_ptr<swf::MoviePlayer> player;
    Lines lines;
    swf::RgbaImage image;
};

TEST_F(TextFieldScriptTest, TypingKeepsToRestrictAndMaxChars) {
    Asm a;
    makeField(a, 100, 20);
    set(a, "type", "input");
    set(a, "restrict", "0-9");
    set(a, "maxChars", 4);
    traceOn(a, "onChanged", "", "text");
    focusField(a);
    play(a);
    for (char32_t c : std::u32string(U"1a2B345")) player->textInput(c);
    EXPECT_EQ(lines, (Lines{"1", "12", "123", "1234"}));
    // A paste past the limit changes nothing, one that fits goes in cut to the room left.
    player->setClipboardText("99");
    player->textCommand(swf::TextCommand::Paste);
    player->textCommand(swf::TextCommand::Backspace);
    player->textCommand(swf::TextCommand::Paste);
    EXPECT_EQ(lines, (Lines{"1", "12", "123", "1234", "123", "1239"}));
}

TEST_F(TextFieldScriptTest, PasswordFieldsGiveNothingAwayAndAnEmptyClipboardPastesNothing) {
    Asm a;
    makeField(a, 100, 20);
    set(a, "type", "input");
    set(a, "password", true);
    traceOn(a, "onChanged", "", "text");
    focusField(a);
    play(a);
    player->setClipboardText("secret");
    player->textCommand(swf::TextCommand::Paste);
    player->setClipboardText("");
    player->textCommand(swf::TextCommand::SelectAll);
    EXPECT_FALSE(player->textCommand(swf::TextCommand::Copy));
    player->textCommand(swf::TextCommand::Paste);
    EXPECT_FALSE(player->textCommand(swf::TextCommand::Cut));
    EXPECT_EQ(player->clipboardText(), "");
    EXPECT_EQ(lines, (Lines{"secret"}));
}

TEST_F(TextFieldScriptTest, FieldsKeepTheirSelectionWithoutTheFocus) {
    Asm a;
    makeField(a, 100, 20);
    set(a, "text", "abcd");
    // Without the focus, a new field's caret is at its start and moves past what goes in.
    a.push({"|", 1}).get("tf").push({"replaceSel"}).op(op::CallMethod).op(op::Pop);
    a.push({"-", 1}).get("tf").push({"replaceSel"}).op(op::CallMethod).op(op::Pop);
    a.get("tf").push({"text"}).op(op::GetMember).trace();
    // The focus selects everything; focusing the focused field again selects everything again.
    focusField(a);
    a.push({"x", 1}).get("tf").push({"replaceSel"}).op(op::CallMethod).op(op::Pop);
    a.get("tf").push({"text"}).op(op::GetMember).trace();
    traceCall(a, "Selection", "getCaretIndex");
    set(a, "text", "abcd");
    focusField(a);
    traceCall(a, "Selection", "getBeginIndex");
    traceCall(a, "Selection", "getEndIndex");
    play(a);
    EXPECT_EQ(lines, (Lines{"|-abcd", "x", "1", "0", "4"}));
}

TEST_F(TextFieldScriptTest, CaretKeysMoveTheFocusedFieldsCaretAlongItsLines) {
    Asm a;
    makeField(a, 200, 100);
    set(a, "type", "input");
    set(a, "multiline", true);
    set(a, "text", "ab\rcdefgh");
    traceOn(a, "onChanged", "", "text");
    focusField(a);
    play(a);
    enum { Shift = 16, End = 35, Home = 36, Left = 37, Up = 38, Right = 39, Down = 40 };
    auto press = [&](int key) {
        player->keyDown(key, 0);
        player->keyUp(key, 0);
    };
    auto type = [&](char32_t c) { player->textInput(c); };
    press(Left);  // the focus selected everything: the selection collapses to its start
    type('1');
    press(Home);
    press(Down);  // from a line's start to the next line's start
    type('2');
    press(End);
    type('3');
    press(Up);  // from right of the shorter line above: to its end, before the break
    type('4');
    player->keyDown(Shift, 0);
    press(Home);  // shift held: the selection reaches back to the line's start
    player->keyUp(Shift, 0);
    type('5');
    press(Right);  // past the break, onto the next line
    type('6');
    player->keyDown(Shift, 0);
    press(Right);
    press(Right);
    player->keyUp(Shift, 0);
    press(Left);  // a selection collapses to its near edge
    type('7');
    press(Down);  // on the last line: to the text's end
    type('8');
    press(Up);
    press(Up);  // on the first line: to the text's start
    type('9');
    EXPECT_EQ(lines, (Lines{"1ab\rcdefgh", "1ab\r2cdefgh", "1ab\r2cdefgh3", "1ab4\r2cdefgh3", "5\r2cdefgh3",
                            "5\r62cdefgh3", "5\r672cdefgh3", "5\r672cdefgh38", "95\r672cdefgh38"}));
}

TEST_F(TextFieldScriptTest, AClickPutsTheCaretAtThePointerAndADragSelects) {
    Asm a;
    makeField(a, 200, 100);
    set(a, "type", "input");
    set(a, "text", "abcdef");
    traceOn(a, "onChanged", "", "text");
    play(a);
    player->mouseDown(190, 10);  // right of the text: the focus, and the caret at its end
    player->mouseUp(190, 10);
    player->textInput(U'X');
    player->mouseDown(1, 10);  // left of it: the caret at its start
    player->mouseUp(1, 10);
    player->textInput(U'Y');
    player->mouseDown(1, 10);  // a drag across the text selects it all
    player->mouseMove(100, 12);
    player->mouseMove(195, 12);
    player->mouseUp(195, 12);
    player->textInput(U'Z');
    EXPECT_EQ(lines, (Lines{"abcdefX", "YabcdefX", "Z"}));
}

TEST_F(TextFieldScriptTest, OnScrollerHearsTheScrollChange) {
    Asm a;
    makeField(a, 100, 30);
    set(a, "multiline", true);
    set(a, "text", "a\rb\rc\rd\re\rf");  // more lines than show
    traceOn(a, "onScroller", "scroll ", "scroll");
    set(a, "scroll", 2);
    set(a, "scroll", 2);  // no change, no call
    set(a, "scroll", 1);
    set(a, "text", "a");  // fewer lines: the limit moves
    set(a, "htmlText", "a<br>b<br>c<br>d<br>e<br>f");
    play(a);
    EXPECT_EQ(lines, (Lines{"scroll 2", "scroll 1", "scroll 1", "scroll 1"}));
}

TEST_F(TextFieldScriptTest, MoviesBeforeSwf8KeepWhatTheySetUnderLaterSettingNames) {
    auto run = [this](int version) {
        b.movie->header.version = uint8_t(version);
        lines.clear();
        Asm a;
        makeField(a, 100, 30);
        set(a, "gridFitType", "bogus");
        set(a, "sharpness", "sharp");
        set(a, "wordWrap", "yes");
        for (const char* name : {"gridFitType", "sharpness", "wordWrap"}) a.get("tf").push({name}).op(op::GetMember).trace();
        play(a);
        return lines;
    };
    EXPECT_EQ(run(7), (Lines{"bogus", "sharp", "true"}));
    EXPECT_EQ(run(8), (Lines{"pixel", "NaN", "true"})) << "SWF 8 fields check words, numbers are kept as given";
}

TEST_F(TextFieldScriptTest, AScriptsOwnTextAccessorsDecideWhatAFieldTakes) {
    Asm a;
    makeField(a, 100, 30);
    // Without the class's accessor, text goes straight to the field.
    a.get("TextField").push({"prototype"}).op(op::GetMember).push({"text"}).op(0x3A).op(op::Pop);  // delete
    set(a, "text", "plain");
    a.get("tf").push({"text"}).op(op::GetMember).trace();
    play(a);
    EXPECT_EQ(lines, (Lines{"plain"}));
}

TEST_F(TextFieldScriptTest, AClickFocusesSelectableFieldsOnlyAndTakesTheFocusFromThem) {
    Asm a;
    makeField(a, 100, 30);
    // An input field below it that cannot be selected.
    a.push({30, 100, 50, 0, 2, "locked", 6}).get("_root").push({"createTextField"}).op(op::CallMethod).op(op::Pop);
    a.get("locked").push({"type", "input"}).op(op::SetMember);
    a.get("locked").push({"selectable", false}).op(op::SetMember);
    // Selection.addListener({onSetFocus: function (was, now) { trace(now) }})
    Asm body;
    body.get("now").trace();
    a.push({"l", 0}).op(op::InitObject).op(op::SetVariable);
    a.get("l").push({"onSetFocus"}).function("", {"was", "now"}, body).op(op::SetMember);
    a.get("l").push({1}).get("Selection").push({"addListener"}).op(op::CallMethod).op(op::Pop);
    play(a);
    player->mouseDown(10, 10);
    player->mouseUp(10, 10);
    player->mouseDown(10, 60);
    player->mouseUp(10, 60);
    EXPECT_EQ(lines, (Lines{"_level0.tf", "null"}));
}

TEST_F(TextFieldScriptTest, SizesAreWholeTwipsAndResizingSetsTheBoxNotTheScale) {
    Asm a;
    makeField(a, 100, 30);
    auto traceMember = [&](const std::string& member) { a.get("tf").push({member}).op(op::GetMember).trace(); };
    set(a, "_rotation", 20);
    traceMember("_width");   // 2084.6 twips: the corners land on whole twips, 2084
    traceMember("_height");  // 1247.9: 1248
    set(a, "_rotation", 0);
    set(a, "_xscale", 200);
    set(a, "_width", 20);
    traceMember("_width");
    traceMember("_xscale");
    // createTextField takes whole pixels.
    a.push({3.94, 2.9, 3.94, 2.9, 3, "cut", 6}).get("_root").push({"createTextField"}).op(op::CallMethod).op(op::Pop);
    for (const char* member : {"_x", "_y", "_width", "_height"}) a.get("cut").push({member}).op(op::GetMember).trace();
    play(a);
    EXPECT_EQ(lines, (Lines{"104.2", "62.4", "40", "200", "2", "3", "2", "3"}));
}

// An HTML field record with 20-pixel text.
swf::EditText fieldRecord(swf::Rect bounds, const std::string& html) {
    swf::EditText field;
    field.bounds = bounds;
    field.html = field.multiline = field.wordWrap = true;
    field.fontHeight = 400;  // 20 px
    field.initialText = html;
    return field;
}

TEST_F(TextFieldScriptTest, LinksCallAsfunctionFunctionsFromTheFieldsTimelineOrGlobal) {
    b.movie->characters[6] = {6, 37, fieldRecord({0, 0, 2000, 2000}, "<a href=\"asfunction:hit,a,b\">XXXX</a><br>"
                                                                      "<a href=\"ASFUNCTION:g\">XXXX</a><br>"
                                                                      "<a href=\"asfunction:\">XXXX</a>")};
    Asm a, hit, g;
    hit.push({"hit "}).get("x").op(op::Add2).trace();
    hit.get("this").get("_root").op(op::Equals2).trace();
    g.push({"g "}).get("x").op(0x44).op(op::Add2).trace();  // typeof
    a.get("_root").push({"hit"}).function("", {"x"}, hit).op(op::SetMember);
    a.get("_global").push({"g"}).function("", {"x"}, g).op(op::SetMember);
    b.main() = timeline({{place(1, 6), swf::DoAction{a.bytes()}}});
    player = b.player();
    player->setTraceHandler([this](const std::string& line) { lines.push_back(line); });
    player->render(image);
    for (double y : {12, 35, 60, 95}) {  // the three links' lines, then below the text
        player->mouseDown(10, y);
        player->mouseUp(10, y);
    }
    EXPECT_EQ(lines, (Lines{"hit a,b", "true", "g undefined"}));
}

TEST_F(TextFieldScriptTest, FieldsStandWhereTheirBoxStarts) {
    b.movie->characters[6] = {6, 37, fieldRecord({-40, -60, 2000, 400}, "x")};
    Asm a;
    auto traceMember = [&](const std::string& member) { a.get("f").push({member}).op(op::GetMember).trace(); };
    traceMember("_x");
    traceMember("_y");
    a.get("f").push({"_x", 10}).op(op::SetMember);
    traceMember("_x");
    swf::PlaceObject named = place(1, 6, 50, 50);
    named.name = "f";
    b.main() = timeline({{named, swf::DoAction{a.bytes()}}});
    player = b.player();
    player->setTraceHandler([this](const std::string& line) { lines.push_back(line); });
    player->render(image);
    EXPECT_EQ(lines, (Lines{"48", "47", "10"}));
}

TEST_F(TextFieldScriptTest, WatchersOfAFieldsTextSeeNoOldValueAndDecideTheNewOne) {
    Asm a, watcher;
    makeField(a, 100, 30);
    set(a, "text", "was");
    watcher.get("p").push({" "}).op(op::Add2).get("o").op(op::Add2).push({" "}).op(op::Add2).get("n").op(op::Add2).trace();
    watcher.get("n").push({"!"}).op(op::Add2).op(op::Return);
    a.function("", {"p", "o", "n"}, watcher).push({"text", 2}).get("tf").push({"watch"}).op(op::CallMethod).op(op::Pop);
    set(a, "text", "now");
    a.get("tf").push({"text"}).op(op::GetMember).trace();
    play(a);
    EXPECT_EQ(lines, (Lines{"text undefined now", "now!"}));
}

TEST_F(TextFieldScriptTest, ACopyOfAScriptMadeFieldStartsEmptyWhereTheOriginalStands) {
    Asm a;
    makeField(a, 100, 30);
    set(a, "_x", 5);
    set(a, "text", "x");
    set(a, "password", true);
    set(a, "variable", "v");
    set(a, "_visible", false);
    a.push({"tf", "copy", 5}).op(0x24);  // duplicateMovieClip(tf, "copy", 5)
    for (const char* member : {"_x", "_width", "text", "password", "variable", "type", "_visible"})
        a.get("copy").push({member}).op(op::GetMember).trace();
    play(a);
    EXPECT_EQ(lines, (Lines{"5", "0", "", "false", "null", "input", "true"}));
}

TEST_F(TextFieldScriptTest, AlphaIsKeptInFixedPoint) {
    Asm a;
    makeField(a, 100, 30);
    for (double alpha : {0.5, 33.0, 50.0}) {
        set(a, "_alpha", alpha);
        a.get("tf").push({"_alpha"}).op(op::GetMember).trace();
    }
    play(a);
    EXPECT_EQ(lines, (Lines{"0.390625", "32.8125", "50"}));
}

TEST_F(TextFieldScriptTest, VariablesMayLiveInObjectsAndRebindingShowsTheRecordsText) {
    b.movie->characters[6] = {6, 37, fieldRecord({0, 0, 2000, 400}, "Hello")};
    Asm a;
    auto traceOf = [&](const std::string& object, const std::string& member) {
        a.get(object).push({member}).op(op::GetMember).trace();
    };
    a.get("f").push({"text", "changed"}).op(op::SetMember);
    a.get("f").push({"variable", "unset"}).op(op::SetMember);
    traceOf("f", "text");
    a.get("_root").push({"unset"}).op(op::GetMember).trace();
    a.push({"obj", "v", "start", 1}).op(op::InitObject).op(op::SetVariable);
    a.get("f").push({"variable", "obj.v"}).op(op::SetMember);
    traceOf("f", "text");
    a.get("f").push({"text", "typed"}).op(op::SetMember);
    traceOf("obj", "v");
    swf::PlaceObject named = place(1, 6);
    named.name = "f";
    b.main() = timeline({{named, swf::DoAction{a.bytes()}}});
    player = b.player();
    player->setTraceHandler([this](const std::string& line) { lines.push_back(line); });
    player->render(image);
    EXPECT_EQ(lines, (Lines{"Hello", "Hello", "start", "typed"}));
}

// Frame 1 places a clip "mc" and fields bound to mc.v and obj.v; frame 2 adds a second field on
// mc.v, which is set by then; frame 3 takes the clip away and sets the field's text; frame 4 places
// a new clip "mc"; frame 5 only reads.
TEST_F(TextFieldScriptTest, BoundFieldsFollowTheirVariablesAndSeedThemOnlyWhenTheyFirstMeetThem) {
    b.sprite(5, timeline({{}}));
    swf::EditText toClip = fieldRecord({0, 0, 2000, 400}, "Hello");
    toClip.variableName = "mc.v";
    swf::EditText alsoToClip = fieldRecord({0, 0, 2000, 400}, "Other");
    alsoToClip.variableName = "mc.v";
    swf::EditText toObject = fieldRecord({0, 0, 2000, 400}, "Hello");
    toObject.variableName = "obj.v";
    b.movie->characters[6] = {6, 37, toClip};
    b.movie->characters[7] = {7, 37, toObject};
    b.movie->characters[8] = {8, 37, alsoToClip};
    auto traceOf = [](Asm& a, const std::string& object, const std::string& member) {
        a.push({object + "." + member + "="}).get(object).push({member}).op(op::GetMember).op(op::Add2).trace();
    };
    Asm first, second, third, fourth, fifth;
    first.push({"obj", "v", "start", 1}).op(op::InitObject).op(op::SetVariable);
    traceOf(first, "mc", "v");  // seeded by the field's own text
    traceOf(first, "f", "text");
    first.get("mc").push({"v", "Test1"}).op(op::SetMember);
    traceOf(first, "f", "text");  // a clip's member shows at once
    first.get("obj").push({"v", "changed"}).op(op::SetMember);
    traceOf(first, "g", "text");  // another object's member waits for the frame's end
    traceOf(second, "h", "text");
    third.get("f").push({"text", "Reset"}).op(op::SetMember);
    traceOf(fourth, "mc", "v");    // the new clip's member is not seeded again
    traceOf(fourth, "f", "text");  // and the fields keep their text
    traceOf(fourth, "h", "text");
    traceOf(fourth, "g", "text");
    fourth.get("g").push({"text", "typed"}).op(op::SetMember);
    traceOf(fourth, "obj", "v");
    fourth.get("mc").push({"v", "again"}).op(op::SetMember);
    traceOf(fifth, "f", "text");
    traceOf(fifth, "h", "text");
    swf::PlaceObject mc = place(1, 5), f = place(2, 6), g = place(3, 7), h = place(4, 8), mcAgain = place(1, 5);
    mc.name = mcAgain.name = "mc";
    f.name = "f";
    g.name = "g";
    h.name = "h";
    b.main() = timeline({{mc, f, g, swf::DoAction{first.bytes()}},
                         {h, swf::DoAction{second.bytes()}},
                         {removeAt(1), swf::DoAction{third.bytes()}},
                         {mcAgain, swf::DoAction{fourth.bytes()}},
                         {swf::DoAction{fifth.bytes()}}});
    player = b.player();
    player->setTraceHandler([this](const std::string& line) { lines.push_back(line); });
    for (int frame = 1; frame <= 5; ++frame) {
        if (frame > 1) player->tick();
        player->render(image);
    }
    EXPECT_EQ(lines, (Lines{"mc.v=Hello", "f.text=Hello", "f.text=Test1", "g.text=Hello", "h.text=Test1",
                            "mc.v=undefined", "f.text=Reset", "h.text=Test1", "g.text=changed", "obj.v=typed",
                            "f.text=again", "h.text=again"}));
}

TEST_F(TextFieldScriptTest, RenderSettingsStartFromTheRecordAndScriptsChangeThem) {
    swf::EditText record = fieldRecord({0, 0, 2000, 400}, "x");
    record.renderSettings = swf::TextRenderSettings{1, 2, -3, 150};
    b.movie->characters[6] = {6, 37, record};
    b.movie->characters[7] = {7, 37, fieldRecord({0, 0, 2000, 400}, "y")};
    Asm a;
    auto traceSettings = [&](const std::string& field) {
        for (const char* member : {"antiAliasType", "gridFitType", "thickness", "sharpness"})
            a.get(field).push({member}).op(op::GetMember).trace();
    };
    traceSettings("f");
    traceSettings("g");
    a.get("f").push({"gridFitType", "none"}).op(op::SetMember);
    a.get("f").push({"antiAliasType", "sharp"}).op(op::SetMember);  // not a type: ignored
    traceSettings("f");
    swf::PlaceObject f = place(1, 6), g = place(2, 7);
    f.name = "f", g.name = "g";
    b.main() = timeline({{f, g, swf::DoAction{a.bytes()}}});
    player = b.player();
    player->setTraceHandler([this](const std::string& line) { lines.push_back(line); });
    player->render(image);
    EXPECT_EQ(lines, (Lines{"advanced", "subpixel", "-3", "150", "normal", "pixel", "0", "0",
                            "advanced", "none", "-3", "150"}));
}

TEST_F(TextFieldScriptTest, AnHtmlRecordsFieldWritesHtmlBackAfterHtmlIsTurnedOff) {
    b.movie->characters[6] = {6, 37, fieldRecord({0, 0, 2000, 400}, "<b>x</b>")};
    Asm a;
    a.get("f").push({"html", false}).op(op::SetMember);
    a.get("f").push({"htmlText"}).op(op::GetMember).trace();
    makeField(a, 100, 20);
    set(a, "text", "y");
    a.get("tf").push({"htmlText"}).op(op::GetMember).trace();  // never HTML: its plain text
    swf::PlaceObject f = place(1, 6);
    f.name = "f";
    b.main() = timeline({{f, swf::DoAction{a.bytes()}}});
    player = b.player();
    player->setTraceHandler([this](const std::string& line) { lines.push_back(line); });
    player->render(image);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("<B>x</B>"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1], "y");
}

TEST_F(TextFieldScriptTest, ASelfSizingFieldSettlesBeforeItIsMovedResizedOrRead) {
    Asm a;
    makeField(a, 12, 13);
    set(a, "_x", -4);
    set(a, "autoSize", "right");  // empty: 4 pixels wide, its right edge kept at 8
    a.get("tf").push({"_x"}).op(op::GetMember).trace();
    set(a, "_width", 19);  // from the settled corner: the right edge goes to 23
    a.get("tf").push({"_x"}).op(op::GetMember).trace();
    a.get("tf").push({"_width"}).op(op::GetMember).trace();
    // Text in an embedded font the movie lacks takes no room.
    set(a, "embedFonts", true);
    set(a, "text", "missing");
    for (const char* member : {"textWidth", "textHeight", "_height"}) a.get("tf").push({member}).op(op::GetMember).trace();
    play(a);
    EXPECT_EQ(lines, (Lines{"4", "19", "4", "0", "0", "4"}));
}

TEST_F(TextFieldScriptTest, TextExtentIsReadInWholePixels) {
    Asm a;
    makeField(a, 300, 100);
    a.push({"f"}).push({0, "TextFormat"}).op(op::NewObject).op(op::SetVariable);
    a.get("f").push({"size", 13}).op(op::SetMember);
    a.get("f").push({1}).get("tf").push({"setNewTextFormat"}).op(op::CallMethod).op(op::Pop);
    set(a, "text", "abc");
    for (const char* member : {"textWidth", "textHeight"}) a.get("tf").push({member}).op(op::GetMember).trace();
    a.push({"abc", 1}).get("f").push({"getTextExtent"}).op(op::CallMethod).push({"width"}).op(op::GetMember).trace();
    a.push({"abc", 1}).get("f").push({"getTextExtent"}).op(op::CallMethod).push({"height"}).op(op::GetMember).trace();
    play(a);
    // The same text measured by its format keeps its fractions: the field rounds them.
    ASSERT_EQ(lines.size(), 4u);
    double extentWidth = std::stod(lines[2]), extentHeight = std::stod(lines[3]);
    ASSERT_NE(extentWidth, std::round(extentWidth));
    ASSERT_NE(extentHeight, std::round(extentHeight));
    EXPECT_EQ(lines[0], std::to_string(int(std::round(extentWidth))));
    EXPECT_EQ(lines[1], std::to_string(int(std::round(extentHeight))));
}

TEST_F(TextFieldScriptTest, TabIsHeardBeforeTheFocusMovesBetweenFields) {
    Asm a, onKey, onFocus;
    makeField(a, 100, 20);
    set(a, "type", "input");
    a.push({20, 100, 30, 0, 2, "second", 6}).get("_root").push({"createTextField"}).op(op::CallMethod).op(op::Pop);
    a.get("second").push({"type", "input"}).op(op::SetMember);
    onKey.push({"key"}).trace();
    onFocus.get("now").trace();
    a.push({"k", 0}).op(op::InitObject).op(op::SetVariable);
    a.get("k").push({"onKeyDown"}).function("", {}, onKey).op(op::SetMember);
    a.get("k").push({1}).get("Key").push({"addListener"}).op(op::CallMethod).op(op::Pop);
    a.push({"s", 0}).op(op::InitObject).op(op::SetVariable);
    a.get("s").push({"onSetFocus"}).function("", {"was", "now"}, onFocus).op(op::SetMember);
    a.get("s").push({1}).get("Selection").push({"addListener"}).op(op::CallMethod).op(op::Pop);
    focusField(a);
    play(a);
    player->keyDown(9, 9);
    player->keyUp(9, 9);
    EXPECT_EQ(lines, (Lines{"_level0.tf", "key", "_level0.second"}));
}

}  // namespace
