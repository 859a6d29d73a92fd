#include "ui/activex/ole_control.h"

#include <olectl.h>

#include "ui/activex/ole_error.h"
#include "ui/activex/ole_site.h"

namespace ui {
namespace {

constexpr char kHookProperty[] = "SwfsaverOleControlHook";

std::wstring toWide(const std::string& text) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string fromWide(BSTR text) {
    if (!text) return {};
    const int length = static_cast<int>(SysStringLen(text));
    if (length == 0) return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, text, length, out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace

LRESULT CALLBACK componentWindowHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* control = static_cast<OleControl*>(GetPropA(window, kHookProperty));
    if (!control || control->componentWindow_ != window) return DefWindowProcW(window, message, wParam, lParam);
    WNDPROC original = control->componentProc_;
    LRESULT result = 0;
    if (control->componentMessage(message, wParam, lParam, result)) return result;
    return CallWindowProcW(original, window, message, wParam, lParam);
}

OleControl::OleControl(Component* owner, const OleControlDescriptor& descriptor)
    : WinControl(owner), descriptor_(descriptor) {
    oleCheck(CoCreateInstance(descriptor.classId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IOleObject,
                              object_.putVoid()));
    site_ = ComPtr<OleClientSite>::attach(new OleClientSite(this));
    sink_ = ComPtr<OleEventSink>::attach(new OleEventSink(this, descriptor.eventsIid));
}

OleControl::~OleControl() {
    // Our windowDestroying must run while this object is still an OleControl.
    destroyWindowHandle();
    if (eventPoint_) eventPoint_->Unadvise(eventCookie_);
    eventPoint_.reset();
    dispatch_.reset();
    inPlaceObject_.reset();
    if (object_) {
        object_->Close(OLECLOSE_NOSAVE);
        object_->SetClientSite(nullptr);
        object_.reset();
    }
    // The component may keep them past us: they stop calling back, and go with their last reference.
    site_->detach();
    sink_->detach();
}

void OleControl::completeSetUp() {
    if (setUp_) return;
    setUp_ = true;
    object_->SetClientSite(static_cast<IOleClientSite*>(site_.get()));
    ComPtr<IPersistStreamInit> persist;
    if (SUCCEEDED(object_.queryInto(IID_IPersistStreamInit, persist))) persist->InitNew();
    // Events: a component without the connection point simply sends none.
    ComPtr<IConnectionPointContainer> container;
    if (SUCCEEDED(object_.queryInto(IID_IConnectionPointContainer, container)) &&
        SUCCEEDED(container->FindConnectionPoint(descriptor_.eventsIid, eventPoint_.put())) && eventPoint_) {
        if (FAILED(eventPoint_->Advise(static_cast<IDispatch*>(sink_.get()), &eventCookie_))) eventPoint_.reset();
    }
}

IUnknown* OleControl::oleObject() {
    completeSetUp();
    return object_.get();
}

VARIANT OleControl::getProperty(DISPID id) {
    completeSetUp();
    if (!dispatch_ && FAILED(object_.queryInto(IID_IDispatch, dispatch_))) raiseOleError("Interface not supported");
    DISPPARAMS params{nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception{};
    HRESULT hr = dispatch_->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &params, &result, &exception, nullptr);
    if (FAILED(hr)) {
        VariantClear(&result);
        raiseInvokeError(hr, exception);
    }
    return result;
}

void OleControl::putProperty(DISPID id, VARIANT& value) {
    completeSetUp();
    if (!dispatch_ && FAILED(object_.queryInto(IID_IDispatch, dispatch_))) raiseOleError("Interface not supported");
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &named, 1, 1};
    EXCEPINFO exception{};
    HRESULT hr = dispatch_->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, &exception, nullptr);
    if (FAILED(hr)) raiseInvokeError(hr, exception);
}

bool OleControl::getBoolProperty(DISPID id) {
    VARIANT v = getProperty(id);
    VARIANT b;
    VariantInit(&b);
    const bool ok = SUCCEEDED(VariantChangeType(&b, &v, 0, VT_BOOL));
    VariantClear(&v);
    return ok && b.boolVal != VARIANT_FALSE;
}

