#include "forms/config.h"

#include "package/common.h"

#include <richedit.h>
#include <shellapi.h>

#include <cstring>
#include <string>

TfrmConfig* frmConfig = nullptr;

namespace {
// A link longer than this is not a web address anyone clicked; it is not opened.
constexpr LONG kMaxLinkLength = 32 * 1024;
}  // namespace

TfrmConfig::TfrmConfig(ui::Component* owner) : ui::Form(owner) {
    defineHandler("FormCreate", [this](ui::Component& sender) { FormCreate(sender); });
    defineHandler("btnOKClick", [this](ui::Component& sender) { btnOKClick(sender); });
    loadLayout("TfrmConfig");
    redConfig = &component<ui::RichEdit>("redConfig");
    pnlBackground = &component<ui::Panel>("pnlBackground");
    btnOK = &component<ui::Button>("btnOK");
}

TfrmConfig::~TfrmConfig() {
    if (frmConfig == this) frmConfig = nullptr;
}

void TfrmConfig::FormCreate(ui::Component&) {
    // Asking the box for its event mask makes its window (and the dialog's), still hidden.
    const LRESULT mask = redConfig->perform(EM_GETEVENTMASK);
    redConfig->perform(EM_SETEVENTMASK, 0, static_cast<LPARAM>(static_cast<DWORD>(mask) | ENM_LINK));
    // Detection is on before the text arrives, so its addresses are links from the start.
    redConfig->perform(EM_AUTOURLDETECT, TRUE, 0);
    setCaption(PackageSettings.DialogCaption);
    redConfig->setText(PackageSettings.AboutText);
    btnOK->setCaption(PackageSettings.ButtonCaption);
}

void TfrmConfig::btnOKClick(ui::Component&) {
    close();
}

LRESULT TfrmConfig::windowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY && lParam) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == EN_LINK) {
            ENLINK link;
            std::memcpy(&link, reinterpret_cast<const void*>(lParam), sizeof link);
            if (link.msg == WM_LBUTTONDOWN) OpenLink(link.chrg);
        }
    }
    return ui::Form::windowProc(message, wParam, lParam);
}

void TfrmConfig::OpenLink(const CHARRANGE& range) {
    // Opening a link is a courtesy: whatever fails on the way is dropped without a message.
    try {
        CHARRANGE selection = range;
        redConfig->perform(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
        const LONG length = range.cpMax - range.cpMin;
        if (range.cpMin < 0 || length <= 0 || length > kMaxLinkLength) return;
        // Two bytes a character: an ANSI code page with double-byte characters must still fit.
        std::string text(static_cast<size_t>(length) * 2 + 1, '\0');
        const LRESULT copied = redConfig->perform(EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(text.data()));
        text.resize(strnlen(text.c_str(), text.size()));
        if (copied <= 0 || text.empty()) return;
        ShellExecuteA(handle(), "open", text.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    } catch (...) {
    }
}
