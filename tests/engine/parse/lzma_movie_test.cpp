// Movies compressed with LZMA (the ZWS form): read like the plain ones, and damaged ones handled
// like damaged zlib movies.
#include <gtest/gtest.h>

#include <lzma.h>

#include "tests/engine/parse/parse_helpers.h"
#include "tools/swfwriter/swf_writer.h"

using namespace parse_test;

namespace {

void putU32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = uint8_t(v >> (8 * i));
}

// The ZWS form of a plain movie, as the authoring tool writes it: the same eight header bytes but
// the signature, the compressed length, the five LZMA property bytes, the raw LZMA data.
std::vector<uint8_t> zwsOf(const std::vector<uint8_t>& fws) {
    lzma_options_lzma options;
    EXPECT_FALSE(lzma_lzma_preset(&options, 6));
    lzma_filter filters[] = {{LZMA_FILTER_LZMA1, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
    std::vector<uint8_t> data(fws.size() + fws.size() / 2 + 1024);
    size_t written = 0;
    EXPECT_EQ(lzma_raw_buffer_encode(filters, nullptr, fws.data() + 8, fws.size() - 8, data.data(), &written,
                                     data.size()),
              LZMA_OK);
    data.resize(written);
    std::vector<uint8_t> zws(fws.begin(), fws.begin() + 8);
    zws[0] = 'Z';
    zws.resize(17);
    putU32(zws, 8, static_cast<uint32_t>(data.size()));
    EXPECT_EQ(lzma_properties_encode(&filters[0], zws.data() + 12), LZMA_OK);
    zws.insert(zws.end(), data.begin(), data.end());
    return zws;
}

// Two frames, each defining a shape; with `noise`, the second frame starts with a metadata tag of
// bytes that do not compress, so that most of the compressed data lies between the two shapes.
std::vector<uint8_t> twoShapeMovie(bool noise = false) {
    swfw::SwfWriter w(9, swf::Rect{0, 0, 11000, 8000}, 30);
    w.defineShape(1, swfw::rectangleShape(swf::Rect{0, 0, 100, 100}, swf::Rgba{}), 3);
    w.showFrame();
    if (noise) {
        std::vector<uint8_t> bytes(4000);
        uint32_t x = 12345;
        for (uint8_t& b : bytes) b = uint8_t((x = x * 1103515245u + 12345u) >> 24) | 1;  // no NUL inside
        bytes.back() = 0;
        w.tag(77, bytes);
    }
    w.defineShape(2, swfw::rectangleShape(swf::Rect{0, 0, 100, 100}, swf::Rgba{}), 3);
    w.showFrame();
    return w.finish();
}

}  // namespace

TEST(LzmaMovieParse, ReadsAsThePlainMovie) {
    std::vector<uint8_t> fws = twoShapeMovie();
    swf::Movie plain = parse(fws);
    swf::Movie m = parse(zwsOf(fws));
    EXPECT_EQ(m.header.compression, swf::Compression::Lzma);
    EXPECT_EQ(m.header.version, 9);
    expectRect(m.header.stageRect, plain.header.stageRect);
    EXPECT_EQ(m.header.frameCount, 2);
    EXPECT_EQ(m.timeline.frames.size(), 2u);
    EXPECT_NE(m.find(1), nullptr);
    EXPECT_NE(m.find(2), nullptr);
    EXPECT_TRUE(m.warnings.empty());
}

TEST(LzmaMovieParse, DamagedMoviesKeepWhatCameBefore) {
    std::vector<uint8_t> zws = zwsOf(twoShapeMovie(true));
    // Cut inside the noise: the first frame stays, with a warning.
    std::vector<uint8_t> cut(zws.begin(), zws.begin() + zws.size() / 2);
    swf::Movie m = parse(cut);
    EXPECT_EQ(m.timeline.frames.size(), 1u);
    EXPECT_NE(m.find(1), nullptr);
    EXPECT_EQ(m.find(2), nullptr);
    EXPECT_FALSE(m.warnings.empty());

    // A declared length past what the data holds: what was there is read, with a warning.
    std::vector<uint8_t> longer = zws;
    putU32(longer, 4, static_cast<uint32_t>(zws.size() * 10));
    swf::Movie l = parse(longer);
    EXPECT_EQ(l.timeline.frames.size(), 2u);
    EXPECT_FALSE(l.warnings.empty());
}

TEST(LzmaMovieParse, RefusesBrokenHeadersAndLimits) {
    std::vector<uint8_t> zws = zwsOf(twoShapeMovie());
    parseFailure(std::vector<uint8_t>(zws.begin(), zws.begin() + 15), swf::ParseError::Kind::Truncated);
    std::vector<uint8_t> badProperties = zws;
    badProperties[12] = 225;  // lc, lp and pb beyond their ranges
    parseFailure(badProperties, swf::ParseError::Kind::Malformed);
    swf::ParseLimits small;
    small.maxInflatedBytes = 16;
    parseFailure(zws, swf::ParseError::Kind::Limit, small);
    // The length field alone sets the output: a huge one is refused before anything is decoded.
    std::vector<uint8_t> huge = zws;
    putU32(huge, 4, 0xFFFFFFFFu);
    parseFailure(huge, swf::ParseError::Kind::Limit);
}
