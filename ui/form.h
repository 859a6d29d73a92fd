// Form: a top-level window built from a stored layout, owned by the application's window.
//
// A derived form defines the handlers its layout names, loads the layout, then binds its fields:
//
//   TfrmConfig::TfrmConfig(ui::Component* owner) : ui::Form(owner) {
//       defineHandler("FormCreate", [this](ui::Component&) { FormCreate(); });
//       loadLayout("TfrmConfig");
//       redConfig = &component<ui::RichEdit>("redConfig");
//   }
//
// and is created with Application::createForm<TfrmConfig>(), which runs OnCreate afterwards.
// The window class name is the layout's form class name ("TfrmConfig").
#pragma once

#include "ui/button.h"
#include "ui/layout.h"
#include "ui/win_control.h"

#include <map>
#include <string>

namespace ui {

enum class BorderStyle { None, Single, Sizeable, Dialog };
enum class FormStyle { Normal, StayOnTop };
enum class FormPosition { Designed, ScreenCenter };
enum class WindowState { Normal, Minimized, Maximized };
struct BorderIcons {
    bool systemMenu = true;
    bool minimize = true;
    bool maximize = true;
};

class Form : public WinControl {
public:
    explicit Form(Component* owner = nullptr);
    // A shown form is hidden first (OnHide), then OnDestroy runs and the window goes (see
    // beforeDestruction).
    ~Form() override;

    // Hides a shown form (OnHide), runs OnDestroy and destroys the window, while the derived
    // form and its members are still whole. The application calls it before deleting a form;
    // whoever deletes a form otherwise should call it first (the destructor would run the
    // handlers only after the derived class's members are gone). Runs once.
    void beforeDestruction();

    // Builds the components from the layout resource named className (RCDATA), scaled from the
    // layout's pixels per inch to the screen's. Throws sav::Error on a missing or damaged layout.
    void loadLayout(const std::string& className);
    // The same from layout text (for layouts not kept in the resources).
    void loadLayoutText(std::string_view text);

    // Handlers that the layout's On... properties name.
    void defineHandler(const std::string& name, NotifyEvent handler);
    void defineCloseQuery(const std::string& name, CloseQueryEvent handler);

    const std::string& className() const { return className_; }
    const std::string& caption() const { return caption_; }
    void setCaption(std::string caption);

    BorderStyle borderStyle() const { return borderStyle_; }
    void setBorderStyle(BorderStyle value) { borderStyle_ = value; }
    BorderIcons borderIcons() const { return borderIcons_; }
    void setBorderIcons(BorderIcons value) { borderIcons_ = value; }
    FormStyle formStyle() const { return formStyle_; }
    void setFormStyle(FormStyle value) { formStyle_ = value; }
    FormPosition position() const { return position_; }
    void setPosition(FormPosition value) { position_ = value; }
    WindowState windowState() const { return windowState_; }
    void setWindowState(WindowState value) { windowState_ = value; }

    // Client size; the window size follows from the border style.
    void setClientSize(int width, int height);
    int clientWidth() const;
    int clientHeight() const;

    // The control that gets the focus when the form is shown.
    WinControl* activeControl() const { return activeControl_; }
    void setActiveControl(WinControl* control) { activeControl_ = control; }

    // Showing runs OnShow, hiding runs OnHide.
    void setVisible(bool visible) override;

    // Asks to close: runs the close query; when it allows, the main form ends the application's
    // loop and any other form is hidden. Returns whether the close was allowed.
    bool close();
    // Runs OnCloseQuery and gives its answer (true without a handler).
    bool closeQuery();

    // Enter (VK_RETURN) and Esc (VK_ESCAPE): presses the Default or Cancel button; true if one was.
    bool dialogKey(WPARAM key);

    NotifyEvent onCreate, onShow, onHide, onDestroy;
    CloseQueryEvent onCloseQuery;

    // Runs OnCreate; a failure in it is shown by the application and the form stays.
    void doCreate();

    bool setProperty(std::string_view name, const LayoutValue& value) override;

protected:
    void createParams(CreateParams& params) override;
    void windowCreated() override;
    LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void buildChildren(const LayoutNode& node, WinControl& parent, int layoutPpi);
    void applyProperties(Component& target, const LayoutNode& node, int layoutPpi);
    Component& createComponent(const LayoutNode& node, WinControl& parent);
    void runEvent(const NotifyEvent& event);
    void placeOnShow();
    SIZE windowSizeForClient(int clientWidth, int clientHeight) const;
    void bindEvent(Component& target, std::string_view event, const std::string& handler, int line);
    Button* findButton(bool isDefault, const std::vector<Control*>& controls) const;

    std::string className_ = "TForm";
    std::string caption_;
    BorderStyle borderStyle_ = BorderStyle::Sizeable;
    BorderIcons borderIcons_;
    FormStyle formStyle_ = FormStyle::Normal;
    FormPosition position_ = FormPosition::Designed;
    WindowState windowState_ = WindowState::Normal;
    WinControl* activeControl_ = nullptr;
    std::string activeControlName_;
    std::map<std::string, NotifyEvent> handlers_;
    std::map<std::string, CloseQueryEvent> closeQueries_;
    bool destroying_ = false;
    int requestedClientWidth_ = -1;
    int requestedClientHeight_ = -1;
};

}  // namespace ui
