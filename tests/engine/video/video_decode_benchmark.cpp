// Prints what decoding a 640x480 embedded video costs per frame, pictures converted to the
// engine's RGBA included (not a test: a figure for the README). VP6 has no encoder in libavcodec,
// so the streams are Sorenson H.263 and Screen Video, encoded here first.
#include <chrono>
#include <cstdio>
#include <ctime>

#include "engine/video/video_playback.h"
#include "tests/engine/video/test_video.h"
#include "tools/swfwriter/swf_writer.h"

namespace {

double cpuSeconds() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void measure(const char* name, const swf::VideoStream& stream) {
    const int rounds = 3;
    double best = 1e9;
    for (int r = 0; r < rounds; ++r) {
        swf::VideoPlayback playback(stream);
        double start = cpuSeconds();
        for (const auto& [number, packet] : stream.frames)
            if (!playback.frame(number)) std::printf("%s: frame %d not decoded: %s\n", name, number, playback.problem().c_str());
        best = std::min(best, (cpuSeconds() - start) * 1000 / static_cast<double>(stream.frames.size()));
    }
    std::printf("%s 640x480, %zu frames: %.2f ms of processor time per frame (best of %d)\n", name,
                stream.frames.size(), best, rounds);
}

}  // namespace

int main() {
    const int frames = 96;
    std::vector<swf::RgbaImage> pictures;
    for (int i = 0; i < frames; ++i) pictures.push_back(swf::test::movingPicture(640, 480, i));
    if (auto packets = swf::test::encodeWithLibavcodec(swf::VideoCodec::SorensonH263, pictures, 48))
        measure("Sorenson H.263", swf::test::streamOf(swf::VideoCodec::SorensonH263, 640, 480, *packets));
    else
        std::printf("Sorenson H.263: libavcodec has no encoder for it here\n");
    std::vector<std::vector<uint8_t>> screen;
    for (int i = 0; i < frames; ++i)
        screen.push_back(swfw::encodeScreenVideo(pictures[static_cast<size_t>(i)], 64,
                                                 i % 48 ? &pictures[static_cast<size_t>(i - 1)] : nullptr));
    measure("Screen Video", swf::test::streamOf(swf::VideoCodec::ScreenVideo, 640, 480, screen));
    return 0;
}
