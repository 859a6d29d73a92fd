// The sound tags.
#include "tools/swfwriter/swf_writer.h"

namespace swfw {

namespace {

enum : uint16_t {
    kDefineSound = 14, kStartSound = 15, kDefineButtonSound = 17, kSoundStreamHead = 18, kSoundStreamBlock = 19,
    kSoundStreamHead2 = 45, kStartSound2 = 89,
};

uint8_t formatBits(const swf::SoundFormat& f) {
    uint8_t rate = f.sampleRate <= 5512 ? 0 : f.sampleRate <= 11025 ? 1 : f.sampleRate <= 22050 ? 2 : 3;
    return static_cast<uint8_t>((static_cast<uint8_t>(f.codec) << 4) | (rate << 2) | (f.sixteenBit ? 2 : 0) |
                                (f.stereo ? 1 : 0));
}

void writeSoundInfo(BodyWriter& w, const swf::SoundInfo& info) {
    uint8_t flags = (info.syncStop ? 0x20 : 0) | (info.syncNoMultiple ? 0x10 : 0) | (info.envelope.empty() ? 0 : 0x08) |
                    (info.loopCount != 1 ? 0x04 : 0) | (info.outPoint ? 0x02 : 0) | (info.inPoint ? 0x01 : 0);
    w.u8(flags);
    if (info.inPoint) w.u32(*info.inPoint);
    if (info.outPoint) w.u32(*info.outPoint);
    if (info.loopCount != 1) w.u16(info.loopCount);
    if (!info.envelope.empty()) {
        w.u8(static_cast<uint8_t>(info.envelope.size()));
        for (const swf::SoundEnvelopePoint& p : info.envelope) {
            w.u32(p.position44);
            w.u16(p.left);
            w.u16(p.right);
        }
    }
}

}  // namespace

void SwfWriter::defineSound(uint16_t id, const swf::DefinedSound& sound) {
    BodyWriter w;
    w.u16(id);
    w.u8(formatBits(sound.format));
    w.u32(sound.sampleCount);
    w.bytes(sound.data);
    tag(kDefineSound, w.data());
}

void SwfWriter::startSound(const swf::StartSound& start) {
    BodyWriter w;
    if (start.className)
        w.string(*start.className);
    else
        w.u16(start.soundId);
    writeSoundInfo(w, start.info);
    tag(start.className ? kStartSound2 : kStartSound, w.data());
}

void SwfWriter::soundStreamHead(const swf::SoundStreamHead& head, int version) {
    BodyWriter w;
    w.u8(formatBits(head.playback) & 0x0F);
    w.u8(formatBits(head.stream));
    w.u16(head.samplesPerBlock);
    if (head.stream.codec == swf::SoundCodec::Mp3) w.s16(head.latencySeek);
    tag(version == 2 ? kSoundStreamHead2 : kSoundStreamHead, w.data());
}

void SwfWriter::soundStreamBlock(const std::vector<uint8_t>& data) { tag(kSoundStreamBlock, data); }

void SwfWriter::defineButtonSound(uint16_t buttonId, const swf::ButtonSounds& sounds) {
    BodyWriter w;
    w.u16(buttonId);
    for (const auto& s : sounds) {
        w.u16(s ? s->soundId : 0);
        if (s) writeSoundInfo(w, s->info);
    }
    tag(kDefineButtonSound, w.data());
}

}  // namespace swfw
