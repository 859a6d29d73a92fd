// Scripts in the player: movies built with frame actions, clip events and buttons, played through
// MoviePlayer, checked by their trace lines, the display list and the pixels.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/engine/core/script_movie.h"

namespace {

using namespace coretest;

void u32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

// trace(text)
Asm traced(const std::string& text) { return std::move(Asm().push({text}).trace()); }

// name.method(args...) with the result dropped.
Asm& callMethod(Asm& a, const std::string& object, const std::string& method, std::initializer_list<op::PushItem> args) {
    std::vector<op::PushItem> reversed(args.begin(), args.end());
    for (auto it = reversed.rbegin(); it != reversed.rend(); ++it) a.push({*it});
    a.push({int(args.size())}).get(object).push({method}).op(op::CallMethod).op(op::Pop);
    return a;
}

// CLIPACTIONS of SWF 6 and later: handlers with their event bits.
std::vector<uint8_t> clipActions(const std::vector<std::pair<uint32_t, Asm>>& handlers) {
    std::vector<uint8_t> b{0, 0};
    uint32_t all = 0;
    for (auto& [events, code] : handlers) all |= events;
    u32(b, all);
    for (auto& [events, code] : handlers) {
        std::vector<uint8_t> bytes = code.bytes();
        u32(b, events);
        u32(b, uint32_t(bytes.size()));
        b.insert(b.end(), bytes.begin(), bytes.end());
    }
    u32(b, 0);
    return b;
}

swf::PlaceObject named(swf::PlaceObject p, const std::string& name) {
    p.name = name;
    return p;
}

class ScriptTest : public ::testing::Test {
protected:
    ScriptTest() { b.movie->header.version = 8; }

    void start() {
        player = b.player();
        player->setTraceHandler([this](const std::string& line) { lines.push_back(line); });
        player->setFsCommandHandler([this](const std::string& c, const std::string& a) { commands.push_back(c + " " + a); });
    }
    // Plays `frames` frames (the first one is shown by starting).
    Lines play(int frames) {
        if (!player) start();
        player->render(image);
        for (int f = 1; f < frames; ++f) player->tick();
        return lines;
    }
    const swf::DisplayObject* at(const swf::Clip& clip, int depth) {
        auto it = clip.children.find(depth);
        return it == clip.children.end() ? nullptr : it->second.get();
    }
    bool warned(const std::string& part) {
        for (const std::string& w : player->takeWarnings())
            if (w.find(part) != std::string::npos) return true;
        return false;
    }

