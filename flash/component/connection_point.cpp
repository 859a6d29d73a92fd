#include "flash/component/connection_point.h"

#include <utility>

#include "flash/component/shockwave_flash_interface.h"

namespace flash {

void EventConnectionPoint::detach() {
    container_ = nullptr;
    // The sinks are released after the list is empty: a sink's release may call back into us.
    std::vector<Sink> sinks;
    sinks.swap(sinks_);
}

void EventConnectionPoint::fire(DISPID id, VARIANT* args, UINT count) {
    // IDispatch takes its arguments last first.
    std::vector<VARIANT> reversed(args, args + count);
    for (UINT i = 0; i < count / 2; ++i) std::swap(reversed[i], reversed[count - 1 - i]);
    DISPPARAMS params{count ? reversed.data() : nullptr, nullptr, count, 0};
    // A handler may unadvise while we call: call a held copy.
    std::vector<ui::ComPtr<IDispatch>> targets;
    for (const Sink& sink : sinks_) targets.push_back(sink.dispatch);
    for (const auto& target : targets)
        target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
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
    ui::ComPtr<IDispatch> dispatch;
    if ((FAILED(sink->QueryInterface(kFlashEventsIid, dispatch.putVoid())) || !dispatch) &&
        (FAILED(sink->QueryInterface(IID_IDispatch, dispatch.putVoid())) || !dispatch))
        return CONNECT_E_CANNOTCONNECT;
    *cookie = nextCookie_++;
    sinks_.push_back({*cookie, std::move(dispatch)});
    return S_OK;
}

HRESULT EventConnectionPoint::Unadvise(DWORD cookie) {
    for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
        if (it->cookie != cookie) continue;
        // Released after the erase: the sink's release may call back into us.
        ui::ComPtr<IDispatch> dispatch = std::move(it->dispatch);
        sinks_.erase(it);
        return S_OK;
    }
    return CONNECT_E_NOCONNECTION;
}

HRESULT EventConnectionPoint::EnumConnections(IEnumConnections** connections) {
    if (connections) *connections = nullptr;
    return E_NOTIMPL;
}

}  // namespace flash
