// Writes the movie of the video picture test: a Screen Video stream and (where libavcodec can
// encode it) a Sorenson H.263 stream, each placed on the stage and moved to its second frame by
// the timeline's ratio.
//   video_movie OUT.swf
#include <cstdio>

#include "tests/engine/video/test_video.h"
#include "tools/swfwriter/swf_writer.h"

namespace {

swf::RgbaImage halves(swf::Rgba left, swf::Rgba right) {
    swf::RgbaImage img(32, 24);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 32; ++x) {
            swf::Rgba c = x < 16 ? left : right;
            uint8_t* p = img.at(x, y);
            p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = 255;
        }
    return img;
}

swf::PlaceObject placed(uint16_t id, uint16_t depth, const swf::Matrix& m) {
    swf::PlaceObject p;
    p.version = 2;
    p.characterId = id;
    p.depth = depth;
    p.matrix = m;
    p.ratio = 0;
    return p;
}

swf::PlaceObject toFrame(uint16_t depth, uint16_t ratio) {
    swf::PlaceObject p;
    p.version = 2;
    p.depth = depth;
    p.move = true;
    p.ratio = ratio;
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: video_movie OUT.swf\n");
        return 2;
    }
    swfw::SwfWriter w(8, swf::Rect{0, 0, 160 * 20, 120 * 20}, 12);
    w.setBackgroundColor({255, 255, 255, 255});
    swf::VideoStream screen;
    screen.codecId = static_cast<uint8_t>(swf::VideoCodec::ScreenVideo);
    screen.width = 32;
    screen.height = 24;
    screen.declaredFrameCount = 2;
    w.defineVideoStream(1, screen);
    swf::RgbaImage first = halves({255, 0, 0, 255}, {0, 255, 0, 255}), second = halves({0, 0, 255, 255}, {0, 0, 255, 255});
    w.videoFrame(1, 0, swfw::encodeScreenVideo(first));
    // Twice its size at (10, 10): 64x48 pixels.
    w.placeObject(placed(1, 1, swf::Matrix::translate(200, 200) * swf::Matrix::scale(2, 2)));

    std::vector<swf::RgbaImage> pictures = {swf::test::movingPicture(64, 48, 0), swf::test::movingPicture(64, 48, 5)};
    auto h263 = swf::test::encodeWithLibavcodec(swf::VideoCodec::SorensonH263, pictures);
    if (h263) {
        swf::VideoStream sorenson = screen;
        sorenson.codecId = static_cast<uint8_t>(swf::VideoCodec::SorensonH263);
        sorenson.width = 64;
        sorenson.height = 48;
        w.defineVideoStream(2, sorenson);
        w.videoFrame(2, 0, (*h263)[0]);
        w.placeObject(placed(2, 2, swf::Matrix::translate(90 * 20, 60 * 20)));
    }
    w.showFrame();
    w.videoFrame(1, 1, swfw::encodeScreenVideo(second, 16, &first));
    w.placeObject(toFrame(1, 1));
    if (h263) {
        w.videoFrame(2, 1, (*h263)[1]);
        w.placeObject(toFrame(2, 1));
    }
    w.showFrame();
    auto bytes = w.finish();
    FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) return 1;
    std::fclose(f);
    std::printf("%s\n", h263 ? "with H.263" : "without H.263");
    return 0;
}
