#include "ui/form.h"

#include "support/error.h"
#include "ui/application.h"
#include "ui/image.h"
#include "ui/layout_values.h"
#include "ui/panel.h"
#include "ui/rich_edit.h"
#include "ui/screen.h"
#include "ui/text_compare.h"

namespace ui {

namespace {

bool isScaledProperty(std::string_view name) {
    for (const char* scaled : {"Left", "Top", "Width", "Height", "ClientWidth", "ClientHeight", "Font.Height"})
        if (sameText(name, scaled)) return true;
    return false;
}

[[noreturn]] void readError(const std::string& text, int line) {
    throw sav::Error("EReadError", text + " (layout line " + std::to_string(line) + ")");
}

}  // namespace

Form::Form(Component* owner) : WinControl(owner) {
    setVisible(false);
    storeBounds(0, 0, 320, 240);
}

Form::~Form() { beforeDestruction(); }

void Form::beforeDestruction() {
    if (destroying_) return;
    destroying_ = true;
    // A failure in a handler must not escape: the form goes all the same.
    auto guardedStep = [](auto&& step) {
        try {
            step();
        } catch (const std::exception& failure) {
            if (Application::exists()) Application::instance().showException(failure);
        }
    };
    if (visible()) guardedStep([this] { setVisible(false); });
    guardedStep([this] { runEvent(onDestroy); });
    if (Application::exists()) Application::instance().formDestroyed(*this);
    destroyWindowHandle();
}

void Form::defineHandler(const std::string& name, NotifyEvent handler) { handlers_[name] = std::move(handler); }

void Form::defineCloseQuery(const std::string& name, CloseQueryEvent handler) {
    closeQueries_[name] = std::move(handler);
}

void Form::loadLayout(const std::string& className) {
    HRSRC resource = FindResourceA(nullptr, className.c_str(), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    HGLOBAL loaded = resource ? LoadResource(nullptr, resource) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) throw sav::Error("EResNotFound", "Resource " + className + " not found");
    DWORD size = SizeofResource(nullptr, resource);
    loadLayoutText(std::string_view(static_cast<const char*>(data), size));
}

void Form::loadLayoutText(std::string_view text) {
    Layout layout = parseLayout(text);
    className_ = layout.root.className;
    setName(layout.root.name);
    applyProperties(*this, layout.root, layout.pixelsPerInch);
    buildChildren(layout.root, *this, layout.pixelsPerInch);
    if (!activeControlName_.empty()) {
        auto* control = dynamic_cast<WinControl*>(findComponent(activeControlName_));
        if (!control) throw sav::Error("EReadError", "ActiveControl " + activeControlName_ + " not found");
        activeControl_ = control;
    }
}

void Form::buildChildren(const LayoutNode& node, WinControl& parent, int layoutPpi) {
    for (const LayoutNode& child : node.children) {
        Component& made = createComponent(child, parent);
        applyProperties(made, child, layoutPpi);
        auto* windowed = dynamic_cast<WinControl*>(&made);
        if (!child.children.empty()) {
            if (!windowed) readError(child.name + " cannot hold other components", child.line);
            buildChildren(child, *windowed, layoutPpi);
        }
    }
}

Component& Form::createComponent(const LayoutNode& node, WinControl& parent) {
    if (findComponent(node.name)) readError("A component named " + node.name + " already exists", node.line);
    Component* made = nullptr;
    const std::string& type = node.className;
    if (sameText(type, "TPanel")) made = new Panel(this);
    else if (sameText(type, "TImage")) made = new Image(this);
    else if (sameText(type, "TButton") || sameText(type, "TBitBtn")) made = new Button(this);
    else if (sameText(type, "TRichEdit")) made = new RichEdit(this);
    else if (sameText(type, "TXPManifest")) made = new XPManifest(this);
    else readError("Class " + type + " not found", node.line);
    made->setName(node.name);
    if (auto* control = dynamic_cast<Control*>(made)) control->setParent(&parent);
    return *made;
}

void Form::applyProperties(Component& target, const LayoutNode& node, int layoutPpi) {
    const int screenPpi = screen().pixelsPerInch();
    for (const LayoutProperty& property : node.properties) {
        if (property.name.size() > 2 && sameText(property.name.substr(0, 2), "On")) {
            if (property.value.kind != LayoutValue::Kind::Identifier)
                readError("Invalid handler for " + property.name, property.line);
            bindEvent(target, property.name, property.value.text, property.line);
            continue;
        }
        LayoutValue value = property.value;
        if (value.kind == LayoutValue::Kind::Integer && isScaledProperty(property.name) && layoutPpi != screenPpi)
            value.integer = MulDiv(static_cast<int>(value.integer), screenPpi, layoutPpi);
        try {
            if (!target.setProperty(property.name, value))
                readError("Error reading " + node.name + "." + property.name + ": Property " + property.name +
                              " does not exist",
                          property.line);
        } catch (const sav::Error& failure) {
            if (failure.className() != "EReadError") throw;
            if (std::string(failure.what()).find("(layout line") != std::string::npos) throw;
            readError(std::string(failure.what()) + " in " + node.name, property.line);
        }
    }
}

void Form::bindEvent(Component& target, std::string_view event, const std::string& handler, int line) {
    auto notify = [&]() -> NotifyEvent {
        auto found = handlers_.find(handler);
        if (found == handlers_.end()) readError("Handler " + handler + " not defined", line);
        return found->second;
    };
    if (&target == this) {
        if (sameText(event, "OnCreate")) onCreate = notify();
        else if (sameText(event, "OnShow")) onShow = notify();
        else if (sameText(event, "OnHide")) onHide = notify();
        else if (sameText(event, "OnDestroy")) onDestroy = notify();
        else if (sameText(event, "OnCloseQuery")) {
            auto found = closeQueries_.find(handler);
            if (found == closeQueries_.end()) readError("Handler " + handler + " not defined", line);
            onCloseQuery = found->second;
        } else readError("Event " + std::string(event) + " does not exist", line);
        return;
    }
    if (auto* button = dynamic_cast<Button*>(&target); button && sameText(event, "OnClick")) {
        button->onClick = notify();
        return;
    }
    if (auto* windowed = dynamic_cast<WinControl*>(&target); windowed && sameText(event, "OnResize")) {
        NotifyEvent h = notify();
        windowed->onResize = [h](WinControl& sender) { h(sender); };
        return;
    }
    readError("Event " + std::string(event) + " does not exist", line);
}

void Form::doCreate() {
    if (!onCreate) return;
    try {
        onCreate(*this);
    } catch (const std::exception& failure) {
        if (!Application::exists()) throw;
        Application::instance().showException(failure);
    }
}

void Form::runEvent(const NotifyEvent& event) {
    if (event) event(*this);
}

void Form::setCaption(std::string caption) {
    caption_ = std::move(caption);
    if (handleAllocated()) SetWindowTextA(handle(), caption_.c_str());
}

SIZE Form::windowSizeForClient(int clientWidth, int clientHeight) const {
    CreateParams params;
    const_cast<Form*>(this)->createParams(params);
    RECT r{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&r, params.style, FALSE, params.exStyle);
    return {r.right - r.left, r.bottom - r.top};
}

void Form::setClientSize(int width, int height) {
    requestedClientWidth_ = width;
    requestedClientHeight_ = height;
    SIZE size = windowSizeForClient(width, height);
    setBounds(left(), top(), size.cx, size.cy);
}

int Form::clientWidth() const {
    if (handleAllocated()) return clientRect().right;
    return requestedClientWidth_ >= 0 ? requestedClientWidth_ : width();
}

int Form::clientHeight() const {
    if (handleAllocated()) return clientRect().bottom;
    return requestedClientHeight_ >= 0 ? requestedClientHeight_ : height();
}

void Form::createParams(CreateParams& params) {
    WinControl::createParams(params);
    params.windowClass = className_;
    params.caption = caption_;
    params.style = WS_CLIPCHILDREN;
    params.exStyle = 0;
    switch (borderStyle_) {
    case BorderStyle::None: params.style |= WS_POPUP; break;
    case BorderStyle::Single: params.style |= WS_OVERLAPPED | WS_CAPTION | WS_BORDER; break;
    case BorderStyle::Sizeable: params.style |= WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME; break;
    case BorderStyle::Dialog:
        params.style |= WS_POPUP | WS_CAPTION | DS_MODALFRAME;
        params.exStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
        break;
    }
    if (borderStyle_ != BorderStyle::None && borderIcons_.systemMenu) {
        params.style |= WS_SYSMENU;
        if (borderStyle_ == BorderStyle::Single || borderStyle_ == BorderStyle::Sizeable) {
            if (borderIcons_.minimize) params.style |= WS_MINIMIZEBOX;
            if (borderIcons_.maximize) params.style |= WS_MAXIMIZEBOX;
        }
    }
    if (formStyle_ == FormStyle::StayOnTop) params.exStyle |= WS_EX_TOPMOST;
    if (Application::exists()) params.parentWindow = Application::instance().handle();
}

void Form::windowCreated() {
    if (formStyle_ == FormStyle::StayOnTop)
        SetWindowPos(handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (requestedClientWidth_ >= 0) {
        SIZE size = windowSizeForClient(requestedClientWidth_, requestedClientHeight_);
        setBounds(left(), top(), size.cx, size.cy);
    }
}

void Form::placeOnShow() {
    if (position_ == FormPosition::ScreenCenter)
        setBounds((screen().width() - width()) / 2, (screen().height() - height()) / 2, width(), height());
}

void Form::setVisible(bool visible) {
    if (visible == this->visible()) return;
    if (visible) {
        if (destroying_) return;
        Control::setVisible(true);
        handle();
        placeOnShow();
        runEvent(onShow);
        int command = windowState_ == WindowState::Maximized   ? SW_SHOWMAXIMIZED
                      : windowState_ == WindowState::Minimized ? SW_SHOWMINIMIZED
                                                                : SW_SHOWNORMAL;
        ShowWindow(handle(), command);
        if (activeControl_ && activeControl_->visible()) activeControl_->setFocus();
    } else {
        Control::setVisible(false);
        runEvent(onHide);
        // A form being destroyed disappears with its window; hiding it first would only cost
        // a round trip to the display.
        if (handleAllocated() && !destroying_) ShowWindow(handle(), SW_HIDE);
    }
}

bool Form::closeQuery() {
    bool canClose = true;
    if (onCloseQuery) onCloseQuery(*this, canClose);
    return canClose;
}

bool Form::close() {
    if (!closeQuery()) return false;
    if (Application::exists() && Application::instance().mainForm() == this) Application::instance().terminate();
    else hide();
    return true;
}

Button* Form::findButton(bool isDefault, const std::vector<Control*>& controls) const {
    for (Control* c : controls) {
        if (!c->visible()) continue;
        if (auto* button = dynamic_cast<Button*>(c)) {
            if (isDefault ? button->isDefault() : button->cancel()) return button;
        } else if (auto* windowed = dynamic_cast<WinControl*>(c)) {
            if (Button* found = findButton(isDefault, windowed->controls())) return found;
        }
    }
    return nullptr;
}

bool Form::dialogKey(WPARAM key) {
    if (key != VK_RETURN && key != VK_ESCAPE) return false;
    Button* button = findButton(key == VK_RETURN, controls());
    if (!button || (button->handleAllocated() && !IsWindowEnabled(button->handle()))) return false;
    button->click();
    return true;
}

LRESULT Form::windowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        close();
        return 0;
    case WM_QUERYENDSESSION:
        return closeQuery() ? TRUE : FALSE;
    default: return WinControl::windowProc(message, wParam, lParam);
    }
}

