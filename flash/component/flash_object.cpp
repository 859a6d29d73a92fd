#include "flash/component/flash_object.h"

#include <algorithm>
#include <cmath>
#include <cwctype>
#include <utility>

#include "flash/component/bstr_text.h"
#include "flash/component/connection_point.h"
#include "flash/flash_component.h"
#include "support/handles.h"

namespace flash {
namespace {

constexpr wchar_t kWindowClass[] = L"SwfsaverFlashComponentWindow";
constexpr UINT_PTR kFrameTimer = 1;

// Marks a call the component does not implement, with error information for the caller.
HRESULT notImplemented(const wchar_t* what) {
    ui::ComPtr<ICreateErrorInfo> create;
    if (SUCCEEDED(CreateErrorInfo(create.put())) && create) {
        std::wstring text = std::wstring(what) + L" is not implemented by this Flash component";
        create->SetGUID(kShockwaveFlashIid);
        create->SetSource(const_cast<LPOLESTR>(L"ShockwaveFlash.ShockwaveFlash"));
        create->SetDescription(const_cast<LPOLESTR>(text.c_str()));
        ui::ComPtr<IErrorInfo> info;
        if (SUCCEEDED(create.queryInto(IID_IErrorInfo, info)) && info) SetErrorInfo(0, info.get());
    }
    return E_NOTIMPL;
}

HRESULT putString(std::wstring& field, BSTR value) {
    field = value ? std::wstring(value, SysStringLen(value)) : std::wstring();
    return S_OK;
}

HRESULT getString(const std::wstring& field, BSTR* value) {
    if (!value) return E_POINTER;
    *value = SysAllocStringLen(field.data(), static_cast<UINT>(field.size()));
    return *value || field.empty() ? S_OK : E_OUTOFMEMORY;
}

// The performance counter in nanoseconds, split so that a long uptime cannot overflow.
swf::FrameClock::Time counterNow() {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart > 0 ? f.QuadPart : 1;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const LONGLONG seconds = now.QuadPart / frequency, rest = now.QuadPart % frequency;
    return swf::FrameClock::Time(seconds * 1'000'000'000LL +
                                 static_cast<LONGLONG>(static_cast<double>(rest) * 1e9 / static_cast<double>(frequency)));
}

ATOM registerWindowClass();

}  // namespace

LRESULT CALLBACK flashWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<FlashObject*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        self = static_cast<FlashObject*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (self && self->window_ == window) return self->windowMessage(message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

namespace {
ATOM registerWindowClass() {
    static ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = flashWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = kWindowClass;
        return RegisterClassW(&wc);
    }();
    return atom;
}
}  // namespace

FlashObject::FlashObject() {
    events_ = ui::ComPtr<EventConnectionPoint>::attach(new EventConnectionPoint(this));
    playback_.onFsCommand = [this](const std::string& command, const std::string& args) {
        if (!events_ || freezeEvents_ > 0) return;
        VARIANT v[2];
        v[0].vt = VT_BSTR;
        v[0].bstrVal = SysAllocString(widen(command).c_str());
        v[1].vt = VT_BSTR;
        v[1].bstrVal = SysAllocString(widen(args).c_str());
        {
            const auto self = keepAlive();
            events_->fire(dispid::FSCommand, v, 2);
        }
        VariantClear(&v[0]);
        VariantClear(&v[1]);
    };
}

FlashObject::~FlashObject() {
    destroyWindow();
    playback_.onFsCommand = nullptr;
    events_->detach();
}

// ---- IUnknown

HRESULT FlashObject::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, kShockwaveFlashIid))
        *out = static_cast<IShockwaveFlash*>(this);
    else if (IsEqualIID(iid, IID_IOleObject)) *out = static_cast<IOleObject*>(this);
    else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceObject))
        *out = static_cast<IOleInPlaceObject*>(this);
    else if (IsEqualIID(iid, IID_IOleInPlaceActiveObject)) *out = static_cast<IOleInPlaceActiveObject*>(this);
    else if (IsEqualIID(iid, IID_IPersist) || IsEqualIID(iid, IID_IPersistStreamInit))
        *out = static_cast<IPersistStreamInit*>(this);
    else if (IsEqualIID(iid, IID_IViewObject) || IsEqualIID(iid, IID_IViewObject2))
        *out = static_cast<IViewObject2*>(this);
    else if (IsEqualIID(iid, IID_IConnectionPointContainer)) *out = static_cast<IConnectionPointContainer*>(this);
    else if (IsEqualIID(iid, IID_IOleControl)) *out = static_cast<IOleControl*>(this);
    else if (IsEqualIID(iid, IID_ISupportErrorInfo)) *out = static_cast<ISupportErrorInfo*>(this);
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG FlashObject::AddRef() { return ++refs_; }

