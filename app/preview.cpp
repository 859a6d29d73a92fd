#include "app/preview.h"

#include "app/command_line.h"
#include "support/error.h"
#include "ui/application.h"
#include "ui/color.h"
#include "ui/handles.h"

#if SWFSAVER_HAVE_PACKAGE
#include "package/common.h"
#endif
#if SWFSAVER_HAVE_FLASH
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

    RECT hostRect{};
    GetWindowRect(host, &hostRect);

#if SWFSAVER_HAVE_FLASH
    // The control has no owner: the preview frees it however it ends.
    auto player = std::make_unique<TMyShockwaveFlash>(nullptr);
    player->setLeft(0);
    player->setTop(0);
    player->setWidth(hostRect.right - hostRect.left);
    player->setHeight(hostRect.bottom - hostRect.top);
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

    while (IsWindowVisible(host) && !saverWindowExists()) pumpOnce(application);
}

}  // namespace app
