#include "engine/render/layer_cache.h"

#include <algorithm>
#include <cmath>

#include "engine/render/software_renderer.h"

namespace swf::render {

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);
// Bounds on what is copied to compare with the next frame.
constexpr size_t kMaxCallsPerLayer = 20000;
constexpr size_t kMaxKeptCalls = 200000;

IntRect shifted(const IntRect& r, int dx, int dy) {
    if (r.empty()) return r;
    return {r.x0 + dx, r.y0 + dy, r.x1 + dx, r.y1 + dy};
}

// Whole-pixel shifts leave the fractions of the translation as they were; a move computed in
// floating point may differ from them in the last bits.
bool sameOffset(double now, double before, int shift) {
    return std::fabs(now - (before + shift)) <= 1e-9 * std::max(1.0, std::fabs(now));
}

// `now` draws what `before` drew, moved by (dx, dy) pixels.
bool sameShifted(const PaintCall& now, const PaintCall& before, int dx, int dy) {
    if (now.kind != before.kind || now.mode != before.mode || !(now.cxform == before.cxform) ||
        !(now.layerTransform == before.layerTransform) || now.reach != shifted(before.reach, dx, dy) ||
        now.shapeReach != shifted(before.shapeReach, dx, dy) || !(now.filters == before.filters))
        return false;
    if (now.kind != PaintCall::Kind::Shape) return true;
    const Matrix& a = now.toPixels;
    const Matrix& b = before.toPixels;
    if (a.a != b.a || a.b != b.b || a.c != b.c || a.d != b.d || !sameOffset(a.tx, b.tx, dx) ||
        !sameOffset(a.ty, b.ty, dy))
        return false;
    return now.shape == before.shape || (now.shape && before.shape && *now.shape == *before.shape);
}

// A displacement map is placed by target position: moved, it draws differently.
bool cacheableFilters(const std::vector<Filter>& filters) {
    if (filters.empty()) return false;
    return std::none_of(filters.begin(), filters.end(),
                        [](const Filter& f) { return f.kind == Filter::Kind::DisplacementMap; });
}

// The call that closes the layer opened at `open`, and how deeply groups nest inside it; kNone
// when its calls are not a balanced run of masks and layers (a renderer would close them its own
// way) or set frame state.
size_t closingOf(const std::vector<PaintCall>& calls, size_t open, int& innerDepth) {
    std::vector<PaintCall::Kind> inside;
    innerDepth = 0;
    for (size_t i = open + 1; i < calls.size(); ++i) {
        switch (calls[i].kind) {
            case PaintCall::Kind::Shape:
                break;
            case PaintCall::Kind::Background:
            case PaintCall::Kind::Quality:
                return kNone;
            case PaintCall::Kind::BeginMask:
            case PaintCall::Kind::PushLayer:
                inside.push_back(calls[i].kind);
                innerDepth = std::max(innerDepth, static_cast<int>(inside.size()));
                break;
            case PaintCall::Kind::EndMask:
                if (inside.empty() || inside.back() != PaintCall::Kind::BeginMask) return kNone;
                break;
            case PaintCall::Kind::PopMask:
                if (inside.empty() || inside.back() != PaintCall::Kind::BeginMask) return kNone;
                inside.pop_back();
                break;
            case PaintCall::Kind::PopLayer:
                if (inside.empty()) return i;
                if (inside.back() != PaintCall::Kind::PushLayer) return kNone;
                inside.pop_back();
                break;
        }
    }
    return kNone;
}

bool touchesAny(const IntRect& r, const std::vector<IntRect>& areas) {
    return std::any_of(areas.begin(), areas.end(), [&](const IntRect& a) { return !a.intersected(r).empty(); });
}

size_t bytesOf(const RgbaImage& image) { return image.pixels.size(); }

}  // namespace

void LayerCache::clear() {
    kept_.clear();
    finished_.clear();
}

size_t LayerCache::keptBytes() const {
    size_t bytes = 0;
    for (const Kept& k : kept_)
        if (k.pixels) bytes += bytesOf(*k.pixels);
    return bytes;
}

const FinishedLayer* LayerCache::finished(size_t index) const {
    auto it = finished_.find(index);
    return it == finished_.end() ? nullptr : &it->second;
}

