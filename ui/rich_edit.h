// RichEdit: the system's rich edit box (riched20). Text beginning with "{\rtf" is shown
// formatted, anything else as plain text.
#pragma once

#include "ui/win_control.h"

#include <windows.h>
#include <richedit.h>

#include <string>

namespace ui {

enum class TextAlignment { Left, Right, Center };
enum class ScrollBars { None, Horizontal, Vertical, Both };

class RichEdit : public WinControl {
public:
    explicit RichEdit(Component* owner = nullptr);

    // The text as given (RTF or plain); sets the window's text when the window exists and again
    // whenever it is re-created.
    void setText(std::string text);
    const std::string& text() const { return text_; }

    bool readOnly() const { return readOnly_; }
    void setReadOnly(bool value);
    bool wantReturns() const { return wantReturns_; }
    void setWantReturns(bool value) { wantReturns_ = value; }
    ScrollBars scrollBars() const { return scrollBars_; }
    void setScrollBars(ScrollBars value);
    TextAlignment alignment() const { return alignment_; }
    void setAlignment(TextAlignment value);
    bool border() const { return border_; }
    void setBorder(bool value);

    bool setProperty(std::string_view name, const LayoutValue& value) override;

protected:
    void createParams(CreateParams& params) override;
    void windowCreated() override;
    LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void applyText();
    void applyBackground();

    std::string text_;
    bool readOnly_ = false;
    bool wantReturns_ = true;
    ScrollBars scrollBars_ = ScrollBars::None;
    TextAlignment alignment_ = TextAlignment::Left;
    bool border_ = true;
};

}  // namespace ui
