// Unit Config: the about dialog. A small fixed, topmost dialog with the package's caption, its
// about text as rich text with clickable web addresses, and one button that closes it.
#pragma once

#include "ui/button.h"
#include "ui/form.h"
#include "ui/panel.h"
#include "ui/rich_edit.h"

class TfrmConfig : public ui::Form {
public:
    // Builds the dialog from its stored layout ("TfrmConfig"); the application then runs
    // FormCreate. Create it with Application::createForm<TfrmConfig>().
    explicit TfrmConfig(ui::Component* owner);
    ~TfrmConfig() override;

    ui::RichEdit* redConfig = nullptr;
    ui::Panel* pnlBackground = nullptr;
    ui::Button* btnOK = nullptr;

    void FormCreate(ui::Component& sender);
    void btnOKClick(ui::Component& sender);

protected:
    // Opens a link of the text box on a left click, then hands every message on.
    LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OpenLink(const CHARRANGE& range);
};

// The about dialog of this run (set by the start-up), or nullptr.
extern TfrmConfig* frmConfig;