const LayerCache::Kept* LayerCache::repeatOf(const PaintCall* calls, size_t count, const IntRect& reach,
                                             Quality quality) const {
    for (const Kept& k : kept_) {
        if (k.calls.size() != count || k.quality != quality || k.reach.width() != reach.width() ||
            k.reach.height() != reach.height() || !(k.calls.front().filters == calls[0].filters))
            continue;
        const int dx = reach.x0 - k.reach.x0, dy = reach.y0 - k.reach.y0;
        bool same = true;
        // The opening call's blend mode and colour apply after the filters: they may change freely.
        for (size_t j = 1; same && j + 1 < count; ++j) same = sameShifted(calls[j], k.calls[j], dx, dy);
        if (same) return &k;
    }
    return nullptr;
}

// Draws the layer alone, at the origin of its reach, over nothing: what is left is the layer after
// its filters.
std::shared_ptr<const RgbaImage> LayerCache::draw(const PaintCall* calls, size_t count, const IntRect& reach,
                                                  Quality quality) {
    auto image = std::make_shared<RgbaImage>(reach.width(), reach.height());
    std::vector<PaintCall> moved(calls, calls + count);
    moved.front().mode = BlendMode::Normal;
    moved.front().layerTransform = ColorTransform{};
    for (PaintCall& c : moved) {
        if (c.kind != PaintCall::Kind::Shape) continue;
        c.toPixels.tx -= reach.x0;
        c.toPixels.ty -= reach.y0;
    }
    SoftwareRenderer renderer(*image);
    renderer.setQuality(quality);
    renderer.beginFrame(Rgba{0, 0, 0, 255});
    std::fill(image->pixels.begin(), image->pixels.end(), uint8_t{0});
    replay(moved, renderer);
    return image;
}

void LayerCache::prepare(const std::vector<PaintCall>& calls, const IntRect& frame,
                         const std::vector<IntRect>& areas) {
    finished_.clear();
    std::vector<Kept> now;
    size_t keptCalls = 0, bytes = 0;
    Quality quality = Quality::High;
    std::vector<bool> open;  // the groups open around the current call: true for a layer
    size_t finishedUntil = 0;  // calls up to here lie inside a layer that has its pixels
    for (size_t i = 0; i < calls.size(); ++i) {
        const PaintCall& c = calls[i];
        switch (c.kind) {
            case PaintCall::Kind::Quality: quality = c.quality; break;
            case PaintCall::Kind::Background: open.clear(); break;
            case PaintCall::Kind::Shape:
            case PaintCall::Kind::EndMask: break;
            case PaintCall::Kind::BeginMask: open.push_back(false); break;
            case PaintCall::Kind::PopMask:
            case PaintCall::Kind::PopLayer: {
                const bool layer = c.kind == PaintCall::Kind::PopLayer;
                auto it = std::find(open.rbegin(), open.rend(), layer);
                if (it != open.rend()) open.erase(std::next(it).base(), open.end());
                break;
            }
            case PaintCall::Kind::PushLayer: {
                const size_t depth = open.size();
                open.push_back(true);
                if (i < finishedUntil || !cacheableFilters(c.filters)) break;
                // Content cut off at the frame's edge would draw differently once moved.
                const IntRect& reach = c.reach;
                if (reach.empty() || reach.x0 <= frame.x0 || reach.y0 <= frame.y0 || reach.x1 >= frame.x1 ||
                    reach.y1 >= frame.y1)
                    break;
                int innerDepth = 0;
                const size_t closing = closingOf(calls, i, innerDepth);
                if (closing == kNone || static_cast<int>(depth) + 1 + innerDepth >= SoftwareRenderer::kMaxPlanes) break;
                const size_t count = closing - i + 1;
                std::shared_ptr<const RgbaImage> pixels;
                if (const Kept* before = repeatOf(&calls[i], count, reach, quality)) {
                    pixels = before->pixels;
                    const size_t size = size_t(reach.width()) * size_t(reach.height()) * 4;
                    if (!pixels && touchesAny(reach, areas) && bytes + size <= maxBytes_)
                        pixels = draw(&calls[i], count, reach, quality);
                }
                if (pixels && bytes + bytesOf(*pixels) > maxBytes_) pixels.reset();
                if (pixels) {
                    bytes += bytesOf(*pixels);
                    finished_[i] = FinishedLayer{pixels, reach.x0, reach.y0, closing};
                    finishedUntil = closing;
                }
                if (count <= kMaxCallsPerLayer && keptCalls + count <= kMaxKeptCalls) {
                    keptCalls += count;
                    now.push_back(Kept{std::vector<PaintCall>(calls.begin() + static_cast<std::ptrdiff_t>(i),
                                                              calls.begin() + static_cast<std::ptrdiff_t>(closing) + 1),
                                       reach, quality, pixels});
                }
                break;
            }
        }
    }
    kept_ = std::move(now);
}

}  // namespace swf::render