bool Form::setProperty(std::string_view name, const LayoutValue& value) {
    auto ident = [&](const char* text) {
        return value.kind == LayoutValue::Kind::Identifier && sameText(value.text, text);
    };
    auto invalid = [&]() -> bool { throw sav::Error("EReadError", "Invalid property value for " + std::string(name)); };
    if (sameText(name, "Caption")) {
        if (value.kind != LayoutValue::Kind::String) invalid();
        setCaption(value.text);
    } else if (sameText(name, "BorderStyle")) {
        if (ident("bsNone")) borderStyle_ = BorderStyle::None;
        else if (ident("bsSingle")) borderStyle_ = BorderStyle::Single;
        else if (ident("bsSizeable")) borderStyle_ = BorderStyle::Sizeable;
        else if (ident("bsDialog")) borderStyle_ = BorderStyle::Dialog;
        else invalid();
    } else if (sameText(name, "BorderIcons")) {
        if (value.kind != LayoutValue::Kind::Set) invalid();
        BorderIcons icons{false, false, false};
        for (const auto& item : value.items) {
            if (sameText(item, "biSystemMenu")) icons.systemMenu = true;
            else if (sameText(item, "biMinimize")) icons.minimize = true;
            else if (sameText(item, "biMaximize")) icons.maximize = true;
            else if (!sameText(item, "biHelp")) invalid();
        }
        borderIcons_ = icons;
    } else if (sameText(name, "FormStyle")) {
        if (ident("fsNormal")) formStyle_ = FormStyle::Normal;
        else if (ident("fsStayOnTop")) formStyle_ = FormStyle::StayOnTop;
        else invalid();
    } else if (sameText(name, "Position")) {
        if (ident("poDesigned") || ident("poDefault") || ident("poDefaultPosOnly")) position_ = FormPosition::Designed;
        else if (ident("poScreenCenter") || ident("poDesktopCenter") || ident("poMainFormCenter"))
            position_ = FormPosition::ScreenCenter;
        else invalid();
    } else if (sameText(name, "WindowState")) {
        if (ident("wsNormal")) windowState_ = WindowState::Normal;
        else if (ident("wsMinimized")) windowState_ = WindowState::Minimized;
        else if (ident("wsMaximized")) windowState_ = WindowState::Maximized;
        else invalid();
    } else if (sameText(name, "ClientWidth")) {
        setClientSize(layoutInt(value, name), requestedClientHeight_ >= 0 ? requestedClientHeight_ : clientHeight());
    } else if (sameText(name, "ClientHeight")) {
        setClientSize(requestedClientWidth_ >= 0 ? requestedClientWidth_ : clientWidth(), layoutInt(value, name));
    } else if (sameText(name, "ActiveControl")) {
        if (value.kind != LayoutValue::Kind::Identifier) invalid();
        activeControlName_ = value.text;
    } else if (sameText(name, "PixelsPerInch")) {
        layoutInt(value, name);  // the layout's resolution is given by its pixelsperinch line
    } else if (sameText(name, "Visible")) {
        layoutBool(value, name);  // a form shows through the application, never while loading
    } else return WinControl::setProperty(name, value);
    return true;
}

}  // namespace ui
