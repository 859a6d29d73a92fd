#include "ui/win_control.h"

#include "support/error.h"
#include "ui/application.h"
#include "ui/layout_values.h"
#include "ui/screen.h"
#include "ui/text_compare.h"
#include "ui/window_messages.h"

#include <algorithm>
#include <map>

namespace ui {

LRESULT CALLBACK controlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

namespace {

constexpr const char* kControlProperty = "swfsaver.ui.control";

// The control whose window is being made on this thread: its first messages arrive before
// CreateWindowEx returns.
thread_local WinControl* creatingControl = nullptr;

// The procedure of the system class each registered class is built on.
std::map<std::string, WNDPROC>& baseProcedures() {
    static std::map<std::string, WNDPROC> procedures;
    return procedures;
}

HINSTANCE moduleInstance() { return GetModuleHandleA(nullptr); }

WNDPROC registerWindowClass(const CreateParams& params) {
    auto& procedures = baseProcedures();
    auto found = procedures.find(params.windowClass);
    if (found != procedures.end()) return found->second;

    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    WNDPROC base = DefWindowProcA;
    if (!params.baseClass.empty()) {
        if (!GetClassInfoExA(nullptr, params.baseClass.c_str(), &wc))
            throw sav::Error("EOSError", "Window class " + params.baseClass + " is not available");
        base = wc.lpfnWndProc;
        wc.cbSize = sizeof wc;
    } else {
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    }
    wc.style = params.baseClass.empty() ? params.classStyle : wc.style;
    wc.lpfnWndProc = controlWindowProc;
    wc.hInstance = moduleInstance();
    wc.lpszClassName = params.windowClass.c_str();
    wc.hbrBackground = nullptr;  // the control paints its own background
    if (!wc.hIcon) wc.hIcon = LoadIconA(moduleInstance(), MAKEINTRESOURCEA(1));
    if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw sav::Error("EOSError", "Cannot register window class " + params.windowClass);
    procedures[params.windowClass] = base;
    return base;
}

}  // namespace

LRESULT CALLBACK controlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WinControl* control = WinControl::fromHandle(window);
    if (!control && creatingControl) {
        control = creatingControl;
        creatingControl = nullptr;
        control->window_ = window;
        SetPropA(window, kControlProperty, control);
        char className[256] = {};
        GetClassNameA(window, className, sizeof className);
        auto found = baseProcedures().find(className);
        control->baseProc_ = found != baseProcedures().end() ? found->second : DefWindowProcA;
    }
    if (!control) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        LRESULT result = control->defaultProc(message, wParam, lParam);
        RemovePropA(window, kControlProperty);
        control->window_ = nullptr;
        return result;
    }
    // Failures never cross the system's frames: the toolkit shows them and the run goes on.
    try {
        return control->windowProc(message, wParam, lParam);
    } catch (const std::exception& failure) {
        if (Application::exists()) Application::instance().showException(failure);
        return 0;
    }
}

WinControl::WinControl(Component* owner) : Control(owner) {}

WinControl::~WinControl() {
    destroyWindowHandle();
    // Child controls go with their parent (they also leave their owners' lists).
    while (!controls_.empty()) delete controls_.back();
}

WinControl* WinControl::fromHandle(HWND window) {
    if (!window) return nullptr;
    return static_cast<WinControl*>(GetPropA(window, kControlProperty));
}

namespace {
bool belongsToOtherProcess(HWND window) {
    DWORD process = 0;
    return window && GetWindowThreadProcessId(window, &process) && process != GetCurrentProcessId();
}
}  // namespace

HWND WinControl::handle() {
    if (!window_) createWindowHandle();
    return window_;
}

bool WinControl::wantsWindow() const {
    if (!visible()) return false;
    if (parent()) return parent()->handleAllocated();
    return parentWindow_ != nullptr;
}

void WinControl::createParams(CreateParams& params) {
    params.windowClass = "TWinControl";
    params.style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    if (visible()) params.style |= WS_VISIBLE;
    if (tabStop_) params.style |= WS_TABSTOP;
    params.x = left();
    params.y = top();
    params.width = width();
    params.height = height();
}

