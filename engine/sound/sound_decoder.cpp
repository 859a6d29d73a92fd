#include "engine/sound/sound_decoder.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace swf {

namespace {

struct CodecChoice {
    AVCodecID id = AV_CODEC_ID_NONE;
    const char* why = nullptr;  // set when there is no decoder for the format
};

CodecChoice codecFor(const SoundFormat& f) {
    switch (f.codec) {
    case SoundCodec::PcmNativeEndian:  // written on little-endian machines in practice
    case SoundCodec::PcmLittleEndian: return {f.sixteenBit ? AV_CODEC_ID_PCM_S16LE : AV_CODEC_ID_PCM_U8};
    case SoundCodec::Adpcm: return {AV_CODEC_ID_ADPCM_SWF};
    case SoundCodec::Mp3: return {AV_CODEC_ID_MP3};
    case SoundCodec::Nellymoser16k:
    case SoundCodec::Nellymoser8k:
    case SoundCodec::Nellymoser: return {AV_CODEC_ID_NELLYMOSER};
    case SoundCodec::Speex: return {AV_CODEC_ID_NONE, "Speex sound is not decoded"};
    }
    return {AV_CODEC_ID_NONE, "unknown sound format"};
}

}  // namespace

struct SoundDecoder::Impl {
    SoundFormat format;
    AVCodecContext* context = nullptr;
    AVCodecParserContext* parser = nullptr;  // MP3: finds frame boundaries
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    SwrContext* resampler = nullptr;
    int resamplerRate = 0, resamplerFormat = -1, resamplerChannels = 0;
    std::vector<int16_t> scratch;

    ~Impl() {
        swr_free(&resampler);
        av_frame_free(&frame);
        av_packet_free(&packet);
        if (parser) av_parser_close(parser);
        avcodec_free_context(&context);
    }

    // (Re)made when a frame arrives in a shape the resampler was not made for (an MP3 stream may
    // change rate or channels between frames).
    bool prepareResampler(const AVFrame* f) {
        int channels = f->ch_layout.nb_channels;
        if (resampler && resamplerRate == f->sample_rate && resamplerFormat == f->format &&
            resamplerChannels == channels)
            return true;
        swr_free(&resampler);
        // Mono stays mono here and is copied to both sides at full level (a down-mix would lower it).
        AVChannelLayout in, out;
        av_channel_layout_default(&in, channels);
        av_channel_layout_default(&out, channels == 1 ? 1 : 2);
        int rc = swr_alloc_set_opts2(&resampler, &out, AV_SAMPLE_FMT_S16, kMixRate, &in,
                                     static_cast<AVSampleFormat>(f->format), f->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&in);
        av_channel_layout_uninit(&out);
        if (rc < 0 || swr_init(resampler) < 0) {
            swr_free(&resampler);
            return false;
        }
        resamplerRate = f->sample_rate;
        resamplerFormat = f->format;
        resamplerChannels = channels;
        return true;
    }

    void append(const uint8_t* const* input, int inFrames, std::vector<int16_t>& out, size_t limitFrames) {
        int room = swr_get_out_samples(resampler, inFrames);
        if (room <= 0) return;
        const bool mono = resamplerChannels == 1;
        scratch.resize(static_cast<size_t>(room) * 2);
        uint8_t* dst[1] = {reinterpret_cast<uint8_t*>(scratch.data())};
        int made = swr_convert(resampler, dst, room, const_cast<const uint8_t**>(input), inFrames);
        if (made <= 0) return;
        size_t have = out.size() / 2;
        size_t take = std::min<size_t>(static_cast<size_t>(made), limitFrames > have ? limitFrames - have : 0);
        if (mono) {
            out.reserve(out.size() + take * 2);
            for (size_t i = 0; i < take; ++i) out.insert(out.end(), 2, scratch[i]);
        } else {
            out.insert(out.end(), scratch.begin(), scratch.begin() + static_cast<std::ptrdiff_t>(take * 2));
        }
    }

    void receive(std::vector<int16_t>& out, size_t limitFrames) {
        while (avcodec_receive_frame(context, frame) == 0) {
            if (frame->sample_rate <= 0) frame->sample_rate = context->sample_rate;
            if (frame->nb_samples > 0 && prepareResampler(frame))
                append(frame->extended_data, frame->nb_samples, out, limitFrames);
            av_frame_unref(frame);
        }
    }

    void sendPacket(const uint8_t* data, size_t size, std::vector<int16_t>& out, size_t limitFrames) {
        if (av_new_packet(packet, static_cast<int>(size)) < 0) return;
        std::memcpy(packet->data, data, size);
        // A damaged packet is dropped; what decoded before it stays.
        if (avcodec_send_packet(context, packet) == 0) receive(out, limitFrames);
        av_packet_unref(packet);
    }
};

