// flash.media.Video over a video the timeline placed: the decoded size, the stream's flags until a
// script sets them, and a NetStream attached in place of the embedded frames.
#include <gtest/gtest.h>

#include "tests/engine/avm2/display_movie.h"

using namespace avm2test;

TEST(Avm2Video, TimelineVideoIsAVideoObject) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    main.slot("v");
    auto v = [&](AbcCode& c) -> AbcCode& { return c.op(kGetLocal0).op(kGetProperty, w.publicName("v")); };
    auto traceProperties = [&](AbcCode& c, std::vector<std::string> names) {
        t.begin(c);
        for (const std::string& n : names) v(c).op(kGetProperty, w.publicName(n));
        t.end(c, static_cast<uint32_t>(names.size()));
    };
    main.finish([&](AbcCode& c) {
        traceProperties(c, {"videoWidth", "videoHeight", "smoothing", "deblocking", "width"});
        v(c).op(kPushTrue).op(kSetProperty, w.publicName("smoothing"));
        v(c).op(kPushByte, 4).op(kSetProperty, w.publicName("deblocking"));
        traceProperties(c, {"smoothing", "deblocking"});
        v(c).op(kPushNull).op(kCallPropVoid, w.publicName("attachNetStream"), 1);
        traceProperties(c, {"videoWidth"});
    });

    swfw::SwfWriter movie(10);
    movie.fileAttributes(true);
    movie.tag(swfw::kDoAbc, abcTag(w.bytes()));
    swf::VideoStream stream;
    stream.codecId = static_cast<uint8_t>(swf::VideoCodec::ScreenVideo);
    stream.width = 32;
    stream.height = 24;
    stream.deblocking = 2;
    movie.defineVideoStream(1, stream);
    swf::RgbaImage picture(32, 24);
    movie.videoFrame(1, 0, swfw::encodeScreenVideo(picture));
    movie.tag(76, symbolClassTag({{0, "Main"}}));
    swf::PlaceObject place;
    place.version = 2;
    place.depth = 1;
    place.characterId = 1;
    place.name = "v";
    place.ratio = 0;
    movie.placeObject(place);
    movie.showFrame();
    Played p = play(movie.finish(), 1);
    EXPECT_EQ(p.lines, (Lines{"32 24 false 2 32", "true 4", "0"}));
    EXPECT_TRUE(p.errors.empty()) << p.errors[0];
}
