// Every stored sound format decodes to a tone of the pitch, length and loudness it was made with.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "engine/sound/sound_decoder.h"
#include "tests/engine/sound/tone.h"

namespace swf {
namespace {

using test::measure;
using test::sineTone;

struct Case {
    const char* name;
    SoundCodec codec;
    uint32_t rate;
    bool stereo;
    int bits;  // 8/16 for PCM, 2..5 for ADPCM
};

DefinedSound encode(const Case& c, const std::vector<int16_t>& samples) {
    DefinedSound s;
    s.format = SoundFormat{c.codec, c.rate, c.bits == 16, c.stereo};
    s.sampleCount = static_cast<uint32_t>(samples.size() / (c.stereo ? 2 : 1));
    switch (c.codec) {
    case SoundCodec::PcmLittleEndian:
    case SoundCodec::PcmNativeEndian: s.data = c.bits == 16 ? test::pcm16le(samples) : test::pcm8unsigned(samples); break;
    case SoundCodec::Adpcm: s.data = test::adpcm(samples, c.stereo ? 2 : 1, c.bits); break;
    default: break;
    }
    return s;
}

class FormatTest : public ::testing::TestWithParam<Case> {};

TEST_P(FormatTest, DecodesToneOfKnownPitchLengthAndLoudness) {
    const Case& c = GetParam();
    // A pitch each rate carries well; the right channel an octave up when stereo.
    double hz = c.rate <= 5512 ? 300 : 440;
    auto samples = sineTone(hz, 0.6, static_cast<int>(c.rate), c.stereo ? 2 : 1, 12000, c.stereo ? hz * 2 : -1);
    std::string error;
    PcmBuffer pcm = decodeDefinedSound(encode(c, samples), error);
    ASSERT_EQ(error, "");
    auto left = measure(pcm.samples, 0);
    auto right = measure(pcm.samples, 1);
    EXPECT_NEAR(left.pitchHz, hz, hz * 0.02) << c.name;
    EXPECT_NEAR(right.pitchHz, c.stereo ? hz * 2 : hz, hz * 0.04) << c.name;
    EXPECT_NEAR(left.seconds, 0.6, 0.02) << c.name;
    EXPECT_NEAR(double(pcm.frames()) / kMixRate, 0.6, 0.02) << c.name;
    EXPECT_NEAR(left.rms, 12000 / std::sqrt(2.0), 12000 * 0.12) << c.name;  // a sine's RMS
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FormatTest,
    ::testing::Values(Case{"pcm16_44k_mono", SoundCodec::PcmLittleEndian, 44100, false, 16},
                      Case{"pcm16_22k_stereo", SoundCodec::PcmLittleEndian, 22050, true, 16},
                      Case{"pcm8_11k_mono", SoundCodec::PcmLittleEndian, 11025, false, 8},
                      Case{"pcm8_5k_stereo", SoundCodec::PcmLittleEndian, 5512, true, 8},
                      Case{"native16_44k_stereo", SoundCodec::PcmNativeEndian, 44100, true, 16},
                      Case{"native8_22k_mono", SoundCodec::PcmNativeEndian, 22050, false, 8},
                      Case{"adpcm2_44k_mono", SoundCodec::Adpcm, 44100, false, 2},
                      Case{"adpcm3_22k_stereo", SoundCodec::Adpcm, 22050, true, 3},
                      Case{"adpcm4_11k_mono", SoundCodec::Adpcm, 11025, false, 4},
                      Case{"adpcm5_5k_stereo", SoundCodec::Adpcm, 5512, true, 5},
                      Case{"adpcm4_44k_stereo_blocks", SoundCodec::Adpcm, 44100, true, 4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Mp3Sound, DecodesWithSeekSamplesAndStatedLength) {
    for (auto [rate, stereo] : {std::pair{44100, true}, std::pair{22050, false}, std::pair{11025, false}}) {
        auto samples = sineTone(440, 0.8, rate, stereo ? 2 : 1);
        auto encoded = test::mp3(samples, rate, stereo ? 2 : 1, stereo ? 128 : 32);
        if (!encoded) GTEST_SKIP() << "lame is not installed";
        DefinedSound s;
        s.format = SoundFormat{SoundCodec::Mp3, static_cast<uint32_t>(rate), true, stereo};
        s.sampleCount = static_cast<uint32_t>(0.8 * rate);
        // The encoder's delay (its own 576 plus the decoder's 529) is what seek samples skip.
        const uint16_t seek = 1105;
        s.data = *encoded;
        s.data.insert(s.data.begin(), {static_cast<uint8_t>(seek), static_cast<uint8_t>(seek >> 8)});
        std::string error;
        PcmBuffer pcm = decodeDefinedSound(s, error);
        ASSERT_EQ(error, "");
        auto m = measure(pcm.samples, 0);
        EXPECT_NEAR(m.pitchHz, 440, 9) << rate;
        EXPECT_NEAR(double(pcm.frames()) / kMixRate, 0.8, 0.01) << rate;  // the stated count, not the padding
        EXPECT_LT(m.startSeconds, 0.01) << rate;                         // the delay skipped
        EXPECT_NEAR(m.rms, 12000 / std::sqrt(2.0), 12000 * 0.15) << rate;
    }
}

TEST(NellymoserSound, DecodesAtFixedAndStatedRates) {
    for (auto [codec, rate] : {std::pair{SoundCodec::Nellymoser8k, 8000u}, std::pair{SoundCodec::Nellymoser16k, 16000u},
                               std::pair{SoundCodec::Nellymoser, 22050u}}) {
        auto samples = sineTone(440, 0.7, static_cast<int>(rate), 1);
        DefinedSound s;
        s.format = SoundFormat{codec, rate, true, false};
        s.data = test::nellymoser(samples, static_cast<int>(rate));
        if (s.data.empty()) GTEST_SKIP() << "no Nellymoser encoder";
        s.sampleCount = static_cast<uint32_t>(samples.size());
        std::string error;
        PcmBuffer pcm = decodeDefinedSound(s, error);
        ASSERT_EQ(error, "");
        auto m = measure(pcm.samples, 0, 1500);
        EXPECT_NEAR(m.pitchHz, 440, 15) << rate;
        EXPECT_NEAR(m.seconds, 0.7, 0.05) << rate;
        EXPECT_GT(m.rms, 4000) << rate;
    }
}

TEST(DamagedSound, DecodesWhatItCanAndNeverMore) {
    auto samples = sineTone(440, 0.5, 22050, 1);
    Case c{"", SoundCodec::Adpcm, 22050, false, 4};
    DefinedSound s = encode(c, samples);
    s.data.resize(s.data.size() / 2);  // cut in the middle of a block
    std::string error;
    PcmBuffer pcm = decodeDefinedSound(s, error);
    EXPECT_LT(pcm.frames(), size_t(kMixRate * 0.3));
    // Noise as MP3 gives no sound and no crash; a lie about the length allocates nothing big.
    DefinedSound noise;
    noise.format = SoundFormat{SoundCodec::Mp3, 44100, true, true};
    noise.sampleCount = 0xFFFFFFFF;
    for (int i = 0; i < 5000; ++i) noise.data.push_back(static_cast<uint8_t>(i * 7919 >> 3));
    pcm = decodeDefinedSound(noise, error);
    EXPECT_LT(pcm.frames(), size_t(kMixRate * 5));
    // Speex is reported, not decoded.
    DefinedSound speex;
    speex.format.codec = SoundCodec::Speex;
    speex.data = {1, 2, 3};
    error.clear();
    EXPECT_EQ(decodeDefinedSound(speex, error).frames(), 0u);
    EXPECT_NE(error, "");
}

}  // namespace
}  // namespace swf
