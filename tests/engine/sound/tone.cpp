#include "tests/engine/sound/tone.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "tools/swfwriter/swf_writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace swf::test {

std::vector<int16_t> sineTone(double hz, double seconds, int rate, int channels, double amplitude, double rightHz) {
    size_t frames = static_cast<size_t>(seconds * rate);
    std::vector<int16_t> out;
    out.reserve(frames * static_cast<size_t>(channels));
    for (size_t i = 0; i < frames; ++i) {
        double t = double(i) / rate;
        out.push_back(static_cast<int16_t>(amplitude * std::sin(2 * M_PI * hz * t)));
        if (channels == 2) {
            double r = rightHz < 0 ? hz : rightHz;
            out.push_back(r == 0 ? 0 : static_cast<int16_t>(amplitude * std::sin(2 * M_PI * r * t)));
        }
    }
    return out;
}

std::vector<uint8_t> pcm16le(const std::vector<int16_t>& samples) {
    std::vector<uint8_t> out;
    for (int16_t s : samples) {
        out.push_back(static_cast<uint8_t>(s));
        out.push_back(static_cast<uint8_t>(static_cast<uint16_t>(s) >> 8));
    }
    return out;
}

std::vector<uint8_t> pcm8unsigned(const std::vector<int16_t>& samples) {
    std::vector<uint8_t> out;
    for (int16_t s : samples) out.push_back(static_cast<uint8_t>((s >> 8) + 128));
    return out;
}

namespace {

class BitWriter {
public:
    void put(uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i) {
            acc_ = static_cast<uint8_t>((acc_ << 1) | ((value >> i) & 1));
            if (++count_ == 8) {
                out.push_back(acc_);
                acc_ = 0;
                count_ = 0;
            }
        }
    }
    std::vector<uint8_t> finish() {
        if (count_) out.push_back(static_cast<uint8_t>(acc_ << (8 - count_)));
        return out;
    }
    std::vector<uint8_t> out;

private:
    uint8_t acc_ = 0;
    int count_ = 0;
};

// The IMA step table and the index changes per code size, as the format documents them.
const int kSteps[89] = {7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 19, 21, 23, 25, 28, 31, 34, 37, 41, 45, 50, 55, 60,
                        66, 73, 80, 88, 97, 107, 118, 130, 143, 157, 173, 190, 209, 230, 253, 279, 307, 337, 371,
                        408, 449, 494, 544, 598, 658, 724, 796, 876, 963, 1060, 1166, 1282, 1411, 1552, 1707, 1878,
                        2066, 2272, 2499, 2749, 3024, 3327, 3660, 4026, 4428, 4871, 5358, 5894, 6484, 7132, 7845,
                        8630, 9493, 10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086,
                        29794, 32767};
const int kIndex2[] = {-1, 2};
const int kIndex3[] = {-1, -1, 2, 4};
const int kIndex4[] = {-1, -1, -1, -1, 2, 4, 6, 8};
const int kIndex5[] = {-1, -1, -1, -1, -1, -1, -1, -1, 1, 2, 4, 6, 8, 10, 13, 16};

struct AdpcmChannel {
    int predicted = 0, index = 0;
    uint32_t encode(int sample, int bits) {
        const int* table = bits == 2 ? kIndex2 : bits == 3 ? kIndex3 : bits == 4 ? kIndex4 : kIndex5;
        int step = kSteps[index];
        int diff = sample - predicted;
        uint32_t sign = diff < 0 ? 1u << (bits - 1) : 0;
        if (diff < 0) diff = -diff;
        // Successive approximation, as the decoder rebuilds it: step, step/2, ... plus step/2^(bits-1).
        uint32_t code = 0;
        int delta = step >> (bits - 1);
        for (int bit = bits - 2, s = step; bit >= 0; --bit, s >>= 1) {
            if (diff >= s) {
                code |= 1u << bit;
                diff -= s;
                delta += s;
            }
        }
        predicted = std::clamp(predicted + (sign ? -delta : delta), -32768, 32767);
        index = std::clamp(index + table[code], 0, 88);
        return sign | code;
    }
};

}  // namespace

std::vector<uint8_t> adpcm(const std::vector<int16_t>& samples, int channels, int bits) {
    BitWriter w;
    w.put(static_cast<uint32_t>(bits - 2), 2);
    size_t frames = samples.size() / static_cast<size_t>(channels);
    std::vector<AdpcmChannel> state(static_cast<size_t>(channels));
    for (size_t i = 0; i < frames; ++i) {
        bool blockStart = i % 4096 == 0;
        for (int c = 0; c < channels; ++c) {
            int s = samples[i * static_cast<size_t>(channels) + static_cast<size_t>(c)];
            AdpcmChannel& ch = state[static_cast<size_t>(c)];
            if (blockStart) {
                ch.predicted = s;
                w.put(static_cast<uint16_t>(s), 16);
                w.put(static_cast<uint32_t>(ch.index), 6);
            } else {
                w.put(ch.encode(s, bits), bits);
            }
        }
    }
    return w.finish();
}

