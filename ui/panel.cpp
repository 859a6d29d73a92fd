#include "ui/panel.h"

#include "support/error.h"
#include "ui/layout_values.h"
#include "ui/text_compare.h"

namespace ui {

Panel::Panel(Component* owner) : WinControl(owner) {}

void Panel::createParams(CreateParams& params) {
    WinControl::createParams(params);
    params.windowClass = "TPanel";
}

void Panel::paint(HDC dc, const RECT& area) {
    WinControl::paint(dc, area);
    if (bevelOuter_ == Bevel::None) return;
    RECT r = clientRect();
    DrawEdge(dc, &r, bevelOuter_ == Bevel::Raised ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
}

bool Panel::setProperty(std::string_view name, const LayoutValue& value) {
    if (sameText(name, "BevelOuter")) {
        if (value.kind != LayoutValue::Kind::Identifier) throw sav::Error("EReadError", "Invalid property value for BevelOuter");
        if (sameText(value.text, "bvNone") || sameText(value.text, "bvSpace")) bevelOuter_ = Bevel::None;
        else if (sameText(value.text, "bvRaised")) bevelOuter_ = Bevel::Raised;
        else if (sameText(value.text, "bvLowered")) bevelOuter_ = Bevel::Lowered;
        else throw sav::Error("EReadError", "Invalid property value for BevelOuter");
        invalidate();
        return true;
    }
    if (sameText(name, "ParentBackground")) {
        layoutBool(value, name);  // the panel always paints its own background
        return true;
    }
    if (sameText(name, "Caption") && value.kind == LayoutValue::Kind::String) return true;
    return WinControl::setProperty(name, value);
}

}  // namespace ui
