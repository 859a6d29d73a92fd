// Image: a graphic control that shows a picture. With AutoSize it takes the picture's size
// (when both sides are above 0); it is drawn transparent when the picture says so.
#pragma once

#include "ui/control.h"
#include "ui/graphic.h"
#include "support/handles.h"

namespace sav {
class Picture;
}

namespace ui {

class Image : public GraphicControl {
public:
    explicit Image(Component* owner = nullptr);

    // Keeps its own copy of the picture.
    void setPicture(Graphic picture);
    // A package picture: a bitmap is drawn transparent by its transparentColor(), a JPEG whole;
    // a picture without a graphic leaves the image empty.
    void setPicture(const sav::Picture& picture);
    const Graphic& picture() const { return picture_; }
    bool hasPicture() const { return !picture_.empty(); }

    bool autoSize() const { return autoSize_; }
    void setAutoSize(bool value);
    bool transparent() const { return transparent_; }
    void setTransparent(bool value) { transparent_ = value; invalidate(); }

    void paint(HDC dc) override;
    bool setProperty(std::string_view name, const LayoutValue& value) override;

private:
    void applyAutoSize();

    Graphic picture_;
    bool autoSize_ = false;
    bool transparent_ = false;
};

}  // namespace ui
