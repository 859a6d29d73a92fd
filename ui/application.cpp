#include "ui/application.h"

#include "support/error.h"
#include "ui/button.h"
#include "ui/form.h"
#include "ui/rich_edit.h"

#include <objbase.h>

namespace ui {

namespace {

Application* current = nullptr;

LRESULT CALLBACK applicationWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        // Closing the application's window closes the main form, through its close query.
        if (current && current->mainForm()) {
            current->guarded([] { current->mainForm()->close(); });
            return 0;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

std::string executableBaseName() {
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name(path);
    std::size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

}  // namespace

Application::Application() {
    if (current) throw sav::Error("EInvalidOperation", "The application object exists already");
    title_ = executableBaseName();
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = applicationWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = LoadIconA(wc.hInstance, MAKEINTRESOURCEA(1));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = "TApplication";
    RegisterClassExA(&wc);
    window_.reset(CreateWindowExA(0, "TApplication", title_.c_str(),
                                  WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                                  GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                                  nullptr, nullptr, wc.hInstance, nullptr));
    if (!window_) throw sav::Error("EOSError", "Cannot create the application window");
    current = this;
}

Application::~Application() {
    // Forms first, while the application window that owns them still exists.
    destroyForms();
    window_.reset();
    if (comInitialized_) CoUninitialize();
    current = nullptr;
}

void Application::destroyForms() {
    while (!components().empty()) {
        Component* last = components().back();
        if (auto* form = dynamic_cast<Form*>(last)) form->beforeDestruction();
        delete last;
    }
    mainForm_ = nullptr;
}

Application& Application::instance() {
    if (!current) throw sav::Error("EInvalidOperation", "No application object");
    return *current;
}

bool Application::exists() { return current != nullptr; }

void Application::setTitle(std::string title) {
    title_ = std::move(title);
    SetWindowTextA(window_.get(), title_.c_str());
}

void Application::initialize() {
    if (comInitialized_) return;
    HRESULT result = CoInitialize(nullptr);
    comInitialized_ = SUCCEEDED(result);  // S_FALSE also needs its CoUninitialize
}

void Application::formCreated(Form& form) {
    // The main form gets its window at once; other forms when something first needs it.
    if (!mainForm_) {
        mainForm_ = &form;
        form.handle();
    }
    form.doCreate();
}

void Application::formDestroyed(Form& form) {
    if (mainForm_ == &form) mainForm_ = nullptr;
}

void Application::guarded(const std::function<void()>& work) {
    try {
        work();
    } catch (const std::exception& failure) {
        showException(failure);
    }
}

void Application::showException(const std::exception& failure) {
    HWND owner = GetActiveWindow();
    if (!owner) owner = window_.get();
    MessageBoxA(owner, failure.what(), title_.c_str(), MB_OK | MB_ICONSTOP);
}

bool Application::isDialogKey(MSG& message) {
    if (message.message != WM_KEYDOWN || (message.wParam != VK_RETURN && message.wParam != VK_ESCAPE))
        return false;
    WinControl* target = WinControl::fromHandle(message.hwnd);
    if (!target) return false;
    // A focused button takes Enter itself; a box that wants returns keeps Enter.
    if (message.wParam == VK_RETURN) {
        if (auto* button = dynamic_cast<Button*>(target)) {
            button->click();
            return true;
        }
        if (auto* edit = dynamic_cast<RichEdit*>(target); edit && edit->wantReturns()) return false;
    }
    Form* form = dynamic_cast<Form*>(WinControl::fromHandle(GetAncestor(message.hwnd, GA_ROOT)));
    return form && form->dialogKey(message.wParam);
}

bool Application::processMessage(MSG& message) {
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return false;
    if (message.message == WM_QUIT) {
        terminated_ = true;
        return true;
    }
    try {
        bool handled = false;
        if (onMessage) {
            MessageHook hook = onMessage;  // the hook may replace itself
            hook(message, handled);
        }
        if (!handled && !isDialogKey(message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    } catch (const std::exception& failure) {
        showException(failure);
    }
    return true;
}

void Application::processMessages() {
    MSG message;
    while (processMessage(message)) {}
}

void Application::waitForMessages(DWORD timeoutMs) {
    MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void Application::terminate() { PostQuitMessage(0); }

void Application::run() {
    if (!mainForm_) return;
    guarded([this] { if (mainForm_) mainForm_->show(); });
    MSG message;
    while (!terminated_ && mainForm_) {
        if (!processMessage(message)) WaitMessage();
    }
}

}  // namespace ui
