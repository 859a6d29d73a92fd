// Button: a push button. Default: Enter in its form presses it; Cancel: Esc presses it; both also
// while another control of the form (the rich edit box) has the focus.
#pragma once

#include "ui/win_control.h"

#include <string>

namespace ui {

class Button : public WinControl {
public:
    explicit Button(Component* owner = nullptr);

    const std::string& caption() const { return caption_; }
    void setCaption(std::string caption);
    bool isDefault() const { return default_; }
    void setDefault(bool value) { default_ = value; }
    bool cancel() const { return cancel_; }
    void setCancel(bool value) { cancel_ = value; }

    // Presses the button: raises onClick.
    void click();
    NotifyEvent onClick;

    bool setProperty(std::string_view name, const LayoutValue& value) override;

protected:
    void createParams(CreateParams& params) override;
    void windowCreated() override;
    LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    std::string caption_;
    bool default_ = false;
    bool cancel_ = false;
};

}  // namespace ui
