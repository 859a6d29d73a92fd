#include "engine/sound/stream_source.h"

#include <algorithm>
#include <cstring>

namespace swf {

namespace {
// Enough decoded sound for a few blocks; more than this from one block is damage.
constexpr size_t kMaxFramesPerBlock = kMixRate * 10;
}  // namespace

StreamSource::StreamSource(const SoundStreamHead& head, std::vector<std::span<const uint8_t>> blocks,
                           std::shared_ptr<const void> keepAlive)
    : format_(head.stream), decoder_(head.stream), blocks_(std::move(blocks)), keepAlive_(std::move(keepAlive)) {
    if (format_.codec == SoundCodec::Mp3 && !blocks_.empty() && blocks_[0].size() >= 4) {
        int16_t seek = static_cast<int16_t>(blocks_[0][2] | (blocks_[0][3] << 8));
        skip_ = framesAtMixRate(static_cast<uint64_t>(std::max<int16_t>(seek, 0)), format_.sampleRate);
    }
}

bool StreamSource::decodeNext() {
    if (!decoder_.ok()) return false;
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(pendingAt_));
    pendingAt_ = 0;
    if (next_ >= blocks_.size()) {
        if (flushed_) return false;
        flushed_ = true;
        size_t before = pending_.size();
        decoder_.flush(pending_, pending_.size() / 2 + kMaxFramesPerBlock);
        return pending_.size() > before;
    }
    std::span<const uint8_t> block = blocks_[next_++];
    // MP3 blocks start with their sample count and seek samples.
    if (format_.codec == SoundCodec::Mp3) block = block.size() >= 4 ? block.subspan(4) : block.subspan(block.size());
    decoder_.decode(block, pending_, pending_.size() / 2 + kMaxFramesPerBlock);
    return true;
}

size_t StreamSource::read(int16_t* stereo, size_t frames) {
    size_t written = 0;
    while (written < frames) {
        size_t available = (pending_.size() - pendingAt_) / 2;
        if (skip_ > 0 && available > 0) {
            size_t n = std::min(skip_, available);
            pendingAt_ += n * 2;
            skip_ -= n;
            continue;
        }
        if (available == 0) {
            if (!decodeNext()) break;
            continue;
        }
        size_t n = std::min(available, frames - written);
        std::memcpy(stereo + written * 2, pending_.data() + pendingAt_, n * 2 * sizeof(int16_t));
        pendingAt_ += n * 2;
        written += n;
    }
    return written;
}

}  // namespace swf