ULONG FlashObject::Release() {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

// ---- IShockwaveFlash

HRESULT FlashObject::get_ReadyState(long* state) {
    if (!state) return E_POINTER;
    *state = readyState_;
    return S_OK;
}

HRESULT FlashObject::get_TotalFrames(long* frames) {
    if (!frames) return E_POINTER;
    *frames = playback_.totalFrames();
    return S_OK;
}

HRESULT FlashObject::get_Playing(VARIANT_BOOL* playing) {
    if (!playing) return E_POINTER;
    *playing = playback_.playing() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT FlashObject::put_Playing(VARIANT_BOOL playing) {
    playback_.setPlaying(playing != VARIANT_FALSE);
    return S_OK;
}

HRESULT FlashObject::get_Quality(int* quality) {
    if (!quality) return E_POINTER;
    *quality = playback_.quality();
    return S_OK;
}

HRESULT FlashObject::put_Quality(int quality) {
    playback_.setQuality(quality);
    frameChanged();
    return S_OK;
}

HRESULT FlashObject::get_ScaleMode(int* mode) {
    if (!mode) return E_POINTER;
    *mode = playback_.scaleMode();
    return S_OK;
}

HRESULT FlashObject::put_ScaleMode(int mode) {
    playback_.setScaleMode(mode);
    frameChanged();
    return S_OK;
}

HRESULT FlashObject::get_AlignMode(int* mode) {
    if (!mode) return E_POINTER;
    *mode = playback_.alignMode();
    return S_OK;
}

HRESULT FlashObject::put_AlignMode(int mode) {
    playback_.setAlignMode(mode);
    frameChanged();
    return S_OK;
}

HRESULT FlashObject::get_BackgroundColor(long* color) {
    if (!color) return E_POINTER;
    *color = playback_.backgroundColor();
    return S_OK;
}

HRESULT FlashObject::put_BackgroundColor(long color) {
    playback_.setBackgroundColor(color);
    frameChanged();
    return S_OK;
}

HRESULT FlashObject::get_Loop(VARIANT_BOOL* loop) {
    if (!loop) return E_POINTER;
    *loop = playback_.loop() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT FlashObject::put_Loop(VARIANT_BOOL loop) {
    playback_.setLoop(loop != VARIANT_FALSE);
    return S_OK;
}

HRESULT FlashObject::get_Movie(BSTR* path) { return getString(movie_, path); }

HRESULT FlashObject::put_Movie(BSTR path) {
    putString(movie_, path);
    readyState_ = kReadyLoading;
    fireReadyState(kReadyLoading);
    playback_.load(movie_);  // a movie that cannot be played leaves the background
    startTimer();            // at the new movie's rate
    readyState_ = kReadyComplete;
    if (events_ && freezeEvents_ == 0) {
        VARIANT percent;
        percent.vt = VT_I4;
        percent.lVal = 100;
        const auto self = keepAlive();
        events_->fire(dispid::OnProgress, &percent, 1);
    }
    fireReadyState(kReadyComplete);
    frameChanged();
    return S_OK;
}

HRESULT FlashObject::get_FrameNum(long* frame) {
    if (!frame) return E_POINTER;
    *frame = playback_.frameNumber();
    return S_OK;
}

HRESULT FlashObject::put_FrameNum(long frame) {
    playback_.gotoFrame(frame);
    frameChanged();
    return S_OK;
}

HRESULT FlashObject::SetZoomRect(long, long, long, long) { return notImplemented(L"SetZoomRect"); }
HRESULT FlashObject::Zoom(int) { return notImplemented(L"Zoom"); }
HRESULT FlashObject::Pan(long, long, int) { return notImplemented(L"Pan"); }

HRESULT FlashObject::Play() {
    playback_.play();
    clock_.restart();
    return S_OK;
}

HRESULT FlashObject::Stop() {
    playback_.stop();
    return S_OK;
}

HRESULT FlashObject::Back() {
    playback_.back();
    frameChanged();
    return S_OK;
}

HRESULT FlashObject::Forward() {
    playback_.forward();
    frameChanged();
    return S_OK;
}

HRESULT FlashObject::Rewind() {
    playback_.rewind();
    frameChanged();
    return S_OK;
}

HRESULT FlashObject::StopPlay() { return Stop(); }

HRESULT FlashObject::GotoFrame(long frame) { return put_FrameNum(frame); }

HRESULT FlashObject::CurrentFrame(long* frame) { return get_FrameNum(frame); }

HRESULT FlashObject::IsPlaying(VARIANT_BOOL* playing) { return get_Playing(playing); }

HRESULT FlashObject::PercentLoaded(long* percent) {
    if (!percent) return E_POINTER;
    *percent = 100;  // the whole file is read at once
    return S_OK;
}

HRESULT FlashObject::FrameLoaded(long frame, VARIANT_BOOL* loaded) {
    if (!loaded) return E_POINTER;
    *loaded = frame >= 0 && frame < playback_.totalFrames() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT FlashObject::FlashVersion(long* version) {
    if (!version) return E_POINTER;
    *version = 0x00080000;  // major version in the high word
    return S_OK;
}

HRESULT FlashObject::get_WMode(BSTR* value) { return getString(wmode_, value); }
HRESULT FlashObject::put_WMode(BSTR value) { return putString(wmode_, value); }
HRESULT FlashObject::get_SAlign(BSTR* value) { return getString(salign_, value); }

HRESULT FlashObject::put_SAlign(BSTR value) {
    putString(salign_, value);
    int mode = 0;
    for (wchar_t c : salign_) {
        switch (std::towupper(c)) {
        case L'L': mode |= 1; break;
        case L'R': mode |= 2; break;
        case L'T': mode |= 4; break;
        case L'B': mode |= 8; break;
        default: break;
        }
    }
    return put_AlignMode(mode);
}

HRESULT FlashObject::get_Menu(VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    *value = menu_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT FlashObject::put_Menu(VARIANT_BOOL value) {
    menu_ = value != VARIANT_FALSE;
    return S_OK;
}

HRESULT FlashObject::get_Base(BSTR* value) { return getString(base_, value); }
HRESULT FlashObject::put_Base(BSTR value) { return putString(base_, value); }
HRESULT FlashObject::get_Scale(BSTR* value) { return getString(scale_, value); }

HRESULT FlashObject::put_Scale(BSTR value) {
    putString(scale_, value);
    std::wstring lower = scale_;
    for (wchar_t& c : lower) c = static_cast<wchar_t>(std::towlower(c));
    if (lower == L"noborder") return put_ScaleMode(1);
    if (lower == L"exactfit") return put_ScaleMode(2);
    if (lower == L"noscale") return put_ScaleMode(3);
    if (lower == L"showall") return put_ScaleMode(0);
    return S_OK;
}

HRESULT FlashObject::get_DeviceFont(VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    *value = deviceFont_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT FlashObject::put_DeviceFont(VARIANT_BOOL value) {
    deviceFont_ = value != VARIANT_FALSE;
    return S_OK;
}

HRESULT FlashObject::get_EmbedMovie(VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    *value = embedMovie_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT FlashObject::put_EmbedMovie(VARIANT_BOOL value) {
    embedMovie_ = value != VARIANT_FALSE;
    return S_OK;
}

HRESULT FlashObject::get_BGColor(BSTR* value) { return getString(bgcolor_, value); }

HRESULT FlashObject::put_BGColor(BSTR value) {
    putString(bgcolor_, value);
    // "#RRGGBB" or "RRGGBB" sets the background colour; anything else is kept as text only.
    std::wstring digits = bgcolor_;
    if (!digits.empty() && digits[0] == L'#') digits.erase(0, 1);
    if (digits.size() == 6 && std::all_of(digits.begin(), digits.end(), [](wchar_t c) { return std::iswxdigit(c); }))
        return put_BackgroundColor(static_cast<long>(std::wcstol(digits.c_str(), nullptr, 16)));
    return S_OK;
}

HRESULT FlashObject::get_Quality2(BSTR* value) { return getString(quality2_, value); }

HRESULT FlashObject::put_Quality2(BSTR value) {
    putString(quality2_, value);
    std::wstring lower = quality2_;
    for (wchar_t& c : lower) c = static_cast<wchar_t>(std::towlower(c));
    if (lower == L"low") return put_Quality(0);
    if (lower == L"high" || lower == L"best" || lower == L"medium") return put_Quality(1);
    if (lower == L"autolow") return put_Quality(2);
    if (lower == L"autohigh") return put_Quality(3);
    return S_OK;
}

HRESULT FlashObject::LoadMovie(int layer, BSTR url) {
    if (layer != 0) return notImplemented(L"LoadMovie into a layer other than 0");
    return put_Movie(url);
}

HRESULT FlashObject::TGotoFrame(BSTR, long) { return notImplemented(L"TGotoFrame"); }
HRESULT FlashObject::TGotoLabel(BSTR, BSTR) { return notImplemented(L"TGotoLabel"); }
HRESULT FlashObject::TCurrentFrame(BSTR, long*) { return notImplemented(L"TCurrentFrame"); }
HRESULT FlashObject::TCurrentLabel(BSTR, BSTR*) { return notImplemented(L"TCurrentLabel"); }
HRESULT FlashObject::TPlay(BSTR) { return notImplemented(L"TPlay"); }
HRESULT FlashObject::TStopPlay(BSTR) { return notImplemented(L"TStopPlay"); }

HRESULT FlashObject::SetVariable(BSTR name, BSTR value) {
    playback_.setVariable(narrow(name), narrow(value));
    return S_OK;
}

HRESULT FlashObject::GetVariable(BSTR name, BSTR* value) {
    if (!value) return E_POINTER;
    return getString(widen(playback_.variable(narrow(name))), value);
}

HRESULT FlashObject::TSetProperty(BSTR, int, BSTR) { return notImplemented(L"TSetProperty"); }
HRESULT FlashObject::TGetProperty(BSTR, int, BSTR*) { return notImplemented(L"TGetProperty"); }
HRESULT FlashObject::TCallFrame(BSTR, int) { return notImplemented(L"TCallFrame"); }
HRESULT FlashObject::TCallLabel(BSTR, BSTR) { return notImplemented(L"TCallLabel"); }
HRESULT FlashObject::TSetPropertyNum(BSTR, int, double) { return notImplemented(L"TSetPropertyNum"); }
HRESULT FlashObject::TGetPropertyNum(BSTR, int, double*) { return notImplemented(L"TGetPropertyNum"); }
HRESULT FlashObject::get_SWRemote(BSTR* value) { return getString(swremote_, value); }
HRESULT FlashObject::put_SWRemote(BSTR value) { return putString(swremote_, value); }

// ---- Events and frames

void FlashObject::fireReadyState(long state) {
    if (!events_ || freezeEvents_ > 0) return;
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = state;
    const auto self = keepAlive();
    events_->fire(dispid::OnReadyStateChange, &v, 1);
}

void FlashObject::frameChanged() {
    playback_.invalidateFrame();
    if (viewSink_) viewSink_->OnViewChange(DVASPECT_CONTENT, -1);
    if (!window_) return;
    RECT client;
    GetClientRect(window_, &client);
    invalidate(client);
}

void FlashObject::presentFrame() {
    // A hidden window shows nothing: the frame is drawn when it is painted again.
    std::optional<std::vector<RECT>> changes;
    if (window_ && IsWindowVisible(window_)) changes = playback_.updateFrame();
    if (!changes) {
        frameChanged();
        return;
    }
    if (changes->empty()) return;
    if (viewSink_) viewSink_->OnViewChange(DVASPECT_CONTENT, -1);
    for (const RECT& r : *changes) invalidate(r);
}

bool FlashObject::hostPaintsUnderUs() const {
    const HWND parent = GetParent(window_);
    return parent && !(GetWindowLongPtrW(parent, GWL_STYLE) & WS_CLIPCHILDREN);
}

void FlashObject::invalidate(RECT r) {
    // A host that draws us into its own picture paints under our window: ask it to repaint that
    // part. A host that clips its children cannot, so then the window draws the frame itself.
    if (hostPaintsUnderUs()) {
        const HWND parent = GetParent(window_);
        MapWindowPoints(window_, parent, reinterpret_cast<POINT*>(&r), 2);
        InvalidateRect(parent, &r, FALSE);
    } else {
        InvalidateRect(window_, &r, FALSE);
    }
}

void FlashObject::startTimer() {
    clock_.setRate(playback_.frameRate());
    clock_.restart();
    if (!window_) return;
    // The timer runs faster than the movie; the clock lets a frame run only when it is due. Setting
    // it again replaces the old one.
    const double periodMs = 1000.0 / playback_.frameRate();
    SetTimer(window_, kFrameTimer, static_cast<UINT>(std::clamp(periodMs / 4.0, 1.0, 250.0)), nullptr);
}

void FlashObject::onTimer() {
    // Sound is heard while the component is seen: a hidden saver window (or one made for the
    // settings dialog and never shown) is silent, and so is the preview.
    playback_.setAudioWanted(FlashComponentSound() && window_ && IsWindowVisible(window_));
    if (!playback_.hasMovie() || !playback_.playing()) {
        clock_.restart();
        return;
    }
    if (!clock_.frameDue(counterNow())) return;
    const auto self = keepAlive();  // fscommand handlers may release us
    if (playback_.tick()) presentFrame();
}

LRESULT FlashObject::windowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == kFrameTimer) {
            onTimer();
            return 0;
        }
        break;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        const ui::PaintScope paint(window_);
        if (hostPaintsUnderUs()) return 0;
        RECT client;
        GetClientRect(window_, &client);
        playback_.draw(paint.dc(), client, &paint.area());
        return 0;
    }
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: {
        const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
        bool changed = false;
        const auto self = keepAlive();
        if (message == WM_MOUSEMOVE) changed = playback_.mouseMove(x, y);
        else if (message == WM_LBUTTONDOWN) {
            SetCapture(window_);
            changed = playback_.mouseDown(x, y);
        } else {
            if (GetCapture() == window_) ReleaseCapture();
            changed = playback_.mouseUp(x, y);
        }
        if (changed) presentFrame();
        return 0;
    }
    default: break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

// ---- IDispatch

HRESULT FlashObject::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT FlashObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return notImplemented(L"GetTypeInfo");
}

namespace {
struct NamedId {
    const wchar_t* name;
    DISPID id;
};
constexpr NamedId kNames[] = {
    {L"ReadyState", dispid::ReadyState}, {L"TotalFrames", dispid::TotalFrames}, {L"Playing", dispid::Playing},
    {L"Quality", dispid::Quality}, {L"ScaleMode", dispid::ScaleMode}, {L"AlignMode", dispid::AlignMode},
    {L"BackgroundColor", dispid::BackgroundColor}, {L"Loop", dispid::Loop}, {L"Movie", dispid::Movie},
    {L"FrameNum", dispid::FrameNum}, {L"SetZoomRect", dispid::SetZoomRect}, {L"Zoom", dispid::Zoom},
    {L"Pan", dispid::Pan}, {L"Play", dispid::Play}, {L"Stop", dispid::Stop}, {L"Back", dispid::Back},
    {L"Forward", dispid::Forward}, {L"Rewind", dispid::Rewind}, {L"StopPlay", dispid::StopPlay},
    {L"GotoFrame", dispid::GotoFrame}, {L"CurrentFrame", dispid::CurrentFrame}, {L"IsPlaying", dispid::IsPlaying},
    {L"PercentLoaded", dispid::PercentLoaded}, {L"FrameLoaded", dispid::FrameLoaded},
    {L"FlashVersion", dispid::FlashVersion}, {L"WMode", dispid::WMode}, {L"SAlign", dispid::SAlign},
    {L"Menu", dispid::Menu}, {L"Base", dispid::Base}, {L"Scale", dispid::Scale}, {L"DeviceFont", dispid::DeviceFont},
    {L"EmbedMovie", dispid::EmbedMovie}, {L"BGColor", dispid::BGColor}, {L"Quality2", dispid::Quality2},
    {L"LoadMovie", dispid::LoadMovie}, {L"SetVariable", dispid::SetVariable}, {L"GetVariable", dispid::GetVariable},
    {L"SWRemote", dispid::SWRemote},
};
}  // namespace

HRESULT FlashObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!names || !ids) return E_POINTER;
    HRESULT result = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        // Named arguments (after the first name) are not known.
        if (i == 0 && names[i]) {
            for (const NamedId& entry : kNames)
                if (_wcsicmp(entry.name, names[i]) == 0) ids[i] = entry.id;
        }
        if (ids[i] == DISPID_UNKNOWN) result = DISP_E_UNKNOWNNAME;
    }
    return result;
}

namespace {

// Property kinds as IDispatch carries them.
enum class Kind { Bool, Int, Long, String };

struct PropertyEntry {
    DISPID id;
    Kind kind;
    bool writable;
};

constexpr PropertyEntry kProperties[] = {
    {dispid::ReadyState, Kind::Long, false}, {dispid::TotalFrames, Kind::Long, false},
    {dispid::Playing, Kind::Bool, true},     {dispid::Quality, Kind::Int, true},
    {dispid::ScaleMode, Kind::Int, true},    {dispid::AlignMode, Kind::Int, true},
    {dispid::BackgroundColor, Kind::Long, true}, {dispid::Loop, Kind::Bool, true},
    {dispid::Movie, Kind::String, true},     {dispid::FrameNum, Kind::Long, true},
    {dispid::WMode, Kind::String, true},     {dispid::SAlign, Kind::String, true},
    {dispid::Menu, Kind::Bool, true},        {dispid::Base, Kind::String, true},
    {dispid::Scale, Kind::String, true},     {dispid::DeviceFont, Kind::Bool, true},
    {dispid::EmbedMovie, Kind::Bool, true},  {dispid::BGColor, Kind::String, true},
    {dispid::Quality2, Kind::String, true},  {dispid::SWRemote, Kind::String, true},
};

const PropertyEntry* findProperty(DISPID id) {
    for (const PropertyEntry& entry : kProperties)
        if (entry.id == id) return &entry;
    return nullptr;
}

// The argument at `index` (0 = the first declared) converted to `type`.
HRESULT argument(DISPPARAMS* params, UINT index, VARTYPE type, VARIANT& out, UINT* argError) {
    VariantInit(&out);
    if (!params || index >= params->cArgs) return DISP_E_BADPARAMCOUNT;
    const UINT position = params->cArgs - 1 - index;
    HRESULT hr = VariantChangeType(&out, &params->rgvarg[position], 0, type);
    if (FAILED(hr) && argError) *argError = position;
    return FAILED(hr) ? DISP_E_TYPEMISMATCH : S_OK;
}

}  // namespace

HRESULT FlashObject::invokeProperty(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argError) {
    const PropertyEntry* entry = findProperty(id);
    if (!entry) return DISP_E_MEMBERNOTFOUND;
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        if (!entry->writable) return DISP_E_MEMBERNOTFOUND;
        if (!params || params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
        VARIANT value;
        const VARTYPE type = entry->kind == Kind::Bool ? VT_BOOL : entry->kind == Kind::String ? VT_BSTR : VT_I4;
        if (HRESULT hr = argument(params, 0, type, value, argError); FAILED(hr)) return hr;
        HRESULT hr = E_UNEXPECTED;
        switch (id) {
        case dispid::Playing: hr = put_Playing(value.boolVal); break;
        case dispid::Quality: hr = put_Quality(value.lVal); break;
        case dispid::ScaleMode: hr = put_ScaleMode(value.lVal); break;
        case dispid::AlignMode: hr = put_AlignMode(value.lVal); break;
        case dispid::BackgroundColor: hr = put_BackgroundColor(value.lVal); break;
        case dispid::Loop: hr = put_Loop(value.boolVal); break;
        case dispid::Movie: hr = put_Movie(value.bstrVal); break;
        case dispid::FrameNum: hr = put_FrameNum(value.lVal); break;
        case dispid::WMode: hr = put_WMode(value.bstrVal); break;
        case dispid::SAlign: hr = put_SAlign(value.bstrVal); break;
        case dispid::Menu: hr = put_Menu(value.boolVal); break;
        case dispid::Base: hr = put_Base(value.bstrVal); break;
        case dispid::Scale: hr = put_Scale(value.bstrVal); break;
        case dispid::DeviceFont: hr = put_DeviceFont(value.boolVal); break;
        case dispid::EmbedMovie: hr = put_EmbedMovie(value.boolVal); break;
        case dispid::BGColor: hr = put_BGColor(value.bstrVal); break;
        case dispid::Quality2: hr = put_Quality2(value.bstrVal); break;
        case dispid::SWRemote: hr = put_SWRemote(value.bstrVal); break;
        default: break;
        }
        VariantClear(&value);
        return hr;
    }
    if (!(flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD))) return DISP_E_MEMBERNOTFOUND;
    if (params && params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
    VARIANT value;
    VariantInit(&value);
    HRESULT hr = E_UNEXPECTED;
    int intValue = 0;
    switch (entry->kind) {
    case Kind::Bool: value.vt = VT_BOOL; break;
    case Kind::Int:
    case Kind::Long: value.vt = VT_I4; break;
    case Kind::String: value.vt = VT_BSTR; value.bstrVal = nullptr; break;
    }
    switch (id) {
    case dispid::ReadyState: hr = get_ReadyState(&value.lVal); break;
    case dispid::TotalFrames: hr = get_TotalFrames(&value.lVal); break;
    case dispid::Playing: hr = get_Playing(&value.boolVal); break;
    case dispid::Quality: hr = get_Quality(&intValue); value.lVal = intValue; break;
    case dispid::ScaleMode: hr = get_ScaleMode(&intValue); value.lVal = intValue; break;
    case dispid::AlignMode: hr = get_AlignMode(&intValue); value.lVal = intValue; break;
    case dispid::BackgroundColor: hr = get_BackgroundColor(&value.lVal); break;
    case dispid::Loop: hr = get_Loop(&value.boolVal); break;
    case dispid::Movie: hr = get_Movie(&value.bstrVal); break;
    case dispid::FrameNum: hr = get_FrameNum(&value.lVal); break;
    case dispid::WMode: hr = get_WMode(&value.bstrVal); break;
    case dispid::SAlign: hr = get_SAlign(&value.bstrVal); break;
    case dispid::Menu: hr = get_Menu(&value.boolVal); break;
    case dispid::Base: hr = get_Base(&value.bstrVal); break;
    case dispid::Scale: hr = get_Scale(&value.bstrVal); break;
    case dispid::DeviceFont: hr = get_DeviceFont(&value.boolVal); break;
    case dispid::EmbedMovie: hr = get_EmbedMovie(&value.boolVal); break;
    case dispid::BGColor: hr = get_BGColor(&value.bstrVal); break;
    case dispid::Quality2: hr = get_Quality2(&value.bstrVal); break;
    case dispid::SWRemote: hr = get_SWRemote(&value.bstrVal); break;
    default: break;
    }
    if (SUCCEEDED(hr) && result) {
        VariantClear(result);
        *result = value;
    } else {
        VariantClear(&value);
    }
    return hr;
}

HRESULT FlashObject::invokeMethod(DISPID id, DISPPARAMS* params, VARIANT* result, UINT* argError) {
    const UINT count = params ? params->cArgs : 0;
    auto noArgs = [&](HRESULT (STDMETHODCALLTYPE FlashObject::*method)()) { return count ? DISP_E_BADPARAMCOUNT : (this->*method)(); };
    auto setLong = [&](long v) {
        if (!result) return;
        VariantClear(result);
        result->vt = VT_I4;
        result->lVal = v;
    };
    switch (id) {
    case dispid::Play: return noArgs(&FlashObject::Play);
    case dispid::Stop: return noArgs(&FlashObject::Stop);
    case dispid::Back: return noArgs(&FlashObject::Back);
    case dispid::Forward: return noArgs(&FlashObject::Forward);
    case dispid::Rewind: return noArgs(&FlashObject::Rewind);
    case dispid::StopPlay: return noArgs(&FlashObject::StopPlay);
    case dispid::GotoFrame: {
        VARIANT frame;
        if (count != 1) return DISP_E_BADPARAMCOUNT;
        if (HRESULT hr = argument(params, 0, VT_I4, frame, argError); FAILED(hr)) return hr;
        return GotoFrame(frame.lVal);
    }
    case dispid::CurrentFrame:
    case dispid::PercentLoaded:
    case dispid::FlashVersion: {
        if (count) return DISP_E_BADPARAMCOUNT;
        long v = 0;
        HRESULT hr = id == dispid::CurrentFrame ? CurrentFrame(&v)
                     : id == dispid::PercentLoaded ? PercentLoaded(&v) : FlashVersion(&v);
        if (SUCCEEDED(hr)) setLong(v);
        return hr;
    }
    case dispid::IsPlaying: {
        if (count) return DISP_E_BADPARAMCOUNT;
        VARIANT_BOOL v = VARIANT_FALSE;
        IsPlaying(&v);
        if (result) {
            VariantClear(result);
            result->vt = VT_BOOL;
            result->boolVal = v;
        }
        return S_OK;
    }
    case dispid::FrameLoaded: {
        VARIANT frame;
        if (count != 1) return DISP_E_BADPARAMCOUNT;
        if (HRESULT hr = argument(params, 0, VT_I4, frame, argError); FAILED(hr)) return hr;
        VARIANT_BOOL v = VARIANT_FALSE;
        FrameLoaded(frame.lVal, &v);
        if (result) {
            VariantClear(result);
            result->vt = VT_BOOL;
            result->boolVal = v;
        }
        return S_OK;
    }
    case dispid::LoadMovie: {
        VARIANT layer, url;
        if (count != 2) return DISP_E_BADPARAMCOUNT;
        if (HRESULT hr = argument(params, 0, VT_I4, layer, argError); FAILED(hr)) return hr;
        if (HRESULT hr = argument(params, 1, VT_BSTR, url, argError); FAILED(hr)) return hr;
        HRESULT hr = LoadMovie(layer.lVal, url.bstrVal);
        VariantClear(&url);
        return hr;
    }
    case dispid::SetVariable: {
        VARIANT name, value;
        if (count != 2) return DISP_E_BADPARAMCOUNT;
        if (HRESULT hr = argument(params, 0, VT_BSTR, name, argError); FAILED(hr)) return hr;
        if (HRESULT hr = argument(params, 1, VT_BSTR, value, argError); FAILED(hr)) {
            VariantClear(&name);
            return hr;
        }
        HRESULT hr = SetVariable(name.bstrVal, value.bstrVal);
        VariantClear(&name);
        VariantClear(&value);
        return hr;
    }
    case dispid::GetVariable: {
        VARIANT name;
        if (count != 1) return DISP_E_BADPARAMCOUNT;
        if (HRESULT hr = argument(params, 0, VT_BSTR, name, argError); FAILED(hr)) return hr;
        BSTR text = nullptr;
        HRESULT hr = GetVariable(name.bstrVal, &text);
        VariantClear(&name);
        if (SUCCEEDED(hr) && result) {
            VariantClear(result);
            result->vt = VT_BSTR;
            result->bstrVal = text;
        } else {
            SysFreeString(text);
        }
        return hr;
    }
    case dispid::SetZoomRect: return SetZoomRect(0, 0, 0, 0);
    case dispid::Zoom: return Zoom(0);
    case dispid::Pan: return Pan(0, 0, 0);
    default: return DISP_E_MEMBERNOTFOUND;
    }
}

HRESULT FlashObject::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                            EXCEPINFO* exception, UINT* argError) {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    HRESULT hr = findProperty(id) ? invokeProperty(id, flags, params, result, argError)
                                  : ((flags & DISPATCH_METHOD) ? invokeMethod(id, params, result, argError)
                                                               : DISP_E_MEMBERNOTFOUND);
    if (hr == E_NOTIMPL && exception) {
        // The error information set by the call becomes the exception the caller sees.
        *exception = EXCEPINFO{};
        ui::ComPtr<IErrorInfo> info;
        if (GetErrorInfo(0, info.put()) == S_OK && info) {
            info->GetDescription(&exception->bstrDescription);
            info->GetSource(&exception->bstrSource);
        }
        exception->scode = E_NOTIMPL;
        return DISP_E_EXCEPTION;
    }
    return hr;
}