std::optional<std::vector<uint8_t>> mp3(const std::vector<int16_t>& samples, int rate, int channels, int kbps) {
    if (std::system("command -v lame >/dev/null 2>&1") != 0) return std::nullopt;
    char dir[] = "/tmp/swfsound-XXXXXX";
    if (!mkdtemp(dir)) return std::nullopt;
    std::string raw = std::string(dir) + "/in.raw", out = std::string(dir) + "/out.mp3";
    {
        std::vector<uint8_t> bytes = pcm16le(samples);
        std::ofstream f(raw, std::ios::binary);
        f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::string cmd = "lame --silent -r -s " + std::to_string(rate / 1000.0) + " --bitwidth 16 --signed --little-endian -m " +
                      (channels == 2 ? "j" : "m") + " -t -b " + std::to_string(kbps) + " " + raw + " " + out + " 2>/dev/null";
    std::optional<std::vector<uint8_t>> result;
    if (std::system(cmd.c_str()) == 0) {
        std::ifstream f(out, std::ios::binary);
        result = std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
    }
    std::remove(raw.c_str());
    std::remove(out.c_str());
    rmdir(dir);
    return result;
}

std::vector<std::vector<uint8_t>> mp3Frames(const std::vector<uint8_t>& mp3) {
    static const int kKbps[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    static const int kRates[4] = {44100, 48000, 32000, 0};
    std::vector<std::vector<uint8_t>> frames;
    size_t at = 0;
    while (at + 4 <= mp3.size()) {
        if (mp3[at] != 0xFF || (mp3[at + 1] & 0xFE) != 0xFA) {  // MPEG-1 layer III sync
            ++at;
            continue;
        }
        int kbps = kKbps[mp3[at + 2] >> 4], rate = kRates[(mp3[at + 2] >> 2) & 3];
        if (!kbps || !rate) {
            ++at;
            continue;
        }
        size_t length = static_cast<size_t>(144 * kbps * 1000 / rate + ((mp3[at + 2] >> 1) & 1));
        if (at + length > mp3.size()) break;
        frames.emplace_back(mp3.begin() + static_cast<std::ptrdiff_t>(at),
                            mp3.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
    }
    return frames;
}

std::vector<uint8_t> mp3StreamMovie(const std::vector<uint8_t>& mp3, int rate, bool stereo, double fps, int frames) {
    swfw::SwfWriter w(8, Rect{0, 0, 200 * 20, 200 * 20}, fps);
    SoundStreamHead head;
    head.stream = head.playback = SoundFormat{SoundCodec::Mp3, static_cast<uint32_t>(rate), true, stereo};
    head.samplesPerBlock = static_cast<uint16_t>(rate / fps);
    w.soundStreamHead(head);
    auto mpFrames = mp3Frames(mp3);
    size_t next = 0;
    for (int f = 0; f < frames; ++f) {
        double frameStart = f * rate / fps, frameEnd = (f + 1) * rate / fps;
        std::vector<uint8_t> data;
        uint16_t count = 0;
        int16_t seek = 0;
        bool first = true;
        while (next < mpFrames.size() && next * 1152.0 < frameEnd) {
            if (first) seek = static_cast<int16_t>(frameStart - next * 1152.0);
            first = false;
            data.insert(data.end(), mpFrames[next].begin(), mpFrames[next].end());
            count = static_cast<uint16_t>(count + 1152);
            ++next;
        }
        std::vector<uint8_t> block = {static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8),
                                      static_cast<uint8_t>(seek), static_cast<uint8_t>(static_cast<uint16_t>(seek) >> 8)};
        block.insert(block.end(), data.begin(), data.end());
        if (!data.empty()) w.soundStreamBlock(block);
        w.showFrame();
    }
    return w.finish();
}

std::vector<uint8_t> nellymoser(const std::vector<int16_t>& samples, int rate) {
    std::vector<uint8_t> out;
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_NELLYMOSER);
    if (!codec) return out;
    AVCodecContext* ctx = avcodec_alloc_context3(codec);
    ctx->sample_rate = rate;
    ctx->sample_fmt = AV_SAMPLE_FMT_FLT;
    av_channel_layout_default(&ctx->ch_layout, 1);
    if (avcodec_open2(ctx, codec, nullptr) < 0) {
        avcodec_free_context(&ctx);
        return out;
    }
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    auto drain = [&] {
        while (avcodec_receive_packet(ctx, packet) == 0) {
            out.insert(out.end(), packet->data, packet->data + packet->size);
            av_packet_unref(packet);
        }
    };
    for (size_t at = 0; at < samples.size(); at += static_cast<size_t>(ctx->frame_size)) {
        frame->nb_samples = ctx->frame_size;
        frame->format = AV_SAMPLE_FMT_FLT;
        av_channel_layout_default(&frame->ch_layout, 1);
        av_frame_get_buffer(frame, 0);
        auto* data = reinterpret_cast<float*>(frame->data[0]);
        for (int i = 0; i < ctx->frame_size; ++i) {
            size_t k = at + static_cast<size_t>(i);
            data[i] = k < samples.size() ? samples[k] / 32768.0f : 0.0f;
        }
        avcodec_send_frame(ctx, frame);
        av_frame_unref(frame);
        drain();
    }
    avcodec_send_frame(ctx, nullptr);
    drain();
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&ctx);
    return out;
}

ToneMeasure measure(const std::vector<int16_t>& stereo, int channel, int threshold) {
    ToneMeasure m;
    size_t frames = stereo.size() / 2;
    auto at = [&](size_t i) { return int(stereo[2 * i + static_cast<size_t>(channel)]); };
    size_t first = frames, last = 0;
    for (size_t i = 0; i < frames; ++i) {
        if (std::abs(at(i)) >= threshold) {
            first = std::min(first, i);
            last = i;
        }
        m.peak = std::max(m.peak, std::abs(at(i)));
    }
    if (first >= frames) return m;
    m.startSeconds = double(first) / 44100;
    m.seconds = double(last + 1 - first) / 44100;
    int crossings = 0;
    double energy = 0;
    for (size_t i = first; i <= last; ++i) {
        energy += double(at(i)) * at(i);
        if (i > first && at(i - 1) < 0 && at(i) >= 0) ++crossings;
    }
    m.pitchHz = crossings / m.seconds;
    m.rms = std::sqrt(energy / double(last + 1 - first));
    return m;
}

}  // namespace swf::test
