#include "ui/button.h"

#include "ui/layout_values.h"
#include "ui/text_compare.h"
#include "ui/window_messages.h"

namespace ui {

Button::Button(Component* owner) : WinControl(owner) {
    setTabStop(true);
    storeBounds(0, 0, 75, 25);
}

void Button::setCaption(std::string caption) {
    caption_ = std::move(caption);
    if (handleAllocated()) SetWindowTextA(handle(), caption_.c_str());
}

void Button::click() {
    if (onClick) onClick(*this);
}

void Button::createParams(CreateParams& params) {
    WinControl::createParams(params);
    params.windowClass = "TButton";
    params.baseClass = "BUTTON";
    params.caption = caption_;
    params.style &= ~WS_CLIPCHILDREN;
    params.style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void Button::windowCreated() { SetWindowTextA(handle(), caption_.c_str()); }

LRESULT Button::windowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kReflectedCommand) {
        if (HIWORD(wParam) == BN_CLICKED) click();
        return 0;
    }
    return WinControl::windowProc(message, wParam, lParam);
}

bool Button::setProperty(std::string_view name, const LayoutValue& value) {
    if (sameText(name, "Caption") && value.kind == LayoutValue::Kind::String) setCaption(value.text);
    else if (sameText(name, "Default")) setDefault(layoutBool(value, name));
    else if (sameText(name, "Cancel")) setCancel(layoutBool(value, name));
    else return WinControl::setProperty(name, value);
    return true;
}

}  // namespace ui
