// Tones of known pitch for the sound tests, the encodings a movie stores them in, and the
// measures the tests read back from a mix: pitch, length and loudness.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace swf::test {

// A sine tone, interleaved when `channels` is 2 (the right channel at `rightHz`, or silent at 0).
std::vector<int16_t> sineTone(double hz, double seconds, int rate, int channels = 1, double amplitude = 12000,
                              double rightHz = -1);

std::vector<uint8_t> pcm16le(const std::vector<int16_t>& samples);
std::vector<uint8_t> pcm8unsigned(const std::vector<int16_t>& samples);
// SWF ADPCM at 2 to 5 bits per sample.
std::vector<uint8_t> adpcm(const std::vector<int16_t>& samples, int channels, int bits);
// MP3 through the lame encoder; nullopt when lame is not installed.
std::optional<std::vector<uint8_t>> mp3(const std::vector<int16_t>& samples, int rate, int channels, int kbps = 128);
// The frames of an MPEG-1 layer III stream (1152 samples each), for cutting it into stream blocks.
std::vector<std::vector<uint8_t>> mp3Frames(const std::vector<uint8_t>& mp3);
// A streaming-sound movie of `mp3` (MPEG-1, `rate`) at `fps`: each frame's block holds the MP3
// frames that start in its time, with its sample count and seek samples.
std::vector<uint8_t> mp3StreamMovie(const std::vector<uint8_t>& mp3, int rate, bool stereo, double fps, int frames);
// Nellymoser through libavcodec's encoder (mono); empty when it is missing.
std::vector<uint8_t> nellymoser(const std::vector<int16_t>& samples, int rate);

struct ToneMeasure {
    double pitchHz = 0;   // from zero crossings over the audible span
    double startSeconds = 0, seconds = 0;  // the audible span
    double rms = 0;       // over the audible span
    int peak = 0;
};
// One channel (0 left, 1 right) of a 44.1 kHz stereo mix.
ToneMeasure measure(const std::vector<int16_t>& stereo, int channel, int threshold = 300);

}  // namespace swf::test
