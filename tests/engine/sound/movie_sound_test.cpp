// The movie's sound as the player mixes it: event sounds and their playing rules, button sounds,
// streaming sound kept in step with the frames, and the Sound object of scripts.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "engine/core/player.h"
#include "tests/engine/avm1/assembler.h"
#include "tests/engine/sound/tone.h"
#include "tools/swfwriter/swf_writer.h"

namespace swf {
namespace {

using avm1::test::Asm;
using test::measure;
using test::sineTone;

constexpr double kFps = 20;

DefinedSound toneSound(double hz, double seconds, double amplitude = 12000) {
    DefinedSound s;
    s.format = SoundFormat{SoundCodec::PcmLittleEndian, 44100, true, false};
    auto samples = sineTone(hz, seconds, 44100, 1, amplitude);
    s.sampleCount = static_cast<uint32_t>(samples.size());
    s.data = test::pcm16le(samples);
    return s;
}

swfw::SwfWriter writer() { return swfw::SwfWriter(8, Rect{0, 0, 200 * 20, 200 * 20}, kFps); }

// Plays `frames` frames as swfrender --audio does and returns the mix of them.
std::vector<int16_t> play(const std::vector<uint8_t>& movie, int frames,
                          const std::function<void(Player&, int)>& beforeFrame = {}) {
    std::string error;
    auto player = Player::load(movie, error);
    EXPECT_TRUE(player) << error;
    if (!player) return {};
    player->setAudioPulledByHost(true);
    player->setTraceHandler([](const std::string&) {});
    std::vector<int16_t> mix;
    auto take = [&](int frame) {
        auto end = static_cast<size_t>(std::llround(frame * kMixRate / player->frameRate()));
        size_t have = mix.size() / 2;
        mix.resize(end * 2);
        player->audioMixer()->mix(mix.data() + have * 2, end - have);
    };
    player->gotoFrame(1);
    if (beforeFrame) beforeFrame(*player, 0);
    take(1);
    for (int f = 1; f < frames; ++f) {
        if (beforeFrame) beforeFrame(*player, f);
        player->tick();
        take(f + 1);
    }
    return mix;
}

std::vector<uint8_t> eventMovie(const SoundInfo& info, int frames = 40, double seconds = 0.5) {
    auto w = writer();
    w.defineSound(1, toneSound(440, seconds));
    w.startSound(StartSound{1, std::nullopt, info});
    for (int i = 0; i < frames; ++i) w.showFrame();
    return w.finish();
}

TEST(EventSound, PlaysAtItsPitchLengthAndLevelInBothChannels) {
    auto mix = play(eventMovie({}), 20);
    EXPECT_EQ(mix.size(), size_t(kMixRate) * 2);  // 20 frames at 20 fps: one second
    for (int ch : {0, 1}) {
        auto m = measure(mix, ch);
        EXPECT_NEAR(m.pitchHz, 440, 5);
        EXPECT_NEAR(m.seconds, 0.5, 0.01);
        EXPECT_LT(m.startSeconds, 0.005);
        EXPECT_NEAR(m.rms, 12000 / std::sqrt(2.0), 200);
    }
}

TEST(EventSound, LoopsInAndOutPointsAndEnvelope) {
    SoundInfo loops;
    loops.loopCount = 3;
    EXPECT_NEAR(measure(play(eventMovie(loops), 40), 0).seconds, 1.5, 0.01);

    SoundInfo cut;
    cut.inPoint = 4410;    // 0.1 s
    cut.outPoint = 13230;  // 0.3 s
    cut.loopCount = 2;
    auto m = measure(play(eventMovie(cut), 20), 0);
    EXPECT_NEAR(m.seconds, 0.4, 0.01);
    EXPECT_NEAR(m.pitchHz, 440, 5);

    // Left silent, right fading from full to nothing over the sound.
    SoundInfo env;
    env.envelope = {{0, 0, 32768}, {22050, 0, 0}};
    auto mix = play(eventMovie(env), 20);
    EXPECT_EQ(measure(mix, 0).peak, 0);
    std::vector<int16_t> firstTenth(mix.begin(), mix.begin() + 4410 * 2);
    std::vector<int16_t> fourthTenth(mix.begin() + 4 * 4410 * 2, mix.begin() + 5 * 4410 * 2);
    EXPECT_GT(measure(firstTenth, 1).rms, 3 * measure(fourthTenth, 1).rms);
}

TEST(EventSound, SyncStopNoMultipleAndClipping) {
    // Started in frame 1, stopped by a sync-stop start in frame 5 (0.2 s in).
    auto w = writer();
    w.defineSound(1, toneSound(440, 2));
    w.startSound(StartSound{1, std::nullopt, {}});
    for (int i = 0; i < 4; ++i) w.showFrame();
    SoundInfo stop;
    stop.syncStop = true;
    w.startSound(StartSound{1, std::nullopt, stop});
    for (int i = 0; i < 10; ++i) w.showFrame();
    EXPECT_NEAR(measure(play(w.finish(), 14), 0).seconds, 0.2, 0.01);

    // The same loud tone started twice 0 frames apart: with no-multiple it plays once; without, the
    // two sum past full scale and clip instead of wrapping around.
    for (bool noMultiple : {true, false}) {
        auto m2 = writer();
        m2.defineSound(1, toneSound(440, 0.5, 24000));
        SoundInfo info;
        info.syncNoMultiple = noMultiple;
        m2.startSound(StartSound{1, std::nullopt, info});
        m2.showFrame();
        m2.startSound(StartSound{1, std::nullopt, info});
        for (int i = 0; i < 19; ++i) m2.showFrame();
        auto mix = play(m2.finish(), 20);
        auto m = measure(mix, 0);
        if (noMultiple) {
            EXPECT_NEAR(m.seconds, 0.5, 0.01);
            EXPECT_LE(m.peak, 24001);
        } else {
            EXPECT_NEAR(m.seconds, 0.55, 0.01);  // the second one a frame later
            EXPECT_EQ(m.peak, 32768);
            EXPECT_NEAR(m.pitchHz, 440, 10);  // clipped, not wrapped into noise
        }
    }
}

TEST(ButtonSound, PlaysOnRollOverAndPress) {
    auto w = writer();
    w.defineShape(1, swfw::rectangleShape(Rect{0, 0, 100 * 20, 100 * 20}, Rgba{0, 0, 255, 255}));
    Button button;
    button.version = 2;
    ButtonRecord r;
    r.characterId = 1;
    r.depth = 1;
    r.up = r.over = r.down = r.hitTest = true;
    button.records.push_back(r);
    w.defineButton(2, button);
    w.defineSound(3, toneSound(440, 0.1));
    w.defineSound(4, toneSound(880, 0.1));
    ButtonSounds sounds;
    sounds[kIdleToOverUp] = ButtonSound{3, {}};
    sounds[kOverUpToOverDown] = ButtonSound{4, {}};
    w.defineButtonSound(2, sounds);
    PlaceObject p;
    p.version = 2;
    p.depth = 1;
    p.characterId = 2;
    w.placeObject(p);
    for (int i = 0; i < 20; ++i) w.showFrame();
    auto mix = play(w.finish(), 20, [](Player& player, int frame) {
        if (frame == 4) player.mouseMove(50, 50);   // 0.2 s: over
        if (frame == 10) player.mouseDown(50, 50);  // 0.5 s: down
    });
    std::vector<int16_t> over(mix.begin(), mix.begin() + 4410 * 2 * 4);
    std::vector<int16_t> down(mix.begin() + 4410 * 2 * 4, mix.end());
    EXPECT_NEAR(measure(over, 0).pitchHz, 440, 10);
    EXPECT_NEAR(measure(over, 0).startSeconds, 0.15, 0.051);
    EXPECT_NEAR(measure(down, 0).pitchHz, 880, 15);
}

// A movie whose stream carries, in every frame's block, a level that names the frame: where the
// mix has that level is where the frame's sound is.
std::vector<uint8_t> levelStream(int frames, double fps, uint32_t rate) {
    swfw::SwfWriter w(8, Rect{0, 0, 200 * 20, 200 * 20}, fps);
    SoundStreamHead head;
    head.stream = head.playback = SoundFormat{SoundCodec::PcmLittleEndian, rate, true, false};
    head.samplesPerBlock = static_cast<uint16_t>(rate / fps);
    w.soundStreamHead(head);
    double perFrame = rate / fps;
    for (int f = 0; f < frames; ++f) {
        auto begin = static_cast<size_t>(std::llround(f * perFrame));
        auto end = static_cast<size_t>(std::llround((f + 1) * perFrame));
        std::vector<int16_t> block(end - begin, static_cast<int16_t>(1000 + 40 * (f % 700)));
        w.soundStreamBlock(test::pcm16le(block));
        w.showFrame();
    }
    return w.finish();
}

int levelFrame(int level) { return (level - 1000 + 20) / 40; }

TEST(StreamSound, FramesAndSoundStayTogetherOverAMinute) {
    const int frames = 720;  // 60 s at 12 fps
    auto mix = play(levelStream(frames, 12, 44100), frames);
    ASSERT_EQ(mix.size(), size_t(60 * kMixRate) * 2);
    int worst = 0;
    for (int f = 0; f < frames; ++f) {
        // The middle of each frame's time holds that frame's sound.
        size_t at = static_cast<size_t>((f + 0.5) * kMixRate / 12);
        worst = std::max(worst, std::abs(levelFrame(mix[at * 2]) - f % 700));
    }
    EXPECT_EQ(worst, 0);
}

TEST(StreamSound, BackwardGotoRestartsTheStreamWhereTheFrameIs) {
    // Frame 30 jumps back to frame 10 (gotoAndPlay(11)).
    swfw::SwfWriter w(8, Rect{0, 0, 200 * 20, 200 * 20}, 12);
    SoundStreamHead head;
    head.stream = head.playback = SoundFormat{SoundCodec::PcmLittleEndian, 22050, true, false};
    w.soundStreamHead(head);
    for (int f = 0; f < 40; ++f) {
        std::vector<int16_t> block(22050 / 12 + (f % 12 == 0 ? 1 : 0), static_cast<int16_t>(1000 + 40 * f));
        w.soundStreamBlock(test::pcm16le(block));
        if (f == 29) w.doAction(Asm().record(0x81, {10, 0}).op(0x06).bytes());  // GotoFrame 10, Play
        w.showFrame();
    }
    auto mix = play(w.finish(), 36);
    auto levelAt = [&](double frame) { return levelFrame(mix[static_cast<size_t>((frame + 0.5) * kMixRate / 12) * 2]); };
    EXPECT_EQ(levelAt(5), 5);
    EXPECT_EQ(levelAt(28), 28);
    EXPECT_EQ(levelAt(29), 10);  // frame 30's script jumps before it is shown: frame 11 and its sound
    EXPECT_EQ(levelAt(32), 13);
}

TEST(StreamSound, FramesAreSkippedToCatchUpWithTheSound) {
    std::string error;
    auto player = Player::load(levelStream(100, 20, 44100), error);
    ASSERT_TRUE(player);
    player->setAudioPulledByHost(true);
    std::vector<int16_t> mix(44100 * 2);
    player->gotoFrame(1);
    player->audioMixer()->mix(mix.data(), 22050);  // half a second went out before the next frame
    player->tick();
    EXPECT_EQ(player->currentFrame(), 11);  // frame 11 is where the sound is
    // No sound goes out meanwhile: the picture runs at most a frame ahead, then waits.
    for (int i = 0; i < 4; ++i) player->tick();
    EXPECT_EQ(player->currentFrame(), 12);
}

TEST(StreamSound, Mp3StreamPlaysItsToneThroughAndAfterAJump) {
    auto samples = sineTone(440, 4, 44100, 2);
    auto encoded = test::mp3(samples, 44100, 2, 128);
    if (!encoded) GTEST_SKIP() << "lame is not installed";
    auto movie = test::mp3StreamMovie(*encoded, 44100, true, 12, 48);
    auto mix = play(movie, 48);
    auto m = measure(mix, 0);
    EXPECT_NEAR(m.pitchHz, 440, 5);
    EXPECT_GT(m.seconds, 3.9);
    EXPECT_NEAR(m.rms, 12000 / std::sqrt(2.0), 1500);
    // Played from frame 24 on (as a jump there does), it starts where frame 24's sound is.
    std::string error;
    auto player = Player::load(movie, error);
    ASSERT_TRUE(player);
    player->setAudioPulledByHost(true);
    player->gotoFrame(25);
    std::vector<int16_t> rest(44100 * 2 * 2);
    player->audioMixer()->mix(rest.data(), 44100 * 2);
    auto r = measure(rest, 0);
    EXPECT_NEAR(r.seconds, 2.0, 0.1);
    EXPECT_NEAR(r.pitchHz, 440, 10);
}

// Sound objects: attachSound by linkage name, start with offset and loops, volume and pan,
// nested transforms, stop, position, duration and onSoundComplete.
std::vector<uint8_t> scriptedMovie(const Asm& frame1, int frames = 40) {
    auto w = writer();
    w.defineSound(1, toneSound(440, 0.5));
    w.exportAssets({{1, "tone"}});
    w.doAction(frame1.bytes());
    for (int i = 0; i < frames; ++i) w.showFrame();
    return w.finish();
}

Asm newSound(const std::string& var, const char* target = nullptr) {
    Asm a;
    a.push({var});
    if (target)
        a.push({target}).op(0x1C).push({1, "Sound"}).op(0x40);
    else
        a.push({0, "Sound"}).op(0x40);
    a.op(0x1D);  // SetVariable
    return a;
}

Asm callMethod(const std::string& var, const std::string& method, std::initializer_list<avm1::test::PushItem> args) {
    // The first argument goes on the stack last, to be popped first.
    Asm a;
    std::vector<avm1::test::PushItem> items(args);
    for (auto it = items.rbegin(); it != items.rend(); ++it) a.push({*it});
    a.push({static_cast<int>(items.size())}).get(var).push({method}).op(0x52).op(0x17);
    return a;
}

Asm concat(std::initializer_list<Asm> parts) {
    Asm out;
    for (const Asm& p : parts) {
        auto b = p.bytes(false);
        for (uint8_t c : b) out.op(c);
    }
    return out;
}

TEST(SoundObject, AttachStartLoopsOffsetAndStop) {
    auto started = play(scriptedMovie(concat({newSound("s"), callMethod("s", "attachSound", {"tone"}),
                                               callMethod("s", "start", {0.1, 2})})),
                        40);
    auto m = measure(started, 0);
    EXPECT_NEAR(m.pitchHz, 440, 5);
    EXPECT_NEAR(m.seconds, 0.8, 0.01);  // two loops of the last 0.4 s

    // Stopped by name two frames later.
    auto w = writer();
    w.defineSound(1, toneSound(440, 0.5));
    w.exportAssets({{1, "tone"}});
    w.doAction(concat({newSound("s"), callMethod("s", "attachSound", {"tone"}), callMethod("s", "start", {})}).bytes());
    w.showFrame();
    w.showFrame();
    w.doAction(callMethod("s", "stop", {"tone"}).bytes());
    for (int i = 0; i < 10; ++i) w.showFrame();
    EXPECT_NEAR(measure(play(w.finish(), 12), 0).seconds, 0.1, 0.01);
}

TEST(SoundObject, VolumePanAndNestedTransformsMultiply) {
    // The whole movie at 50%, the root clip's sound panned fully right.
    auto mix = play(scriptedMovie(concat({newSound("g"), callMethod("g", "setVolume", {50}), newSound("s", "_root"),
                                          callMethod("s", "setPan", {100}), callMethod("s", "attachSound", {"tone"}),
                                          callMethod("s", "start", {})})),
                    20);
    EXPECT_EQ(measure(mix, 0).peak, 0);
    EXPECT_NEAR(measure(mix, 1).rms, 12000 / std::sqrt(2.0) / 2, 150);
}

TEST(SoundObject, PositionDurationAndOnSoundComplete) {
    std::vector<std::string> lines;
    Asm frame1 = concat({newSound("s"), callMethod("s", "attachSound", {"tone"}), callMethod("s", "start", {})});
    frame1.get("s").push({"onSoundComplete"}).function("", {}, Asm().push({"done"}).trace()).op(0x4F);
    frame1.get("s").push({"duration"}).op(0x4E).trace();
    auto w = writer();
    w.defineSound(1, toneSound(440, 0.5));
    w.exportAssets({{1, "tone"}});
    w.doAction(frame1.bytes());
    w.showFrame();
    for (int i = 0; i < 5; ++i) w.showFrame();
    w.doAction(Asm().get("s").push({"position"}).op(0x4E).trace().bytes());
    for (int i = 0; i < 20; ++i) w.showFrame();
    std::string error;
    auto player = Player::load(w.finish(), error);
    ASSERT_TRUE(player);
    player->setTraceHandler([&](const std::string& l) { lines.push_back(l); });
    for (int i = 0; i < 20; ++i) player->tick();  // silent play keeps the sound's time
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "500");
    EXPECT_NEAR(std::stod(lines[1]), 300, 51);  // six frames at 20 fps
    EXPECT_EQ(lines[2], "done");
}

TEST(SoundObject, StopAllSoundsStopsEverything) {
    auto w = writer();
    w.defineSound(1, toneSound(440, 1));
    w.startSound(StartSound{1, std::nullopt, {}});
    w.showFrame();
    w.showFrame();
    w.doAction(Asm().op(0x09).bytes());
    for (int i = 0; i < 10; ++i) w.showFrame();
    EXPECT_NEAR(measure(play(w.finish(), 12), 0).seconds, 0.1, 0.01);
}

}  // namespace
}  // namespace swf
