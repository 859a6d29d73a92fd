// Unit Main: the full-screen saver window. A borderless, topmost window over the primary screen
// that plays the package's movie in a loop with the watermark over it, watches the input that
// reaches the application, and closes after the system's screen-saver password check.
#pragma once

#include "forms/input_rule.h"
#include "ui/form.h"
#include "ui/image.h"
#include "ui/panel.h"

#include <windows.h>

#include <memory>

class TMyShockwaveFlash;

class TfrmSCRViewEngine : public ui::Form {
public:
    // Builds the window from its stored layout ("TfrmSCRViewEngine"); the application then runs
    // FormCreate. Create it with Application::createForm<TfrmSCRViewEngine>().
    explicit TfrmSCRViewEngine(ui::Component* owner);
    ~TfrmSCRViewEngine() override;

    ui::XPManifest* xpmXPManifest = nullptr;
    ui::Panel* pnlBackground = nullptr;
    ui::Image* imgWatermark = nullptr;

    void FormCreate(ui::Component& sender);
    void FormShow(ui::Component& sender);
    void FormHide(ui::Component& sender);
    void FormDestroy(ui::Component& sender);
    void FormCloseQuery(ui::Component& sender, bool& canClose);

    // The pointer position taken when the window was last shown (screen pixels).
    forms::ScreenPoint startPoint() const { return StartPoint; }
    // The control the watermark sits on: the Flash player, or the panel when there is none.
    ui::WinControl& watermarkHost();

private:
    void AppMessageFilter(MSG& message, bool& handled);
    bool PasswordAllowsClose();
    void PlaceWatermark();

    // The Flash player control, owned by the window alone from FormCreate to FormDestroy;
    // FlashPlayer is the same object seen through its own class (null when there is none).
    std::unique_ptr<ui::WinControl> playerControl_;
    TMyShockwaveFlash* FlashPlayer = nullptr;
    forms::ScreenPoint StartPoint;
};

// The saver window of this run (set by the start-up), or nullptr.
extern TfrmSCRViewEngine* frmSCRViewEngine;

// The window class the form's window is registered under.
constexpr const char* kSaverWindowClass = "TfrmSCRViewEngine";
