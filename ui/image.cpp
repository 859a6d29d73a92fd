#include "ui/image.h"

#include "support/picture.h"
#include "ui/layout_values.h"
#include "ui/text_compare.h"
#include "ui/win_control.h"

#include <cstring>

namespace ui {

Image::Image(Component* owner) : GraphicControl(owner) { storeBounds(0, 0, 105, 105); }

void Image::setPicture(Graphic picture) {
    if (!picture.empty() && picture.pixels.size() != static_cast<std::size_t>(picture.width) * picture.height)
        picture = Graphic{};  // inconsistent sizes: show nothing rather than read past the pixels
    picture_ = std::move(picture);
    applyAutoSize();
    invalidate();
}

void Image::setPicture(const sav::Picture& picture) {
    Graphic graphic;
    if (picture.hasGraphic() && picture.width() > 0 && picture.height() > 0 &&
        picture.pixels().size() >= static_cast<std::size_t>(picture.width()) * picture.height() * 4) {
        graphic.width = picture.width();
        graphic.height = picture.height();
        graphic.pixels.resize(static_cast<std::size_t>(graphic.width) * graphic.height);
        const std::uint8_t* bgra = picture.pixels().data();
        for (std::uint32_t& pixel : graphic.pixels) {
            pixel = static_cast<std::uint32_t>(bgra[0]) | static_cast<std::uint32_t>(bgra[1]) << 8 |
                    static_cast<std::uint32_t>(bgra[2]) << 16;
            bgra += 4;
        }
        graphic.transparent = picture.kind() == sav::Picture::Kind::Bitmap;
        graphic.transparentColor = picture.transparentColor() & 0xFFFFFF;
    }
    setPicture(std::move(graphic));
}

void Image::setAutoSize(bool value) {
    autoSize_ = value;
    applyAutoSize();
}

void Image::applyAutoSize() {
    if (autoSize_ && picture_.width > 0 && picture_.height > 0)
        setBounds(left(), top(), picture_.width, picture_.height);
}

void Image::paint(HDC dc) {
    if (picture_.empty()) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture_.width;
    info.bmiHeader.biHeight = -picture_.height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    if (!(transparent_ && picture_.transparent)) {
        SetDIBitsToDevice(dc, left(), top(), picture_.width, picture_.height, 0, 0, 0, picture_.height,
                          picture_.pixels.data(), &info, DIB_RGB_COLORS);
        return;
    }
    // Transparent: copy through a memory bitmap, leaving out the transparent colour's pixels.
    UniqueMemoryDc memory(CreateCompatibleDC(dc));
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory || !bitmap || !bits) return;
    std::memcpy(bits, picture_.pixels.data(), picture_.pixels.size() * sizeof(std::uint32_t));
    SelectScope select(memory.get(), bitmap.get());
    const std::uint32_t key = picture_.transparentColor;
    TransparentBlt(dc, left(), top(), picture_.width, picture_.height, memory.get(), 0, 0, picture_.width,
                   picture_.height, RGB((key >> 16) & 0xFF, (key >> 8) & 0xFF, key & 0xFF));
}

bool Image::setProperty(std::string_view name, const LayoutValue& value) {
    if (sameText(name, "AutoSize")) setAutoSize(layoutBool(value, name));
    else if (sameText(name, "Transparent")) setTransparent(layoutBool(value, name));
    else return GraphicControl::setProperty(name, value);
    return true;
}

}  // namespace ui
