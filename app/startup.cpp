#include "app/startup.h"

#include "app/command_line.h"
#include "app/preview.h"
#include "support/error.h"
#include "ui/application.h"
#include "ui/error_boxes.h"
#include "ui/screen.h"

#if SWFSAVER_HAVE_PACKAGE
#include "package/common.h"
#endif
#if SWFSAVER_HAVE_FLASH
#include "flash/flash_component.h"
#endif
#if SWFSAVER_HAVE_FORMS
#include "forms/config.h"
#include "forms/main.h"
#endif

#include <windows.h>

#include <optional>

namespace app {

namespace {

// Full-screen mode: the application window leaves the taskbar and loses its title; the saver
// window is made first (the main form), the about dialog second (never shown).
void SetUpFullScreen(ui::Application& application) {
    HWND window = application.handle();
    LONG_PTR exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
    SetWindowLongPtrA(window, GWL_EXSTYLE, exStyle | WS_EX_TOOLWINDOW);
    ShowWindow(window, SW_HIDE);
    application.setTitle("");
#if SWFSAVER_HAVE_FORMS
    frmSCRViewEngine = application.createForm<TfrmSCRViewEngine>();
    frmConfig = application.createForm<TfrmConfig>();
#endif
}

// About mode: the about dialog is the main form; the saver window is made but never shown.
void SetUpAbout(ui::Application& application) {
#if SWFSAVER_HAVE_FORMS
    frmConfig = application.createForm<TfrmConfig>();
    frmSCRViewEngine = application.createForm<TfrmSCRViewEngine>();
#else
    (void)application;
#endif
}

// Steps 2 to 7 of a run; failures leave as exceptions for the top-level handler.
void RunMainBlock(ui::Application& application, const std::vector<std::string>& parameters) {
    if (FindWindowA(saverWindowTestClass().c_str(), nullptr)) return;

    application.initialize();
#if SWFSAVER_HAVE_FLASH
    // Failing here is not fatal by itself: creating a player then fails and is reported there.
    RegisterFlashComponentClass();
#endif
    // A platform without the hand cursor removes the entry; crHandPoint then gives the default.
    ui::screen().setCursor(ui::crHandPoint, LoadCursorA(nullptr, IDC_HAND));

    const std::string first = parameters.empty() ? std::string() : parameters[0];
    switch (runModeFor(static_cast<int>(parameters.size()), first)) {
    case RunMode::FullScreen: SetUpFullScreen(application); break;
    case RunMode::About: SetUpAbout(application); break;
    case RunMode::Preview: RunPreview(parameters.size() > 1 ? parameters[1] : std::string()); break;
    case RunMode::None: break;
    }
    application.run();
}

}  // namespace

int RunProgram(const std::vector<std::string>& parameters) {
    // Module start-up: the GUI layer first, then the package. A failure here ends the process
    // with the run-time error box and exit code 217, after undoing what had started.
    std::optional<ui::Application> application;
    try {
        application.emplace();
    } catch (const std::exception& failure) {
        ui::showRuntimeError(217, ui::exceptionAddress(failure));
        return 217;
    }
#if SWFSAVER_HAVE_PACKAGE
    try {
        LoadPackage();
    } catch (const std::exception& failure) {
        FinalizePackage();
        application.reset();
        ui::showRuntimeError(217, ui::exceptionAddress(failure));
        return 217;
    }
#endif

    int exitCode = 0;
    try {
        RunMainBlock(*application, parameters);
    } catch (const std::exception& failure) {
        ui::showTopLevelError(failure);
        exitCode = 1;
    }

    // Shut-down in the reverse order of start-up: the forms (a shown one is hidden first), the
    // Flash component's class, the package, and last the application window and COM.
    application->destroyForms();
#if SWFSAVER_HAVE_FLASH
    RevokeFlashComponentClass();
#endif
#if SWFSAVER_HAVE_PACKAGE
    FinalizePackage();
#endif
    application.reset();
    return exitCode;
}

}  // namespace app
