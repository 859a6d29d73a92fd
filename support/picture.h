// Picture: the watermark image of a package. It holds no graphic, a bitmap or a JPEG image,
// decoded into a 32-bit top-down pixel buffer that the saver window can draw directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sav {

class Picture {
public:
    enum class Kind { None, Bitmap, Jpeg };

    Kind kind() const { return kind_; }
    bool hasGraphic() const { return kind_ != Kind::None; }

    // 0 x 0 without a graphic.
    int width() const { return width_; }
    int height() const { return height_; }

    // Top-down rows, B,G,R,A per pixel (a 32-bit DIB), A = 255.
    const std::vector<uint8_t>& pixels() const { return pixels_; }

    // Bitmaps: the bottom-left pixel as 0x00RRGGBB (the colour drawn transparent). 0 otherwise.
    uint32_t transparentColor() const;

    void clear();

    // Picks bitmap or JPEG by the first two bytes ("BM" or FF D8); any other start leaves the
    // picture empty. Bytes that start like a bitmap or JPEG but cannot be decoded throw
    // sav::Error (EInvalidGraphic for bitmaps, EJPEG for JPEG images); the picture is then empty.
    void load(const uint8_t* data, size_t size);

private:
    Kind kind_ = Kind::None;
    int width_ = 0;
    int height_ = 0;
    std::vector<uint8_t> pixels_;
};

}  // namespace sav

using sav::Picture;