void WinControl::createWindowHandle() {
    if (window_) return;
    CreateParams params;
    createParams(params);
    if (parent()) params.parentWindow = parent()->handle();
    else if (parentWindow_) params.parentWindow = parentWindow_;
    // A window inside another program's window tells it nothing synchronously: that program may be
    // busy (or hung) just when this one is ending.
    if ((params.style & WS_CHILD) && !parent() && belongsToOtherProcess(params.parentWindow))
        params.exStyle |= WS_EX_NOPARENTNOTIFY;
    if ((params.style & WS_CHILD) && !params.parentWindow)
        throw sav::Error("EInvalidOperation", "Control '" + name() + "' has no parent window");
    registerWindowClass(params);

    WinControl* outer = creatingControl;
    creatingControl = this;
    HWND made = CreateWindowExA(params.exStyle, params.windowClass.c_str(), params.caption.c_str(),
                                params.style, params.x, params.y, params.width, params.height,
                                params.parentWindow, nullptr, moduleInstance(), nullptr);
    creatingControl = outer;
    if (!made) {
        window_ = nullptr;
        throw sav::Error("EOSError", "Cannot create a window for '" + name() + "'");
    }
    // A superclassed system control may have answered its first messages before ours arrived.
    if (!window_) {
        window_ = made;
        SetPropA(made, kControlProperty, this);
        baseProc_ = baseProcedures()[params.windowClass];
    }
    applyFont();
    windowCreated();
    for (Control* child : std::vector<Control*>(controls_)) {
        auto* windowed = dynamic_cast<WinControl*>(child);
        if (windowed && windowed->visible() && !windowed->handleAllocated()) windowed->createWindowHandle();
    }
    realign();
}

void WinControl::destroyWindowHandle() {
    if (!window_ || destroyingWindow_) return;
    destroyingWindow_ = true;
    // Children first, so that each runs its own windowDestroying while its window still exists.
    for (Control* child : std::vector<Control*>(controls_))
        if (auto* windowed = dynamic_cast<WinControl*>(child)) windowed->destroyWindowHandle();
    if (window_) DestroyWindow(window_);
    window_ = nullptr;
    destroyingWindow_ = false;
}

void WinControl::recreateWindow() {
    if (!window_) return;
    destroyWindowHandle();
    if (wantsWindow() || !parent()) createWindowHandle();
}

void WinControl::setParentWindow(HWND window) {
    if (window == parentWindow_ && !parent()) return;
    if (parent()) Control::setParent(nullptr);
    parentWindow_ = window;
    if (window_) {
        if (window) {
            if (belongsToOtherProcess(window))
                SetWindowLongPtrA(window_, GWL_EXSTYLE, GetWindowLongPtrA(window_, GWL_EXSTYLE) | WS_EX_NOPARENTNOTIFY);
            SetParent(window_, window);
            boundsChanged();
        } else {
            destroyWindowHandle();
        }
    } else if (wantsWindow()) {
        createWindowHandle();
    }
}

void WinControl::setParent(WinControl* parent) {
    if (parent == this->parent()) return;
    if (parent) parentWindow_ = nullptr;
    Control::setParent(parent);
    if (window_) {
        if (parent && parent->handleAllocated()) {
            SetParent(window_, parent->window_);
            boundsChanged();
        } else {
            destroyWindowHandle();
        }
    } else if (wantsWindow()) {
        createWindowHandle();
    }
}

void WinControl::attach(Control* child) { controls_.push_back(child); }

void WinControl::detach(Control* child) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), child), controls_.end());
    if (child->align() != Align::None) realign();
}

void WinControl::setVisible(bool visible) {
    if (visible == this->visible()) return;
    Control::setVisible(visible);
    if (window_) ShowWindow(window_, visible ? SW_SHOW : SW_HIDE);
    else if (wantsWindow()) createWindowHandle();
}

