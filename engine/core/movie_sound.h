// The movie's sound: event sounds the timelines and buttons start, each timeline's streaming sound
// (which its frames keep in step with), and the Sound objects of scripts, all played through one
// mixer that the host pulls.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/avm1/sound_control.h"
#include "engine/core/display_object.h"
#include "engine/core/timeline_player.h"
#include "engine/parse/movie.h"
#include "engine/sound/audio_mixer.h"

namespace swf {

// A clip's own sound: its streaming sound's voice and where it started, and the transform a
// Sound object gave it. Going with the clip, it stops the stream.
struct ClipSound {
    Clip* clip = nullptr;
    uint64_t owner = 0;  // the mixer's owner id of the voices started for this clip
    std::weak_ptr<AudioMixer> mixer;
    AudioMixer::VoiceId stream = 0;
    int streamStartFrame = 0;
    bool hasTransform = false;
    SoundTransform transform;
    ~ClipSound() {
        if (auto m = mixer.lock(); m && stream) m->stop(stream);
    }
};

class MovieSound final : public TimelineSounds, public avm1::SoundControl {
public:
    // Decoded event sounds are kept; together they may take this much memory.
    static constexpr size_t kMaxDecodedBytes = size_t{512} << 20;
    static constexpr uint64_t kWholeMovieOwner = 1;

    MovieSound(std::shared_ptr<const Movie> movie, double frameRate);

    std::shared_ptr<AudioMixer> mixer() const { return mixer_; }
    // After the timelines have moved: the streams of clips that stopped stop too, and every voice
    // takes its clips' current transforms.
    void update();
    std::vector<std::string> takeWarnings() { return std::exchange(warnings_, {}); }

    // TimelineSounds
    void frameShown(Clip& clip, int frameIndex, bool inSequence) override;
    int framesToAdvance(const Clip& clip) override;
    void buttonStateChanged(const DisplayObject& button, const Button& definition, int from, int to) override;

    // avm1::SoundControl
    double exportedSoundDurationMs(const std::string& linkage) override;
    uint64_t startExportedSound(avm1::Clip* target, const std::string& linkage, double offsetSeconds,
                                int loops) override;
    void stopSounds(avm1::Clip* target, const std::string& linkage) override;
    double voicePositionMs(uint64_t voice) override;
    void setSoundTransform(avm1::Clip* target, const avm1::SoundTransformValues& values) override;
    void stopAllSounds() override;
    std::vector<uint64_t> takeCompletedVoices() override;

    // Channels, as ActionScript 3's Sound.play makes them: a library sound on a voice of its own,
    // whose transform lies under the whole movie's.
    double soundDurationMs(uint16_t soundId);
    // Starts sound `soundId` `offsetMs` into it, played `loops` times; 0 when it cannot play.
    uint64_t startChannel(uint16_t soundId, double offsetMs, int loops, const SoundTransform& transform);
    void setChannelTransform(uint64_t voice, const SoundTransform& transform);
    void stopVoice(uint64_t voice);
    // The transform over every sound of the movie.
    void setMovieTransform(const SoundTransform& transform);

private:
    ClipSound& soundOf(Clip& clip);
    Clip* coreClip(avm1::Clip* target);
    SoundTransform transformOf(const Clip* clip) const;
    std::shared_ptr<const PcmBuffer> decoded(uint16_t soundId);
    std::optional<uint16_t> exportedSound(const std::string& linkage) const;
    uint64_t startVoice(uint16_t soundId, double offsetSeconds, int loops, uint64_t owner,
                        const SoundTransform& transform);
    void startEvent(uint16_t soundId, const SoundInfo& info, Clip* clip);
    void startStream(Clip& clip, ClipSound& state, int frameIndex);
    void warn(const std::string& line);

    std::shared_ptr<const Movie> movie_;
    double frameRate_;
    std::shared_ptr<AudioMixer> mixer_ = std::make_shared<AudioMixer>();
    std::map<uint16_t, std::shared_ptr<const PcmBuffer>> decoded_;
    std::map<uint16_t, bool> undecodable_;
    size_t decodedBytes_ = 0;
    std::vector<std::weak_ptr<ClipSound>> clipSounds_;
    uint64_t nextOwner_ = kWholeMovieOwner + 1;
    SoundTransform wholeMovie_;
    struct Channel {
        uint64_t owner = 0;
        SoundTransform transform;
    };
    std::map<uint64_t, Channel> channels_;  // by voice
    std::vector<std::string> warnings_;
};

}  // namespace swf
