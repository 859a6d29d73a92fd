#include "ui/activex/ole_site.h"

#include <olectl.h>

#include "ui/activex/ole_control.h"

namespace ui {

HRESULT OleClientSite::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) *out = static_cast<IOleClientSite*>(this);
    else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite))
        *out = static_cast<IOleInPlaceSite*>(this);
    else if (IsEqualIID(iid, IID_IOleInPlaceUIWindow) || IsEqualIID(iid, IID_IOleInPlaceFrame))
        *out = static_cast<IOleInPlaceFrame*>(this);
    else if (IsEqualIID(iid, IID_IDispatch)) *out = static_cast<IDispatch*>(this);
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG OleClientSite::Release() {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

HRESULT OleClientSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT OleClientSite::GetContainer(IOleContainer** container) {
    if (container) *container = nullptr;
    return E_NOINTERFACE;
}

HRESULT OleClientSite::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = control_ && control_->handleAllocated() ? control_->handle() : nullptr;
    return *window ? S_OK : E_FAIL;
}

HRESULT OleClientSite::CanInPlaceActivate() { return control_ && control_->handleAllocated() ? S_OK : S_FALSE; }

HRESULT OleClientSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT pos,
                                        LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
    if (!frame || !document || !pos || !clip) return E_POINTER;
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *document = nullptr;
    RECT client{0, 0, 0, 0};
    if (control_) client = control_->clientRect();
    *pos = client;
    *clip = client;
    if (info) {
        info->fMDIApp = FALSE;
        info->hwndFrame = control_ && control_->handleAllocated() ? GetAncestor(control_->handle(), GA_ROOT) : nullptr;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
    }
    return S_OK;
}

HRESULT OleClientSite::OnPosRectChange(LPCRECT pos) {
    // The control decides the component's place: it fills the control's client area.
    if (!pos) return E_POINTER;
    return S_OK;
}

HRESULT OleClientSite::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT OleClientSite::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT OleClientSite::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

HRESULT OleClientSite::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) {
    if (!(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
    VariantInit(result);
    switch (id) {
    case DISPID_AMBIENT_USERMODE:  // running, not designing
        result->vt = VT_BOOL;
        result->boolVal = VARIANT_TRUE;
        return S_OK;
    case DISPID_AMBIENT_UIDEAD:
    case DISPID_AMBIENT_SHOWHATCHING:
    case DISPID_AMBIENT_SHOWGRABHANDLES:
    case DISPID_AMBIENT_MESSAGEREFLECT:
        result->vt = VT_BOOL;
        result->boolVal = VARIANT_FALSE;
        return S_OK;
    case DISPID_AMBIENT_LOCALEID:
        result->vt = VT_I4;
        result->lVal = static_cast<LONG>(GetUserDefaultLCID());
        return S_OK;
    case DISPID_AMBIENT_BACKCOLOR:
        result->vt = VT_I4;
        result->lVal = control_ ? static_cast<LONG>(control_->effectiveColor()) : 0;
        return S_OK;
    default: return DISP_E_MEMBERNOTFOUND;
    }
}

HRESULT OleEventSink::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, eventsIid_)) {
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

ULONG OleEventSink::Release() {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

HRESULT OleEventSink::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT OleEventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT OleEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

HRESULT OleEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
    if (!control_) return S_OK;
    const OleControlDescriptor& d = control_->descriptor_;
    for (std::size_t i = 0; i < d.eventCount; ++i) {
        if (d.eventIds[i] != id) continue;
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        // A handler's failure must not unwind through the component.
        try {
            control_->eventFired(i, params ? *params : none);
        } catch (...) {
            return E_FAIL;
        }
        return S_OK;
    }
    return S_OK;  // events nobody handles are fine
}

}  // namespace ui