    MovieBuilder b;
    std::unique_ptr<swf::MoviePlayer> player;
    Lines lines, commands;
    swf::RgbaImage image;
};

TEST_F(ScriptTest, FrameActionsRunInTagOrderWithInitActionsFirstAndOnce) {
    b.sprite(10, timeline({{action(traced("child frame 1"))}}));
    b.sprite(11, timeline({{action(traced("second child frame 1"))}}));
    b.main() = timeline({{action(traced("root frame 1")), place(1, 10), swf::DoInitAction{11, traced("init").bytes()},
                          place(2, 11)},
                         {action(traced("root frame 2"))}});
    EXPECT_EQ(play(3), (Lines{"init", "root frame 1", "child frame 1", "second child frame 1", "root frame 2",
                              "root frame 1"}));
}

TEST_F(ScriptTest, ScriptsReadAndSetTheMovieWideQuality) {
    Asm a;
    a.get("_quality").trace();
    a.push({"_quality", "low"}).op(op::SetVariable);
    a.get("_quality").trace();
    a.get("_highquality").trace();
    a.push({"_highquality", 2}).op(op::SetVariable);
    a.get("_quality").trace();
    a.push({"_quality", "sharpest"}).op(op::SetVariable);  // not a quality: no change
    a.get("_quality").trace();
    a.push({"_quality", "LOW"}).op(op::SetVariable);
    // A red square whose left edge lies 0.3 into pixel column 10: at low quality that column is
    // painted whole.
    b.rect(1, 10.3, 0, 20, 20, kRed);
    b.main() = timeline({{action(a), place(1, 1)}});
    EXPECT_EQ(play(1), (Lines{"HIGH", "LOW", "0", "BEST", "BEST"}));
    EXPECT_EQ(pixelAt(*player, 10, 10), kRed);
    // The host choosing a quality afterwards overrides the script's choice.
    swf::ViewOptions high;
    high.quality = swf::Quality::Low;
    player->setViewport(100, 100, high);
    high.quality = swf::Quality::High;
    player->setViewport(100, 100, high);
    EXPECT_NE(pixelAt(*player, 10, 10), kRed);
}

TEST_F(ScriptTest, SoundBufferTimeIsMovieWideAndKeptInWholeSeconds) {
    b.sprite(10, timeline({{}}));
    Asm a;
    a.get("_soundbuftime").trace();
    a.push({"_soundbuftime", 2.7}).op(op::SetVariable);
    a.get("_soundbuftime").trace();
    a.get("clip._soundbuftime").trace();  // one value for the whole movie
    a.push({"_soundbuftime", -4}).op(op::SetVariable);
    a.get("_soundbuftime").trace();
    b.main() = timeline({{named(place(1, 10), "clip"), action(a)}});
    EXPECT_EQ(play(1), (Lines{"5", "2", "2", "0"}));
}

TEST_F(ScriptTest, FocusRectIsTheMoviesOnLevelClipsAndEachOtherClipsOwn) {
    b.movie->header.version = 6;
    b.sprite(10, timeline({{}}));
    Asm a;
    auto show = [&] {
        a.push({""}).get("_focusrect").op(op::Add2).push({" "}).op(op::Add2);
        a.get("_root").push({"_foCusRect"}).op(op::GetMember).op(op::Add2).push({" "}).op(op::Add2);
        a.get("clip").push({"_focusrect"}).op(op::GetMember).op(op::Add2).trace();
    };
    auto setMovie = [&](op::PushItem v) { a.push({"", 17, v}).op(op::SetProperty); };
    auto setClip = [&](op::PushItem v) { a.get("clip").push({"_focusrect", v}).op(op::SetMember); };
    show();
    setMovie(0);
    show();
    setMovie("text");  // not a number: on
    show();
    setMovie(op::Null{});  // ignored
    show();
    a.push({"", 17, 0, "Object"}).op(op::NewObject).op(op::SetProperty);  // an object: off
    show();
    setClip("test");  // a clip's own setting takes the value's truth
    show();
    setClip(0.5);
    show();
    setClip(op::Undef{});  // unset again
    show();
    b.main() = timeline({{named(place(1, 10), "clip"), action(a)}});
    EXPECT_EQ(play(1), (Lines{"true true null", "false false null", "true true null", "true true null",
                              "false false null", "false false false", "false false true", "false false null"}));
}

TEST_F(ScriptTest, TimelineActionsStopAndJump) {
    Asm toThree = std::move(Asm().push({"done", false}).op(op::SetVariable));
    toThree.record(0x81, {2, 0});  // gotoFrame(2): the third frame
    toThree.op(op::Play);
    b.main() = timeline({{action(toThree)}, {action(traced("skipped"))}, {action(traced("three"))},
                         {action(std::move(Asm().op(op::Stop).push({"four"}).trace()))}});
    EXPECT_EQ(play(6), (Lines{"three", "four"}));
    EXPECT_EQ(player->currentFrame(), 4);
    EXPECT_FALSE(player->isPlaying());
}

TEST_F(ScriptTest, GotoLoopWithinOneFrameIsCutWithAWarning) {
    Asm toTwo, toOne;
    toTwo.record(0x81, {1, 0});
    toOne.record(0x81, {0, 0});
    b.main() = timeline({{action(toTwo)}, {action(toOne)}});
    play(2);
    EXPECT_TRUE(warned("goto loop"));
    player->tick();  // the movie goes on
}

TEST_F(ScriptTest, ClipEventsAndOnEnterFrameMoveClips) {
    b.rect(1, 0, 0, 10, 10, kRed);
    b.sprite(10, timeline({{place(1, 1)}}));
    Asm load = traced("load");
    Asm step = std::move(Asm().push({"_x"}).push({"_x"}).op(op::GetVariable).push({5}).op(op::Add2).op(op::SetVariable));
    swf::PlaceObject a = named(place(1, 10), "a");
    a.clipActions = clipActions({{0x1, load}, {0x2, step}});
    // b.onEnterFrame = function() { this._y += 10 }
    Asm body = std::move(Asm().get("this").push({"_y"}).get("this").push({"_y"}).op(op::GetMember).push({10})
                             .op(op::Add2).op(op::SetMember));
    Asm setHandler = std::move(Asm().get("b").push({"onEnterFrame"}).function("", {}, body).op(op::SetMember));
    b.main() = timeline({{a, named(place(2, 10), "b"), action(setHandler)}});
    EXPECT_EQ(play(4), (Lines{"load"}));
    EXPECT_DOUBLE_EQ(at(player->root(), 1)->matrix.tx, 15 * 20.0);
    EXPECT_DOUBLE_EQ(at(player->root(), 2)->matrix.ty, 30 * 20.0);
}

TEST_F(ScriptTest, ClipMethodsChangeTheDisplayList) {
    b.rect(1, 0, 0, 10, 10, kRed);
    b.sprite(10, timeline({{place(1, 1)}}));
    b.movie->exports["box"] = 10;
    Asm a;
    callMethod(a, "_root", "attachMovie", {"box", "att", 5});
    callMethod(a, "att", "duplicateMovieClip", {"dup", 6});
    a.get("dup").push({"_x"}).push({30}).op(op::SetMember);
    callMethod(a, "dup", "swapDepths", {20});
    a.push({0}).get("dup").push({"getDepth"}).op(op::CallMethod).trace();
    callMethod(a, "att", "removeMovieClip", {});
    a.get("att").op(op::TypeOf).trace();
    a.get("dup").push({"_width"}).op(op::GetMember).trace();
    a.get("dup").push({"_name"}).op(op::GetMember).trace();
    b.main() = timeline({{action(a)}});
    EXPECT_EQ(play(1), (Lines{"20", "undefined", "10", "dup"}));
    const swf::DisplayObject* dup = at(player->root(), 20 + swf::kScriptDepthOffset);
    ASSERT_NE(dup, nullptr);
    EXPECT_EQ(dup->name, "dup");
    EXPECT_DOUBLE_EQ(dup->matrix.tx, 30 * 20.0);
    EXPECT_EQ(at(player->root(), 5 + swf::kScriptDepthOffset), nullptr);
    EXPECT_EQ(pixelAt(*player, 35, 5), kRed);
    EXPECT_EQ(pixelAt(*player, 5, 5), kWhite);
}

TEST_F(ScriptTest, DrawingMethodsDrawWhatTheRendererShows) {
    Asm a;
    callMethod(a, "_root", "createEmptyMovieClip", {"pad", 1});
    callMethod(a, "pad", "beginFill", {0x0000ff, 100});
    callMethod(a, "pad", "moveTo", {10, 10});
    callMethod(a, "pad", "lineTo", {60, 10});
    callMethod(a, "pad", "lineTo", {60, 60});
    callMethod(a, "pad", "lineTo", {10, 60});
    callMethod(a, "pad", "endFill", {});
    a.get("pad").push({"_width"}).op(op::GetMember).trace();
    a.push({true, 55.0, 5.0, 3}).get("pad").push({"hitTest"}).op(op::CallMethod).trace();
    a.push({true, 30.0, 30.0, 3}).get("pad").push({"hitTest"}).op(op::CallMethod).trace();
    b.main() = timeline({{action(a)}});
    EXPECT_EQ(play(1), (Lines{"50", "false", "true"}));
    EXPECT_EQ(pixelAt(*player, 30, 30), kBlue);
    EXPECT_EQ(pixelAt(*player, 70, 30), kWhite);
}

TEST_F(ScriptTest, NamedShapesStandForTheirClipAndTheMainMovieMoves) {
    b.rect(1, 0, 0, 10, 10, kRed);
    Asm a;
    a.get("sh").push({"v", 7}).op(op::SetMember);
    a.get("sh").push({"_x"}).push({20}).op(op::SetMember);
    a.get("_root").push({"v"}).op(op::GetMember).trace();
    a.get("_root").push({"_x"}).op(op::GetMember).trace();
    a.get("_xmouse").trace();
    b.main() = timeline({{named(place(1, 1), "sh"), action(a)}});
    // The pointer is at the stage's corner: 20 pixels left of the moved movie.
    EXPECT_EQ(play(1), (Lines{"7", "20", "-20"}));
    EXPECT_EQ(pixelAt(*player, 25, 5), kRed);
    EXPECT_EQ(pixelAt(*player, 5, 5), kWhite);
    EXPECT_DOUBLE_EQ(at(player->root(), 1)->matrix.tx, 0);  // the shape itself stays where it is
}

TEST_F(ScriptTest, ThePointerInAClipComesInWholeTwipsFromItsPixelSnappedPlace) {
    b.sprite(10, timeline({{}}));
    swf::PlaceObject shifted = named(place(1, 10), "shifted");
    shifted.matrix = swf::Matrix{1, 0, 0, 1, 510, 405};  // 25.5 and 20.25 pixels
    swf::PlaceObject small = named(place(2, 10), "small");
    small.matrix = swf::Matrix{0.4199981689453125, 0, 0, 0.4199981689453125, 146, 42};
    Asm a;
    for (const char* name : {"shifted", "small", "flat"})
        a.get(name).push({"_xmouse"}).op(op::GetMember).push({" "}).op(op::Add2)
            .get(name).push({"_ymouse"}).op(op::GetMember).op(op::Add2).trace();
    Asm flatten;
    flatten.get("flat").push({"_xscale", 0}).op(op::SetMember);
    b.main() = timeline({{shifted, small, named(place(3, 10), "flat"), action(flatten), action(traced("start"))},
                         {action(a)}});
    play(1);
    player->mouseMove(60, 70);
    // A clip scaled to nothing has no inverse: it reads the stage pixels as twips.
    EXPECT_EQ(play(2), (Lines{"start", "34 50", "126.2 161.9", "3 3.5"}));
}

TEST_F(ScriptTest, EveryClipReadsTheMovieAddressTheHostGave) {
    b.sprite(10, timeline({{}}));
    Asm a;
    a.get("_url").trace();
    a.get("mc").push({"_url"}).op(op::GetMember).trace();
    b.main() = timeline({{named(place(1, 10), "mc"), action(a)}});
    start();
    player->setMovieUrl("file:///C|/Saver/show.swf");
    EXPECT_EQ(play(1), (Lines{"file:///C|/Saver/show.swf", "file:///C|/Saver/show.swf"}));
}

TEST_F(ScriptTest, ColorAndPropertiesReachTheDisplayObject) {
    b.rect(1, 0, 0, 10, 10, kRed);
    b.sprite(10, timeline({{place(1, 1)}}));
    Asm a;
    a.push({"c"}).get("mc").push({1, "Color"}).op(op::NewObject).op(op::SetVariable);
    callMethod(a, "c", "setRGB", {0x00ff00});
    a.get("mc").push({"_xscale"}).push({200}).op(op::SetMember);
    a.get("mc").push({"_alpha"}).push({50}).op(op::SetMember);
    a.get("mc").push({"_width"}).op(op::GetMember).trace();
    a.get("mc").push({"_visible"}).op(op::GetMember).trace();
    a.get("mc").push({"_target"}).op(op::GetMember).trace();
    b.main() = timeline({{named(place(1, 10), "mc"), action(a)}});
    EXPECT_EQ(play(1), (Lines{"20", "true", "/mc"}));
    const swf::DisplayObject* mc = at(player->root(), 1);
    EXPECT_FLOAT_EQ(mc->colorTransform.gAdd, 255);
    EXPECT_FLOAT_EQ(mc->colorTransform.rMul, 0);
    EXPECT_FLOAT_EQ(mc->colorTransform.aMul, 0.5f);
    EXPECT_DOUBLE_EQ(mc->matrix.a, 2);
}

swf::Button threeStateButton(const Asm& onRelease) {
    swf::Button button;
    button.version = 2;
    auto record = [](uint16_t id, bool up, bool over, bool down, bool hit) {
        swf::ButtonRecord r;
        r.characterId = id;
        r.depth = id;
        r.up = up, r.over = over, r.down = down, r.hitTest = hit;
        return r;
    };
    button.records = {record(1, true, false, false, true), record(2, false, true, false, false),
                      record(3, false, false, true, false)};
    button.actions.push_back(swf::ButtonAction{swf::ButtonAction::kOverDownToOverUp, onRelease.bytes()});
    button.actions.push_back(swf::ButtonAction{0x0001, traced("over").bytes()});
    button.actions.push_back(swf::ButtonAction{uint16_t('x' << 9), traced("key x").bytes()});
    return button;
}

TEST_F(ScriptTest, ButtonsShowTheirStatesAndRunTheirActions) {
    b.rect(1, 0, 0, 40, 40, kBlue);
    b.rect(2, 0, 0, 40, 40, kGreen);
    b.rect(3, 0, 0, 40, 40, kRed);
    swf::Character c;
    c.id = 20;
    c.tagCode = 34;
    c.definition = threeStateButton(std::move(Asm().push({"released"}).trace().op(op::Play)));
    b.movie->characters[20] = std::move(c);
    b.main() = timeline({{place(1, 20, 10, 10), action(std::move(Asm().op(op::Stop)))}, {action(traced("frame 2"))}});
    play(1);
    EXPECT_EQ(pixelAt(*player, 20, 20), kBlue);
    EXPECT_FALSE(player->mouseMove(80, 80));
    EXPECT_TRUE(player->mouseMove(20, 20));
    EXPECT_EQ(pixelAt(*player, 20, 20), kGreen);
    EXPECT_TRUE(player->mouseDown(20, 20));
    EXPECT_EQ(pixelAt(*player, 20, 20), kRed);
    EXPECT_TRUE(player->mouseUp(20, 20));
    EXPECT_EQ(pixelAt(*player, 20, 20), kGreen);
    player->tick();
    player->mouseMove(90, 90);
    EXPECT_EQ(pixelAt(*player, 20, 20), kBlue);
    // The key press waits for the character the key types, as WM_CHAR follows WM_KEYDOWN.
    player->keyDown(88, 'x');
    EXPECT_EQ(lines, (Lines{"over", "released", "frame 2"}));
    player->textInput(U'x');
    EXPECT_EQ(lines, (Lines{"over", "released", "frame 2", "key x"}));
}

TEST_F(ScriptTest, AButtonInsideAButtonTakesThePointer) {
    b.rect(1, 0, 0, 40, 40, kBlue);
    b.rect(2, 0, 0, 40, 40, kGreen);
    b.rect(3, 0, 0, 40, 40, kRed);
    auto addButton = [&](uint16_t id, swf::Button button) {
        swf::Character c;
        c.id = id;
        c.tagCode = 34;
        c.definition = std::move(button);
        b.movie->characters[id] = std::move(c);
    };
    addButton(20, threeStateButton(traced("inner released")));
    // The outer button shows the inner one in every state and has it as its hit area.
    swf::Button outer;
    outer.version = 2;
    swf::ButtonRecord r;
    r.characterId = 20;
    r.depth = 1;
    r.up = r.over = r.down = r.hitTest = true;
    outer.records = {r};
    outer.actions.push_back(swf::ButtonAction{swf::ButtonAction::kOverDownToOverUp, traced("outer released").bytes()});
    addButton(21, std::move(outer));
    b.main() = timeline({{place(1, 21, 10, 10), action(std::move(Asm().op(op::Stop)))}});
    play(1);
    player->mouseMove(20, 20);
    EXPECT_EQ(pixelAt(*player, 20, 20), kGreen);
    player->mouseDown(20, 20);
    EXPECT_EQ(pixelAt(*player, 20, 20), kRed);
    player->mouseUp(20, 20);
    EXPECT_EQ(lines, (Lines{"over", "inner released"}));
}

TEST_F(ScriptTest, ClipButtonHandlersAndMouseEvents) {
    b.rect(1, 0, 0, 40, 40, kBlue);
    b.sprite(10, timeline({{place(1, 1)}}));
    swf::PlaceObject mc = named(place(1, 10, 50, 50), "mc");
    mc.clipActions = clipActions({{0x10, traced("mouse down")}, {0x400, traced("press")}});
    Asm onRelease = std::move(Asm().get("mc").push({"onRelease"}).function("", {}, traced("release")).op(op::SetMember));
    b.main() = timeline({{mc, action(onRelease)}});
    play(1);
    player->mouseDown(10, 10);  // outside: only the clip event
    player->mouseUp(10, 10);
    player->mouseDown(60, 60);
    player->mouseUp(60, 60);
    EXPECT_EQ(lines, (Lines{"mouse down", "mouse down", "press", "release"}));
}

TEST_F(ScriptTest, KeyAndMouseListenersHearInput) {
    // l = {}; l.onKeyDown = function () { trace(Key.getCode()) }; l.onMouseUp = ...; Key.addListener(l); Mouse.addListener(l)
    Asm a;
    a.push({"l", 0}).op(op::InitObject).op(op::SetVariable);
    Asm keyBody = std::move(Asm().push({0}).get("Key").push({"getCode"}).op(op::CallMethod).trace());
    a.get("l").push({"onKeyDown"}).function("", {}, keyBody).op(op::SetMember);
    a.get("l").push({"onMouseUp"}).function("", {}, traced("up")).op(op::SetMember);
    a.get("l").push({"onKeyUp"}).function("", {}, std::move(Asm().push({65, 1}).get("Key").push({"isDown"})
                                                             .op(op::CallMethod).trace())).op(op::SetMember);
    a.get("l").push({1}).get("Key").push({"addListener"}).op(op::CallMethod).op(op::Pop);
    a.get("l").push({1}).get("Mouse").push({"addListener"}).op(op::CallMethod).op(op::Pop);
    b.main() = timeline({{action(a)}});
    play(1);
    player->keyDown(65, 'a');
    player->keyUp(65, 'a');
    player->mouseUp(1, 1);
    EXPECT_EQ(lines, (Lines{"65", "false", "up"}));
}

TEST_F(ScriptTest, RunawayScriptsAreStoppedAndTheMovieGoesOn) {
    Asm loop = std::move(Asm().label("top").jump("top"));
    Asm recurse = std::move(Asm().function("f", {}, std::move(Asm().push({0, "f"}).op(op::CallFunction)))
                                .push({0, "f"}).op(op::CallFunction).op(op::Pop));
    b.main() = timeline({{action(loop), action(traced("after loop"))}, {action(recurse), action(traced("frame 2"))}});
    start();
    swf::avm1::Limits limits;
    limits.maxActionsPerScript = 100000;
    player->scripts().setLimits(limits);
    EXPECT_EQ(play(2), (Lines{"after loop", "frame 2"}));
    std::vector<std::string> warnings = player->takeWarnings();
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_NE(warnings[0].find("action limit"), std::string::npos);
    EXPECT_NE(warnings[1].find("recursion"), std::string::npos);
}

TEST_F(ScriptTest, SelfAttachingClipsAndDamagedScriptsStayBounded) {
    // A clip whose first frame attaches another of itself inside: nesting stops it.
    Asm attachSelf;
    callMethod(attachSelf, "this", "attachMovie", {"self", "inner", 1});
    b.sprite(10, timeline({{action(attachSelf)}}));
    b.movie->exports["self"] = 10;
    // Damaged bytes: clip actions that run past their end, actions that are no actions.
    swf::PlaceObject damaged = named(place(2, 10), "damaged");
    damaged.clipActions = {0, 0, 0xff, 0xff, 0xff, 0xff, 0x02, 0, 0, 0, 0xf0, 0xff, 0xff, 0x7f, 0x96, 0xff};
    b.main() = timeline({{place(1, 10), damaged, swf::DoAction{{0x96, 0xff, 0xff, 0x00, 0x8e, 0x05}},
                          action(traced("still here"))}});
    EXPECT_EQ(play(3), (Lines{"still here"}));
    EXPECT_TRUE(warned("nest deeper"));
    int depth = 0;
    for (const swf::Clip* c = &player->root(); c && !c->children.empty(); c = c->children.begin()->second->clip.get())
        ++depth;
    EXPECT_LE(depth, 65);
}

TEST_F(ScriptTest, FsCommandReachesTheHostAndWebAddressesAreIgnored) {
    Asm a;
    a.record(0x83, {'F', 'S', 'C', 'o', 'm', 'm', 'a', 'n', 'd', ':', 'q', 'u', 'i', 't', 0, 't', 'r', 'u', 'e', 0});
    a.record(0x83, {'h', 't', 't', 'p', ':', '/', '/', 'x', 0, '_', 'b', 'l', 'a', 'n', 'k', 0});
    b.main() = timeline({{action(a)}});
    play(1);
    EXPECT_EQ(commands, (Lines{"quit true"}));
}

TEST_F(ScriptTest, FunctionsOfRemovedClipsAndIntervalsStaySafe) {
    b.sprite(10, timeline({{action(std::move(Asm().push({"_root"}).op(op::GetVariable).push({"f"})
                                                .function("", {}, traced("tick")).op(op::SetMember)))}}));
    Asm start;
    start.push({1000.0 / 24}).get("f").push({2, "setInterval"}).op(op::CallFunction).op(op::Pop);
    callMethod(start, "mc", "removeMovieClip", {});
    swf::PlaceObject mc = named(place(1, 10), "mc");
    Asm moveUp;
    callMethod(moveUp, "mc", "swapDepths", {0});  // into script depths, where it can be removed
    b.main() = timeline({{mc, action(moveUp), action(start), action(std::move(Asm().op(op::Stop)))}});
    play(3);
    EXPECT_EQ(lines, (Lines{"tick", "tick"}));
    EXPECT_TRUE(player->root().children.empty());
}

// The first frame ends like every other: work deferred to the end of a frame (a load that cannot
// be made) is reported within it, once.
TEST_F(ScriptTest, TheFirstFrameEndsWithItsDeferredWork) {
    Asm a;
    a.push({"loader", 0, "MovieClipLoader"}).op(op::NewObject).op(op::SetVariable);
    a.get("loader").push({"onLoadError"}).function("", {"target", "code"}, std::move(Asm().get("code").trace()));
    a.op(op::SetMember);
    callMethod(a, "loader", "loadClip", {"missing.swf", "_root"});
    a.push({"loading"}).trace();
    b.main() = timeline({{action(a)}});
    EXPECT_EQ(play(1), (Lines{"loading", "URLNotFound"}));
    player->tick();
    EXPECT_EQ(lines, (Lines{"loading", "URLNotFound"}));
}

TEST_F(ScriptTest, TextFieldsShowTheirVariables) {
    swf::EditText field;
    field.bounds = {0, 0, 2000, 400};
    field.variableName = "clock";
    field.initialText = "00:00";
    swf::Character c;
    c.id = 30;
    c.tagCode = 37;
    c.definition = field;
    b.movie->characters[30] = std::move(c);
    Asm a;
    a.get("clock").trace();
    a.push({"clock", "12:30"}).op(op::SetVariable);
    b.main() = timeline({{named(place(1, 30), "t"), action(a)}, {action(std::move(Asm().get("t").push({"text"})
                                                                                   .op(op::GetMember).trace()))}});
    EXPECT_EQ(play(2), (Lines{"00:00", "12:30"}));
    ASSERT_NE(at(player->root(), 1)->field, nullptr);
    EXPECT_EQ(at(player->root(), 1)->field->text(), "12:30");
}

TEST_F(ScriptTest, FieldsMadeByScriptsShowTheirVariablesAndAreCountedWhileTheyLive) {
    // Frame 1: a field made by a script, bound to `v`; frame 2 reads what it shows and removes it;
    // a movie without fields counts none.
    Asm a;
    callMethod(a, "_root", "createTextField", {"f", 5, 0, 0, 100, 20});
    a.get("f").push({"variable", "v"}).op(op::SetMember);
    a.push({"v", "bound"}).op(op::SetVariable);
    Asm second;
    second.get("f").push({"text"}).op(op::GetMember).trace();
    callMethod(second, "f", "removeTextField", {});
    b.main() = timeline({{action(a)}, {action(second)}, {}});
    EXPECT_EQ(play(1), Lines{});
    EXPECT_EQ(player->timeline().liveEditTexts(), 1u);
    player->tick();
    EXPECT_EQ(lines, (Lines{"bound"}));
    EXPECT_EQ(player->timeline().liveEditTexts(), 0u);
}

}  // namespace