// ---- IOleObject

HRESULT FlashObject::SetClientSite(IOleClientSite* site) {
    clientSite_ = ui::ComPtr<IOleClientSite>::retain(site);
    return S_OK;
}

HRESULT FlashObject::GetClientSite(IOleClientSite** site) {
    if (!site) return E_POINTER;
    clientSite_.copyTo(site);
    return S_OK;
}

HRESULT FlashObject::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

HRESULT FlashObject::Close(DWORD) {
    // The movie, its position and the settings stay; only the window goes.
    InPlaceDeactivate();
    return S_OK;
}

HRESULT FlashObject::SetMoniker(DWORD, IMoniker*) { return notImplemented(L"SetMoniker"); }

HRESULT FlashObject::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return notImplemented(L"GetMoniker");
}

HRESULT FlashObject::InitFromData(IDataObject*, BOOL, DWORD) { return notImplemented(L"InitFromData"); }

HRESULT FlashObject::GetClipboardData(DWORD, IDataObject** data) {
    if (data) *data = nullptr;
    return notImplemented(L"GetClipboardData");
}

HRESULT FlashObject::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT posRect) {
    switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_OPEN:
    case OLEIVERB_UIACTIVATE:
    case OLEIVERB_INPLACEACTIVATE: return activateInPlace(site ? site : clientSite_.get(), parent, posRect);
    case OLEIVERB_HIDE:
        if (window_) ShowWindow(window_, SW_HIDE);
        return S_OK;
    default: return OLEOBJ_S_INVALIDVERB;
    }
}

