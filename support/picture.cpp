#include "support/picture.h"

#include "support/bmp_decoder.h"
#include "support/jpeg_decoder.h"

namespace sav {

uint32_t Picture::transparentColor() const {
    if (kind_ != Kind::Bitmap || pixels_.empty()) return 0;
    const uint8_t* p = &pixels_[size_t(height_ - 1) * width_ * 4];  // bottom row, first pixel
    return p[0] | p[1] << 8 | uint32_t(p[2]) << 16;
}

void Picture::clear() {
    kind_ = Kind::None;
    width_ = height_ = 0;
    pixels_.clear();
}

void Picture::load(const uint8_t* data, size_t size) {
    clear();
    // Fewer than two bytes carry no signature: no graphic, like any other unknown start.
    if (size < 2) return;
    Kind kind = Kind::None;
    if (data[0] == 0x42 && data[1] == 0x4D) kind = Kind::Bitmap;
    else if (data[0] == 0xFF && data[1] == 0xD8) kind = Kind::Jpeg;
    else return;
    DecodedImage image = kind == Kind::Bitmap ? DecodeBmp(data, size) : DecodeJpeg(data, size);
    kind_ = kind;
    width_ = image.width;
    height_ = image.height;
    pixels_ = std::move(image.pixels);
}

}  // namespace sav
