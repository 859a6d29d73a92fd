// Reports the program's top-level windows by class name, for the start-up tests.
//
//   app_window_probe.exe [--close] WAIT_CLASS TIMEOUT_S [CLASS...]
//
// Waits until a visible window of WAIT_CLASS exists (exit code 1 when none appears in time), then
// prints one line per class: "<class> exists=0|1 visible=0|1 rect=l,t,r,b topmost=0|1
// toolwindow=0|1 caption=<text>". With --close it then posts WM_CLOSE to the WAIT_CLASS window.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void report(const char* className) {
    HWND window = FindWindowA(className, nullptr);
    if (!window) {
        std::printf("%s exists=0\n", className);
        return;
    }
    RECT r{};
    GetWindowRect(window, &r);
    LONG_PTR exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
    char caption[256] = {};
    GetWindowTextA(window, caption, sizeof caption);
    std::printf("%s exists=1 visible=%d rect=%ld,%ld,%ld,%ld topmost=%d toolwindow=%d caption=%s\n", className,
                IsWindowVisible(window) ? 1 : 0, r.left, r.top, r.right, r.bottom, (exStyle & WS_EX_TOPMOST) ? 1 : 0,
                (exStyle & WS_EX_TOOLWINDOW) ? 1 : 0, caption);
}

}  // namespace

int main(int argc, char** argv) {
    int first = 1;
    bool close = false;
    if (argc > 1 && std::strcmp(argv[1], "--close") == 0) {
        close = true;
        first = 2;
    }
    if (argc < first + 2) return 2;
    const char* waitClass = argv[first];
    int timeout = std::atoi(argv[first + 1]);
    HWND window = nullptr;
    for (int i = 0; i < timeout * 20; ++i) {
        window = FindWindowA(waitClass, nullptr);
        if (window && IsWindowVisible(window)) break;
        window = nullptr;
        Sleep(50);
    }
    if (!window) return 1;
    report(waitClass);
    for (int i = first + 2; i < argc; ++i) report(argv[i]);
    std::fflush(stdout);
    if (close) PostMessageA(window, WM_CLOSE, 0, 0);
    return 0;
}
