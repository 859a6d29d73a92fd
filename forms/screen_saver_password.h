// The operating system's screen-saver password protocol: when the user has turned the password
// on, the system's password library asks for it. Every failure of the check allows closing.
#pragma once

#include <windows.h>

#include <string>

namespace forms {

// True when the saver may close: the password is off, cannot be checked, or was given.
// owner is the window that the system's password prompt belongs to.
bool ScreenSaverPasswordAllowsClose(HWND owner);

// The full path of the system's password library (system folder + "PASSWORD.CPL"), or empty
// when the system folder is unknown. Only this path is ever loaded: a file of that name beside
// the program or in the current folder must never run.
std::string PasswordLibraryPath();

}  // namespace forms
