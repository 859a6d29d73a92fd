// The Flash component: one COM object offering IShockwaveFlash (dual), the OLE control
// interfaces a host needs (embedding, in-place activation, drawing into the host's DC, events)
// and a movie played by the engine. The movie and every setting live in the object, not in its
// window, so they survive IOleObject::Close and a new in-place activation.
#pragma once

#include <ocidl.h>
#include <olectl.h>
#include <ole2.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/core/frame_clock.h"
#include "flash/component/movie_playback.h"
#include "flash/component/shockwave_flash_interface.h"
#include "ui/activex/com_ptr.h"

namespace flash {

class EventConnectionPoint;

class FlashObject final : public IShockwaveFlash,
                          public IOleObject,
                          public IOleInPlaceObject,
                          public IOleInPlaceActiveObject,
                          public IPersistStreamInit,
                          public IViewObject2,
                          public IConnectionPointContainer,
                          public IOleControl,
                          public ISupportErrorInfo {
public:
    FlashObject();

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

    // IShockwaveFlash
    HRESULT STDMETHODCALLTYPE get_ReadyState(long* state) override;
    HRESULT STDMETHODCALLTYPE get_TotalFrames(long* frames) override;
    HRESULT STDMETHODCALLTYPE get_Playing(VARIANT_BOOL* playing) override;
    HRESULT STDMETHODCALLTYPE put_Playing(VARIANT_BOOL playing) override;
    HRESULT STDMETHODCALLTYPE get_Quality(int* quality) override;
    HRESULT STDMETHODCALLTYPE put_Quality(int quality) override;
    HRESULT STDMETHODCALLTYPE get_ScaleMode(int* mode) override;
    HRESULT STDMETHODCALLTYPE put_ScaleMode(int mode) override;
    HRESULT STDMETHODCALLTYPE get_AlignMode(int* mode) override;
    HRESULT STDMETHODCALLTYPE put_AlignMode(int mode) override;
    HRESULT STDMETHODCALLTYPE get_BackgroundColor(long* color) override;
    HRESULT STDMETHODCALLTYPE put_BackgroundColor(long color) override;
    HRESULT STDMETHODCALLTYPE get_Loop(VARIANT_BOOL* loop) override;
    HRESULT STDMETHODCALLTYPE put_Loop(VARIANT_BOOL loop) override;
    HRESULT STDMETHODCALLTYPE get_Movie(BSTR* path) override;
    HRESULT STDMETHODCALLTYPE put_Movie(BSTR path) override;
    HRESULT STDMETHODCALLTYPE get_FrameNum(long* frame) override;
    HRESULT STDMETHODCALLTYPE put_FrameNum(long frame) override;
    HRESULT STDMETHODCALLTYPE SetZoomRect(long left, long top, long right, long bottom) override;
    HRESULT STDMETHODCALLTYPE Zoom(int factor) override;
    HRESULT STDMETHODCALLTYPE Pan(long x, long y, int mode) override;
    HRESULT STDMETHODCALLTYPE Play() override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE Back() override;
    HRESULT STDMETHODCALLTYPE Forward() override;
    HRESULT STDMETHODCALLTYPE Rewind() override;
    HRESULT STDMETHODCALLTYPE StopPlay() override;
    HRESULT STDMETHODCALLTYPE GotoFrame(long frame) override;
    HRESULT STDMETHODCALLTYPE CurrentFrame(long* frame) override;
    HRESULT STDMETHODCALLTYPE IsPlaying(VARIANT_BOOL* playing) override;
    HRESULT STDMETHODCALLTYPE PercentLoaded(long* percent) override;
    HRESULT STDMETHODCALLTYPE FrameLoaded(long frame, VARIANT_BOOL* loaded) override;
    HRESULT STDMETHODCALLTYPE FlashVersion(long* version) override;
    HRESULT STDMETHODCALLTYPE get_WMode(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_WMode(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_SAlign(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_SAlign(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_Menu(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_Menu(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_Base(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_Base(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_Scale(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_Scale(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_DeviceFont(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_DeviceFont(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_EmbedMovie(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_EmbedMovie(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_BGColor(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_BGColor(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_Quality2(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_Quality2(BSTR value) override;
    HRESULT STDMETHODCALLTYPE LoadMovie(int layer, BSTR url) override;
    HRESULT STDMETHODCALLTYPE TGotoFrame(BSTR target, long frame) override;
    HRESULT STDMETHODCALLTYPE TGotoLabel(BSTR target, BSTR label) override;
    HRESULT STDMETHODCALLTYPE TCurrentFrame(BSTR target, long* frame) override;
    HRESULT STDMETHODCALLTYPE TCurrentLabel(BSTR target, BSTR* label) override;
    HRESULT STDMETHODCALLTYPE TPlay(BSTR target) override;
    HRESULT STDMETHODCALLTYPE TStopPlay(BSTR target) override;
    HRESULT STDMETHODCALLTYPE SetVariable(BSTR name, BSTR value) override;
    HRESULT STDMETHODCALLTYPE GetVariable(BSTR name, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE TSetProperty(BSTR target, int property, BSTR value) override;
    HRESULT STDMETHODCALLTYPE TGetProperty(BSTR target, int property, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE TCallFrame(BSTR target, int frame) override;
    HRESULT STDMETHODCALLTYPE TCallLabel(BSTR target, BSTR label) override;
    HRESULT STDMETHODCALLTYPE TSetPropertyNum(BSTR target, int property, double value) override;
    HRESULT STDMETHODCALLTYPE TGetPropertyNum(BSTR target, int property, double* value) override;
    HRESULT STDMETHODCALLTYPE get_SWRemote(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_SWRemote(BSTR value) override;

    // IOleObject
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR app, LPCOLESTR object) override;
    HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override;
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD which, IMoniker* moniker) override;
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD reserved, IDataObject** data) override;
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG index, HWND parent,
                                     LPCRECT posRect) override;
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) override;
    HRESULT STDMETHODCALLTYPE Update() override;
    HRESULT STDMETHODCALLTYPE IsUpToDate() override;
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* type) override;
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* connection) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD connection) override;
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advise) override;
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE* palette) override;

    // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enter) override;
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE UIDeactivate() override;
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT posRect, LPCRECT clipRect) override;
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG msg) override;
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL activate) override;
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL activate) override;
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frame) override;
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) override;

    // IPersist, IPersistStreamInit
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override;
    HRESULT STDMETHODCALLTYPE Load(LPSTREAM stream) override;
    HRESULT STDMETHODCALLTYPE Save(LPSTREAM stream, BOOL clearDirty) override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
    HRESULT STDMETHODCALLTYPE InitNew() override;

    // IViewObject, IViewObject2
    HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device, HDC targetDc,
                                   HDC drawDc, LPCRECTL bounds, LPCRECTL windowBounds,
                                   BOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR), ULONG_PTR contArg) override;
    HRESULT STDMETHODCALLTYPE GetColorSet(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device,
                                          HDC targetDc, LOGPALETTE** colors) override;
    HRESULT STDMETHODCALLTYPE Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* freeze) override;
    HRESULT STDMETHODCALLTYPE Unfreeze(DWORD freeze) override;
    HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, LPSIZEL size) override;

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    // IOleControl
    HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override;
    HRESULT STDMETHODCALLTYPE OnMnemonic(MSG* msg) override;
    HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID id) override;
    HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL freeze) override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

