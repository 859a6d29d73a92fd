// Decodes the movie's sound formats with libavcodec and brings them to the mix format (44.1 kHz
// 16-bit stereo) with libswresample. One decoder follows one sound or one stream: packets given
// in order decode as one continuous signal.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "engine/parse/sound.h"
#include "engine/sound/pcm.h"

namespace swf {

class SoundDecoder {
public:
    // `error` is set (and ok() false) when the format cannot be decoded here (Speex, an unknown codec).
    explicit SoundDecoder(const SoundFormat& format);
    ~SoundDecoder();
    SoundDecoder(const SoundDecoder&) = delete;
    SoundDecoder& operator=(const SoundDecoder&) = delete;

    bool ok() const { return impl_ != nullptr; }
    const std::string& error() const { return error_; }

    // Decodes `data` (PCM, ADPCM and Nellymoser: a whole packet; MP3: any run of frames) and appends
    // what comes out, as interleaved stereo frames at 44.1 kHz, to `out`. Damaged data decodes as far
    // as it can. Stops adding once `out` holds `limitFrames` frames.
    void decode(std::span<const uint8_t> data, std::vector<int16_t>& out, size_t limitFrames);
    // What the resampler still holds, at the end of the sound.
    void flush(std::vector<int16_t>& out, size_t limitFrames);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::string error_;
};

// A DefineSound's whole sound: MP3 seek samples skipped and the stated sample count kept to;
// at most `maxSeconds` long. Empty when it cannot be decoded (with `error` set).
PcmBuffer decodeDefinedSound(const DefinedSound& sound, std::string& error, double maxSeconds = 600);

// Frames at 44.1 kHz that `frames` frames at `rate` become.
inline size_t framesAtMixRate(uint64_t frames, uint32_t rate) {
    return rate ? static_cast<size_t>(frames * kMixRate / rate) : 0;
}

}  // namespace swf
