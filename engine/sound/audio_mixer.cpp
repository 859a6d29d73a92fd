#include "engine/sound/audio_mixer.h"

#include <algorithm>
#include <utility>

namespace swf {

SoundTransform SoundTransform::then(const SoundTransform& o) const {
    // Each output channel of `o` takes the outputs of this one.
    SoundTransform r;
    r.ll = o.ll * ll + o.rl * lr;
    r.rl = o.ll * rl + o.rl * rr;
    r.lr = o.lr * ll + o.rr * lr;
    r.rr = o.lr * rl + o.rr * rr;
    return r;
}

AudioMixer::VoiceId AudioMixer::play(VoiceSettings settings) {
    if (!settings.source && (!settings.sound || settings.sound->frames() == 0)) return 0;
    SpinGuard lock(mutex_);
    if (voices_.size() >= kMaxVoices) return 0;
    Voice v;
    v.id = nextId_++;
    if (settings.sound) {
        uint64_t end = settings.sound->frames();
        if (settings.outPoint) end = std::min<uint64_t>(end, *settings.outPoint);
        if (settings.inPoint >= end) return 0;
    }
    v.cursor = settings.inPoint;
    v.loopsLeft = std::max<uint32_t>(1, settings.loops);
    v.settings = std::move(settings);
    VoiceId id = v.id;
    voices_.push_back(std::move(v));
    return id;
}

void AudioMixer::stop(VoiceId voice) {
    SpinGuard lock(mutex_);
    std::erase_if(voices_, [&](const Voice& v) { return v.id == voice; });
}

void AudioMixer::stopSound(uint32_t soundId) {
    SpinGuard lock(mutex_);
    std::erase_if(voices_, [&](const Voice& v) { return v.settings.soundId == soundId; });
}

void AudioMixer::stopOwner(uint64_t owner, std::optional<uint32_t> soundId) {
    SpinGuard lock(mutex_);
    std::erase_if(voices_, [&](const Voice& v) {
        return v.settings.owner == owner && (!soundId || v.settings.soundId == *soundId);
    });
}

void AudioMixer::stopAll() {
    SpinGuard lock(mutex_);
    voices_.clear();
}

bool AudioMixer::isPlaying(VoiceId voice) const {
    SpinGuard lock(mutex_);
    return std::any_of(voices_.begin(), voices_.end(), [&](const Voice& v) { return v.id == voice; });
}

bool AudioMixer::isSoundPlaying(uint32_t soundId) const {
    SpinGuard lock(mutex_);
    return std::any_of(voices_.begin(), voices_.end(), [&](const Voice& v) { return v.settings.soundId == soundId; });
}

std::optional<uint64_t> AudioMixer::playedFrames(VoiceId voice) const {
    SpinGuard lock(mutex_);
    for (const Voice& v : voices_)
        if (v.id == voice) return v.played;
    return std::nullopt;
}

std::optional<uint64_t> AudioMixer::positionInSound(VoiceId voice) const {
    SpinGuard lock(mutex_);
    for (const Voice& v : voices_)
        if (v.id == voice) return v.settings.sound ? v.cursor : v.played;
    return std::nullopt;
}

void AudioMixer::setTransform(VoiceId voice, const SoundTransform& transform) {
    SpinGuard lock(mutex_);
    for (Voice& v : voices_)
        if (v.id == voice) v.settings.transform = transform;
}

void AudioMixer::setOwnerTransform(uint64_t owner, const SoundTransform& transform) {
    SpinGuard lock(mutex_);
    for (Voice& v : voices_)
        if (v.settings.owner == owner) v.settings.transform = transform;
}

size_t AudioMixer::voiceCount() const {
    SpinGuard lock(mutex_);
    return voices_.size();
}

std::vector<AudioMixer::VoiceId> AudioMixer::takeFinished() {
    SpinGuard lock(mutex_);
    return std::exchange(finished_, {});
}

double AudioMixer::envelopeGain(const std::vector<SoundEnvelopePoint>& env, uint64_t position, bool right) {
    auto level = [&](const SoundEnvelopePoint& p) { return (right ? p.right : p.left) / 32768.0; };
    if (position <= env.front().position44) return level(env.front());
    for (size_t i = 1; i < env.size(); ++i) {
        const SoundEnvelopePoint& a = env[i - 1];
        const SoundEnvelopePoint& b = env[i];
        if (position < b.position44) {
            double t = b.position44 > a.position44 ? double(position - a.position44) / (b.position44 - a.position44) : 1;
            return level(a) + (level(b) - level(a)) * t;
        }
    }
    return level(env.back());
}

bool AudioMixer::render(Voice& v, std::vector<int32_t>& acc, size_t frames) {
    const VoiceSettings& s = v.settings;
    const SoundTransform& t = s.transform;
    const bool enveloped = !s.envelope.empty();
    size_t done = 0;
    auto add = [&](const int16_t* in, size_t n, uint64_t soundPosition) {
        for (size_t i = 0; i < n; ++i) {
            double l = in[2 * i], r = in[2 * i + 1];
            if (enveloped) {
                l *= envelopeGain(s.envelope, soundPosition + i, false);
                r *= envelopeGain(s.envelope, soundPosition + i, true);
            }
            acc[2 * (done + i)] += static_cast<int32_t>(t.ll * l + t.rl * r);
            acc[2 * (done + i) + 1] += static_cast<int32_t>(t.lr * l + t.rr * r);
        }
        done += n;
        v.played += n;
    };
    if (s.source) {
        v.streamBuffer.resize(frames * 2);
        size_t got = s.source->read(v.streamBuffer.data(), frames);
        add(v.streamBuffer.data(), std::min(got, frames), v.played);
        return got >= frames;
    }
    const PcmBuffer& pcm = *s.sound;
    uint64_t end = pcm.frames();
    if (s.outPoint) end = std::min<uint64_t>(end, *s.outPoint);
    while (done < frames) {
        if (v.cursor >= end) {
            if (--v.loopsLeft == 0) return false;
            v.cursor = s.inPoint;
        }
        size_t n = static_cast<size_t>(std::min<uint64_t>(frames - done, end - v.cursor));
        add(pcm.samples.data() + 2 * v.cursor, n, v.cursor);
        v.cursor += n;
    }
    // A sound that ends exactly here is over now, not one call later.
    if (v.cursor >= end && v.loopsLeft == 1) return false;
    return true;
}

void AudioMixer::mix(int16_t* stereo, size_t frames) {
    SpinGuard lock(mutex_);
    accumulator_.assign(frames * 2, 0);
    for (size_t i = 0; i < voices_.size();) {
        if (render(voices_[i], accumulator_, frames)) {
            ++i;
        } else {
            finished_.push_back(voices_[i].id);
            voices_.erase(voices_.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    // Loud mixes clip at full scale rather than wrap around.
    for (size_t i = 0; i < frames * 2; ++i) stereo[i] = static_cast<int16_t>(std::clamp(accumulator_[i], -32768, 32767));
}

}  // namespace swf
