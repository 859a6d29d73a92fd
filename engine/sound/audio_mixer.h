// Mixes the sounds that play into one 44.1 kHz 16-bit stereo signal. The engine starts and stops
// voices as the movie asks; the host pulls the mix from its own audio thread, so every call takes
// the mixer's lock.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "engine/parse/sound.h"
#include "engine/sound/pcm.h"
#include "engine/sound/spin_lock.h"

namespace swf {

// How a voice's two channels reach the output's two: out.left = ll*left + rl*right,
// out.right = lr*left + rr*right. 1 is full level.
struct SoundTransform {
    double ll = 1, lr = 0, rr = 1, rl = 0;
    SoundTransform then(const SoundTransform& outer) const;  // this one, then `outer`
};

// Samples made while the voice plays (a stream's decoder). Returns how many frames it wrote;
// fewer than asked ends the voice.
class VoiceSource {
public:
    virtual ~VoiceSource() = default;
    virtual size_t read(int16_t* stereo, size_t frames) = 0;
};

struct VoiceSettings {
    // Either a decoded sound (an event sound) or a source (a stream).
    std::shared_ptr<const PcmBuffer> sound;
    std::unique_ptr<VoiceSource> source;
    // Event sounds: where each loop starts and ends (44.1 kHz frames), how many loops, the envelope
    // (positions from the start of the sound).
    uint32_t inPoint = 0;
    std::optional<uint32_t> outPoint;
    uint32_t loops = 1;
    std::vector<SoundEnvelopePoint> envelope;
    SoundTransform transform;
    // Who asked: a sound character id and an owner (a clip or a Sound object), to stop them by.
    uint32_t soundId = 0;
    uint64_t owner = 0;
};

class AudioMixer {
public:
    using VoiceId = uint64_t;
    static constexpr size_t kMaxVoices = 64;

    // 0 when no voice is free or there is nothing to play.
    VoiceId play(VoiceSettings settings);
    void stop(VoiceId voice);
    void stopSound(uint32_t soundId);  // every voice of that sound
    void stopOwner(uint64_t owner, std::optional<uint32_t> soundId = std::nullopt);
    void stopAll();
    bool isPlaying(VoiceId voice) const;
    bool isSoundPlaying(uint32_t soundId) const;
    // Frames the voice has played in all (loops included); nullopt once it has ended.
    std::optional<uint64_t> playedFrames(VoiceId voice) const;
    // The position inside the current loop, in frames from the start of the sound.
    std::optional<uint64_t> positionInSound(VoiceId voice) const;
    void setTransform(VoiceId voice, const SoundTransform& transform);
    void setOwnerTransform(uint64_t owner, const SoundTransform& transform);
    size_t voiceCount() const;

    // Writes `frames` stereo frames of the mix (silence when nothing plays).
    void mix(int16_t* stereo, size_t frames);
    // Voices that have played to their end since the last call (not those stopped).
    std::vector<VoiceId> takeFinished();

private:
    struct Voice {
        VoiceId id = 0;
        VoiceSettings settings;
        uint64_t cursor = 0;   // next frame of the sound
        uint32_t loopsLeft = 1;
        uint64_t played = 0;
        std::vector<int16_t> streamBuffer;
    };
    bool render(Voice& v, std::vector<int32_t>& acc, size_t frames);  // false once the voice ends
    static double envelopeGain(const std::vector<SoundEnvelopePoint>& env, uint64_t position, bool right);

    mutable SpinLock mutex_;
    std::vector<Voice> voices_;
    std::vector<VoiceId> finished_;
    std::vector<int32_t> accumulator_;
    VoiceId nextId_ = 1;
};

}  // namespace swf
