// The decoder of a build without libavcodec: every format reports that it cannot be decoded, so
// movies play on without their sound.
#include "engine/sound/sound_decoder.h"

namespace swf {

struct SoundDecoder::Impl {};

SoundDecoder::SoundDecoder(const SoundFormat&) { error_ = "this build decodes no sound"; }
SoundDecoder::~SoundDecoder() = default;
void SoundDecoder::decode(std::span<const uint8_t>, std::vector<int16_t>&, size_t) {}
void SoundDecoder::flush(std::vector<int16_t>&, size_t) {}

PcmBuffer decodeDefinedSound(const DefinedSound& sound, std::string& error, double) {
    SoundDecoder decoder(sound.format);
    error = decoder.error();
    return {};
}

}  // namespace swf
