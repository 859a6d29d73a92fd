// Sound as a movie stores it: formats, event sounds and their playing instructions, and the
// blocks of a timeline's streaming sound. Plain data; decoding and playing live in engine/sound.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace swf {

// The SoundFormat field of DefineSound and SoundStreamHead.
enum class SoundCodec : uint8_t {
    PcmNativeEndian = 0,  // the byte order of the machine that wrote it: in practice little-endian
    Adpcm = 1,
    Mp3 = 2,
    PcmLittleEndian = 3,
    Nellymoser16k = 4,
    Nellymoser8k = 5,
    Nellymoser = 6,
    Speex = 11,
};

struct SoundFormat {
    SoundCodec codec = SoundCodec::PcmLittleEndian;
    uint32_t sampleRate = 44100;  // from the rate field, or fixed by the codec (Nellymoser 8/16 kHz)
    bool sixteenBit = true;       // uncompressed formats only; compressed ones always decode to 16 bits
    bool stereo = false;
};

// One point of a sound envelope: levels 0..32768 for each channel at a sample position counted at
// 44.1 kHz from the start of the sound.
struct SoundEnvelopePoint {
    uint32_t position44 = 0;
    uint16_t left = 32768, right = 32768;
};

// SOUNDINFO: how StartSound, StartSound2 and button sounds play a sound.
struct SoundInfo {
    bool syncStop = false;        // stop the sound instead of starting it
    bool syncNoMultiple = false;  // do not start it when it already plays
    std::optional<uint32_t> inPoint, outPoint;  // 44.1 kHz samples
    uint16_t loopCount = 1;
    std::vector<SoundEnvelopePoint> envelope;
};

// DefineSound: an event sound (a character).
struct DefinedSound {
    SoundFormat format;
    uint32_t sampleCount = 0;  // per channel, at the sound's own rate
    std::vector<uint8_t> data;  // as stored (MP3: starts with the seek samples count)
};

// StartSound (by id) and StartSound2 (by class name, for ActionScript 3 movies).
struct StartSound {
    uint16_t soundId = 0;
    std::optional<std::string> className;
    SoundInfo info;
};

// SoundStreamHead and SoundStreamHead2: the format of the timeline's streaming sound.
struct SoundStreamHead {
    SoundFormat playback;  // advisory
    SoundFormat stream;
    uint16_t samplesPerBlock = 0;  // average per frame
    int16_t latencySeek = 0;       // MP3 only
};

// SoundStreamBlock: the streaming sound of one frame, as stored (MP3: sample count and seek
// samples first).
struct SoundStreamBlock {
    std::vector<uint8_t> data;
};

// DefineButtonSound: the sounds played on the four state changes of a button.
struct ButtonSound {
    uint16_t soundId = 0;
    SoundInfo info;
};
enum ButtonSoundTransition { kOverUpToIdle = 0, kIdleToOverUp = 1, kOverUpToOverDown = 2, kOverDownToOverUp = 3 };
using ButtonSounds = std::array<std::optional<ButtonSound>, 4>;

}  // namespace swf
