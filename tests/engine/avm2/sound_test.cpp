// flash.media over the movie's mixer: a Sound class linked to a library sound plays on a channel
// of its own with its loops and transform, says when it is done, and stops with SoundMixer.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/sound/audio_mixer.h"
#include "tests/engine/avm2/display_movie.h"
#include "tests/engine/sound/tone.h"

using namespace avm2test;

namespace {

constexpr double kFps = 20;

swf::DefinedSound tone(double seconds) {
    swf::DefinedSound s;
    s.format = swf::SoundFormat{swf::SoundCodec::PcmLittleEndian, 44100, true, false};
    auto samples = swf::test::sineTone(440, seconds, 44100, 1, 12000);
    s.sampleCount = static_cast<uint32_t>(samples.size());
    s.data = swf::test::pcm16le(samples);
    return s;
}

// Main's constructor gets `sound` (a new Tone, the class linked to a half-second tone) in local 1;
// its `done` method traces "complete" and the channel's position.
std::vector<uint8_t> soundMovie(const std::function<void(AbcWriter&, AbcCode&)>& constructor, int frames) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder toneClass{w, "Tone"};
    toneClass.base = "Sound";
    toneClass.basePackage = "flash.media";
    toneClass.finish([](AbcCode&) {});
    ClassBuilder main{w, "Main"};
    main.slot("channel");
    main.method("done", [&](AbcCode& c) {
        t.begin(c).op(kGetLocal1).op(kGetProperty, w.publicName("type"));
        c.op(kGetLocal0).op(kGetProperty, w.publicName("channel")).op(kGetProperty, w.publicName("position"));
        t.end(c, 2);
    });
    main.finish([&](AbcCode& c) {
        uint32_t toneName = w.publicName("Tone");
        c.op(kFindPropStrict, toneName).op(kConstructProp, toneName, 0).op(kSetLocal1);
        constructor(w, c);
    });
    swfw::SwfWriter movie(10, swf::Rect{0, 0, 200 * 20, 200 * 20}, kFps);
    movie.fileAttributes(true);
    movie.tag(swfw::kDoAbc, abcTag(w.bytes()));
    movie.defineSound(1, tone(0.5));
    movie.tag(76, symbolClassTag({{1, "Tone"}, {0, "Main"}}));
    for (int i = 0; i < frames; ++i) movie.showFrame();
    return movie.finish();
}

struct Heard {
    std::vector<int16_t> mix;
    Lines lines, errors;
};

Heard listen(const std::vector<uint8_t>& movie, int frames) {
    Heard h;
    std::string error;
    auto player = swf::Player::load(movie, error);
    EXPECT_TRUE(player) << error;
    if (!player) return h;
    player->setAudioPulledByHost(true);
    player->setTraceHandler([&](const std::string& s) { h.lines.push_back(s); });
    player->setScriptErrorHandler([&](const std::string& s) { h.errors.push_back(s); });
    swf::RgbaImage image;
    player->render(image);
    for (int f = 0; f < frames; ++f) {
        auto end = static_cast<size_t>(std::llround((f + 1) * swf::kMixRate / kFps));
        size_t have = h.mix.size() / 2;
        h.mix.resize(end * 2);
        player->audioMixer()->mix(h.mix.data() + have * 2, end - have);
        player->tick();
    }
    return h;
}

// this.channel = sound.play(0, loops, new SoundTransform(1, pan)); the channel's soundComplete
// goes to this.done.
void playInto(AbcWriter& w, AbcCode& c, int loops, bool panLeft) {
    uint32_t transform = w.qname(w.ns(0x16, "flash.media"), "SoundTransform");
    uint32_t channel = w.publicName("channel");
    c.op(kGetLocal0).op(kGetLocal1).op(kPushByte, 0).op(kPushByte, static_cast<uint32_t>(loops));
    c.op(kFindPropStrict, transform).op(kPushByte, 1).op(kPushByte, 1);
    if (panLeft) c.op(kNegate);
    else c.op(kPop).op(kPushByte, 0);
    c.op(kConstructProp, transform, 2).op(kCallProperty, w.publicName("play"), 3).op(kSetProperty, channel);
    c.op(kGetLocal0).op(kGetProperty, channel).op(kPushString, w.string("soundComplete"));
    c.op(kGetLocal0).op(kGetProperty, w.publicName("done")).op(kCallPropVoid, w.publicName("addEventListener"), 2);
}

}  // namespace

TEST(Avm2Sound, ALinkedSoundPlaysItsLoopsThroughItsTransformAndSaysWhenDone) {
    Heard h = listen(soundMovie([](AbcWriter& w, AbcCode& c) {
        Tracer t(w);
        t.begin(c).op(kGetLocal1).op(kGetProperty, w.publicName("length"));
        t.end(c);
        playInto(w, c, 2, true);
    }, 40), 40);
    ASSERT_TRUE(h.errors.empty()) << h.errors.front();
    // Two plays of the half second, all of it on the left.
    auto left = swf::test::measure(h.mix, 0);
    EXPECT_NEAR(left.seconds, 1.0, 0.03);
    EXPECT_NEAR(left.pitchHz, 440, 5);
    EXPECT_NEAR(left.rms, 12000 / std::sqrt(2.0), 300);
    EXPECT_EQ(swf::test::measure(h.mix, 1).peak, 0);
    EXPECT_EQ(h.lines, (Lines{"500", "soundComplete 500"}));
}

TEST(Avm2Sound, StopAllSilencesTheChannelsAndTheirEventsStayUnsent) {
    Heard h = listen(soundMovie([](AbcWriter& w, AbcCode& c) {
        playInto(w, c, 4, false);
        uint32_t mixer = w.qname(w.ns(0x16, "flash.media"), "SoundMixer");
        c.op(kGetLex, mixer).op(kCallPropVoid, w.publicName("stopAll"), 0);
    }, 40), 40);
    ASSERT_TRUE(h.errors.empty()) << h.errors.front();
    EXPECT_EQ(swf::test::measure(h.mix, 0).peak, 0);
    EXPECT_TRUE(h.lines.empty());
}