private:
    ~FlashObject();
    friend LRESULT CALLBACK flashWindowProc(HWND, UINT, WPARAM, LPARAM);

    HRESULT activateInPlace(IOleClientSite* site, HWND parent, LPCRECT posRect);
    void destroyWindow();
    void startTimer();
    LRESULT windowMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void onTimer();
    // The whole picture may have changed (a new movie, size or setting): redrawn at the next paint.
    void frameChanged();
    // The movie moved on: the changed parts are drawn now and only they are repainted.
    void presentFrame();
    bool hostPaintsUnderUs() const;
    // Repaints `r`, in the window's client pixels.
    void invalidate(RECT r);
    void fireReadyState(long state);
    HRESULT invokeProperty(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argError);
    HRESULT invokeMethod(DISPID id, DISPPARAMS* params, VARIANT* result, UINT* argError);

    // A reference to ourselves for a scope: a host's handler may release us while we call it.
    ui::ComPtr<IShockwaveFlash> keepAlive() { return ui::ComPtr<IShockwaveFlash>::retain(this); }

    ULONG refs_ = 1;
    ui::ComPtr<IOleClientSite> clientSite_;
    ui::ComPtr<IOleInPlaceSite> inPlaceSite_;
    ui::ComPtr<IAdviseSink> viewSink_;
    ui::ComPtr<EventConnectionPoint> events_;
    HWND window_ = nullptr;
    SIZEL extent_{2540, 2540};  // HIMETRIC

    MoviePlayback playback_;
    std::wstring movie_;
    long readyState_ = kReadyComplete;
    bool menu_ = true;
    bool deviceFont_ = false, embedMovie_ = false;
    std::wstring wmode_ = L"Window", salign_, base_, scale_ = L"ShowAll", bgcolor_, quality2_ = L"High", swremote_;
    swf::FrameClock clock_;
    int freezeEvents_ = 0;
};

}  // namespace flash