SoundDecoder::SoundDecoder(const SoundFormat& format) {
    // A damaged movie's sound is reported by the player, once; the library's own log stays quiet.
    static const bool quiet = [] {
        av_log_set_level(AV_LOG_QUIET);
        return true;
    }();
    (void)quiet;
    CodecChoice choice = codecFor(format);
    if (choice.why) {
        error_ = choice.why;
        return;
    }
    const AVCodec* codec = avcodec_find_decoder(choice.id);
    if (!codec) {
        error_ = std::string("no decoder for ") + avcodec_get_name(choice.id);
        return;
    }
    auto impl = std::make_unique<Impl>();
    impl->format = format;
    impl->context = avcodec_alloc_context3(codec);
    impl->packet = av_packet_alloc();
    impl->frame = av_frame_alloc();
    if (!impl->context || !impl->packet || !impl->frame) {
        error_ = "out of memory for a sound decoder";
        return;
    }
    bool nelly = choice.id == AV_CODEC_ID_NELLYMOSER;
    impl->context->sample_rate = static_cast<int>(format.sampleRate);
    av_channel_layout_default(&impl->context->ch_layout, format.stereo && !nelly ? 2 : 1);
    if (choice.id == AV_CODEC_ID_MP3) impl->parser = av_parser_init(AV_CODEC_ID_MP3);
    if (avcodec_open2(impl->context, codec, nullptr) < 0) {
        error_ = std::string("the ") + avcodec_get_name(choice.id) + " decoder cannot be opened";
        return;
    }
    impl_ = std::move(impl);
}

SoundDecoder::~SoundDecoder() = default;

void SoundDecoder::decode(std::span<const uint8_t> data, std::vector<int16_t>& out, size_t limitFrames) {
    if (!impl_ || data.empty() || out.size() / 2 >= limitFrames) return;
    Impl& d = *impl_;
    if (d.parser) {
        const uint8_t* p = data.data();
        size_t left = data.size();
        while (left > 0 && out.size() / 2 < limitFrames) {
            uint8_t* frameData = nullptr;
            int frameSize = 0;
            int used = av_parser_parse2(d.parser, d.context, &frameData, &frameSize, p, static_cast<int>(left),
                                        AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
            if (used < 0) break;
            p += used;
            left -= static_cast<size_t>(used);
            if (frameSize > 0) d.sendPacket(frameData, static_cast<size_t>(frameSize), out, limitFrames);
            if (used == 0 && frameSize == 0) break;
        }
        return;
    }
    size_t size = data.size();
    const AVCodecID id = d.context->codec_id;
    if (id == AV_CODEC_ID_PCM_S16LE || id == AV_CODEC_ID_PCM_U8) {
        size_t unit = (id == AV_CODEC_ID_PCM_S16LE ? 2u : 1u) * static_cast<size_t>(d.context->ch_layout.nb_channels);
        size -= size % unit;  // a torn last sample is dropped
    } else if (id == AV_CODEC_ID_NELLYMOSER) {
        size -= size % 64;  // whole 64-byte blocks of 256 samples
    }
    // Big uncompressed sounds go in pieces so that no single packet is huge.
    constexpr size_t kPiece = 1 << 20;
    size_t step = (id == AV_CODEC_ID_ADPCM_SWF) ? size : kPiece - kPiece % 64;
    for (size_t at = 0; at < size && out.size() / 2 < limitFrames; at += step)
        d.sendPacket(data.data() + at, std::min(step, size - at), out, limitFrames);
}

void SoundDecoder::flush(std::vector<int16_t>& out, size_t limitFrames) {
    if (!impl_) return;
    Impl& d = *impl_;
    if (d.parser) {  // the parser holds the last frame until it sees the end
        uint8_t* frameData = nullptr;
        int frameSize = 0;
        av_parser_parse2(d.parser, d.context, &frameData, &frameSize, nullptr, 0, AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
        if (frameSize > 0) d.sendPacket(frameData, static_cast<size_t>(frameSize), out, limitFrames);
    }
    if (d.resampler) d.append(nullptr, 0, out, limitFrames);
}

PcmBuffer decodeDefinedSound(const DefinedSound& sound, std::string& error, double maxSeconds) {
    PcmBuffer pcm;
    SoundDecoder decoder(sound.format);
    if (!decoder.ok()) {
        error = decoder.error();
        return pcm;
    }
    std::span<const uint8_t> data(sound.data);
    size_t skip = 0;
    size_t limit = static_cast<size_t>(maxSeconds * kMixRate);
    if (sound.format.codec == SoundCodec::Mp3) {
        if (data.size() < 2) return pcm;
        int16_t seek = static_cast<int16_t>(data[0] | (data[1] << 8));
        data = data.subspan(2);
        skip = framesAtMixRate(static_cast<uint64_t>(std::max<int16_t>(seek, 0)), sound.format.sampleRate);
        // MP3 pads its last frame: the stated count is the sound's true length.
        if (sound.sampleCount > 0)
            limit = std::min(limit, skip + framesAtMixRate(sound.sampleCount, sound.format.sampleRate));
    }
    decoder.decode(data, pcm.samples, limit);
    decoder.flush(pcm.samples, limit);
    if (skip > 0) pcm.samples.erase(pcm.samples.begin(), pcm.samples.begin() + static_cast<std::ptrdiff_t>(
                                                                                std::min(skip * 2, pcm.samples.size())));
    return pcm;
}

}  // namespace swf
