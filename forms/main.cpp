#include "forms/main.h"

#include "forms/screen_saver_password.h"
#include "forms/watermark_placement.h"
#include "package/common.h"
#include "ui/application.h"
#include "support/handles.h"

#if SWFSAVER_HAVE_FLASH
#include "flash/my_shockwave_flash.h"
#endif

#include <exception>

TfrmSCRViewEngine* frmSCRViewEngine = nullptr;

namespace {

// Shows a player's failure in the toolkit's error box and lets the caller carry on, so that the
// window is still shown (or hidden) around it.
void ReportFailure(const std::exception_ptr& failure) {
    if (!failure) return;
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& error) {
        ui::application().showException(error);
    } catch (...) {
    }
}

}  // namespace

TfrmSCRViewEngine::TfrmSCRViewEngine(ui::Component* owner) : ui::Form(owner) {
    defineHandler("FormCreate", [this](ui::Component& sender) { FormCreate(sender); });
    defineHandler("FormShow", [this](ui::Component& sender) { FormShow(sender); });
    defineHandler("FormHide", [this](ui::Component& sender) { FormHide(sender); });
    defineHandler("FormDestroy", [this](ui::Component& sender) { FormDestroy(sender); });
    defineCloseQuery("FormCloseQuery",
                     [this](ui::Component& sender, bool& canClose) { FormCloseQuery(sender, canClose); });
    loadLayout(kSaverWindowClass);
    xpmXPManifest = &component<ui::XPManifest>("xpmXPManifest");
    pnlBackground = &component<ui::Panel>("pnlBackground");
    imgWatermark = &component<ui::Image>("imgWatermark");
}

TfrmSCRViewEngine::~TfrmSCRViewEngine() {
    if (frmSCRViewEngine == this) frmSCRViewEngine = nullptr;
}

ui::WinControl& TfrmSCRViewEngine::watermarkHost() {
    if (playerControl_) return *playerControl_;
    return *pnlBackground;
}

void TfrmSCRViewEngine::FormCreate(ui::Component&) {
    // The window exists, hidden, from creation on, in every mode (also where it is never shown).
    handle();
#if SWFSAVER_HAVE_FLASH
    // No owner: the window alone owns the player, until FormDestroy.
    auto player = std::make_unique<TMyShockwaveFlash>(nullptr);
    FlashPlayer = player.get();
    playerControl_ = std::move(player);
    FlashPlayer->setParent(pnlBackground);
    FlashPlayer->setAlign(ui::Align::Client);

    if (PackageSettings.BackColor != clNone) FlashPlayer->setBackgroundColor(PackageSettings.BackColor);

    // The player takes its movie by path; a package without a movie leaves it empty.
    if (!PackageSettings.MovieFile.empty()) {
        WIN32_FIND_DATAA found;
        ui::UniqueFindHandle search(FindFirstFileA(PackageSettings.MovieFile.c_str(), &found));
        if (search) {
            search.reset();
            FlashPlayer->setMovie(PackageSettings.MovieFile);
        }
    }
#endif
    // The movie frame and the watermark over it reach the screen in one copy: no flicker.
    ui::WinControl& host = watermarkHost();
    host.setDoubleBuffered(true);
    imgWatermark->setParent(&host);
}

void TfrmSCRViewEngine::FormShow(ui::Component&) {
    POINT cursor{};
    GetCursorPos(&cursor);
    StartPoint = {cursor.x, cursor.y};

    // The primary screen only, from its top-left corner.
    setBounds(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));

    // A player that refuses to start must not leave a saver that no input can end: the pointer
    // and the hook are dealt with whatever happens here, and the failure is reported afterwards.
    std::exception_ptr playerFailure;
#if SWFSAVER_HAVE_FLASH
    try {
        FlashPlayer->Rewind();
        FlashPlayer->setLoop(true);
        FlashPlayer->Play();
    } catch (...) {
        playerFailure = std::current_exception();
    }
#endif

    if (PackageSettings.Interactive == 0) ShowCursor(FALSE);
    ui::application().onMessage = [this](MSG& message, bool& handled) { AppMessageFilter(message, handled); };

    if (PackageSettings.Watermark) imgWatermark->setPicture(*PackageSettings.Watermark);
    else imgWatermark->setPicture(ui::Graphic{});
    if (imgWatermark->hasPicture()) {
        imgWatermark->setVisible(true);
        PlaceWatermark();
    }

    ReportFailure(playerFailure);
}

void TfrmSCRViewEngine::PlaceWatermark() {
    // Left before top, each by its own axis; the player covers the whole window.
    imgWatermark->setLeft(forms::WatermarkPosition(PackageSettings.WatermarkLeft, width(), imgWatermark->width()));
    imgWatermark->setTop(forms::WatermarkPosition(PackageSettings.WatermarkTop, height(), imgWatermark->height()));
}

void TfrmSCRViewEngine::FormHide(ui::Component&) {
    ui::application().onMessage = nullptr;
    // The pointer comes back even when the player fails to stop.
    std::exception_ptr playerFailure;
#if SWFSAVER_HAVE_FLASH
    try {
        FlashPlayer->Stop();
    } catch (...) {
        playerFailure = std::current_exception();
    }
#endif
    ShowCursor(TRUE);
    ReportFailure(playerFailure);
}

void TfrmSCRViewEngine::FormDestroy(ui::Component&) {
    // The watermark image sits on the player and goes with it.
    if (playerControl_) {
        imgWatermark = nullptr;
        FlashPlayer = nullptr;
        playerControl_.reset();
    }
}

void TfrmSCRViewEngine::AppMessageFilter(MSG& message, bool&) {
    // The message is never marked handled: the input that ends the saver still reaches its window.
    if (forms::InputEndsSaver(message.message, static_cast<int64_t>(message.lParam),
                              PackageSettings.Interactive != 0, StartPoint))
        close();
}

void TfrmSCRViewEngine::FormCloseQuery(ui::Component&, bool& canClose) {
    if (ui::application().mainForm() == this) canClose = PasswordAllowsClose();
}

bool TfrmSCRViewEngine::PasswordAllowsClose() {
    return forms::ScreenSaverPasswordAllowsClose(handle());
}