void OleControl::setBoolProperty(DISPID id, bool value) {
    VARIANT v;
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    putProperty(id, v);
}

int OleControl::getIntProperty(DISPID id) {
    VARIANT v = getProperty(id);
    VARIANT i;
    VariantInit(&i);
    const bool ok = SUCCEEDED(VariantChangeType(&i, &v, 0, VT_I4));
    VariantClear(&v);
    return ok ? static_cast<int>(i.lVal) : 0;
}

void OleControl::setIntProperty(DISPID id, int value) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = value;
    putProperty(id, v);
}

std::string OleControl::getStringProperty(DISPID id) {
    VARIANT v = getProperty(id);
    VARIANT s;
    VariantInit(&s);
    std::string text;
    if (SUCCEEDED(VariantChangeType(&s, &v, 0, VT_BSTR))) text = fromWide(s.bstrVal);
    VariantClear(&s);
    VariantClear(&v);
    return text;
}

void OleControl::setStringProperty(DISPID id, const std::string& value) {
    VARIANT v;
    v.vt = VT_BSTR;
    // An empty string goes as a null BSTR.
    v.bstrVal = value.empty() ? nullptr : SysAllocString(toWide(value).c_str());
    try {
        putProperty(id, v);
    } catch (...) {
        SysFreeString(v.bstrVal);
        throw;
    }
    SysFreeString(v.bstrVal);
}

void OleControl::eventFired(std::size_t, DISPPARAMS&) {}

bool OleControl::componentMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

void OleControl::createParams(CreateParams& params) {
    WinControl::createParams(params);
    // The control draws the component's frame under the component's window (with its own
    // graphic children over it), so it must not clip that window out.
    params.style &= ~static_cast<DWORD>(WS_CLIPCHILDREN);
}

void OleControl::windowCreated() {
    WinControl::windowCreated();
    completeSetUp();
    RECT client = clientRect();
    HRESULT hr = object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(site_.get()), 0, handle(),
                                 &client);
    (void)hr;
    if (FAILED(object_.queryInto(IID_IOleInPlaceObject, inPlaceObject_)) || !inPlaceObject_)
        raiseOleError("OLE control activation failed");
    HWND window = nullptr;
    if (FAILED(inPlaceObject_->GetWindow(&window)) || !window)
        raiseOleError("Could not obtain OLE control window handle");
    componentWindow_ = window;
    SetPropA(window, kHookProperty, this);
    componentProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(componentWindowHook)));
}

void OleControl::deactivate() {
    if (componentWindow_ && IsWindow(componentWindow_)) {
        if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(componentWindow_, GWLP_WNDPROC)) == componentWindowHook)
            SetWindowLongPtrW(componentWindow_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(componentProc_));
        RemovePropA(componentWindow_, kHookProperty);
    }
    componentWindow_ = nullptr;
    componentProc_ = nullptr;
    if (inPlaceObject_) inPlaceObject_->InPlaceDeactivate();
    inPlaceObject_.reset();
    if (object_) object_->Close(OLECLOSE_NOSAVE);
}

void OleControl::windowDestroying() {
    deactivate();
    WinControl::windowDestroying();
}

void OleControl::placeComponent() {
    if (!inPlaceObject_) return;
    RECT client = clientRect();
    inPlaceObject_->SetObjectRects(&client, &client);
}

LRESULT OleControl::windowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE) placeComponent();
    return WinControl::windowProc(message, wParam, lParam);
}

void OleControl::paint(HDC dc, const RECT& area) {
    ComPtr<IViewObject> view;
    if (object_ && SUCCEEDED(object_.queryInto(IID_IViewObject, view)) && view) {
        const RECT client = clientRect();
        const RECTL bounds{client.left, client.top, client.right, client.bottom};
        // Components draw only within the clip box, so a paint of a small area costs little.
        const SavedDcState state(dc);
        IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
        if (SUCCEEDED(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0)))
            return;
    }
    WinControl::paint(dc, area);
}

}  // namespace ui
