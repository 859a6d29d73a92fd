#include "engine/parse/sound_parser.h"

namespace swf {

SoundFormat readSoundFormat(uint8_t bits) {
    static constexpr uint32_t kRates[4] = {5512, 11025, 22050, 44100};
    SoundFormat f;
    f.codec = static_cast<SoundCodec>(bits >> 4);
    f.sampleRate = kRates[(bits >> 2) & 3];
    f.sixteenBit = (bits & 2) != 0;
    f.stereo = (bits & 1) != 0;
    // Nellymoser's two fixed-rate variants ignore the rate field.
    if (f.codec == SoundCodec::Nellymoser8k) f.sampleRate = 8000;
    if (f.codec == SoundCodec::Nellymoser16k) f.sampleRate = 16000;
    if (f.codec == SoundCodec::Speex) f.sampleRate = 16000;
    return f;
}

SoundInfo readSoundInfo(SwfReader& r) {
    SoundInfo info;
    uint8_t flags = r.u8();
    info.syncStop = flags & 0x20;
    info.syncNoMultiple = flags & 0x10;
    if (flags & 0x01) info.inPoint = r.u32();
    if (flags & 0x02) info.outPoint = r.u32();
    if (flags & 0x04) info.loopCount = r.u16();
    if (flags & 0x08) {
        uint8_t points = r.u8();
        info.envelope.reserve(points);
        for (uint8_t i = 0; i < points; ++i) {
            SoundEnvelopePoint p;
            p.position44 = r.u32();
            p.left = r.u16();
            p.right = r.u16();
            info.envelope.push_back(p);
        }
    }
    return info;
}

DefinedSound readDefineSound(SwfReader& r) {
    DefinedSound s;
    s.format = readSoundFormat(r.u8());
    s.sampleCount = r.u32();
    s.data = r.copy(r.remaining());
    return s;
}

SoundStreamHead readSoundStreamHead(SwfReader& r) {
    SoundStreamHead h;
    h.playback = readSoundFormat(r.u8() & 0x0F);
    h.stream = readSoundFormat(r.u8());
    h.samplesPerBlock = r.u16();
    if (h.stream.codec == SoundCodec::Mp3 && r.remaining() >= 2) h.latencySeek = r.s16();
    return h;
}

ButtonSounds readButtonSounds(SwfReader& r) {
    ButtonSounds sounds;
    for (auto& slot : sounds) {
        if (r.atEnd()) break;
        uint16_t id = r.u16();
        if (id == 0) continue;
        slot = ButtonSound{id, readSoundInfo(r)};
    }
    return sounds;
}

}  // namespace swf
