// Every codec decoded from packets made at test time, compared with the pictures they were made
// from; key frames found; seeking decodes from the right place; damaged packets never crash.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>

#include "engine/video/picture_conversion.h"
#include "engine/video/video_decoder.h"
#include "engine/video/video_packets.h"
#include "engine/video/video_playback.h"
#include "tests/engine/video/test_video.h"
#include "tools/swfwriter/swf_writer.h"

namespace {

using swf::VideoCodec;
using swf::test::difference;
using swf::test::movingPicture;

std::vector<swf::RgbaImage> pictures(int width, int height, int count) {
    std::vector<swf::RgbaImage> out;
    for (int i = 0; i < count; ++i) out.push_back(movingPicture(width, height, i));
    return out;
}

TEST(VideoPictures, ColoursOfKnownYuvValues) {
    // Limited-range BT.601: black and white at the range ends, pure red and blue from their
    // standard YUV triples; U and V must not be swapped.
    struct Case {
        uint8_t y, u, v;
        int r, g, b;
    } cases[] = {{16, 128, 128, 0, 0, 0}, {235, 128, 128, 255, 255, 255}, {81, 90, 240, 255, 0, 0},
                 {41, 240, 110, 0, 0, 255}, {145, 54, 34, 0, 255, 0}};
    for (const Case& c : cases) {
        uint8_t y[4] = {c.y, c.y, c.y, c.y}, u = c.u, v = c.v, a[4] = {255, 128, 0, 255};
        swf::RgbaImage img = swf::yuv420ToRgba({y, 2}, {&u, 1}, {&v, 1}, {a, 2}, 2, 2);
        const uint8_t* p = img.at(0, 0);
        EXPECT_NEAR(p[0], c.r, 2) << int(c.y);
        EXPECT_NEAR(p[1], c.g, 2) << int(c.y);
        EXPECT_NEAR(p[2], c.b, 2) << int(c.y);
        // Alpha premultiplies the colour; none leaves nothing.
        const uint8_t* half = img.at(1, 0);
        EXPECT_EQ(half[3], 128);
        EXPECT_NEAR(half[0], p[0] / 2, 1);
        EXPECT_EQ(img.at(0, 1)[0] | img.at(0, 1)[1] | img.at(0, 1)[2] | img.at(0, 1)[3], 0);
    }
}

TEST(VideoDecoding, ScreenVideoIsLossless) {
    auto pics = pictures(70, 50, 3);  // not a multiple of the block size: partial blocks at the edges
    std::vector<std::vector<uint8_t>> packets = {swfw::encodeScreenVideo(pics[0], 32),
                                                 swfw::encodeScreenVideo(pics[1], 32, &pics[0]),
                                                 swfw::encodeScreenVideo(pics[2], 32, &pics[1])};
    swf::VideoStream stream = swf::test::streamOf(VideoCodec::ScreenVideo, 70, 50, packets);
    EXPECT_TRUE(swf::isKeyFrame(VideoCodec::ScreenVideo, packets[0], {}));
    EXPECT_FALSE(swf::isKeyFrame(VideoCodec::ScreenVideo, packets[1], {}));
    swf::VideoPlayback playback(stream);
    for (int i : {0, 1, 2, 0, 2}) {
        swf::BitmapRef img = playback.frame(static_cast<uint16_t>(i));
        ASSERT_TRUE(img) << i << ": " << playback.problem();
        EXPECT_EQ(img->pixels, pics[static_cast<size_t>(i)].pixels) << "frame " << i;
    }
}

TEST(VideoDecoding, SorensonH263MatchesItsSource) {
    auto pics = pictures(64, 48, 6);
    auto packets = swf::test::encodeWithLibavcodec(VideoCodec::SorensonH263, pics, 3);
    if (!packets) GTEST_SKIP() << "libavcodec has no H.263 (flv) encoder here";
    ASSERT_EQ(packets->size(), pics.size());
    swf::VideoStream stream = swf::test::streamOf(VideoCodec::SorensonH263, 64, 48, *packets);
    std::vector<bool> keys;
    for (const auto& p : *packets) keys.push_back(swf::isKeyFrame(VideoCodec::SorensonH263, p, {}));
    EXPECT_EQ(keys, (std::vector<bool>{true, false, false, true, false, false}));
    swf::VideoPlayback playback(stream);
    for (int i = 0; i < 6; ++i) {
        swf::BitmapRef img = playback.frame(static_cast<uint16_t>(i));
        ASSERT_TRUE(img) << playback.problem();
        auto d = difference(*img, pics[static_cast<size_t>(i)]);
        EXPECT_LT(d.mean, 6) << "frame " << i;  // lossy, but the same picture
        EXPECT_EQ(img->at(10, 10)[3], 255);
    }
    // Another stream's pictures are far from these: the comparison can fail.
    EXPECT_GT(difference(*playback.frame(5), movingPicture(64, 48, 0)).mean, 2 * difference(*playback.frame(5), pics[5]).mean);
}

// libavcodec's Screen Video 2 encoder reduces colours to its 15-bit palette mode (a mean error
// of about 3), and its own decoder does not rebuild that encoder's inter frames closely: every
// frame here is a key frame.
TEST(VideoDecoding, ScreenVideo2MatchesItsSource) {
    auto pics = pictures(64, 48, 3);
    auto packets = swf::test::encodeWithLibavcodec(VideoCodec::ScreenVideo2, pics, 1);
    if (!packets) GTEST_SKIP() << "libavcodec has no Screen Video 2 encoder here";
    ASSERT_EQ(packets->size(), pics.size());
    swf::VideoStream stream = swf::test::streamOf(VideoCodec::ScreenVideo2, 64, 48, *packets);
    swf::VideoPlayback playback(stream);
    for (int i = 0; i < 3; ++i) {
        swf::BitmapRef img = playback.frame(static_cast<uint16_t>(i));
        ASSERT_TRUE(img) << playback.problem();
        EXPECT_LT(difference(*img, pics[static_cast<size_t>(i)]).mean, 5) << "frame " << i;
        EXPECT_GT(difference(*img, pics[static_cast<size_t>((i + 1) % 3)]).mean, 5) << "frame " << i;
    }
}

TEST(VideoPlayback, DecodesInOrderFromTheLastKeyFrame) {
    auto pics = pictures(64, 48, 9);
    auto packets = swf::test::encodeWithLibavcodec(VideoCodec::SorensonH263, pics, 4);  // keys 0, 4, 8
    if (!packets) GTEST_SKIP() << "libavcodec has no H.263 (flv) encoder here";
    swf::VideoStream stream = swf::test::streamOf(VideoCodec::SorensonH263, 64, 48, *packets);
    stream.frames.erase(7);  // a gap: frame 7 shows frame 6
    swf::VideoPlayback playback(stream);
    auto decodedFor = [&](uint16_t n) {
        uint64_t before = playback.packetsDecoded();
        playback.frame(n);
        return playback.packetsDecoded() - before;
    };
    EXPECT_EQ(decodedFor(2), 3u);   // 0, 1, 2
    EXPECT_EQ(decodedFor(2), 0u);   // kept
    EXPECT_EQ(decodedFor(3), 1u);   // on from 2
    EXPECT_EQ(decodedFor(6), 3u);   // from key frame 4: 4, 5, 6
    EXPECT_EQ(decodedFor(7), 0u);   // no frame 7: still 6
    EXPECT_EQ(decodedFor(1), 2u);   // back: restart at 0
    EXPECT_EQ(decodedFor(8), 1u);   // key frame 8 alone
    swf::BitmapRef a = playback.frame(8), b = playback.frame(8);
    EXPECT_EQ(a.get(), b.get()) << "an unchanged frame is the same picture";
    EXPECT_LT(difference(*playback.frame(6), pics[6]).mean, 6);
    EXPECT_LT(difference(*playback.frame(7), pics[6]).mean, 6);
    EXPECT_LT(difference(*playback.frame(5), pics[5]).mean, 6);  // restarted at 4, not from 6
    EXPECT_EQ(playback.frame(0) != nullptr, true);
}

// A VP6 key frame header (no encoder exists here): mode byte, version byte, then macroblock rows
// and columns, padded with zeros.
std::vector<uint8_t> vp6KeyHeader(int rows, int cols) {
    return {0x46, 0x30, static_cast<uint8_t>(rows), static_cast<uint8_t>(cols), static_cast<uint8_t>(rows),
            static_cast<uint8_t>(cols), 0, 0, 0, 0, 0, 0};
}

TEST(VideoPackets, Vp6CropByteIsFoundFromTheStreamSize) {
    swf::VideoStream plain;
    plain.codecId = 4;
    plain.width = 100, plain.height = 75;  // 7 x 5 macroblocks
    plain.frames[0] = vp6KeyHeader(5, 7);
    EXPECT_EQ(swf::packetLayout(plain).skip, 0u);
    EXPECT_TRUE(swf::isKeyFrame(VideoCodec::Vp6, plain.frames[0], {}));

    swf::VideoStream cropped = plain;
    cropped.frames[0].insert(cropped.frames[0].begin(), 0x45);  // 4 columns and 5 rows cropped
    EXPECT_EQ(swf::packetLayout(cropped).skip, 1u);

    swf::VideoStream alpha = plain;
    alpha.codecId = 5;
    auto& a = alpha.frames[0];
    a.insert(a.begin(), {0, 0, 12});  // the offset to the alpha data
    EXPECT_EQ(swf::packetLayout(alpha).skip, 0u);
    EXPECT_TRUE(swf::isKeyFrame(VideoCodec::Vp6Alpha, a, {}));
    auto inter = a;
    inter[3] |= 0x80;
    EXPECT_FALSE(swf::isKeyFrame(VideoCodec::Vp6Alpha, inter, {}));
}

TEST(VideoRobustness, DamagedPacketsNeverCrash) {
    auto pics = pictures(48, 32, 3);
    std::vector<std::pair<VideoCodec, std::vector<std::vector<uint8_t>>>> streams;
    streams.push_back({VideoCodec::ScreenVideo, {swfw::encodeScreenVideo(pics[0]), swfw::encodeScreenVideo(pics[1], 16, &pics[0])}});
    for (VideoCodec c : {VideoCodec::SorensonH263, VideoCodec::ScreenVideo2})
        if (auto p = swf::test::encodeWithLibavcodec(c, pics)) streams.push_back({c, *p});
    streams.push_back({VideoCodec::Vp6, {vp6KeyHeader(2, 3), std::vector<uint8_t>(200, 0x55)}});
    streams.push_back({VideoCodec::Vp6Alpha, {std::vector<uint8_t>{0, 0, 4, 0x46, 0x30, 2, 3, 2, 3}}});
    streams.push_back({static_cast<VideoCodec>(9), {std::vector<uint8_t>(10, 1)}});
    std::mt19937 rng(7);
    for (auto& [codec, packets] : streams) {
        for (int round = 0; round < 60; ++round) {
            auto damaged = packets;
            for (auto& p : damaged) {
                if (p.empty()) continue;
                if (round % 3 == 0) p.resize(rng() % p.size());  // cut
                for (int k = 0; k < 1 + round % 5 && !p.empty(); ++k) p[rng() % p.size()] ^= uint8_t(1u << (rng() % 8));
            }
            if (round == 0) damaged.push_back({});
            swf::VideoStream stream = swf::test::streamOf(codec, 48, 32, damaged);
            swf::VideoPlayback playback(stream);
            for (uint16_t n = 0; n < damaged.size(); ++n) {
                swf::BitmapRef img = playback.frame(n);
                if (img) {
                    EXPECT_EQ(img->pixels.size(), size_t(img->width) * size_t(img->height) * 4);
                } else {
                    EXPECT_FALSE(playback.problem().empty());
                }
            }
        }
    }
}

// With the ffmpeg command installed, our pictures also match its own decode of the same packets.
TEST(VideoDecoding, MatchesTheFfmpegCommandsDecode) {
    if (std::system("ffmpeg -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "the ffmpeg command is not installed";
    auto pics = pictures(64, 48, 3);
    auto packets = swf::test::encodeWithLibavcodec(VideoCodec::SorensonH263, pics, 10);
    if (!packets) GTEST_SKIP() << "libavcodec has no H.263 (flv) encoder here";
    // An FLV file of the packets: header, then a video tag per packet with its previous-tag size.
    std::vector<uint8_t> flv = {'F', 'L', 'V', 1, 1, 0, 0, 0, 9, 0, 0, 0, 0};
    for (size_t i = 0; i < packets->size(); ++i) {
        const auto& p = (*packets)[i];
        uint32_t size = static_cast<uint32_t>(p.size() + 1), ms = static_cast<uint32_t>(i * 40);
        flv.insert(flv.end(), {9, uint8_t(size >> 16), uint8_t(size >> 8), uint8_t(size), uint8_t(ms >> 16),
                               uint8_t(ms >> 8), uint8_t(ms), 0, 0, 0, 0});
        flv.push_back(i == 0 ? 0x12 : 0x22);  // key or inter frame, codec 2
        flv.insert(flv.end(), p.begin(), p.end());
        uint32_t tagSize = size + 11;
        flv.insert(flv.end(), {uint8_t(tagSize >> 24), uint8_t(tagSize >> 16), uint8_t(tagSize >> 8), uint8_t(tagSize)});
    }
    std::string dir = testing::TempDir();
    std::string in = dir + "/video_test.flv", out = dir + "/video_test.rgba";
    FILE* f = std::fopen(in.c_str(), "wb");
    ASSERT_TRUE(f);
    std::fwrite(flv.data(), 1, flv.size(), f);
    std::fclose(f);
    std::string command = "ffmpeg -v error -y -i " + in + " -f rawvideo -pix_fmt rgba " + out;
    ASSERT_EQ(std::system(command.c_str()), 0);
    f = std::fopen(out.c_str(), "rb");
    ASSERT_TRUE(f);
    std::vector<uint8_t> raw(64 * 48 * 4 * 3);
    size_t got = std::fread(raw.data(), 1, raw.size(), f);
    std::fclose(f);
    ASSERT_EQ(got, raw.size());
    swf::VideoStream stream = swf::test::streamOf(VideoCodec::SorensonH263, 64, 48, *packets);
    swf::VideoPlayback playback(stream);
    for (int i = 0; i < 3; ++i) {
        swf::RgbaImage theirs(64, 48);
        std::copy(raw.begin() + i * 64 * 48 * 4, raw.begin() + (i + 1) * 64 * 48 * 4, theirs.pixels.begin());
        auto d = difference(*playback.frame(static_cast<uint16_t>(i)), theirs);
        EXPECT_LT(d.mean, 1.5) << "frame " << i;
        EXPECT_LE(d.largest, 12) << "frame " << i;
    }
}

}  // namespace
