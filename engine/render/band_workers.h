// Draws parts of a recorded frame on several threads at once. Each thread has its own software
// renderer on the shared target and draws only the pieces it was given, so no two threads write the
// same pixel, and every pixel comes out exactly as in a frame drawn whole by one renderer.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/base/image.h"
#include "engine/render/int_rect.h"
#include "engine/render/paint_recording.h"

namespace swf {
class SoftwareRenderer;
}

namespace swf::render {

// More threads than this gain little: the pixels left for each get few, and each thread still walks
// every call of the frame.
constexpr int kMaxDrawingThreads = 4;

// One per processor, at most kMaxDrawingThreads.
int defaultDrawingThreads();

class BandWorkers {
public:
    // `threads` <= 0 takes defaultDrawingThreads(); more than kMaxDrawingThreads is limited to it.
    // `target` must outlive the workers; its size may change between draws.
    BandWorkers(RgbaImage& target, int threads);
    ~BandWorkers();
    BandWorkers(const BandWorkers&) = delete;
    BandWorkers& operator=(const BandWorkers&) = delete;

    int threads() const { return static_cast<int>(renderers_.size()); }
    // What the constructor was asked for: threads() is less where the system started fewer.
    int requestedThreads() const { return requested_; }

    // Draws `calls` into the pixels of `areas` (which must not overlap, as separateRects() gives
    // them); the pixels outside are left as they are. Returns when every piece is drawn; a failure
    // on any thread is rethrown here. Layers finished in `layers` are drawn from their pixels.
    void draw(const std::vector<PaintCall>& calls, const std::vector<IntRect>& areas,
              const LayerCache* layers = nullptr);

private:
    void work(size_t renderer);
    void workerMain(size_t renderer);

    RgbaImage& target_;
    int requested_ = 0;
    std::vector<std::unique_ptr<SoftwareRenderer>> renderers_;  // [0] is the calling thread's

    // The draw in progress: its calls, and its pieces, taken in turn by whichever thread is free.
    const std::vector<PaintCall>* calls_ = nullptr;
    const LayerCache* layers_ = nullptr;
    std::vector<IntRect> pieces_;
    std::atomic<size_t> nextPiece_{0};
    std::exception_ptr failure_;

    std::mutex mutex_;
    std::condition_variable wake_, finished_;
    uint64_t generation_ = 0;  // counts draws: a worker wakes for each new one
    size_t busyWorkers_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> workers_;  // last: they start once everything above exists
};

}  // namespace swf::render