HRESULT FlashObject::activateInPlace(IOleClientSite* site, HWND parent, LPCRECT posRect) {
    if (window_) {
        ShowWindow(window_, SW_SHOWNA);
        if (posRect) SetObjectRects(posRect, posRect);
        return S_OK;
    }
    if (!site) return E_UNEXPECTED;
    ui::ComPtr<IOleInPlaceSite> inPlace;
    if (FAILED(site->QueryInterface(IID_IOleInPlaceSite, inPlace.putVoid())) || !inPlace) return E_NOINTERFACE;
    if (inPlace->CanInPlaceActivate() != S_OK) return E_FAIL;
    inPlace->OnInPlaceActivate();
    HWND siteWindow = nullptr;
    if (FAILED(inPlace->GetWindow(&siteWindow)) || !siteWindow) siteWindow = parent;
    RECT pos{0, 0, 0, 0}, clip{0, 0, 0, 0};
    ui::ComPtr<IOleInPlaceFrame> frame;
    ui::ComPtr<IOleInPlaceUIWindow> document;
    OLEINPLACEFRAMEINFO frameInfo{};
    frameInfo.cb = sizeof(frameInfo);
    inPlace->GetWindowContext(frame.put(), document.put(), &pos, &clip, &frameInfo);
    if (posRect) pos = *posRect;
    registerWindowClass();
    // Set before creation: the window's first messages reach this object.
    window_ = reinterpret_cast<HWND>(-1);
    HWND made = CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, pos.left, pos.top,
                                pos.right - pos.left, pos.bottom - pos.top, siteWindow, nullptr,
                                GetModuleHandleW(nullptr), this);
    window_ = made;
    if (!made) {
        const DWORD error = GetLastError();
        inPlace->OnInPlaceDeactivate();
        return HRESULT_FROM_WIN32(error);
    }
    inPlaceSite_ = std::move(inPlace);
    startTimer();
    frameChanged();
    return S_OK;
}

