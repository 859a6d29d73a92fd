#include "engine/core/movie_sound.h"

#include <algorithm>
#include <cmath>
#include <variant>

#include "engine/core/script_clip.h"
#include "engine/sound/sound_decoder.h"
#include "engine/sound/stream_source.h"

namespace swf {

namespace {

const SoundStreamHead* streamHeadOf(const Timeline& timeline) {
    for (const Frame& f : timeline.frames)
        for (const ControlTag& tag : f.tags)
            if (const auto* h = std::get_if<SoundStreamHead>(&tag)) return h;
    return nullptr;
}

const SoundStreamBlock* streamBlockOf(const Frame& frame) {
    for (const ControlTag& tag : frame.tags)
        if (const auto* b = std::get_if<SoundStreamBlock>(&tag)) return b;
    return nullptr;
}

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// The state change of a button as its DefineButtonSound numbers it; -1 for one without a sound.
int buttonTransition(int from, int to) {
    if (from == 0 && to == 1) return kIdleToOverUp;
    if (from == 1 && to == 0) return kOverUpToIdle;
    if (to == 2) return kOverUpToOverDown;
    if (from == 2 && to == 1) return kOverDownToOverUp;
    return -1;
}

}  // namespace

MovieSound::MovieSound(std::shared_ptr<const Movie> movie, double frameRate)
    : movie_(std::move(movie)), frameRate_(frameRate) {}

void MovieSound::warn(const std::string& line) {
    if (warnings_.size() < 100) warnings_.push_back(line);
}

ClipSound& MovieSound::soundOf(Clip& clip) {
    if (!clip.sound) {
        clip.sound = std::make_shared<ClipSound>();
        clip.sound->clip = &clip;
        clip.sound->owner = nextOwner_++;
        clip.sound->mixer = mixer_;
        clipSounds_.push_back(clip.sound);
    }
    return *clip.sound;
}

Clip* MovieSound::coreClip(avm1::Clip* target) {
    auto* sc = dynamic_cast<ScriptClip*>(target);
    return sc ? sc->clip() : nullptr;
}

// A clip's own transform, then each enclosing clip's, then the whole movie's.
SoundTransform MovieSound::transformOf(const Clip* clip) const {
    SoundTransform t;
    for (const Clip* c = clip; c; c = c->owner ? c->owner->parent : nullptr)
        if (c->sound && c->sound->hasTransform) t = t.then(c->sound->transform);
    return t.then(wholeMovie_);
}

std::shared_ptr<const PcmBuffer> MovieSound::decoded(uint16_t soundId) {
    if (auto it = decoded_.find(soundId); it != decoded_.end()) return it->second;
    if (undecodable_.count(soundId)) return nullptr;
    const DefinedSound* sound = movie_->findAs<DefinedSound>(soundId);
    if (!sound) {
        undecodable_[soundId] = true;
        warn("sound " + std::to_string(soundId) + " is played but never defined");
        return nullptr;
    }
    std::string error;
    auto pcm = std::make_shared<PcmBuffer>(decodeDefinedSound(*sound, error));
    size_t bytes = pcm->samples.size() * sizeof(int16_t);
    if (!error.empty() || pcm->frames() == 0 || bytes > kMaxDecodedBytes - decodedBytes_) {
        undecodable_[soundId] = true;
        warn("sound " + std::to_string(soundId) + " is not played: " +
             (!error.empty() ? error : pcm->frames() == 0 ? "it decodes to nothing" : "the movie's sounds take too much memory"));
        return nullptr;
    }
    decodedBytes_ += bytes;
    decoded_[soundId] = pcm;
    return pcm;
}

std::optional<uint16_t> MovieSound::exportedSound(const std::string& linkage) const {
    auto it = movie_->exports.find(linkage);
    if (it == movie_->exports.end())  // linkage names match regardless of case
        it = std::find_if(movie_->exports.begin(), movie_->exports.end(),
                          [&](const auto& e) { return equalsIgnoringCase(e.first, linkage); });
    if (it == movie_->exports.end() || !movie_->findAs<DefinedSound>(it->second)) return std::nullopt;
    return it->second;
}

void MovieSound::startEvent(uint16_t soundId, const SoundInfo& info, Clip* clip) {
    if (info.syncStop) {
        mixer_->stopSound(soundId);
        return;
    }
    if (info.syncNoMultiple && mixer_->isSoundPlaying(soundId)) return;
    auto pcm = decoded(soundId);
    if (!pcm) return;
    VoiceSettings v;
    v.sound = std::move(pcm);
    v.inPoint = info.inPoint.value_or(0);
    v.outPoint = info.outPoint;
    v.loops = info.loopCount;
    v.envelope = info.envelope;
    v.soundId = soundId;
    v.owner = clip ? soundOf(*clip).owner : kWholeMovieOwner;
    v.transform = transformOf(clip);
    mixer_->play(std::move(v));
}

void MovieSound::startStream(Clip& clip, ClipSound& state, int frameIndex) {
    const SoundStreamHead* head = streamHeadOf(*clip.timeline);
    if (!head) return;
    std::vector<std::span<const uint8_t>> blocks;
    const auto& frames = clip.timeline->frames;
    for (size_t f = static_cast<size_t>(frameIndex); f < frames.size(); ++f)
        if (const SoundStreamBlock* b = streamBlockOf(frames[f])) blocks.emplace_back(b->data);
    auto source = std::make_unique<StreamSource>(*head, std::move(blocks), movie_);
    VoiceSettings v;
    v.source = std::move(source);
    v.owner = state.owner;
    v.transform = transformOf(&clip);
    state.stream = mixer_->play(std::move(v));
    state.streamStartFrame = frameIndex;
}

void MovieSound::frameShown(Clip& clip, int frameIndex, bool inSequence) {
    if (!clip.timeline || frameIndex < 0 || frameIndex >= static_cast<int>(clip.timeline->frames.size())) return;
    const Frame& frame = clip.timeline->frames[static_cast<size_t>(frameIndex)];
    const SoundStreamBlock* block = nullptr;
    for (const ControlTag& tag : frame.tags) {
        if (const auto* s = std::get_if<StartSound>(&tag)) {
            std::optional<uint16_t> id = s->className ? exportedSound(*s->className) : std::optional<uint16_t>(s->soundId);
            if (id) startEvent(*id, s->info, &clip);
        } else if (const auto* b = std::get_if<SoundStreamBlock>(&tag)) {
            block = b;
        }
    }
    ClipSound* state = clip.sound.get();
    bool streaming = state && state->stream && mixer_->isPlaying(state->stream);
    if (streaming && inSequence) return;  // the stream plays on through this frame
    if (streaming) {
        // A jump: the stream starts again where the new frame's sound is.
        mixer_->stop(state->stream);
        state->stream = 0;
    }
    if (block) startStream(clip, soundOf(clip), frameIndex);
}

int MovieSound::framesToAdvance(const Clip& clip) {
    const ClipSound* state = clip.sound.get();
    if (!state || !state->stream) return 1;
    std::optional<uint64_t> played = mixer_->playedFrames(state->stream);
    if (!played) return 1;  // the stream has ended: the frames go on at their own rate
    auto due = state->streamStartFrame + static_cast<int64_t>(std::llround(double(*played) * frameRate_ / kMixRate));
    int64_t steps = due - clip.frame;
    if (steps <= -1) return 0;  // the sound is behind: the picture waits
    // Ahead: frames are passed over to catch up, at most a second's worth at once.
    return static_cast<int>(std::clamp<int64_t>(steps, 1, std::max<int64_t>(1, std::llround(frameRate_))));
}

void MovieSound::buttonStateChanged(const DisplayObject& button, const Button& definition, int from, int to) {
    int transition = buttonTransition(from, to);
    if (transition < 0 || !definition.sounds[static_cast<size_t>(transition)]) return;
    const ButtonSound& s = *definition.sounds[static_cast<size_t>(transition)];
    startEvent(s.soundId, s.info, button.parent);
}

void MovieSound::update() {
    std::erase_if(clipSounds_, [](const std::weak_ptr<ClipSound>& w) { return w.expired(); });
    for (const auto& weak : clipSounds_) {
        auto state = weak.lock();
        if (state->stream && !state->clip->playing) {
            mixer_->stop(state->stream);
            state->stream = 0;
        }
        mixer_->setOwnerTransform(state->owner, transformOf(state->clip));
    }
    mixer_->setOwnerTransform(kWholeMovieOwner, wholeMovie_);
    std::erase_if(channels_, [&](const auto& c) { return !mixer_->isPlaying(c.first); });
    for (const auto& [voice, channel] : channels_) mixer_->setOwnerTransform(channel.owner, channel.transform.then(wholeMovie_));
}

double MovieSound::exportedSoundDurationMs(const std::string& linkage) {
    std::optional<uint16_t> id = exportedSound(linkage);
    return id ? soundDurationMs(*id) : -1;
}

double MovieSound::soundDurationMs(uint16_t soundId) {
    const DefinedSound* s = movie_->findAs<DefinedSound>(soundId);
    if (!s) return -1;
    if (s->sampleCount > 0 && s->format.sampleRate > 0) return s->sampleCount * 1000.0 / s->format.sampleRate;
    auto pcm = decoded(soundId);
    return pcm ? pcm->frames() * 1000.0 / kMixRate : 0;
}

uint64_t MovieSound::startExportedSound(avm1::Clip* target, const std::string& linkage, double offsetSeconds,
                                        int loops) {
    std::optional<uint16_t> id = exportedSound(linkage);
    if (!id) return 0;
    Clip* clip = target ? coreClip(target) : nullptr;
    if (target && !clip) return 0;
    return startVoice(*id, offsetSeconds, loops, clip ? soundOf(*clip).owner : kWholeMovieOwner, transformOf(clip));
}

uint64_t MovieSound::startVoice(uint16_t soundId, double offsetSeconds, int loops, uint64_t owner,
                                const SoundTransform& transform) {
    auto pcm = decoded(soundId);
    if (!pcm) return 0;
    VoiceSettings v;
    v.sound = std::move(pcm);
    double in = std::isfinite(offsetSeconds) ? std::max(0.0, offsetSeconds) * kMixRate : 0;
    if (in >= static_cast<double>(v.sound->frames())) return 0;
    v.inPoint = static_cast<uint32_t>(in);
    v.loops = static_cast<uint32_t>(std::clamp(loops, 1, 1 << 20));
    v.soundId = soundId;
    v.owner = owner;
    v.transform = transform;
    return mixer_->play(std::move(v));
}

uint64_t MovieSound::startChannel(uint16_t soundId, double offsetMs, int loops, const SoundTransform& transform) {
    const uint64_t owner = nextOwner_++;
    const uint64_t voice = startVoice(soundId, offsetMs / 1000.0, loops, owner, transform.then(wholeMovie_));
    if (voice) channels_[voice] = Channel{owner, transform};
    return voice;
}

void MovieSound::setChannelTransform(uint64_t voice, const SoundTransform& transform) {
    auto it = channels_.find(voice);
    if (it == channels_.end()) return;
    it->second.transform = transform;
    mixer_->setOwnerTransform(it->second.owner, transform.then(wholeMovie_));
}

void MovieSound::stopVoice(uint64_t voice) {
    mixer_->stop(voice);
    channels_.erase(voice);
}

void MovieSound::setMovieTransform(const SoundTransform& transform) {
    wholeMovie_ = transform;
    update();
}

void MovieSound::stopSounds(avm1::Clip* target, const std::string& linkage) {
    std::optional<uint16_t> id;
    if (!linkage.empty()) {
        id = exportedSound(linkage);
        if (!id) return;
    }
    Clip* clip = target ? coreClip(target) : nullptr;
    if (!clip) {
        if (target) return;
        if (id)
            mixer_->stopSound(*id);
        else
            mixer_->stopAll();
        return;
    }
    mixer_->stopOwner(soundOf(*clip).owner, id);
}

double MovieSound::voicePositionMs(uint64_t voice) {
    std::optional<uint64_t> at = mixer_->positionInSound(voice);
    return at ? *at * 1000.0 / kMixRate : -1;
}

void MovieSound::setSoundTransform(avm1::Clip* target, const avm1::SoundTransformValues& values) {
    SoundTransform t;
    double v = values.volume / 100.0;
    t.ll = values.ll / 100.0 * v;
    t.lr = values.lr / 100.0 * v;
    t.rr = values.rr / 100.0 * v;
    t.rl = values.rl / 100.0 * v;
    if (!target) {
        wholeMovie_ = t;
    } else if (Clip* clip = coreClip(target)) {
        ClipSound& s = soundOf(*clip);
        s.transform = t;
        s.hasTransform = true;
    }
    update();
}

void MovieSound::stopAllSounds() {
    mixer_->stopAll();
    channels_.clear();
    for (const auto& weak : clipSounds_)
        if (auto s = weak.lock()) s->stream = 0;
}

std::vector<uint64_t> MovieSound::takeCompletedVoices() { return mixer_->takeFinished(); }

}  // namespace swf
