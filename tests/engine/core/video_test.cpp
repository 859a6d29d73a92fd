// Embedded video in the player: the picture of the frame the ratio selects, drawn over the
// stream's box by the object's matrix and colour transform, smoothed as the stream (or a script)
// says; and the Video, NetConnection and NetStream classes as scripts see them.
#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/core/character_library.h"
#include "tests/engine/avm1/assembler.h"
#include "tests/engine/core/movie_builder.h"
#include "tools/swfwriter/swf_writer.h"

namespace {

using namespace coretest;
using swf::avm1::test::Asm;
namespace op = swf::avm1::test;

swf::RgbaImage filled(int w, int h, swf::Rgba c) {
    swf::RgbaImage img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = img.at(x, y);
            p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = 255;
        }
    return img;
}

// A Screen Video stream of `pictures`, frames numbered from 0.
void video(MovieBuilder& b, uint16_t id, const std::vector<swf::RgbaImage>& pictures, bool smoothing = false) {
    swf::VideoStream v;
    v.codecId = static_cast<uint8_t>(swf::VideoCodec::ScreenVideo);
    v.width = static_cast<uint16_t>(pictures[0].width);
    v.height = static_cast<uint16_t>(pictures[0].height);
    v.smoothing = smoothing;
    v.declaredFrameCount = static_cast<uint16_t>(pictures.size());
    for (size_t i = 0; i < pictures.size(); ++i)
        v.frames[static_cast<uint16_t>(i)] = swfw::encodeScreenVideo(pictures[i], 16, i ? &pictures[i - 1] : nullptr);
    swf::Character c;
    c.id = id;
    c.tagCode = 60;
    c.definition = std::move(v);
    b.movie->characters[id] = std::move(c);
}

swf::PlaceObject atRatio(swf::PlaceObject p, uint16_t ratio) {
    p.ratio = ratio;
    return p;
}

TEST(VideoPlayer, RatioSelectsTheFrameDrawnOverTheStreamsBox) {
    MovieBuilder b;
    video(b, 1, {filled(20, 10, kRed), filled(20, 10, kBlue)});
    swf::PlaceObject p = atRatio(place(1, 1), 0);
    p.matrix = swf::Matrix::translate(200, 200) * swf::Matrix::scale(2, 2);  // at (10, 10), twice the size
    swf::PlaceObject tinted = atRatio(place(2, 1, 60, 60), 0);
    swf::ColorTransform noRed;
    noRed.rMul = 0;
    noRed.gAdd = 255;
    tinted.colorTransform = noRed;
    swf::PlaceObject next;
    next.version = 2;
    next.depth = 1;
    next.move = true;
    b.main() = timeline({{p, tinted}, {atRatio(next, 1)}, {}});
    auto player = b.player();
    EXPECT_EQ(pixelAt(*player, 11, 11), kRed);
    EXPECT_EQ(pixelAt(*player, 48, 28), kRed);
    EXPECT_EQ(pixelAt(*player, 52, 20), kWhite);  // 40x20 pixels: the box ends at 50
    EXPECT_EQ(pixelAt(*player, 10, 32), kWhite);
    EXPECT_EQ(pixelAt(*player, 70, 65), (swf::Rgba{0, 255, 0, 255}));
    player->tick();
    EXPECT_EQ(pixelAt(*player, 30, 20), kBlue);
    EXPECT_EQ(pixelAt(*player, 70, 65), (swf::Rgba{0, 255, 0, 255}));  // its ratio stays 0
    player->tick();
    EXPECT_EQ(pixelAt(*player, 30, 20), kBlue) << "a frame without a move keeps the picture";
}

// A movie with many streams keeps decoders only for the few asked for last; a stream whose decoder
// went is decoded again, from its key frame, when it is asked for.
TEST(VideoPlayer, KeepsDecodersOfTheStreamsAskedForLast) {
    MovieBuilder b;
    const int streams = static_cast<int>(swf::CharacterLibrary::kMaxLiveVideoStreams) + 4;
    auto shade = [](int i, int frame) { return swf::Rgba{uint8_t(20 * i), uint8_t(frame ? 200 : 50), 90, 255}; };
    for (int i = 0; i < streams; ++i)
        video(b, static_cast<uint16_t>(10 + i), {filled(8, 8, shade(i, 0)), filled(8, 8, shade(i, 1))});
    swf::CharacterLibrary library(b.movie);
    auto pictureIs = [&](int i, uint16_t frame) {
        swf::BitmapRef p = library.videoFrame(static_cast<uint16_t>(10 + i), frame);
        if (!p || p->empty()) return false;
        const uint8_t* px = p->at(4, 4);
        swf::Rgba want = shade(i, frame);
        return std::abs(px[0] - want.r) <= 8 && std::abs(px[1] - want.g) <= 8 && std::abs(px[2] - want.b) <= 8;
    };
    for (int i = 0; i < streams; ++i) {
        EXPECT_TRUE(pictureIs(i, 1)) << i;
        EXPECT_LE(library.liveVideoStreams(), swf::CharacterLibrary::kMaxLiveVideoStreams);
    }
    // The first streams' decoders are gone; they show the right pictures again, in both directions.
    EXPECT_TRUE(pictureIs(0, 0));
    EXPECT_TRUE(pictureIs(0, 1));
    EXPECT_TRUE(pictureIs(1, 1));
    EXPECT_EQ(library.liveVideoStreams(), swf::CharacterLibrary::kMaxLiveVideoStreams);
}

