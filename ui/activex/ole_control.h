// OleControl: a windowed control that hosts an ActiveX component. The component is created by
// its class identifier when the control is constructed, set up on first use (client site, new
// object initialisation, event connection), activated in place in the control's window whenever
// that window exists, and closed when the window goes. Properties are read and written by DISPID
// through IDispatch; the component's events reach eventFired() by their position in the
// descriptor's list.
#pragma once

#include <ocidl.h>
#include <ole2.h>
#include <windows.h>

#include <cstddef>

#include "ui/activex/com_ptr.h"
#include "ui/win_control.h"

namespace ui {

// What the hosting needs to know about one component class; one static record per class.
struct OleControlDescriptor {
    CLSID classId;
    IID eventsIid;
    const DISPID* eventIds;  // event i reaches eventFired(i, ...)
    std::size_t eventCount;
};

class OleClientSite;
class OleEventSink;

class OleControl : public WinControl {
public:
    // Creates the component; raises the OLE error of the failed creation.
    OleControl(Component* owner, const OleControlDescriptor& descriptor);
    ~OleControl() override;

    // The component's object, with its set-up completed.
    IUnknown* oleObject();

    // Property access by DISPID (set-up completed first); failures raise OLE errors.
    VARIANT getProperty(DISPID id);  // the caller clears the result
    void putProperty(DISPID id, VARIANT& value);
    bool getBoolProperty(DISPID id);
    void setBoolProperty(DISPID id, bool value);
    int getIntProperty(DISPID id);
    void setIntProperty(DISPID id, int value);
    std::string getStringProperty(DISPID id);
    void setStringProperty(DISPID id, const std::string& value);  // empty: a null BSTR

    HWND componentWindow() const { return componentWindow_; }

protected:
    // An event of the component, by its index in the descriptor's list; arguments last first.
    virtual void eventFired(std::size_t index, DISPPARAMS& params);
    // Every message of the component's window before the component sees it. Return true with
    // `result` set to drop the message.
    virtual bool componentMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    void createParams(CreateParams& params) override;
    void windowCreated() override;
    void windowDestroying() override;
    LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void paint(HDC dc, const RECT& area) override;

private:
    friend class OleClientSite;
    friend class OleEventSink;
    friend LRESULT CALLBACK componentWindowHook(HWND, UINT, WPARAM, LPARAM);

    void completeSetUp();
    void deactivate();
    void placeComponent();

    const OleControlDescriptor& descriptor_;
    ComPtr<IOleObject> object_;
    ComPtr<IDispatch> dispatch_;
    ComPtr<IOleInPlaceObject> inPlaceObject_;
    ComPtr<IConnectionPoint> eventPoint_;
    DWORD eventCookie_ = 0;
    ComPtr<OleClientSite> site_;
    ComPtr<OleEventSink> sink_;
    bool setUp_ = false;
    HWND componentWindow_ = nullptr;
    WNDPROC componentProc_ = nullptr;
};

}  // namespace ui
