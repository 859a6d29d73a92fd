// WinControl: a control with its own window. Its window is made on demand (handle()), as a child
// of the parent control's window or of a foreign window given by handle, and can be destroyed
// and re-created. Derived classes shape the window (createParams), react to its life
// (windowCreated, windowDestroying), handle its messages (windowProc) and draw it (paint).
#pragma once

#include "ui/color.h"
#include "ui/control.h"
#include "ui/font.h"
#include "support/handles.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace ui {

struct CreateParams {
    std::string windowClass;   // class registered for this control, e.g. "TPanel"
    std::string baseClass;     // system class the window class is built on ("BUTTON"), or empty
    std::string caption;
    DWORD style = 0;
    DWORD exStyle = 0;
    UINT classStyle = CS_DBLCLKS;
    int x = 0, y = 0, width = 0, height = 0;
    HWND parentWindow = nullptr;  // filled by the base: parent control's window, foreign window or owner
};

class WinControl : public Control {
public:
    explicit WinControl(Component* owner = nullptr);
    ~WinControl() override;  // destroys its window and its child controls' windows

    // The window, created (with the parent's) when it does not exist yet.
    HWND handle();
    bool handleAllocated() const { return window_ != nullptr; }
    // Makes a foreign window the parent (no parent control); the window is made at once when
    // the control is visible.
    void setParentWindow(HWND window);
    HWND parentWindow() const { return parentWindow_; }
    void setParent(WinControl* parent) override;

    // Destroys the window (when there is one) and makes it again with the current parameters.
    void recreateWindow();
    // Destroys the window only; the next handle() makes it again.
    void destroyWindowHandle();

    // The child controls, windowed and graphic, in creation order.
    const std::vector<Control*>& controls() const { return controls_; }

    Color color() const { return color_; }
    void setColor(Color color);
    bool parentColor() const { return parentColor_; }
    void setParentColor(bool value);
    // The colour actually drawn: the parent's when parentColor is set.
    Color effectiveColor() const;

    // The font for the window's text; with parentFont (the default) the parent's font.
    const Font& font() const;
    void setFont(const Font& font);
    bool parentFont() const { return parentFont_; }
    void setParentFont(bool value);

    // Painting into an off-screen bitmap first: the control, then its graphic children over it,
    // reach the screen in one copy.
    bool doubleBuffered() const { return doubleBuffered_; }
    void setDoubleBuffered(bool value) { doubleBuffered_ = value; }

    bool tabStop() const { return tabStop_; }
    void setTabStop(bool value) { tabStop_ = value; }
    int tabOrder() const { return tabOrder_; }
    void setTabOrder(int value) { tabOrder_ = value; }

    bool focused() const;
    void setFocus();

    void setVisible(bool visible) override;
    void invalidate() override;
    // Lays out the children that have an alignment inside the client area.
    void realign();
    RECT clientRect() const;

    // Sends a message to the window (creating it when needed).
    LRESULT perform(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // Raised when the window's size changed (WM_SIZE), after the children were realigned.
    std::function<void(WinControl& sender)> onResize;

    bool setProperty(std::string_view name, const LayoutValue& value) override;

    // The control that owns a window made by this layer, or nullptr.
    static WinControl* fromHandle(HWND window);

protected:
    // Shapes the window: derived classes call the base, then change what they need.
    virtual void createParams(CreateParams& params);
    // After the window exists (children not yet made) and before it is destroyed (on
    // WM_DESTROY, also when a foreign parent window takes it down). A derived class that needs
    // windowDestroying at its own end calls destroyWindowHandle() in its destructor: once the
    // base's destructor runs, the derived overrides are no longer called.
    virtual void windowCreated() {}
    virtual void windowDestroying() {}
    // Every message of the window. Derived classes handle what they need and call the base
    // for the rest; the base paints, realigns and finally calls defaultProc.
    virtual LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The window class's own handling (DefWindowProc, or the system class's procedure).
    LRESULT defaultProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Draws the control's own content into dc (client coordinates). The default fills the
    // client area with the control's colour.
    virtual void paint(HDC dc, const RECT& area);
    // The resize notification: realigns the children, then raises onResize.
    virtual void resized();
    void boundsChanged() override;

private:
    friend class Control;
    friend class GraphicControl;
    friend LRESULT CALLBACK controlWindowProc(HWND, UINT, WPARAM, LPARAM);

    void createWindowHandle();
    void attach(Control* child);
    void detach(Control* child);
    void paintMessage();
    void paintControls(HDC dc, const RECT& area);
    bool graphicsIn(const RECT& area) const;
    bool wantsWindow() const;
    void applyFont();

    HWND window_ = nullptr;
    WNDPROC baseProc_ = nullptr;
    HWND parentWindow_ = nullptr;
    std::vector<Control*> controls_;
    Color color_ = clBtnFace;
    bool parentColor_ = false;
    bool doubleBuffered_ = false;
    // The off-screen picture of a double-buffered control, kept between paints: a full-screen
    // control repaints every frame, and a new bitmap each time costs more than the drawing.
    UniqueBitmap backBuffer_;
    SIZE backBufferSize_{0, 0};
    Font font_;
    bool parentFont_ = true;
    UniqueFont fontHandle_;
    bool tabStop_ = false;
    int tabOrder_ = -1;
    bool destroyingWindow_ = false;
};

}  // namespace ui
