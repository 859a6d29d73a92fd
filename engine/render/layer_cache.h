// Keeps the finished pixels of filtered layers from frame to frame. Filtering is the costly part of a
// glowing or blurred object; when the object draws the same calls as in the frame before, merely
// moved by whole pixels (or not at all), its filtered pixels are drawn again as they were instead of
// being drawn and filtered anew, as Flash Player keeps the bitmap of a cached object.
#pragma once

#include <cstddef>
#include <memory>
#include <unordered_map>
#include <vector>

#include "engine/base/image.h"
#include "engine/render/int_rect.h"
#include "engine/render/paint_recording.h"

namespace swf::render {

// A finished layer: its pixels after its filters, before its blend mode and colour transform, with
// their top left at target pixel (x, y).
struct FinishedLayer {
    std::shared_ptr<const RgbaImage> pixels;
    int x = 0, y = 0;
    size_t closing = 0;  // index of the call that closes the layer
};

class LayerCache {
public:
    // At most `maxBytes` of pixels are kept.
    explicit LayerCache(size_t maxBytes = size_t(96) << 20) : maxBytes_(maxBytes) {}

    // Takes a new frame's calls, about to be drawn in `areas` of `frame`. A filtered layer that draws
    // the same as a layer of the frame before, shifted by whole pixels, gets finished pixels: those
    // kept from before, or, the first time it repeats, pixels drawn now when the layer lies in `areas`.
    void prepare(const std::vector<PaintCall>& calls, const IntRect& frame, const std::vector<IntRect>& areas);

    // The finished pixels of the layer opened at calls[index] of the frame last prepared, if any.
    const FinishedLayer* finished(size_t index) const;

    // Forgets everything kept (the target changed, or frames are no longer drawn from recordings).
    void clear();

    size_t keptBytes() const;

private:
    struct Kept {
        std::vector<PaintCall> calls;  // the layer's calls, opening and closing ones included
        IntRect reach;
        Quality quality = Quality::High;
        std::shared_ptr<const RgbaImage> pixels;
    };

    const Kept* repeatOf(const PaintCall* calls, size_t count, const IntRect& reach, Quality quality) const;
    static std::shared_ptr<const RgbaImage> draw(const PaintCall* calls, size_t count, const IntRect& reach,
                                                 Quality quality);

    size_t maxBytes_;
    std::vector<Kept> kept_;
    std::unordered_map<size_t, FinishedLayer> finished_;
};

}  // namespace swf::render