void FlashObject::destroyWindow() {
    if (!window_) return;
    playback_.setAudioWanted(false);
    HWND window = window_;
    KillTimer(window, kFrameTimer);
    window_ = nullptr;
    DestroyWindow(window);
}

HRESULT FlashObject::EnumVerbs(IEnumOLEVERB** verbs) {
    if (verbs) *verbs = nullptr;
    return notImplemented(L"EnumVerbs");
}

HRESULT FlashObject::Update() { return S_OK; }
HRESULT FlashObject::IsUpToDate() { return S_OK; }
HRESULT FlashObject::GetUserClassID(CLSID* clsid) { return GetClassID(clsid); }

HRESULT FlashObject::GetUserType(DWORD, LPOLESTR* type) {
    if (type) *type = nullptr;
    return OLE_S_USEREG;
}

HRESULT FlashObject::SetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    extent_ = *size;
    return S_OK;
}

HRESULT FlashObject::GetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    *size = extent_;
    return S_OK;
}

HRESULT FlashObject::Advise(IAdviseSink*, DWORD* connection) {
    if (connection) *connection = 0;
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT FlashObject::Unadvise(DWORD) { return OLE_E_NOCONNECTION; }

HRESULT FlashObject::EnumAdvise(IEnumSTATDATA** advise) {
    if (advise) *advise = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT FlashObject::GetMiscStatus(DWORD, DWORD* status) {
    if (!status) return E_POINTER;
    *status = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE |
              OLEMISC_SETCLIENTSITEFIRST;
    return S_OK;
}

HRESULT FlashObject::SetColorScheme(LOGPALETTE*) { return notImplemented(L"SetColorScheme"); }

// ---- In place

HRESULT FlashObject::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = window_;
    return window_ ? S_OK : E_FAIL;
}

HRESULT FlashObject::ContextSensitiveHelp(BOOL) { return notImplemented(L"ContextSensitiveHelp"); }

HRESULT FlashObject::InPlaceDeactivate() {
    destroyWindow();
    // Let go of the site before telling it: it may activate us again from the call.
    if (const ui::ComPtr<IOleInPlaceSite> site = std::exchange(inPlaceSite_, {})) site->OnInPlaceDeactivate();
    return S_OK;
}

HRESULT FlashObject::UIDeactivate() { return S_OK; }

HRESULT FlashObject::SetObjectRects(LPCRECT posRect, LPCRECT) {
    if (!posRect) return E_POINTER;
    if (window_)
        MoveWindow(window_, posRect->left, posRect->top, posRect->right - posRect->left, posRect->bottom - posRect->top,
                   TRUE);
    frameChanged();
    return S_OK;
}

HRESULT FlashObject::ReactivateAndUndo() { return INPLACE_E_NOTUNDOABLE; }
HRESULT FlashObject::TranslateAccelerator(LPMSG) { return S_FALSE; }
HRESULT FlashObject::OnFrameWindowActivate(BOOL) { return S_OK; }
HRESULT FlashObject::OnDocWindowActivate(BOOL) { return S_OK; }
HRESULT FlashObject::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
HRESULT FlashObject::EnableModeless(BOOL) { return S_OK; }

// ---- Persistence

HRESULT FlashObject::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = kFlashClassId;
    return S_OK;
}

