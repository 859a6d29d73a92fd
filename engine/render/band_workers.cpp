#include "engine/render/band_workers.h"

#include <algorithm>
#include <system_error>

#include "engine/render/software_renderer.h"

namespace swf::render {

namespace {

// Below this many rows a piece costs more in walking the calls than it saves in drawing.
constexpr int kMinPieceRows = 16;
// Each thread gets about this many pieces, so that one that drew an easy piece takes another
// while a busy one is still on its first.
constexpr int kPiecesPerThread = 2;

}  // namespace

int defaultDrawingThreads() {
    // Asked once: the players ask each frame, and the count may be read from the system's files.
    static const int threads = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, kMaxDrawingThreads);
    return threads;
}

BandWorkers::BandWorkers(RgbaImage& target, int threads) : target_(target) {
    if (threads <= 0) threads = defaultDrawingThreads();
    threads = std::min(threads, kMaxDrawingThreads);
    requested_ = threads;
    for (int i = 0; i < threads; ++i) renderers_.push_back(std::make_unique<SoftwareRenderer>(target_));
    try {
        for (size_t i = 1; i < renderers_.size(); ++i) workers_.emplace_back(&BandWorkers::workerMain, this, i);
    } catch (const std::system_error&) {
        // A system that will not start another thread draws with the ones it did start.
        renderers_.resize(workers_.size() + 1);
    }
}

BandWorkers::~BandWorkers() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& worker : workers_) worker.join();
}

void BandWorkers::draw(const std::vector<PaintCall>& calls, const std::vector<IntRect>& areas,
                       const LayerCache* layers) {
    int rows = 0;
    for (const IntRect& area : areas) rows += area.height();
    if (rows == 0) return;

    // Each area is cut across into pieces of about equal height, in order.
    const int pieceCount = std::clamp(rows / kMinPieceRows, 1, threads() * kPiecesPerThread);
    const int pieceRows = (rows + pieceCount - 1) / pieceCount;
    pieces_.clear();
    for (const IntRect& area : areas) {
        if (area.empty()) continue;
        for (int y = area.y0; y < area.y1; y += pieceRows)
            pieces_.push_back({area.x0, y, area.x1, std::min(area.y1, y + pieceRows)});
    }

    calls_ = &calls;
    layers_ = layers;
    nextPiece_ = 0;
    failure_ = nullptr;
    const bool shared = pieces_.size() > 1 && !workers_.empty();
    if (shared) {
        std::lock_guard lock(mutex_);
        ++generation_;
        busyWorkers_ = workers_.size();
    }
    if (shared) wake_.notify_all();
    work(0);
    if (shared) {
        std::unique_lock lock(mutex_);
        finished_.wait(lock, [&] { return busyWorkers_ == 0; });
    }
    calls_ = nullptr;
    layers_ = nullptr;
    if (failure_) std::rethrow_exception(failure_);
}

void BandWorkers::work(size_t renderer) {
    SoftwareRenderer& r = *renderers_[renderer];
    try {
        for (size_t k = nextPiece_++; k < pieces_.size(); k = nextPiece_++) {
            r.limitTo(pieces_[k]);
            replayArea(*calls_, r, pieces_[k], layers_);
        }
    } catch (...) {
        std::lock_guard lock(mutex_);
        if (!failure_) failure_ = std::current_exception();
        nextPiece_ = pieces_.size();  // the others stop at their next piece
    }
}

void BandWorkers::workerMain(size_t renderer) {
    uint64_t seen = 0;
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
            if (stopping_) return;
            seen = generation_;
        }
        work(renderer);
        std::lock_guard lock(mutex_);
        if (--busyWorkers_ == 0) finished_.notify_one();
    }
}

}  // namespace swf::render
