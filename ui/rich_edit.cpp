#include "ui/rich_edit.h"

#include "support/error.h"
#include "ui/layout_values.h"
#include "ui/text_compare.h"

#include <richedit.h>

namespace ui {

namespace {

// The rich edit library stays loaded for the life of the process once a box was made.
void loadRichEditLibrary() {
    static UniqueModule library(LoadLibraryA("riched20.dll"));
    if (!library) throw sav::Error("EOSError", "The rich edit control (riched20.dll) is not available");
}

}  // namespace

RichEdit::RichEdit(Component* owner) : WinControl(owner) {
    setTabStop(true);
    storeBounds(0, 0, 185, 89);
    setColor(clWindow);
}

void RichEdit::setText(std::string text) {
    text_ = std::move(text);
    applyText();
}

void RichEdit::applyText() {
    if (handleAllocated()) SendMessageA(handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text_.c_str()));
}

void RichEdit::applyBackground() {
    if (handleAllocated()) SendMessageA(handle(), EM_SETBKGNDCOLOR, 0, colorToRgb(effectiveColor()));
}

void RichEdit::setReadOnly(bool value) {
    readOnly_ = value;
    if (handleAllocated()) SendMessageA(handle(), EM_SETREADONLY, value, 0);
}

void RichEdit::setScrollBars(ScrollBars value) {
    scrollBars_ = value;
    recreateWindow();
}

void RichEdit::setAlignment(TextAlignment value) {
    alignment_ = value;
    recreateWindow();
}

void RichEdit::setBorder(bool value) {
    border_ = value;
    recreateWindow();
}

void RichEdit::createParams(CreateParams& params) {
    loadRichEditLibrary();
    WinControl::createParams(params);
    params.windowClass = "TRichEdit";
    params.baseClass = RICHEDIT_CLASSA;
    params.style &= ~WS_CLIPCHILDREN;
    params.style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL | ES_SAVESEL;
    if (readOnly_) params.style |= ES_READONLY;
    if (wantReturns_) params.style |= ES_WANTRETURN;
    if (scrollBars_ == ScrollBars::Vertical || scrollBars_ == ScrollBars::Both) params.style |= WS_VSCROLL;
    if (scrollBars_ == ScrollBars::Horizontal || scrollBars_ == ScrollBars::Both)
        params.style |= WS_HSCROLL | ES_AUTOHSCROLL;
    if (alignment_ == TextAlignment::Center) params.style |= ES_CENTER;
    else if (alignment_ == TextAlignment::Right) params.style |= ES_RIGHT;
    if (border_) params.exStyle |= WS_EX_CLIENTEDGE;
}

void RichEdit::windowCreated() {
    applyBackground();
    applyText();
}

LRESULT RichEdit::windowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return WinControl::windowProc(message, wParam, lParam);
}

bool RichEdit::setProperty(std::string_view name, const LayoutValue& value) {
    auto ident = [&](const char* text) {
        return value.kind == LayoutValue::Kind::Identifier && sameText(value.text, text);
    };
    if (sameText(name, "ReadOnly")) setReadOnly(layoutBool(value, name));
    else if (sameText(name, "WantReturns")) setWantReturns(layoutBool(value, name));
    else if (sameText(name, "ScrollBars")) {
        if (ident("ssNone")) setScrollBars(ScrollBars::None);
        else if (ident("ssVertical")) setScrollBars(ScrollBars::Vertical);
        else if (ident("ssHorizontal")) setScrollBars(ScrollBars::Horizontal);
        else if (ident("ssBoth")) setScrollBars(ScrollBars::Both);
        else throw sav::Error("EReadError", "Invalid property value for ScrollBars");
    } else if (sameText(name, "Alignment")) {
        if (ident("taLeftJustify")) setAlignment(TextAlignment::Left);
        else if (ident("taCenter")) setAlignment(TextAlignment::Center);
        else if (ident("taRightJustify")) setAlignment(TextAlignment::Right);
        else throw sav::Error("EReadError", "Invalid property value for Alignment");
    } else if (sameText(name, "BorderStyle")) {
        if (ident("bsNone")) setBorder(false);
        else if (ident("bsSingle")) setBorder(true);
        else throw sav::Error("EReadError", "Invalid property value for BorderStyle");
    } else if (sameText(name, "BevelInner") || sameText(name, "BevelOuter") || sameText(name, "BevelKind")) {
        // The frame is the system's (see BorderStyle); bevels are accepted for the layouts' sake.
        if (value.kind != LayoutValue::Kind::Identifier) throw sav::Error("EReadError", "Invalid property value");
    } else if (sameText(name, "Text") && value.kind == LayoutValue::Kind::String) setText(value.text);
    else return WinControl::setProperty(name, value);
    return true;
}

}  // namespace ui
