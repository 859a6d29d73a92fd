#include "flash/component/connection_point.h"

#include "flash/component/shockwave_flash_interface.h"

namespace flash {

EventConnectionPoint::~EventConnectionPoint() {
    for (Sink& sink : sinks_) sink.dispatch->Release();
}

void EventConnectionPoint::detach() {
    container_ = nullptr;
    std::vector<Sink> sinks;
    sinks.swap(sinks_);
    for (Sink& sink : sinks) sink.dispatch->Release();
}

void EventConnectionPoint::fire(DISPID id, VARIANT* args, UINT count) {
    // IDispatch takes its arguments last first.
    std::vector<VARIANT> reversed(args, args + count);
    for (UINT i = 0; i < count / 2; ++i) std::swap(reversed[i], reversed[count - 1 - i]);
    DISPPARAMS params{count ? reversed.data() : nullptr, nullptr, count, 0};
    // A handler may unadvise while we call: call a held copy.
    std::vector<IDispatch*> targets;
    for (Sink& sink : sinks_) {
        sink.dispatch->AddRef();
        targets.push_back(sink.dispatch);
    }
    for (IDispatch* target : targets) {
        target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
        target->Release();
    }
}

HRESULT EventConnectionPoint::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPoint)) {
        *out = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG EventConnectionPoint::AddRef() { return ++refs_; }

ULONG EventConnectionPoint::Release() {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

HRESULT EventConnectionPoint::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = kFlashEventsIid;
    return S_OK;
}

HRESULT EventConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (!container) return E_POINTER;
    *container = container_;
    if (!container_) return E_UNEXPECTED;
    container_->AddRef();
    return S_OK;
}

HRESULT EventConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!sink || !cookie) return E_POINTER;
    *cookie = 0;
    if (!container_) return E_UNEXPECTED;
    IDispatch* dispatch = nullptr;
    if (FAILED(sink->QueryInterface(kFlashEventsIid, reinterpret_cast<void**>(&dispatch))) &&
        FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))))
        return CONNECT_E_CANNOTCONNECT;
    *cookie = nextCookie_++;
    sinks_.push_back({*cookie, dispatch});
    return S_OK;
}

HRESULT EventConnectionPoint::Unadvise(DWORD cookie) {
    for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
        if (it->cookie != cookie) continue;
        IDispatch* dispatch = it->dispatch;
        sinks_.erase(it);
        dispatch->Release();
        return S_OK;
    }
    return CONNECT_E_NOCONNECTION;
}

HRESULT EventConnectionPoint::EnumConnections(IEnumConnections** connections) {
    if (connections) *connections = nullptr;
    return E_NOTIMPL;
}

}  // namespace flash
