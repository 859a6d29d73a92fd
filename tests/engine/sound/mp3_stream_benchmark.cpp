// Prints what decoding and mixing a 128 kbit/s MP3 streaming sound costs, as a share of one core
// (not a test: a figure for the README). The aim is at most 1%.
#include <chrono>
#include <cstdio>
#include <ctime>

#include "engine/core/player.h"
#include "tests/engine/sound/tone.h"

int main() {
    const double seconds = 60;
    auto samples = swf::test::sineTone(440, seconds, 44100, 2);
    auto encoded = swf::test::mp3(samples, 44100, 2, 128);
    if (!encoded) {
        std::printf("mp3 stream benchmark: lame is not installed\n");
        return 0;
    }
    const double fps = 24;
    auto movie = swf::test::mp3StreamMovie(*encoded, 44100, true, fps, static_cast<int>(seconds * fps));
    std::string error;
    auto player = swf::Player::load(movie, error);
    if (!player) {
        std::printf("mp3 stream benchmark: %s\n", error.c_str());
        return 1;
    }
    player->setAudioPulledByHost(true);
    player->gotoFrame(1);
    std::vector<int16_t> buffer(441 * 2);  // 10 ms pulls, as an audio thread makes them
    auto cpu = [] {
        timespec t;
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return t.tv_sec + t.tv_nsec / 1e9;
    };
    double start = cpu();
    for (int i = 0; i < seconds * 100; ++i) player->audioMixer()->mix(buffer.data(), 441);
    double used = cpu() - start;
    std::printf("128 kbit/s MP3 stream: %.0f s of sound decoded and mixed in %.1f ms of CPU: %.3f%% of one core\n",
                seconds, used * 1000, used / seconds * 100);
    return 0;
}
