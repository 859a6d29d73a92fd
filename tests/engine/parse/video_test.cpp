// Video streams: DefineVideoStream's fields, VideoFrame payloads gathered by stream and number,
// and frames that name no stream, repeat a number or are cut short.
#include <gtest/gtest.h>

#include "tests/engine/parse/parse_helpers.h"
#include "tests/engine/parse/sample_movies.h"
#include "tools/swfwriter/swf_writer.h"

using namespace parse_test;

namespace {

swf::VideoStream header(uint8_t codec, uint16_t width, uint16_t height) {
    swf::VideoStream v;
    v.declaredFrameCount = 7;
    v.width = width;
    v.height = height;
    v.deblocking = 5;
    v.smoothing = true;
    v.codecId = codec;
    return v;
}

}  // namespace

TEST(VideoParse, StreamHeaderAndFrames) {
    swfw::SwfWriter w(8);
    w.defineVideoStream(3, header(4, 320, 240));
    w.defineVideoStream(4, header(2, 16, 8));
    w.videoFrame(3, 1, {1, 2, 3});
    w.showFrame();
    w.videoFrame(3, 0, {9});       // numbers need not come in order
    w.videoFrame(4, 0, {});        // an empty payload is kept as empty
    w.videoFrame(3, 1, {7, 7});    // a repeated number keeps the first
    w.showFrame();
    swf::Movie m = parse(w.finish());
    const auto* v = m.findAs<swf::VideoStream>(3);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->declaredFrameCount, 7);
    EXPECT_EQ(v->width, 320);
    EXPECT_EQ(v->height, 240);
    EXPECT_EQ(v->deblocking, 5);
    EXPECT_TRUE(v->smoothing);
    EXPECT_EQ(v->codec(), swf::VideoCodec::Vp6);
    ASSERT_EQ(v->frames.size(), 2u);
    EXPECT_EQ(v->frames.at(0), std::vector<uint8_t>{9});
    EXPECT_EQ(v->frames.at(1), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(m.findAs<swf::VideoStream>(4)->frames.at(0).size(), 0u);
    EXPECT_EQ(m.warnings.size(), 1u) << "the repeated frame is reported";
    EXPECT_EQ(m.timeline.frames.size(), 2u);
}

TEST(VideoParse, FlagsKeepDeblockingAndSmoothingApart) {
    for (uint8_t deblocking : {0, 1, 2, 7})
        for (bool smoothing : {false, true}) {
            swfw::SwfWriter w(8);
            swf::VideoStream h = header(3, 8, 8);
            h.deblocking = deblocking;
            h.smoothing = smoothing;
            w.defineVideoStream(1, h);
            w.showFrame();
            const swf::Movie movie = parse(w.finish());  // kept: the stream lives in it
            const auto* v = movie.findAs<swf::VideoStream>(1);
            ASSERT_TRUE(v);
            EXPECT_EQ(v->deblocking, deblocking);
            EXPECT_EQ(v->smoothing, smoothing);
        }
}

TEST(VideoParse, DamagedVideoTags) {
    swfw::SwfWriter w(8);
    w.defineShape(1, swfw::rectangleShape({0, 0, 200, 200}, {255, 0, 0, 255}));
    w.tag(swfw::kDefineVideoStream, {2, 0, 5, 0, 16, 0});  // ends inside the header
    w.videoFrame(1, 0, {1});                                // a shape, not a stream
    w.videoFrame(9, 0, {1});                                // nothing defined
    w.tag(swfw::kVideoFrame, {1});                          // cut inside the stream id
    w.defineVideoStream(5, header(2, 9000, 10));            // larger than any bitmap may be
    w.defineVideoStream(6, header(77, 10, 10));             // an unknown codec is kept as stored
    w.showFrame();
    swf::Movie m = parse(w.finish());
    EXPECT_TRUE(m.failedCharacters.count(2));
    EXPECT_TRUE(m.failedCharacters.count(5));
    EXPECT_EQ(m.findAs<swf::VideoStream>(6)->codecId, 77);
    EXPECT_TRUE(m.find(1) != nullptr);
    EXPECT_EQ(m.warnings.size(), 3u);
}
