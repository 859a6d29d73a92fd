// TMyShockwaveFlash: the windowed control that hosts the Flash component. It adds to the generic
// hosting the Flash component's identity and events, direct Play/Stop/Rewind calls through a
// cached IShockwaveFlash, the Flash properties with their conversions, a right-button filter
// ruled by the component's Menu property, and a resize rule that re-creates the component's
// window when the control changes size inside a parent control.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "flash/component/shockwave_flash_interface.h"
#include "ui/activex/ole_control.h"
#include "ui/color.h"

class TMyShockwaveFlash : public ui::OleControl {
public:
    using ReadyStateChangeHandler = std::function<void(TMyShockwaveFlash& sender, int newState)>;
    using ProgressHandler = std::function<void(TMyShockwaveFlash& sender, int percentDone)>;
    using FSCommandHandler =
        std::function<void(TMyShockwaveFlash& sender, const std::wstring& command, const std::wstring& args)>;

    // Creates the component (raises the OLE error when it cannot be created).
    explicit TMyShockwaveFlash(ui::Component* owner = nullptr);
    ~TMyShockwaveFlash() override;

    // Direct calls through the cached IShockwaveFlash; a failure raises the component's error.
    void Play();
    void Stop();
    void Rewind();

    // The published properties; every read asks the component.
    int alignMode() { return getIntProperty(flash::dispid::AlignMode); }
    void setAlignMode(int v) { setIntProperty(flash::dispid::AlignMode, v); }
    std::string bgColor() { return getStringProperty(flash::dispid::BGColor); }
    void setBGColor(const std::string& v) { setStringProperty(flash::dispid::BGColor, v); }
    ui::Color backgroundColor();
    void setBackgroundColor(ui::Color color);
    std::string base() { return getStringProperty(flash::dispid::Base); }
    void setBase(const std::string& v) { setStringProperty(flash::dispid::Base, v); }
    int frameNum() { return getIntProperty(flash::dispid::FrameNum); }
    void setFrameNum(int v) { setIntProperty(flash::dispid::FrameNum, v); }
    bool loop() { return getBoolProperty(flash::dispid::Loop); }
    void setLoop(bool v) { setBoolProperty(flash::dispid::Loop, v); }
    std::string movie() { return getStringProperty(flash::dispid::Movie); }
    void setMovie(const std::string& v) { setStringProperty(flash::dispid::Movie, v); }
    bool playing() { return getBoolProperty(flash::dispid::Playing); }
    void setPlaying(bool v) { setBoolProperty(flash::dispid::Playing, v); }
    int quality() { return getIntProperty(flash::dispid::Quality); }
    void setQuality(int v) { setIntProperty(flash::dispid::Quality, v); }
    std::string quality2() { return getStringProperty(flash::dispid::Quality2); }
    void setQuality2(const std::string& v) { setStringProperty(flash::dispid::Quality2, v); }
    int scaleMode() { return getIntProperty(flash::dispid::ScaleMode); }
    void setScaleMode(int v) { setIntProperty(flash::dispid::ScaleMode, v); }
    std::string sAlign() { return getStringProperty(flash::dispid::SAlign); }
    void setSAlign(const std::string& v) { setStringProperty(flash::dispid::SAlign, v); }
    std::string wMode() { return getStringProperty(flash::dispid::WMode); }
    void setWMode(const std::string& v) { setStringProperty(flash::dispid::WMode, v); }
    bool menu() { return getBoolProperty(flash::dispid::Menu); }
    void setMenu(bool v) { setBoolProperty(flash::dispid::Menu, v); }
    std::string scale() { return getStringProperty(flash::dispid::Scale); }
    void setScale(const std::string& v) { setStringProperty(flash::dispid::Scale, v); }
    bool deviceFont() { return getBoolProperty(flash::dispid::DeviceFont); }
    void setDeviceFont(bool v) { setBoolProperty(flash::dispid::DeviceFont, v); }
    bool embedMovie() { return getBoolProperty(flash::dispid::EmbedMovie); }
    void setEmbedMovie(bool v) { setBoolProperty(flash::dispid::EmbedMovie, v); }
    std::string swRemote() { return getStringProperty(flash::dispid::SWRemote); }
    void setSWRemote(const std::string& v) { setStringProperty(flash::dispid::SWRemote, v); }

    // The control's popup menu, shown on a right click while Menu is true. Not owned.
    HMENU popupMenu() const { return popupMenu_; }
    void setPopupMenu(HMENU menu) { popupMenu_ = menu; }

    // Event handlers, in the order of the component's event list.
    ReadyStateChangeHandler OnReadyStateChange;
    ProgressHandler OnProgress;
    FSCommandHandler OnFSCommand;

protected:
    void eventFired(std::size_t index, DISPPARAMS& params) override;
    bool componentMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void createParams(ui::CreateParams& params) override;
    void windowCreated() override;
    void resized() override;

private:
    flash::IShockwaveFlash& shockwaveFlash();
    template <class Method>
    void call(Method method);
    // The right-button rule for a click at `point` in `from`'s client coordinates.
    void rightButtonDown(HWND from, POINT point);

    ui::ComPtr<flash::IShockwaveFlash> cached_;
    HMENU popupMenu_ = nullptr;
    bool creatingWindow_ = false;
    bool inResizeRule_ = false;
};
