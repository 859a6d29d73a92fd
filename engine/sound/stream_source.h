// A timeline's streaming sound as a mixer voice: the blocks of the frames from where the stream
// starts, decoded as the mixer asks for them.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "engine/parse/sound.h"
#include "engine/sound/audio_mixer.h"
#include "engine/sound/sound_decoder.h"

namespace swf {

class StreamSource final : public VoiceSource {
public:
    // `blocks` are the stored SoundStreamBlock bodies from the starting frame on; `keepAlive` owns
    // the bytes they point into (the movie), as the mixer may outlive the player.
    StreamSource(const SoundStreamHead& head, std::vector<std::span<const uint8_t>> blocks,
                 std::shared_ptr<const void> keepAlive);
    size_t read(int16_t* stereo, size_t frames) override;

private:
    bool decodeNext();

    SoundFormat format_;
    SoundDecoder decoder_;
    std::vector<std::span<const uint8_t>> blocks_;
    std::shared_ptr<const void> keepAlive_;
    size_t next_ = 0;
    size_t skip_ = 0;  // MP3: samples before the first block's frame position
    bool flushed_ = false;
    std::vector<int16_t> pending_;
    size_t pendingAt_ = 0;  // in samples
};

}  // namespace swf
