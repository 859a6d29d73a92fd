// What the Sound object and stopAllSounds need from the player's sound: exported sounds started
// and stopped for a target clip (null: the whole movie), transforms, and the voices that ended.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace swf::avm1 {

class Clip;

// Levels in percent, as scripts give them: the four channel routes and the volume over them.
struct SoundTransformValues {
    double ll = 100, lr = 0, rr = 100, rl = 0;
    double volume = 100;
};

class SoundControl {
public:
    virtual ~SoundControl() = default;
    // The length of an exported sound in milliseconds; negative when there is no such sound.
    virtual double exportedSoundDurationMs(const std::string& linkage) = 0;
    // Starts an exported sound `offsetSeconds` into it, `loops` times; 0 when it cannot play.
    virtual uint64_t startExportedSound(Clip* target, const std::string& linkage, double offsetSeconds, int loops) = 0;
    // Stops the target's sounds: those of one exported sound, or all of them when `linkage` is empty.
    virtual void stopSounds(Clip* target, const std::string& linkage) = 0;
    // Milliseconds into the sound a voice is; negative once it has ended.
    virtual double voicePositionMs(uint64_t voice) = 0;
    virtual void setSoundTransform(Clip* target, const SoundTransformValues& values) = 0;
    virtual void stopAllSounds() = 0;
    // Voices that played to their end since the last call.
    virtual std::vector<uint64_t> takeCompletedVoices() = 0;
};

}  // namespace swf::avm1