void WinControl::boundsChanged() {
    if (window_)
        SetWindowPos(window_, nullptr, left(), top(), width(), height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

void WinControl::invalidate() {
    if (window_) InvalidateRect(window_, nullptr, FALSE);
}

RECT WinControl::clientRect() const {
    RECT r{0, 0, width(), height()};
    if (window_) GetClientRect(window_, &r);
    return r;
}

void WinControl::realign() {
    RECT area = clientRect();
    auto place = [](Control* c, int l, int t, int w, int h) {
        if (l == c->left() && t == c->top() && w == c->width() && h == c->height()) return;
        c->invalidate();
        c->storeBounds(l, t, std::max(w, 0), std::max(h, 0));
        c->boundsChanged();
    };
    for (Align pass : {Align::Top, Align::Bottom, Align::Left, Align::Right, Align::Client}) {
        for (Control* c : controls_) {
            if (c->align() != pass || !c->visible()) continue;
            int w = area.right - area.left, h = area.bottom - area.top;
            switch (pass) {
            case Align::Top:
                place(c, area.left, area.top, w, c->height());
                area.top += c->height();
                break;
            case Align::Bottom:
                place(c, area.left, area.bottom - c->height(), w, c->height());
                area.bottom -= c->height();
                break;
            case Align::Left:
                place(c, area.left, area.top, c->width(), h);
                area.left += c->width();
                break;
            case Align::Right:
                place(c, area.right - c->width(), area.top, c->width(), h);
                area.right -= c->width();
                break;
            case Align::Client: place(c, area.left, area.top, w, h); break;
            case Align::None: break;
            }
        }
    }
}

LRESULT WinControl::perform(UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageA(handle(), message, wParam, lParam);
}

bool WinControl::focused() const { return window_ && GetFocus() == window_; }

void WinControl::setFocus() { SetFocus(handle()); }

void WinControl::setColor(Color color) {
    color_ = color;
    parentColor_ = false;
    invalidate();
}

void WinControl::setParentColor(bool value) {
    parentColor_ = value;
    invalidate();
}

Color WinControl::effectiveColor() const {
    if (parentColor_ && parent()) return parent()->effectiveColor();
    return color_;
}

const Font& WinControl::font() const {
    if (parentFont_ && parent()) return parent()->font();
    return font_;
}

void WinControl::setFont(const Font& font) {
    font_ = font;
    parentFont_ = false;
    applyFont();
}

void WinControl::setParentFont(bool value) {
    parentFont_ = value;
    applyFont();
}

void WinControl::applyFont() {
    if (!window_) return;
    UniqueFont made = font().create();
    SendMessageA(window_, WM_SETFONT, reinterpret_cast<WPARAM>(made.get()), FALSE);
    fontHandle_ = std::move(made);  // the old font goes only once the window uses the new one
}

LRESULT WinControl::defaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcA(baseProc_ ? baseProc_ : DefWindowProcA, window_, message, wParam, lParam);
}

void WinControl::paint(HDC dc, const RECT& area) {
    UniqueBrush brush(CreateSolidBrush(colorToRgb(effectiveColor())));
    FillRect(dc, &area, brush.get());
}

// Whether a graphic child shows in `area`: only then is there something to paint over the control's
// own picture.
bool WinControl::graphicsIn(const RECT& area) const {
    for (Control* c : controls_) {
        auto* graphic = dynamic_cast<GraphicControl*>(c);
        if (!graphic || !graphic->visible()) continue;
        RECT bounds = graphic->boundsRect(), overlap;
        if (IntersectRect(&overlap, &bounds, &area)) return true;
    }
    return false;
}

void WinControl::paintControls(HDC dc, const RECT& area) {
    for (Control* c : controls_) {
        auto* graphic = dynamic_cast<GraphicControl*>(c);
        if (!graphic || !graphic->visible()) continue;
        RECT bounds = graphic->boundsRect(), overlap;
        if (!IntersectRect(&overlap, &bounds, &area)) continue;
        int saved = SaveDC(dc);
        IntersectClipRect(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
        graphic->paint(dc);
        RestoreDC(dc, saved);
    }
}

void WinControl::paintMessage() {
    PaintScope scope(window_);
    RECT area = scope.area();
    if (IsRectEmpty(&area)) return;
    // The back buffer keeps graphic children from flickering over what is painted under them; an
    // area without any is painted once, straight to the window (a movie's changed part, each frame).
    if (!doubleBuffered_ || !graphicsIn(area)) {
        paint(scope.dc(), area);
        paintControls(scope.dc(), area);
        return;
    }
    RECT client = clientRect();
    const SIZE size{std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1)};
    if (!backBuffer_ || backBufferSize_.cx != size.cx || backBufferSize_.cy != size.cy) {
        backBuffer_.reset(CreateCompatibleBitmap(scope.dc(), size.cx, size.cy));
        backBufferSize_ = backBuffer_ ? size : SIZE{0, 0};
    }
    UniqueMemoryDc memory(CreateCompatibleDC(scope.dc()));
    if (!memory || !backBuffer_) {  // out of GDI resources: draw straight to the screen
        paint(scope.dc(), area);
        paintControls(scope.dc(), area);
        return;
    }
    {
        SelectScope select(memory.get(), backBuffer_.get());
        paint(memory.get(), area);
        paintControls(memory.get(), area);
        BitBlt(scope.dc(), area.left, area.top, area.right - area.left, area.bottom - area.top,
               memory.get(), area.left, area.top, SRCCOPY);
    }
}

void WinControl::resized() {
    realign();
    if (onResize) onResize(*this);
}

LRESULT WinControl::windowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const bool ownClass = baseProc_ == DefWindowProcA || !baseProc_;
    switch (message) {
    case WM_ERASEBKGND:
        if (ownClass) return 1;  // WM_PAINT draws everything, so nothing flickers
        break;
    case WM_PAINT:
        if (ownClass) {
            paintMessage();
            return 0;
        }
        break;
    case WM_SIZE:
    case WM_MOVE: {
        // Keep the bounds in step with moves and sizes made by the system.
        RECT r;
        GetWindowRect(window_, &r);
        HWND parentWindow = GetParent(window_);
        if (parentWindow && (GetWindowLongPtrA(window_, GWL_STYLE) & WS_CHILD))
            MapWindowPoints(nullptr, parentWindow, reinterpret_cast<POINT*>(&r), 2);
        storeBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
        LRESULT result = defaultProc(message, wParam, lParam);
        if (message == WM_SIZE) resized();
        return result;
    }
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && reinterpret_cast<HWND>(wParam) == window_ && cursor() != crDefault) {
            SetCursor(screen().cursor(cursor()));
            return TRUE;
        }
        break;
    case WM_COMMAND:
        // Notifications of child controls go back to the child that sent them.
        if (lParam) {
            if (WinControl* child = fromHandle(reinterpret_cast<HWND>(lParam)); child && child != this)
                return SendMessageA(child->window_, kReflectedCommand, wParam, lParam);
        }
        break;
    case WM_DESTROY: {
        LRESULT result = 0;
        windowDestroying();
        result = defaultProc(message, wParam, lParam);
        return result;
    }
    default: break;
    }
    return defaultProc(message, wParam, lParam);
}

