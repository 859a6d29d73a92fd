// The pixels behind a script's BitmapData: premultiplied ARGB words, as the reference player keeps
// them, so that colours read back through getPixel32 carry its rounding.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/avm1/object.h"
#include "engine/base/pixel_source.h"

namespace swf::avm1 {

class ShownPixels;

struct BitmapPixels : NativeState {
    BitmapPixels() = default;
    BitmapPixels(const BitmapPixels&) = delete;
    BitmapPixels& operator=(const BitmapPixels&) = delete;
    ~BitmapPixels() override;

    int width = 0, height = 0;
    bool transparent = true;
    bool disposed = false;
    std::vector<uint32_t> premultiplied;  // row by row

    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    // Straight (not premultiplied) ARGB of a pixel, 0 outside.
    uint32_t get(int x, int y) const;
    // Stores a straight ARGB colour; an opaque bitmap keeps full alpha.
    void set(int x, int y, uint32_t argb);
    // These pixels for the display, which shows them as they are at each paint. The display may
    // keep them longer than the script object lives: it then shows them as they were last.
    std::shared_ptr<swf::PixelSource> shown();

private:
    std::shared_ptr<ShownPixels> shown_;
};

uint32_t premultiply(uint32_t argb);
uint32_t unpremultiply(uint32_t premultiplied);

// The pixels of a BitmapData object, or null for anything else (or a disposed one).
BitmapPixels* bitmapPixels(const Value& v);

}  // namespace swf::avm1
