// A stand-in for the display settings' preview box: a small window at a known place that starts
// the saver with "/p <its handle>" and then obeys commands that a test appends to a file.
//
//   preview_host.exe SAVER LOG COMMANDS [--hidden] [--handle-text TEXT]
//
// Commands, one a line: show, hide, destroy, quit. The log receives "host <handle>",
// "started", and when the saver ends "exit <code> <ms since the last command>" followed by
// "host-state <visible> <exists> <left> <top> <right> <bottom>".
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kLeft = 200, kTop = 150, kWidth = 152, kHeight = 112;
constexpr COLORREF kHostColor = RGB(255, 0, 255);

std::string logPath, commandsPath;
HWND host = nullptr;
HANDLE saver = nullptr;
std::atomic<DWORD> lastCommandTick{0};
std::size_t commandsDone = 0;
DWORD startTick = 0;

void log(const std::string& line) {
    std::ofstream out(logPath, std::ios::app);
    out << line << "\n";
}

LRESULT CALLBACK hostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        HBRUSH brush = CreateSolidBrush(kHostColor);
        FillRect(dc, &ps.rcPaint, brush);
        DeleteObject(brush);
        EndPaint(window, &ps);
        return 0;
    }
    if (message == WM_ERASEBKGND) return 1;
    return DefWindowProcA(window, message, wParam, lParam);
}

void runCommands() {
    std::ifstream in(commandsPath);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    for (; commandsDone < lines.size(); ++commandsDone) {
        const std::string& command = lines[commandsDone];
        DWORD tick = GetTickCount();
        lastCommandTick = tick;
        if (command == "show") ShowWindow(host, SW_SHOWNA);
        else if (command == "hide") ShowWindow(host, SW_HIDE);
        else if (command == "destroy") DestroyWindow(host);
        else if (command == "quit") PostQuitMessage(0);
        log("did " + command + " " + std::to_string(GetTickCount() - tick));
    }
}

// Waits for the saver on a thread of its own, so that the end is timed when it happens even while
// the host's own thread is busy with a command (hiding a window can take a while under Wine).
DWORD WINAPI watchSaver(void*) {
    WaitForSingleObject(saver, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(saver, &code);
    RECT r{};
    BOOL exists = IsWindow(host);
    if (exists) GetWindowRect(host, &r);
    char line[200];
    std::snprintf(line, sizeof line, "exit %lu %lu", code, GetTickCount() - lastCommandTick.load());
    log(line);
    std::snprintf(line, sizeof line, "host-state %d %d %ld %ld %ld %ld", IsWindowVisible(host) ? 1 : 0, exists ? 1 : 0,
                  r.left, r.top, r.right, r.bottom);
    log(line);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: preview_host SAVER LOG COMMANDS [--hidden] [--handle-text TEXT]\n");
        return 2;
    }
    std::string saverPath = argv[1];
    logPath = argv[2];
    commandsPath = argv[3];
    bool hidden = false;
    std::string handleText;
    bool ownText = false;
    for (int i = 4; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--hidden") hidden = true;
        else if (arg == "--handle-text" && i + 1 < argc) {
            handleText = argv[++i];
            ownText = true;
        }
    }

    WNDCLASSA wc{};
    wc.lpfnWndProc = hostProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = "PreviewHostWindow";
    RegisterClassA(&wc);
    host = CreateWindowExA(WS_EX_TOOLWINDOW, "PreviewHostWindow", "preview host", WS_POPUP | (hidden ? 0 : WS_VISIBLE),
                           kLeft, kTop, kWidth, kHeight, nullptr, nullptr, wc.hInstance, nullptr);
    if (!host) return 3;
    UpdateWindow(host);
    log("host " + std::to_string(reinterpret_cast<std::uintptr_t>(host)));

    if (!ownText) handleText = std::to_string(static_cast<long>(reinterpret_cast<std::intptr_t>(host)));
    std::string commandLine = "\"" + saverPath + "\" /p";
    if (!handleText.empty()) commandLine += " " + handleText;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(saverPath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        log("start-failed " + std::to_string(GetLastError()));
        return 4;
    }
    CloseHandle(pi.hThread);
    saver = pi.hProcess;
    log("started " + std::to_string(pi.dwProcessId));
    startTick = lastCommandTick = GetTickCount();

    HANDLE watcher = CreateThread(nullptr, 0, watchSaver, nullptr, 0, nullptr);
    SetTimer(nullptr, 0, 10, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && message.hwnd == nullptr) {
            runCommands();
            if (GetTickCount() - startTick > 120000) break;  // never outlive a forgotten test
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (WaitForSingleObject(saver, 0) != WAIT_OBJECT_0) TerminateProcess(saver, 99);
    WaitForSingleObject(watcher, 5000);
    CloseHandle(watcher);
    CloseHandle(saver);
    return 0;
}
