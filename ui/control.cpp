#include "ui/control.h"

#include "support/error.h"
#include "ui/text_compare.h"
#include "ui/win_control.h"

namespace ui {

namespace {

bool boolValue(const LayoutValue& v, std::string_view property) {
    if (v.kind == LayoutValue::Kind::Identifier) {
        if (sameText(v.text, "true")) return true;
        if (sameText(v.text, "false")) return false;
    }
    throw sav::Error("EReadError", "Invalid property value for " + std::string(property));
}

int intValue(const LayoutValue& v, std::string_view property) {
    if (v.kind != LayoutValue::Kind::Integer)
        throw sav::Error("EReadError", "Invalid property value for " + std::string(property));
    return static_cast<int>(v.integer);
}

}  // namespace

bool layoutBool(const LayoutValue& v, std::string_view property) { return boolValue(v, property); }
int layoutInt(const LayoutValue& v, std::string_view property) { return intValue(v, property); }

Control::Control(Component* owner) : Component(owner) {}

Control::~Control() {
    if (parent_) parent_->detach(this);
    parent_ = nullptr;
}

void Control::setParent(WinControl* parent) {
    if (parent == parent_) return;
    if (parent == this) throw sav::Error("EInvalidOperation", "A control cannot be its own parent");
    invalidate();
    if (parent_) parent_->detach(this);
    parent_ = parent;
    if (parent_) parent_->attach(this);
    if (parent_ && align_ != Align::None) parent_->realign();
    invalidate();
}

void Control::setBounds(int left, int top, int width, int height) {
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    invalidate();
    storeBounds(left, top, width, height);
    boundsChanged();
    if (parent_ && align_ != Align::None) parent_->realign();
}

void Control::storeBounds(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
}

void Control::setAlign(Align align) {
    if (align == align_) return;
    align_ = align;
    if (parent_) parent_->realign();
}

void Control::setVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    invalidate();
    if (parent_ && align_ != Align::None) parent_->realign();
}

void Control::invalidate() {}

bool Control::setProperty(std::string_view name, const LayoutValue& value) {
    if (sameText(name, "Left")) setLeft(intValue(value, name));
    else if (sameText(name, "Top")) setTop(intValue(value, name));
    else if (sameText(name, "Width")) setWidth(intValue(value, name));
    else if (sameText(name, "Height")) setHeight(intValue(value, name));
    else if (sameText(name, "Visible")) setVisible(boolValue(value, name));
    else if (sameText(name, "Cursor")) setCursor(intValue(value, name));
    else if (sameText(name, "Align")) {
        static constexpr struct { const char* name; Align align; } kAligns[] = {
            {"alNone", Align::None}, {"alTop", Align::Top}, {"alBottom", Align::Bottom},
            {"alLeft", Align::Left}, {"alRight", Align::Right}, {"alClient", Align::Client}};
        for (const auto& a : kAligns)
            if (value.kind == LayoutValue::Kind::Identifier && sameText(value.text, a.name)) {
                setAlign(a.align);
                return true;
            }
        throw sav::Error("EReadError", "Invalid property value for Align");
    } else return Component::setProperty(name, value);
    return true;
}

void GraphicControl::invalidate() {
    if (parent() && parent()->handleAllocated()) {
        RECT r = boundsRect();
        InvalidateRect(parent()->handle(), &r, FALSE);
    }
}

void GraphicControl::boundsChanged() { invalidate(); }

}  // namespace ui
