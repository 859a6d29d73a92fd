// The connection point of the component's event interface: keeps the hosts' sinks and calls
// them by DISPID.
#pragma once

#include <ocidl.h>
#include <olectl.h>
#include <windows.h>

#include <vector>

#include "ui/activex/com_ptr.h"

namespace flash {

class EventConnectionPoint final : public IConnectionPoint {
public:
    explicit EventConnectionPoint(IConnectionPointContainer* container) : container_(container) {}

    // The container goes away: calls from sinks still holding us answer E_UNEXPECTED.
    void detach();
    // Calls every sink with the arguments in their declared order.
    void fire(DISPID id, VARIANT* args, UINT count);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

private:
    struct Sink {
        DWORD cookie;
        ui::ComPtr<IDispatch> dispatch;
    };
    ~EventConnectionPoint() = default;

    ULONG refs_ = 1;
    // Not a reference: the container owns us and detaches before it goes.
    IConnectionPointContainer* container_;
    std::vector<Sink> sinks_;
    DWORD nextCookie_ = 1;
};

}  // namespace flash
