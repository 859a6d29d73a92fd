#include <gtest/gtest.h>

#include "engine/core/player.h"
#include "tests/engine/avm2/abc_script.h"
#include "tests/engine/avm2/as3_class_builder.h"

using namespace avm2test;
using swfw::AbcCode;
using swfw::AbcTraitSpec;
using swfw::AbcWriter;
using Lines = std::vector<std::string>;

namespace {

// A document class Main extends MovieClip whose constructor traces, registers a script for each
// of the two frames and listens to enterFrame; frame 2's script stops the movie and throws.
std::vector<uint8_t> documentClassMovie() {
    AbcWriter w;
    Tracer t(w);
    uint32_t display = w.ns(0x16, "flash.display");
    uint32_t movieClip = w.qname(display, "MovieClip");
    uint32_t mainName = w.publicName("Main");
    uint32_t frame1 = w.publicName("frame1"), frame2 = w.publicName("frame2"), onEnter = w.publicName("onEnter");
    uint32_t addFrameScript = w.publicName("addFrameScript"), addEventListener = w.publicName("addEventListener");
    uint32_t currentFrame = w.publicName("currentFrame");

    uint32_t iinit = w.method();
    AbcCode ic;
    ic.op(kGetLocal0).op(kPushScope).op(kGetLocal0).op(kConstructSuper, 0);
    t.string(ic, "constructed");
    ic.op(kGetLocal0).op(kPushByte, 0).op(kGetLocal0).op(kGetProperty, frame1).op(kPushByte, 1).op(kGetLocal0)
        .op(kGetProperty, frame2).op(kCallPropVoid, addFrameScript, 4);
    ic.op(kGetLocal0).op(kPushString, w.string("enterFrame")).op(kGetLocal0).op(kGetProperty, onEnter)
        .op(kCallPropVoid, addEventListener, 2);
    ic.op(kReturnVoid);
    w.body(iinit, ic);
    uint32_t f1 = w.method();
    AbcCode c1;
    c1.op(kGetLocal0).op(kPushScope);
    t.begin(c1).op(kPushString, w.string("frame")).op(kGetLocal0).op(kGetProperty, currentFrame);
    t.end(c1, 2);
    // Accessors of DisplayObject and DisplayObjectContainer reach the subclass.
    t.begin(c1).op(kGetLocal0).op(kGetProperty, w.publicName("numChildren")).op(kGetLocal0).op(kGetProperty, w.publicName("stage"))
        .op(kGetProperty, w.publicName("stageWidth"));
    t.end(c1, 2).op(kReturnVoid);
    w.body(f1, c1);
    uint32_t f2 = w.method();
    AbcCode c2;
    c2.op(kGetLocal0).op(kPushScope);
    t.string(c2, "frame two");
    // stop() found on the scope chain through MovieClip's methods.
    uint32_t stop = w.publicName("stop");
    c2.op(kFindPropStrict, stop).op(kCallPropVoid, stop, 0);
    c2.op(kPushNull).op(kGetProperty, currentFrame).op(kReturnVoid);
    w.body(f2, c2);
    uint32_t enter = w.method({0});
    AbcCode ec;
    ec.op(kGetLocal0).op(kPushScope);
    t.begin(ec).op(kGetLocal1).op(kGetProperty, w.publicName("type"));
    t.end(ec).op(kReturnVoid);
    w.body(enter, ec);
    uint32_t cinit = w.method();
    w.body(cinit, AbcCode().op(kReturnVoid));
    uint32_t cls = w.klass(mainName, movieClip, 1, iinit, cinit,
                           {AbcTraitSpec{frame1, 1, 0, 0, 0, 0, f1}, AbcTraitSpec{frame2, 1, 0, 0, 0, 0, f2},
                            AbcTraitSpec{onEnter, 1, 0, 0, 0, 0, enter}});
    defineClassScript(w, mainName, movieClip, cls);
    return swfw::abcMovie(w.bytes(), "Main", 2);
}

}  // namespace

TEST(Avm2Player, DocumentClassFrameScriptsAndEnterFrame) {
    std::string error;
    auto player = swf::Player::load(documentClassMovie(), error);
    ASSERT_TRUE(player) << error;
    Lines lines, errors;
    player->setTraceHandler([&](const std::string& s) { lines.push_back(s); });
    player->setScriptErrorHandler([&](const std::string& s) { errors.push_back(s); });
    player->tick();
    player->tick();
    EXPECT_EQ(lines, (Lines{"constructed", "frame 1", "0 550", "enterFrame", "frame two", "enterFrame"}));
    EXPECT_EQ(player->currentFrame(), 2);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "TypeError: Error #1009: Cannot access a property or method of a null object reference.\n\tat Main/frame2()");
}

// The root is a display container: a document class that is not a Sprite has its script run but
// is refused as the root, its constructor never called.
TEST(Avm2Player, DocumentClassThatIsNotASpriteIsRefused) {
    AbcWriter w;
    Tracer t(w);
    uint32_t object = w.publicName("Object");
    uint32_t mainName = w.publicName("Main");
    uint32_t iinit = w.method();
    AbcCode ic;
    ic.op(kGetLocal0).op(kPushScope).op(kGetLocal0).op(kConstructSuper, 0);
    t.string(ic, "constructed");
    ic.op(kReturnVoid);
    w.body(iinit, ic);
    uint32_t cinit = w.method();
    AbcCode cc;
    cc.op(kGetLocal0).op(kPushScope);
    t.string(cc, "class ready");
    cc.op(kReturnVoid);
    w.body(cinit, cc);
    uint32_t cls = w.klass(mainName, object, 1, iinit, cinit, {});
    defineClassScript(w, mainName, object, cls);
    std::string error;
    auto player = swf::Player::load(swfw::abcMovie(w.bytes(), "Main", 1), error);
    ASSERT_TRUE(player) << error;
    Lines lines, errors;
    player->setTraceHandler([&](const std::string& s) { lines.push_back(s); });
    player->setScriptErrorHandler([&](const std::string& s) { errors.push_back(s); });
    player->tick();
    EXPECT_EQ(lines, (Lines{"class ready"}));
    EXPECT_EQ(errors, (Lines{"TypeError: Error #2023: Class Main$ must inherit from Sprite to link to the root."}));
}
