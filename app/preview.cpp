#include "app/preview.h"

#include "app/command_line.h"
#include "support/error.h"
#include "ui/application.h"
#include "ui/color.h"
#include "support/handles.h"

#if SWFSAVER_HAVE_PACKAGE
#include "package/common.h"
#endif
#if SWFSAVER_HAVE_FLASH
#include "flash/flash_component.h"
#include "flash/my_shockwave_flash.h"
#endif

#include <windows.h>

#include <cstdint>
#include <memory>

namespace app {

namespace {

// The longest a wait for messages lasts before the host is looked at again: the preview notices
// a hidden or destroyed host within this time without keeping a processor busy.
constexpr DWORD kPollMs = 50;

HWND windowFromInteger(std::int32_t value) {
    // Window handles are 32-bit values; a 64-bit build sign-extends them.
    return reinterpret_cast<HWND>(static_cast<std::intptr_t>(value));
}

// Handles waiting messages, then waits for more at most kPollMs.
void pumpOnce(ui::Application& application) {
    application.processMessages();
    application.waitForMessages(kPollMs);
}

bool saverWindowExists() { return FindWindowA(saverWindowTestClass().c_str(), nullptr) != nullptr; }

#if SWFSAVER_HAVE_FLASH
// Wine draws a child window that belongs to another process into nothing: its picture never
// reaches the screen. There the player is instead a popup owned by the host and kept over the
// host's place, which looks the same. Windows shows the child window as it is.
bool childOfOtherProcessShows() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return !ntdll || !GetProcAddress(ntdll, "wine_get_version");
}

class PopupOverHost final : public TMyShockwaveFlash {
public:
    using TMyShockwaveFlash::TMyShockwaveFlash;

protected:
    void createParams(ui::CreateParams& params) override {
        TMyShockwaveFlash::createParams(params);
        // Created hidden and shown without activation: the host keeps the focus, and the popup
        // never counts as an application window that must wait for a window manager to hide it.
        params.style = (params.style & ~static_cast<DWORD>(WS_CHILD | WS_VISIBLE)) | WS_POPUP;
        params.exStyle |= WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    }
    void windowCreated() override {
        TMyShockwaveFlash::windowCreated();
        SetWindowPos(handle(), nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
};

// Places the player at the host's outer size: at (0, 0) inside it as a child, or over it on the
// screen as a popup.
void placePlayer(TMyShockwaveFlash& player, HWND host, bool asPopup) {
    RECT hostRect{};
    GetWindowRect(host, &hostRect);
    const int width = hostRect.right - hostRect.left, height = hostRect.bottom - hostRect.top;
    const int left = asPopup ? hostRect.left : 0, top = asPopup ? hostRect.top : 0;
    if (player.left() != left) player.setLeft(left);
    if (player.top() != top) player.setTop(top);
    if (player.width() != width) player.setWidth(width);
    if (player.height() != height) player.setHeight(height);
}
#endif

}  // namespace

void RunPreview(const std::string& handleText) {
    HWND host = windowFromInteger(integerFromText(handleText));
    ui::Application& application = ui::application();

    // Wait for the host to become visible; a handle that names no window (or one destroyed while
    // waiting) ends the preview at once.
    while (!IsWindowVisible(host)) {
        if (!IsWindow(host)) return;
        pumpOnce(application);
    }

#if SWFSAVER_HAVE_FLASH
    // The preview is silent: its components never open the audio output.
    SetFlashComponentSound(false);
    // The control has no owner: the preview frees it however it ends.
    const bool asPopup = !childOfOtherProcessShows();
    std::unique_ptr<TMyShockwaveFlash> player =
        asPopup ? std::make_unique<PopupOverHost>(nullptr) : std::make_unique<TMyShockwaveFlash>(nullptr);
    placePlayer(*player, host, asPopup);
    player->setParentWindow(host);
#if SWFSAVER_HAVE_PACKAGE
    if (PackageSettings.BackColor != ui::clNone) player->setBackgroundColor(PackageSettings.BackColor);
    WIN32_FIND_DATAA found;
    ui::UniqueFindHandle search(FindFirstFileA(PackageSettings.MovieFile.c_str(), &found));
    if (search) {
        search.reset();
        player->setMovie(PackageSettings.MovieFile);
    }
#endif
    player->Play();
#endif

    while (IsWindowVisible(host) && !saverWindowExists()) {
        pumpOnce(application);
#if SWFSAVER_HAVE_FLASH
        if (asPopup && IsWindowVisible(host)) placePlayer(*player, host, true);
#endif
    }
}

}  // namespace app
