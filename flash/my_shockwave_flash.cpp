#include "flash/my_shockwave_flash.h"

#include <exception>

#include "flash/color_swap.h"
#include "ui/activex/ole_error.h"

namespace {

constexpr DISPID kEventIds[] = {flash::dispid::OnReadyStateChange, flash::dispid::OnProgress,
                                flash::dispid::FSCommand};

const ui::OleControlDescriptor kDescriptor{flash::kFlashClassId, flash::kFlashEventsIid, kEventIds,
                                           sizeof kEventIds / sizeof kEventIds[0]};

int32_t swapColor(int32_t value) {
    return flash::FlashColorSwap(value, [](int index) { return static_cast<uint32_t>(GetSysColor(index)); });
}

// Event argument i of the declared list (DISPPARAMS holds them last first).
VARIANT* eventArgument(DISPPARAMS& params, UINT i) {
    return i < params.cArgs ? &params.rgvarg[params.cArgs - 1 - i] : nullptr;
}

int intArgument(DISPPARAMS& params, UINT i) {
    VARIANT* v = eventArgument(params, i);
    VARIANT out;
    VariantInit(&out);
    if (!v || FAILED(VariantChangeType(&out, v, 0, VT_I4))) return 0;
    return static_cast<int>(out.lVal);
}

std::wstring stringArgument(DISPPARAMS& params, UINT i) {
    VARIANT* v = eventArgument(params, i);
    VARIANT out;
    VariantInit(&out);
    if (!v || FAILED(VariantChangeType(&out, v, 0, VT_BSTR))) return {};
    std::wstring text = out.bstrVal ? std::wstring(out.bstrVal, SysStringLen(out.bstrVal)) : std::wstring();
    VariantClear(&out);
    return text;
}

}  // namespace

TMyShockwaveFlash::TMyShockwaveFlash(ui::Component* owner) : ui::OleControl(owner, kDescriptor) {}

TMyShockwaveFlash::~TMyShockwaveFlash() { cached_.reset(); }

flash::IShockwaveFlash& TMyShockwaveFlash::shockwaveFlash() {
    if (!cached_) {
        IUnknown* object = oleObject();
        ui::ComPtr<IDispatch> dispatch;
        if (!object || FAILED(object->QueryInterface(IID_IDispatch, dispatch.putVoid())) || !dispatch)
            ui::raiseOleError("Interface not supported");
        if (FAILED(dispatch.queryInto(flash::kShockwaveFlashIid, cached_)) || !cached_)
            ui::raiseOleError("Interface not supported");
    }
    return *cached_.get();
}

template <class Method>
void TMyShockwaveFlash::call(Method method) {
    shockwaveFlash();
    ui::ComPtr<flash::IShockwaveFlash> held = cached_;  // one counted reference for the call
    const HRESULT hr = (held.get()->*method)();
    if (FAILED(hr)) ui::raiseCallError(hr, held.get(), flash::kShockwaveFlashIid);
}

void TMyShockwaveFlash::Play() { call(&flash::IShockwaveFlash::Play); }
void TMyShockwaveFlash::Stop() { call(&flash::IShockwaveFlash::Stop); }
void TMyShockwaveFlash::Rewind() { call(&flash::IShockwaveFlash::Rewind); }

ui::Color TMyShockwaveFlash::backgroundColor() {
    return static_cast<ui::Color>(swapColor(getIntProperty(flash::dispid::BackgroundColor)));
}

void TMyShockwaveFlash::setBackgroundColor(ui::Color color) {
    setIntProperty(flash::dispid::BackgroundColor, swapColor(color));
}

void TMyShockwaveFlash::eventFired(std::size_t index, DISPPARAMS& params) {
    switch (index) {
    case 0:
        if (OnReadyStateChange) OnReadyStateChange(*this, intArgument(params, 0));
        break;
    case 1:
        if (OnProgress) OnProgress(*this, intArgument(params, 0));
        break;
    case 2:
        if (OnFSCommand) OnFSCommand(*this, stringArgument(params, 0), stringArgument(params, 1));
        break;
    default: break;
    }
}

void TMyShockwaveFlash::rightButtonDown(HWND from, POINT point) {
    if (!popupMenu_) return;
    ClientToScreen(from, &point);
    TrackPopupMenu(popupMenu_, TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, 0, handle(), nullptr);
}

bool TMyShockwaveFlash::componentMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
    if (message != WM_RBUTTONDOWN) return false;
    // The component never sees the right button; Menu decides whether our popup menu may show.
    result = 0;
    if (menu()) rightButtonDown(componentWindow(), POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
    return true;
}

LRESULT TMyShockwaveFlash::windowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_RBUTTONDOWN) {
        // The same rule as for the component's window, with our own coordinates.
        if (menu()) rightButtonDown(handle(), POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return 0;
    }
    return ui::OleControl::windowProc(message, wParam, lParam);
}

void TMyShockwaveFlash::createParams(ui::CreateParams& params) {
    ui::OleControl::createParams(params);
    creatingWindow_ = true;  // the window's first WM_SIZE comes before it is complete
}

void TMyShockwaveFlash::windowCreated() {
    creatingWindow_ = false;
    ui::OleControl::windowCreated();
}

void TMyShockwaveFlash::resized() {
    if (creatingWindow_ || inResizeRule_) {
        ui::OleControl::resized();
        return;
    }
    inResizeRule_ = true;
    ui::WinControl* parentControl = parent();
    // Re-creating the window re-activates the component at the new bounds.
    struct Restore {
        TMyShockwaveFlash& self;
        ui::WinControl* parent;
        ~Restore() noexcept(false) {
            self.inResizeRule_ = false;
            if (std::uncaught_exceptions() == 0) {
                self.setParent(parent);
                return;
            }
            // Already failing: the control goes back to its parent, and the first error goes on.
            try {
                self.setParent(parent);
            } catch (...) {
            }
        }
    } restore{*this, parentControl};
    setParent(nullptr);
    ui::OleControl::resized();
}
