// A test host for the Flash control: makes TMyShockwaveFlash in a plain window, drives it and
// prints one line per observation ("ok: ..." or "FAIL: ..."), then "done".
//
//   flash_host.exe [MOVIE [COMMAND_MOVIE]]  the checks below (with MOVIE: also playback across a
//                             resize; with COMMAND_MOVIE: its fscommand reaching FSCommand),
//                             then exit (code = number of failures)
//   flash_host.exe show MOVIE shows the control at 40,30 sized 320x240 in a window at 100,100
//                             with MOVIE playing, prints "shown", runs until the window closes
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "flash/component/shockwave_flash_interface.h"
#include "flash/flash_component.h"
#include "flash/my_shockwave_flash.h"
#include "ui/activex/ole_error.h"
#include "ui/panel.h"
#include "string_spy.h"

namespace {

int failures = 0;

void report(bool good, const std::string& what) {
    if (!good) ++failures;
    std::printf("%s: %s\n", good ? "ok" : "FAIL", what.c_str());
    std::fflush(stdout);
}

LRESULT CALLBACK plainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND makePlainWindow(int x, int y, int w, int h) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = plainWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = "FlashHostWindow";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, "FlashHostWindow", "flash host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, x, y,
                                  w, h, nullptr, nullptr, wc.hInstance, nullptr);
    return window;
}

void pump(DWORD ms) {
    const DWORD until = GetTickCount() + ms;
    MSG msg;
    while (static_cast<LONG>(until - GetTickCount()) > 0) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    }
}

long componentLong(TMyShockwaveFlash& control, DISPID id) {
    IDispatch* dispatch = nullptr;
    control.oleObject()->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    dispatch->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr);
    dispatch->Release();
    return result.vt == VT_I4 ? result.lVal : -1;
}

// Set while a popup menu is expected: a timer inside the menu's loop notes the menu and ends it.
bool menuSeen = false;
void CALLBACK closeMenu(HWND, UINT, UINT_PTR id, DWORD) {
    HWND menu = FindWindowA("#32768", nullptr);
    if (menu && IsWindowVisible(menu)) {
        menuSeen = true;
        EndMenu();
    }
    KillTimer(nullptr, id);
}