TEST(VideoPlayer, SmoothingFollowsTheStreamFlag) {
    // Two pixels, black and white, stretched to 40 pixels: smoothed, the middle is grey.
    swf::RgbaImage pair(2, 1);
    for (int x = 0; x < 2; ++x) {
        uint8_t v = x ? 255 : 0;
        pair.at(x, 0)[0] = pair.at(x, 0)[1] = pair.at(x, 0)[2] = v;
        pair.at(x, 0)[3] = 255;
    }
    for (bool smoothing : {false, true}) {
        MovieBuilder b;
        video(b, 1, {pair}, smoothing);
        swf::PlaceObject p = place(1, 1);
        p.matrix = swf::Matrix::scale(20, 20);
        b.main() = timeline({{p}});
        auto player = b.player();
        swf::Rgba left = pixelAt(*player, 18, 10);
        EXPECT_EQ(left.r != 0 && left.r != 255, smoothing) << int(left.r);
        EXPECT_EQ(pixelAt(*player, 2, 10).r, 0);
    }
}

class VideoScriptTest : public ::testing::Test {
protected:
    VideoScriptTest() {
        b.movie->header.version = 8;
        video(b, 1, {filled(24, 12, kRed), filled(24, 12, kBlue)});
    }
    std::vector<std::string> run(const Asm& script, int frames = 1, std::vector<swf::ControlTag> second = {}) {
        swf::PlaceObject p = atRatio(place(1, 1), 0);
        p.name = "v";
        b.main() = timeline({{p, swf::DoAction{script.bytes()}}, second, {}});
        player = b.player();
        player->setTraceHandler([this](const std::string& line) { lines.push_back(line); });
        swf::RgbaImage image;
        player->render(image);
        for (int f = 1; f < frames; ++f) player->tick();
        return lines;
    }
    // object.method(args...), result dropped.
    static Asm& call(Asm& a, const std::string& object, const std::string& method, std::initializer_list<op::PushItem> args) {
        std::vector<op::PushItem> list(args);
        for (auto it = list.rbegin(); it != list.rend(); ++it) a.push({*it});
        a.push({int(args.size())}).get(object).push({method}).op(op::CallMethod).op(op::Pop);
        return a;
    }
    MovieBuilder b;
    std::unique_ptr<swf::MoviePlayer> player;
    std::vector<std::string> lines;
};

TEST_F(VideoScriptTest, VideoPropertiesReadTheStreamAndItsPicture) {
    Asm a;
    for (const char* expr : {"v.width", "v.height", "v.smoothing", "v.deblocking", "v._width", "v._height"})
        a.get(expr).trace();
    a.get("v").op(op::TypeOf).trace();
    a.push({"v"}).op(op::GetVariable).push({"smoothing", true}).op(op::SetMember);
    a.push({"v"}).op(op::GetVariable).push({"deblocking", 2}).op(op::SetMember);
    a.get("v.smoothing").trace();
    a.get("v.deblocking").trace();
    EXPECT_EQ(run(a), (std::vector<std::string>{"24", "12", "false", "0", "24", "12", "object", "true", "2"}));
}

TEST_F(VideoScriptTest, ClearHidesThePictureUntilTheNextFrame) {
    Asm a;
    call(a, "v", "clear", {});
    run(a);
    EXPECT_EQ(pixelAt(*player, 5, 5), kWhite);
    run(a, 2, {atRatio(moveTo(1, 0, 0), 1)});
    EXPECT_EQ(pixelAt(*player, 5, 5), kBlue);
}

TEST_F(VideoScriptTest, AttachedStreamReplacesTheEmbeddedFrames) {
    Asm a;
    a.push({"nc", 0, "NetConnection"}).op(op::NewObject).op(op::SetVariable);
    call(a, "nc", "connect", {op::Null{}});
    a.push({"ns"}).get("nc").push({1, "NetStream"}).op(op::NewObject).op(op::SetVariable);
    Asm onStatus;
    onStatus.get("info.code").trace().get("info.level").trace();
    a.get("ns").push({"onStatus"}).function("", {"info"}, onStatus).op(op::SetMember);
    a.get("ns").push({1}).get("v").push({"attachVideo"}).op(op::CallMethod).op(op::Pop);
    call(a, "ns", "play", {"no-such-file.flv"});
    a.get("v.width").trace();
    auto out = run(a, 3);
    EXPECT_EQ(out, (std::vector<std::string>{"0", "NetStream.Play.StreamNotFound", "error"}));
    EXPECT_EQ(pixelAt(*player, 5, 5), kWhite);
}

}  // namespace