HRESULT FlashObject::IsDirty() { return S_FALSE; }
HRESULT FlashObject::Load(LPSTREAM) { return notImplemented(L"IPersistStreamInit::Load"); }
HRESULT FlashObject::Save(LPSTREAM, BOOL) { return notImplemented(L"IPersistStreamInit::Save"); }
HRESULT FlashObject::GetSizeMax(ULARGE_INTEGER*) { return notImplemented(L"IPersistStreamInit::GetSizeMax"); }
HRESULT FlashObject::InitNew() { return S_OK; }

// ---- Drawing

HRESULT FlashObject::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC drawDc, LPCRECTL bounds, LPCRECTL,
                          BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!drawDc || !bounds) return E_INVALIDARG;
    const RECT r{bounds->left, bounds->top, bounds->right, bounds->bottom};
    // Hosts that repaint part of their window say which part with the clip region.
    RECT clip;
    switch (GetClipBox(drawDc, &clip)) {
    case NULLREGION: return S_OK;
    case SIMPLEREGION:
    case COMPLEXREGION: playback_.draw(drawDc, r, &clip); break;
    default: playback_.draw(drawDc, r); break;
    }
    return S_OK;
}

HRESULT FlashObject::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colors) {
    if (colors) *colors = nullptr;
    return S_FALSE;  // no palette
}

