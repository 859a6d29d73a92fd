// Visual controls. Control: a rectangle inside a parent windowed control, with alignment and
// visibility. GraphicControl: a control without a window of its own, painted by its parent.
#pragma once

#include "ui/component.h"

#include <windows.h>

namespace ui {

class WinControl;

enum class Align { None, Top, Bottom, Left, Right, Client };

class Control : public Component {
public:
    explicit Control(Component* owner = nullptr);
    ~Control() override;  // leaves its parent first

    WinControl* parent() const { return parent_; }
    // Moves the control into another parent (or none); a windowed control re-parents its window.
    virtual void setParent(WinControl* parent);

    int left() const { return left_; }
    int top() const { return top_; }
    int width() const { return width_; }
    int height() const { return height_; }
    RECT boundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
    void setLeft(int value) { setBounds(value, top_, width_, height_); }
    void setTop(int value) { setBounds(left_, value, width_, height_); }
    void setWidth(int value) { setBounds(left_, top_, value, height_); }
    void setHeight(int value) { setBounds(left_, top_, width_, value); }
    // Bounds in the parent's client coordinates (or the foreign parent window's, or the screen's).
    virtual void setBounds(int left, int top, int width, int height);

    Align align() const { return align_; }
    void setAlign(Align align);

    bool visible() const { return visible_; }
    virtual void setVisible(bool visible);
    void show() { setVisible(true); }
    void hide() { setVisible(false); }

    // Screen cursor index (0 crDefault, -21 crHandPoint, ...) shown over the control.
    int cursor() const { return cursor_; }
    void setCursor(int index) { cursor_ = index; }

    // Asks for a repaint of the control's area.
    virtual void invalidate();

    bool setProperty(std::string_view name, const LayoutValue& value) override;

protected:
    // Called after the bounds changed (the fields already hold the new values).
    virtual void boundsChanged() {}
    // Used by the parent's alignment: sets the fields without asking for a new alignment.
    void storeBounds(int left, int top, int width, int height);
    friend class WinControl;

private:
    WinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    Align align_ = Align::None;
    bool visible_ = true;
    int cursor_ = 0;
};

// A control drawn by its parent's paint, in the parent's client coordinates; it has no window.
class GraphicControl : public Control {
public:
    using Control::Control;
    // Draws the control; dc's origin is the parent's client origin.
    virtual void paint(HDC dc) = 0;
    void invalidate() override;

protected:
    void boundsChanged() override;
};

}  // namespace ui
