// Waits for a top-level window with the given title (a message box), prints its text, then
// presses its button. Prints nothing and exits with 1 when no such window appears in time.
//
//   box_reader.exe TITLE [TIMEOUT_S]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Found {
    std::string text;
    HWND button = nullptr;
};

BOOL CALLBACK visitChild(HWND child, LPARAM context) {
    auto* found = reinterpret_cast<Found*>(context);
    char className[64] = {};
    GetClassNameA(child, className, sizeof className);
    char text[4096] = {};
    GetWindowTextA(child, text, sizeof text);
    if (lstrcmpiA(className, "Static") == 0 && std::string(text).size() > found->text.size()) found->text = text;
    if (lstrcmpiA(className, "Button") == 0 && !found->button) found->button = child;
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    int timeout = argc > 2 ? std::atoi(argv[2]) : 20;
    HWND box = nullptr;
    for (int i = 0; i < timeout * 20 && !box; ++i) {
        box = FindWindowA(nullptr, argv[1]);
        if (box && !IsWindowVisible(box)) box = nullptr;
        if (!box) Sleep(50);
    }
    if (!box) return 1;
    Found found;
    EnumChildWindows(box, visitChild, reinterpret_cast<LPARAM>(&found));
    std::printf("%s\n", found.text.c_str());
    std::fflush(stdout);
    if (found.button) PostMessageA(box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(found.button), BN_CLICKED),
                                   reinterpret_cast<LPARAM>(found.button));
    else PostMessageA(box, WM_CLOSE, 0, 0);
    return 0;
}
