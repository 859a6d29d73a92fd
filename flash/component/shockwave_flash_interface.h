// The Flash control's published COM identities and its dual interface, declared in the published
// method order: callers reach Play, Stop and Rewind through the vtable at fixed slots.
#pragma once

#include <oaidl.h>
#include <ocidl.h>
#include <windows.h>

namespace flash {

// {D27CDB6E-AE6D-11CF-96B8-444553540000}
inline constexpr CLSID kFlashClassId = {0xD27CDB6E, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
// {D27CDB6C-AE6D-11CF-96B8-444553540000}
inline constexpr IID kShockwaveFlashIid = {0xD27CDB6C, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
// {D27CDB6D-AE6D-11CF-96B8-444553540000}: the event interface (a dispinterface).
inline constexpr IID kFlashEventsIid = {0xD27CDB6D, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

// DISPIDs of the properties, methods and events.
namespace dispid {
inline constexpr DISPID ReadyState = -525, TotalFrames = 124, Playing = 125, Quality = 105, ScaleMode = 120,
                        AlignMode = 121, BackgroundColor = 123, Loop = 106, Movie = 102, FrameNum = 107,
                        SetZoomRect = 109, Zoom = 118, Pan = 119, Play = 112, Stop = 113, Back = 114,
                        Forward = 115, Rewind = 116, StopPlay = 126, GotoFrame = 127, CurrentFrame = 128,
                        IsPlaying = 129, PercentLoaded = 130, FrameLoaded = 131, FlashVersion = 132,
                        WMode = 133, SAlign = 134, Menu = 135, Base = 136, Scale = 137, DeviceFont = 138,
                        EmbedMovie = 139, BGColor = 140, Quality2 = 141, LoadMovie = 142, SetVariable = 149,
                        GetVariable = 152, SWRemote = 159;
// Events
inline constexpr DISPID OnReadyStateChange = -609, OnProgress = 1958, FSCommand = 150;
}  // namespace dispid

// Ready states reported through ReadyState and the ready-state event.
inline constexpr long kReadyLoading = 0, kReadyComplete = 4;

struct IShockwaveFlash : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_ReadyState(long* state) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_TotalFrames(long* frames) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Playing(VARIANT_BOOL* playing) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Playing(VARIANT_BOOL playing) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Quality(int* quality) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Quality(int quality) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ScaleMode(int* mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ScaleMode(int mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AlignMode(int* mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AlignMode(int mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BackgroundColor(long* color) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_BackgroundColor(long color) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Loop(VARIANT_BOOL* loop) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Loop(VARIANT_BOOL loop) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Movie(BSTR* path) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Movie(BSTR path) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FrameNum(long* frame) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_FrameNum(long frame) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetZoomRect(long left, long top, long right, long bottom) = 0;
    virtual HRESULT STDMETHODCALLTYPE Zoom(int factor) = 0;
    virtual HRESULT STDMETHODCALLTYPE Pan(long x, long y, int mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE Play() = 0;
    virtual HRESULT STDMETHODCALLTYPE Stop() = 0;
    virtual HRESULT STDMETHODCALLTYPE Back() = 0;
    virtual HRESULT STDMETHODCALLTYPE Forward() = 0;
    virtual HRESULT STDMETHODCALLTYPE Rewind() = 0;
    virtual HRESULT STDMETHODCALLTYPE StopPlay() = 0;
    virtual HRESULT STDMETHODCALLTYPE GotoFrame(long frame) = 0;
    virtual HRESULT STDMETHODCALLTYPE CurrentFrame(long* frame) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsPlaying(VARIANT_BOOL* playing) = 0;
    virtual HRESULT STDMETHODCALLTYPE PercentLoaded(long* percent) = 0;
    virtual HRESULT STDMETHODCALLTYPE FrameLoaded(long frame, VARIANT_BOOL* loaded) = 0;
    virtual HRESULT STDMETHODCALLTYPE FlashVersion(long* version) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_WMode(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_WMode(BSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SAlign(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_SAlign(BSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Menu(VARIANT_BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Menu(VARIANT_BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Base(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Base(BSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Scale(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Scale(BSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DeviceFont(VARIANT_BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_DeviceFont(VARIANT_BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_EmbedMovie(VARIANT_BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_EmbedMovie(VARIANT_BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BGColor(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_BGColor(BSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Quality2(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Quality2(BSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE LoadMovie(int layer, BSTR url) = 0;
    virtual HRESULT STDMETHODCALLTYPE TGotoFrame(BSTR target, long frame) = 0;
    virtual HRESULT STDMETHODCALLTYPE TGotoLabel(BSTR target, BSTR label) = 0;
    virtual HRESULT STDMETHODCALLTYPE TCurrentFrame(BSTR target, long* frame) = 0;
    virtual HRESULT STDMETHODCALLTYPE TCurrentLabel(BSTR target, BSTR* label) = 0;
    virtual HRESULT STDMETHODCALLTYPE TPlay(BSTR target) = 0;
    virtual HRESULT STDMETHODCALLTYPE TStopPlay(BSTR target) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetVariable(BSTR name, BSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVariable(BSTR name, BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE TSetProperty(BSTR target, int property, BSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE TGetProperty(BSTR target, int property, BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE TCallFrame(BSTR target, int frame) = 0;
    virtual HRESULT STDMETHODCALLTYPE TCallLabel(BSTR target, BSTR label) = 0;
    virtual HRESULT STDMETHODCALLTYPE TSetPropertyNum(BSTR target, int property, double value) = 0;
    virtual HRESULT STDMETHODCALLTYPE TGetPropertyNum(BSTR target, int property, double* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SWRemote(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_SWRemote(BSTR value) = 0;
};

}  // namespace flash