bool WinControl::setProperty(std::string_view name, const LayoutValue& value) {
    if (sameText(name, "Color")) {
        std::optional<Color> c;
        if (value.kind == LayoutValue::Kind::Identifier) c = colorFromName(value.text);
        else if (value.kind == LayoutValue::Kind::Integer) c = static_cast<Color>(value.integer);
        if (!c) throw sav::Error("EReadError", "Invalid property value for Color");
        setColor(*c);
    } else if (sameText(name, "ParentColor")) setParentColor(layoutBool(value, name));
    else if (sameText(name, "ParentFont")) setParentFont(layoutBool(value, name));
    else if (sameText(name, "DoubleBuffered")) setDoubleBuffered(layoutBool(value, name));
    else if (sameText(name, "TabStop")) setTabStop(layoutBool(value, name));
    else if (sameText(name, "TabOrder")) setTabOrder(layoutInt(value, name));
    else if (name.size() > 5 && sameText(name.substr(0, 5), "Font.")) {
        Font f = font();
        std::string_view part = name.substr(5);
        if (sameText(part, "Name") && value.kind == LayoutValue::Kind::String) f.name = value.text;
        else if (sameText(part, "Height")) f.height = layoutInt(value, name);
        else if (sameText(part, "Charset")) {
            if (value.kind == LayoutValue::Kind::Identifier && sameText(value.text, "DEFAULT_CHARSET"))
                f.charset = DEFAULT_CHARSET;
            else if (value.kind == LayoutValue::Kind::Identifier && sameText(value.text, "ANSI_CHARSET"))
                f.charset = ANSI_CHARSET;
            else f.charset = layoutInt(value, name);
        } else if (sameText(part, "Color")) {
            std::optional<Color> c = value.kind == LayoutValue::Kind::Identifier ? colorFromName(value.text)
                                                                                   : std::optional<Color>(static_cast<Color>(value.integer));
            if (!c) throw sav::Error("EReadError", "Invalid property value for Font.Color");
            f.color = *c;
        } else if (sameText(part, "Style")) {
            f.bold = false;
            for (const auto& item : value.items) f.bold = f.bold || sameText(item, "fsBold");
        } else return false;
        setFont(f);
    } else return Control::setProperty(name, value);
    return true;
}

}  // namespace ui
