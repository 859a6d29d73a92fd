// window_probe window CLASS   prints the top-level window of that class as key=value lines:
//                             found, visible, topmost, style, exstyle, caption, rect, client,
//                             and one child=CLASS:TEXT line per child window
// window_probe redraw CLASS  asks that window and its children to paint again
// window_probe textpos CLASS TEXT  the screen position of TEXT in the window's rich edit box
// window_probe endsession CLASS  sends WM_QUERYENDSESSION and prints answer=1 or 0
// window_probe cursor         prints cursor_showing (GetCursorInfo) and the pointer position
// window_probe close CLASS    posts WM_CLOSE to that window (as another program would) and
//                             prints sent=1, or found=0 when there is none
// Exit code 0 when the request could be answered, 2 for a wrong command line.
#include <windows.h>
#include <richedit.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// One line per child window: its class and its text as the window gives it (for a rich edit
// box, the plain text: RTF control words do not appear once the text is shown formatted).
BOOL CALLBACK PrintChild(HWND child, LPARAM) {
    char className[256] = "";
    GetClassNameA(child, className, sizeof className);
    // WM_GETTEXT itself: GetWindowText only reads the stored caption of another process's window.
    char text[4096] = "";
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(child, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                        &copied);
    text[sizeof text - 1] = '\0';
    for (char* c = text; *c; ++c)
        if (*c == '\r' || *c == '\n') *c = ' ';
    RECT rect{};
    GetWindowRect(child, &rect);
    std::printf("child_state=%s visible=%d rect=%ld,%ld,%ld,%ld\n", className, IsWindowVisible(child) ? 1 : 0,
                rect.left, rect.top, rect.right, rect.bottom);
    std::printf("child=%s:%s\n", className, text);
    return TRUE;
}

int ProbeWindow(const char* className) {
    HWND window = FindWindowA(className, nullptr);
    std::printf("found=%d\n", window ? 1 : 0);
    if (!window) return 0;
    const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
    RECT rect{}, client{};
    GetWindowRect(window, &rect);
    GetClientRect(window, &client);
    char caption[512] = "";
    GetWindowTextA(window, caption, sizeof caption);
    std::printf("visible=%d\n", IsWindowVisible(window) ? 1 : 0);
    std::printf("topmost=%d\n", (exStyle & WS_EX_TOPMOST) ? 1 : 0);
    std::printf("style=0x%08lx\n", static_cast<unsigned long>(style));
    std::printf("exstyle=0x%08lx\n", static_cast<unsigned long>(exStyle));
    std::printf("has_caption=%d\n", (style & WS_CAPTION) == WS_CAPTION ? 1 : 0);
    std::printf("has_border=%d\n", (style & (WS_BORDER | WS_THICKFRAME | WS_DLGFRAME)) ? 1 : 0);
    std::printf("has_sysmenu=%d\n", (style & WS_SYSMENU) ? 1 : 0);
    std::printf("has_minmax=%d\n", (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) ? 1 : 0);
    std::printf("sizeable=%d\n", (style & WS_THICKFRAME) ? 1 : 0);
    std::printf("caption=%s\n", caption);
    std::printf("rect=%ld,%ld,%ld,%ld\n", rect.left, rect.top, rect.right, rect.bottom);
    std::printf("client=%ld,%ld\n", client.right - client.left, client.bottom - client.top);
    EnumChildWindows(window, PrintChild, 0);
    return 0;
}

int ProbeCursor() {
    CURSORINFO info{};
    info.cbSize = sizeof info;
    if (!GetCursorInfo(&info)) {
        std::printf("cursor_showing=unknown\n");
        return 0;
    }
    std::printf("cursor_showing=%d\n", (info.flags & CURSOR_SHOWING) ? 1 : 0);
    std::printf("cursor_pos=%ld,%ld\n", info.ptScreenPos.x, info.ptScreenPos.y);
    return 0;
}

int CloseWindow(const char* className) {
    HWND window = FindWindowA(className, nullptr);
    if (!window) {
        std::printf("found=0\n");
        return 0;
    }
    // Posted, not sent: the target may show a modal prompt before it answers.
    PostMessageA(window, WM_CLOSE, 0, 0);
    std::printf("sent=1\n");
    return 0;
}

// The system's question before a log-off: sent, and the answer printed (1 may end, 0 may not).
int QueryEndSession(const char* className) {
    HWND window = FindWindowA(className, nullptr);
    if (!window) {
        std::printf("found=0\n");
        return 0;
    }
    DWORD_PTR answer = 0;
    // Long enough for a password prompt of the test's library, which answers at once.
    if (!SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 20000, &answer)) {
        std::printf("answer=none\n");
        return 0;
    }
    std::printf("answer=%d\n", answer ? 1 : 0);
    return 0;
}

int Redraw(const char* className) {
    HWND window = FindWindowA(className, nullptr);
    std::printf("found=%d\n", window ? 1 : 0);
    if (window) RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    return 0;
}

// The screen position of a piece of text inside the first rich edit box of the window, a few
// characters into it, so that a click there lands on it.
int TextPosition(const char* className, const char* wanted) {
    HWND window = FindWindowA(className, nullptr);
    HWND box = window ? FindWindowExA(window, nullptr, "TRichEdit", nullptr) : nullptr;
    if (!box) {
        std::printf("found=0\n");
        return 0;
    }
    char text[8192] = "";
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(box, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &copied);
    text[sizeof text - 1] = '\0';
    // The box counts a paragraph end as one character; WM_GETTEXT gives it as CR LF.
    std::string flat;
    for (const char* c = text; *c; ++c)
        if (!(c[0] == '\r' && c[1] == '\n')) flat += *c;
    const size_t at = flat.find(wanted);
    if (at == std::string::npos) {
        std::printf("found=0\n");
        return 0;
    }
    // The edit-style form of EM_POSFROMCHAR (character index in, packed client position out)
    // works across processes, unlike the form that takes a pointer.
    DWORD_PTR packed = 0;
    SendMessageTimeoutA(box, EM_POSFROMCHAR, at + 3, 0, SMTO_ABORTIFHUNG, 5000, &packed);
    POINT point{static_cast<short>(LOWORD(packed)), static_cast<short>(HIWORD(packed))};
    ClientToScreen(box, &point);
    std::printf("found=1\nindex=%zu\nposition=%ld,%ld\n", at, point.x, point.y);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "window") == 0) return ProbeWindow(argv[2]);
    if (argc == 2 && std::strcmp(argv[1], "cursor") == 0) return ProbeCursor();
    if (argc == 3 && std::strcmp(argv[1], "close") == 0) return CloseWindow(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "redraw") == 0) return Redraw(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "endsession") == 0) return QueryEndSession(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "textpos") == 0) return TextPosition(argv[2], argv[3]);
    std::fprintf(stderr, "usage: window_probe window|close|redraw|endsession CLASS | textpos CLASS TEXT | cursor\n");
    return 2;
}