HRESULT FlashObject::Freeze(DWORD, LONG, void*, DWORD*) { return notImplemented(L"IViewObject::Freeze"); }
HRESULT FlashObject::Unfreeze(DWORD) { return notImplemented(L"IViewObject::Unfreeze"); }

HRESULT FlashObject::SetAdvise(DWORD, DWORD, IAdviseSink* sink) {
    viewSink_ = ui::ComPtr<IAdviseSink>::retain(sink);
    return S_OK;
}

HRESULT FlashObject::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
    if (aspects) *aspects = DVASPECT_CONTENT;
    if (flags) *flags = 0;
    if (sink) {
        viewSink_.copyTo(sink);
    }
    return S_OK;
}

HRESULT FlashObject::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) { return GetExtent(aspect, size); }

// ---- Connection points

HRESULT FlashObject::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points) *points = nullptr;
    return notImplemented(L"EnumConnectionPoints");
}

HRESULT FlashObject::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    if (!point) return E_POINTER;
    *point = nullptr;
    if (!IsEqualIID(iid, kFlashEventsIid)) return CONNECT_E_NOCONNECTION;
    *point = ui::ComPtr<IConnectionPoint>::retain(events_.get()).release();
    return S_OK;
}

// ---- IOleControl

HRESULT FlashObject::GetControlInfo(CONTROLINFO* info) {
    if (!info) return E_POINTER;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

HRESULT FlashObject::OnMnemonic(MSG*) { return notImplemented(L"OnMnemonic"); }
HRESULT FlashObject::OnAmbientPropertyChange(DISPID) { return S_OK; }

HRESULT FlashObject::FreezeEvents(BOOL freeze) {
    freezeEvents_ = std::max(0, freezeEvents_ + (freeze ? 1 : -1));
    return S_OK;
}

HRESULT FlashObject::InterfaceSupportsErrorInfo(REFIID iid) {
    return IsEqualIID(iid, kShockwaveFlashIid) ? S_OK : S_FALSE;
}

}  // namespace flash
