#include "forms/screen_saver_password.h"

#include "support/handles.h"

#include <cstdint>

namespace forms {

namespace {

using VerifyScreenSavePwdProc = BOOL(WINAPI*)(HWND);

// The setting counts as on when its first four bytes, read as a little-endian number, are not 0.
// The buffer is cleared first, so that a shorter value leaves no stale bytes behind.
bool PasswordTurnedOn(HKEY desktop) {
    std::uint32_t value = 0;
    DWORD size = sizeof value;
    DWORD type = 0;
    LONG status = RegQueryValueExA(desktop, "ScreenSaveUsePassword", nullptr, &type,
                                   reinterpret_cast<BYTE*>(&value), &size);
    return status == ERROR_SUCCESS && value != 0;
}

bool LibraryAllowsClose(HWND owner) {
    const std::string path = PasswordLibraryPath();
    if (path.empty()) return true;
    // Dependencies of the library are searched from its own folder too, not from ours.
    ui::UniqueModule library(LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!library) return true;
    auto verify = reinterpret_cast<VerifyScreenSavePwdProc>(
        reinterpret_cast<void*>(GetProcAddress(library.get(), "VerifyScreenSavePwd")));
    if (!verify) return true;
    return verify(owner) != 0;
}

}  // namespace

std::string PasswordLibraryPath() {
    char folder[MAX_PATH + 1] = {};
    UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    std::string path(folder, length);
    if (path.back() != '\\') path += '\\';
    return path + "PASSWORD.CPL";
}

bool ScreenSaverPasswordAllowsClose(HWND owner) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return true;
    ui::UniqueRegKey desktop(opened);
    if (!PasswordTurnedOn(desktop.get())) return true;
    try {
        return LibraryAllowsClose(owner);
    } catch (...) {
        // Whatever goes wrong in the system's library must not lock the user in.
        return true;
    }
}

}  // namespace forms