TEST_F(ScriptTest, ClipsMadeByScriptsCountTowardTheMovieObjectLimit) {
    // Room for six objects: the shape and five empty clips. The sixth clip is not made, the script
    // and the movie go on, and a clip removed makes room for another.
    b.rect(1, 0, 0, 10, 10, kRed);
    Asm a;
    for (int i = 0; i < 6; ++i) callMethod(a, "_root", "createEmptyMovieClip", {"c" + std::to_string(i), i});
    a.get("c4").op(op::TypeOf).trace();
    a.get("c5").op(op::TypeOf).trace();
    callMethod(a, "c0", "removeMovieClip", {});
    callMethod(a, "_root", "createEmptyMovieClip", {"again", 20});
    a.get("again").op(op::TypeOf).trace();
    b.main() = timeline({{place(1, 1), action(a)}});
    swf::TimelineLimits limits;
    limits.maxObjects = 6;
    player = b.player(limits);
    player->setTraceHandler([this](const std::string& line) { lines.push_back(line); });
    EXPECT_EQ(play(2), (Lines{"movieclip", "undefined", "movieclip"}));
    EXPECT_TRUE(warned("more than 6 display objects: c5 was not made"));
    EXPECT_EQ(player->timeline().liveObjects(), 6u);
    EXPECT_EQ(pixelAt(*player, 5, 5), kRed);
}