bool rightClickShowsMenu(HWND target) {
    menuSeen = false;
    UINT_PTR timer = SetTimer(nullptr, 0, 300, closeMenu);
    SendMessageA(target, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
    KillTimer(nullptr, timer);
    return menuSeen;
}

void runChecks(const char* movie, const char* commandMovie) {
    HWND window = makePlainWindow(100, 100, 400, 300);
    ui::Panel panel;
    panel.setBounds(0, 0, 400, 300);
    panel.setParentWindow(window);

    auto control = std::make_unique<TMyShockwaveFlash>(nullptr);
    control->setParent(&panel);
    control->setBounds(10, 10, 200, 150);
    pump(100);

    // Colour: the GUI layer's red reaches the component in its byte order and reads back.
    control->setBackgroundColor(0x000000FF);
    report(componentLong(*control, flash::dispid::BackgroundColor) == 0x00FF0000,
           "BackgroundColor 0x000000FF reaches the component as 0x00FF0000");
    report(control->backgroundColor() == 0x000000FF, "BackgroundColor reads back as 0x000000FF");

    // Play, Stop, Rewind through the vtable; a missing movie does not stop them.
    control->setMovie("C:\\no\\such\\movie.swf");
    control->Play();
    report(control->playing(), "Play without a playable movie succeeds and plays");
    control->Stop();
    report(!control->playing(), "Stop succeeds");
    control->Rewind();
    report(control->frameNum() == 0, "Rewind succeeds, frame 0");
    control->setMovie("");
    report(control->movie().empty(), "an empty Movie is accepted");
    report(control->menu(), "Menu is true by default");

    // The resize rule: with a parent control the component's window is made anew.
    HWND before = control->componentWindow();
    control->setBounds(10, 10, 260, 180);
    HWND after = control->componentWindow();
    report(before && after && before != after && !IsWindow(before),
           "a resize inside a parent control re-creates the component's window");
    RECT r{};
    GetClientRect(after, &r);
    report(r.right == 260 && r.bottom == 180, "the new component window has the new size");

    // Right button: no menu while Menu is false, the popup menu while it is true.
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 1, "item");
    control->setPopupMenu(menu);
    control->setMenu(false);
    report(!rightClickShowsMenu(control->componentWindow()), "no popup menu while Menu is false");
    control->setMenu(true);
    report(rightClickShowsMenu(control->componentWindow()), "the popup menu shows while Menu is true");
    control->setPopupMenu(nullptr);
    DestroyMenu(menu);

    // With a movie: the position survives the re-creation of the window, and playback goes on.
    if (movie) {
        control->setMovie(movie);
        control->Play();
        pump(1300);
        const int before = control->frameNum();
        report(before > 0, "the movie advances (frame " + std::to_string(before) + ")");
        // Scripts read where the movie came from: the whole path of its file as a file:/// address.
        flash::IShockwaveFlash* face = nullptr;
        control->oleObject()->QueryInterface(flash::kShockwaveFlashIid, reinterpret_cast<void**>(&face));
        std::string url;
        if (face) {
            BSTR name = SysAllocString(L"_url"), value = nullptr;
            if (SUCCEEDED(face->GetVariable(name, &value)) && value)
                for (const wchar_t* c = value; *c; ++c) url += static_cast<char>(*c < 128 ? *c : '?');
            SysFreeString(value);
            SysFreeString(name);
            face->Release();
        }
        const std::string file = std::string(movie).substr(std::string(movie).find_last_of("\\/") + 1);
        report(url.rfind("file:///", 0) == 0 && url.size() > file.size() &&
                   url.compare(url.size() - file.size(), file.size(), file) == 0 && url.find('\\') == std::string::npos,
               "_url is the movie file's address (" + url + ")");
        control->setBounds(10, 10, 240, 160);
        const int kept = control->frameNum();
        report(kept >= before, "a resize keeps the movie's position (" + std::to_string(kept) + ")");
        pump(1300);
        report(control->frameNum() > kept && control->playing(), "the movie plays on after the resize (frame " +
                                                                      std::to_string(control->frameNum()) + ")");
    }

    // A movie's fscommand reaches the control's FSCommand event with its command and arguments.
    if (commandMovie) {
        std::wstring received;
        control->OnFSCommand = [&received](TMyShockwaveFlash&, const std::wstring& command, const std::wstring& args) {
            received = command + L"|" + args;
        };
        control->setMovie(commandMovie);
        control->Play();
        const DWORD until = GetTickCount() + 5000;
        while (received.empty() && static_cast<LONG>(until - GetTickCount()) > 0) pump(50);
        report(received == L"hello|world", "fscommand(\"hello\", \"world\") reaches FSCommand (" +
                                               std::string(received.begin(), received.end()) + ")");
        control->OnFSCommand = nullptr;
    }

    // A method the component does not implement: E_NOTIMPL with its description as the error.
    flash::IShockwaveFlash* flash = nullptr;
    control->oleObject()->QueryInterface(flash::kShockwaveFlashIid, reinterpret_cast<void**>(&flash));
    // Callers reach Play, Stop and Rewind by vtable slot (0 is QueryInterface): 28, 29 and 32.
    using Slot = HRESULT(STDMETHODCALLTYPE*)(flash::IShockwaveFlash*);
    void** vtable = *reinterpret_cast<void***>(flash);
    VARIANT_BOOL playingNow = VARIANT_FALSE;
    reinterpret_cast<Slot>(vtable[28])(flash);
    flash->get_Playing(&playingNow);
    report(playingNow != VARIANT_FALSE, "vtable slot 28 is Play");
    reinterpret_cast<Slot>(vtable[29])(flash);
    flash->get_Playing(&playingNow);
    report(playingNow == VARIANT_FALSE, "vtable slot 29 is Stop");
    reinterpret_cast<Slot>(vtable[28])(flash);
    reinterpret_cast<Slot>(vtable[32])(flash);
    flash->get_Playing(&playingNow);
    report(playingNow == VARIANT_FALSE, "vtable slot 32 is Rewind (to the first frame, stopped)");
    try {
        HRESULT hr = flash->Zoom(2);
        ui::raiseCallError(hr, flash, flash::kShockwaveFlashIid);
    } catch (const sav::Error& e) {
        report(e.className() == "EOleException" && std::string(e.what()).find("Zoom") != std::string::npos,
               std::string("a failing method raises its error: ") + e.className() + " " + e.what());
    }
    flash->Release();
    control.reset();

    // Without a parent control (a foreign parent window) a resize keeps the window.
    auto foreign = std::make_unique<TMyShockwaveFlash>(nullptr);
    foreign->setBounds(0, 0, 100, 80);
    foreign->setParentWindow(window);
    HWND first = foreign->componentWindow();
    foreign->setBounds(0, 0, 120, 90);
    report(first && foreign->componentWindow() == first, "a resize in a foreign window keeps the component's window");
    foreign.reset();

    // Creation failure: without the class registration the control cannot be made.
    RevokeFlashComponentClass();
    try {
        TMyShockwaveFlash missing(nullptr);
        report(false, "creation without the registered class fails");
    } catch (const ui::OleError& e) {
        report(e.className() == "EOleSysError" && e.code() == REGDB_E_CLASSNOTREG,
               std::string("creation without the registered class fails: ") + e.className() + " " + e.what());
    }
    RegisterFlashComponentClass();

    // What the hosting sends for strings, seen by a stand-in component.
    const DWORD cookie = spy::registerSpyClass();
    static constexpr DISPID noEvents[] = {0};
    const ui::OleControlDescriptor spyDescriptor{spy::kSpyClassId, IID_IDispatch, noEvents, 0};
    {
        ui::OleControl hosted(nullptr, spyDescriptor);
        hosted.setStringProperty(flash::dispid::Movie, "");
        report(spy::lastPut.id == flash::dispid::Movie && spy::lastPut.type == VT_BSTR && spy::lastPut.nullString,
               "an empty Movie is sent as a null BSTR");
        hosted.setStringProperty(flash::dispid::Movie, "C:\\a.swf");
        report(spy::lastPut.type == VT_BSTR && !spy::lastPut.nullString && spy::lastPut.length == 8,
               "a Movie path is sent as a BSTR of its text");
        hosted.setBoolProperty(flash::dispid::Loop, true);
        report(spy::lastPut.type == VT_BOOL, "Loop is sent as VT_BOOL");
    }
    CoRevokeClassObject(cookie);
    DestroyWindow(window);
}

int showMovie(const char* movie) {
    HWND window = makePlainWindow(100, 100, 400, 300);
    ui::Panel panel;
    panel.setBounds(0, 0, 400, 300);
    panel.setParentWindow(window);
    TMyShockwaveFlash control(nullptr);
    control.setParent(&panel);
    control.setBounds(40, 30, 320, 240);
    control.setDoubleBuffered(true);
    control.setMovie(movie);
    control.Play();
    std::printf("shown\n");
    std::fflush(stdout);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    OleInitialize(nullptr);
    RegisterFlashComponentClass();
    int code = 0;
    if (argc >= 3 && std::string(argv[1]) == "show") {
        code = showMovie(argv[2]);
    } else {
        runChecks(argc >= 2 ? argv[1] : nullptr, argc >= 3 ? argv[2] : nullptr);
        std::printf("done\n");
        code = failures;
    }
    RevokeFlashComponentClass();
    OleUninitialize();
    return code;
}
