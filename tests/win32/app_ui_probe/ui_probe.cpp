// Exercises the GUI layer in a real Windows process and prints what it saw, one "name=value" a
// line, for tests/wine/app/ui_layer.sh to check. One step needs the test: a creation handler's
// failure shows a box titled "probe title", which the test reads and closes.
#include "support/error.h"
#include "ui/application.h"
#include "ui/form.h"
#include "ui/image.h"
#include "ui/panel.h"
#include "ui/rich_edit.h"
#include "ui/screen.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string events;

void fact(const char* name, const std::string& value) {
    std::printf("%s=%s\n", name, value.c_str());
    std::fflush(stdout);
}
void fact(const char* name, long value) { fact(name, std::to_string(value)); }

const char* kLayout = R"(pixelsperinch 120
object frmProbe TfrmProbe
  BorderStyle = bsDialog
  BorderIcons = [biSystemMenu]
  FormStyle = fsStayOnTop
  Position = poScreenCenter
  Caption = "probe dialog"
  ClientWidth = 303
  ClientHeight = 311
  ActiveControl = btnOK
  OnCreate = FormCreate
  OnShow = FormShow
  OnHide = FormHide
  OnDestroy = FormDestroy
  OnCloseQuery = FormCloseQuery
  object redText TRichEdit
    Left = 5
    Top = 5
    Width = 292
    Height = 200
    ReadOnly = true
    ScrollBars = ssVertical
    WantReturns = false
    ParentColor = true
    BorderStyle = bsNone
  end
  object pnlBackground TPanel
    Align = alBottom
    Height = 46
    BevelOuter = bvNone
    Color = clRed
    object imgMark TImage
      Left = 10
      Top = 10
      AutoSize = true
      Transparent = true
    end
    object btnOK TButton
      Left = 199
      Top = 6
      Width = 93
      Height = 31
      Caption = "OK"
      Default = true
      OnClick = btnOKClick
    end
    object btnCancel TButton
      Left = 100
      Top = 6
      Width = 93
      Height = 31
      Caption = "Cancel"
      Cancel = true
      OnClick = btnCancelClick
    end
  end
end
)";

class TfrmProbe : public ui::Form {
public:
    explicit TfrmProbe(ui::Component* owner) : ui::Form(owner) {
        defineHandler("FormCreate", [](ui::Component&) { events += "create,"; });
        defineHandler("FormShow", [](ui::Component&) { events += "show,"; });
        defineHandler("FormHide", [](ui::Component&) { events += "hide,"; });
        // Reads a member: the form must still be whole when its OnDestroy runs.
        defineHandler("FormDestroy", [this](ui::Component&) { events += whole ? "destroy-whole," : "destroy-gone,"; });
        defineHandler("btnOKClick", [](ui::Component&) { events += "ok,"; });
        defineHandler("btnCancelClick", [](ui::Component&) { events += "cancel,"; });
        defineCloseQuery("FormCloseQuery", [this](ui::Component&, bool& canClose) {
            events += "query,";
            canClose = allowClose;
        });
        loadLayoutText(kLayout);
        redText = &component<ui::RichEdit>("redText");
        pnlBackground = &component<ui::Panel>("pnlBackground");
        imgMark = &component<ui::Image>("imgMark");
    }
    ~TfrmProbe() override { whole = false; }
    bool allowClose = false;
    volatile bool whole = true;
    ui::RichEdit* redText;
    ui::Panel* pnlBackground;
    ui::Image* imgMark;
};

class TfrmFailing : public ui::Form {
public:
    explicit TfrmFailing(ui::Component* owner) : ui::Form(owner) {
        defineHandler("FormCreate", [](ui::Component&) { throw sav::Error("EProbe", "creation failed here"); });
        loadLayoutText("object frmFailing TfrmFailing\n  OnCreate = FormCreate\nend\n");
    }
};

std::string className(HWND window) {
    char name[128] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string pixelAt(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    char text[16];
    std::snprintf(text, sizeof text, "%06lX", static_cast<unsigned long>(c));
    return text;
}

}  // namespace

int main() {
    ui::Application application;
    application.initialize();
    fact("default_title", application.title());

    auto* form = application.createForm<TfrmProbe>();
    fact("main_is_first", application.mainForm() == form ? 1 : 0);
    fact("events_after_create", events);
    HWND window = form->handle();
    fact("window_class", className(window));
    fact("client_width", form->clientWidth());
    fact("client_height", form->clientHeight());
    fact("screen_ppi", ui::screen().pixelsPerInch());
    LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE), exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
    fact("topmost", (exStyle & WS_EX_TOPMOST) ? 1 : 0);
    fact("system_menu", (style & WS_SYSMENU) ? 1 : 0);
    fact("minimize_box", (style & WS_MINIMIZEBOX) ? 1 : 0);
    fact("owner_is_application", GetWindow(window, GW_OWNER) == application.handle() ? 1 : 0);
    fact("panel_top", form->pnlBackground->top());
    fact("panel_width", form->pnlBackground->width());

    // A 4x2 picture: its transparent colour (blue) lets the red panel show through.
    ui::Graphic picture;
    picture.width = 4;
    picture.height = 2;
    picture.pixels = {0x0000FF, 0x0000FF, 0x00FF00, 0x00FF00, 0x0000FF, 0x0000FF, 0x00FF00, 0x00FF00};
    picture.transparent = true;
    picture.transparentColor = 0x0000FF;
    form->imgMark->setPicture(picture);
    fact("image_size", std::to_string(form->imgMark->width()) + "x" + std::to_string(form->imgMark->height()));

    form->redText->setText("{\\rtf1\\ansi {\\b Bold} words}");
    form->show();
    fact("events_after_show", events);
    fact("form_visible", IsWindowVisible(window) ? 1 : 0);
    fact("centred_left", form->left() == (ui::screen().width() - form->width()) / 2 ? 1 : 0);
    fact("focus_on_ok", GetFocus() == form->component<ui::Button>("btnOK").handle() ? 1 : 0);
    char text[256] = {};
    GetWindowTextA(form->redText->handle(), text, sizeof text);
    fact("rich_text", text);
    UpdateWindow(window);
    application.processMessages();
    HWND panel = form->pnlBackground->handle();
    const int x = form->imgMark->left(), y = form->imgMark->top();
    fact("panel_pixel", pixelAt(panel, 60, 4));
    fact("transparent_pixel", pixelAt(panel, x, y + 1));
    fact("opaque_pixel", pixelAt(panel, x + 2, y + 1));

    // Enter and Esc while the read-only box has the focus press the Default and Cancel buttons.
    events.clear();
    form->redText->setFocus();
    PostMessageA(form->redText->handle(), WM_KEYDOWN, VK_RETURN, 0);
    PostMessageA(form->redText->handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    application.processMessages();
    fact("keys", events);

    // The hook sees queued messages first; marking one handled keeps it from its window.
    int seen = 0;
    application.onMessage = [&](MSG& m, bool& handled) {
        if (m.message == WM_APP + 7) {
            ++seen;
            handled = true;
        }
    };
    PostMessageA(window, WM_APP + 7, 0, 0);
    application.processMessages();
    application.onMessage = nullptr;
    fact("hook_seen", seen);

    // Every close passes the close query; a refusal keeps the form, WM_QUERYENDSESSION only asks.
    events.clear();
    SendMessageA(window, WM_CLOSE, 0, 0);
    fact("refused_close", events + (IsWindowVisible(window) ? "visible" : "hidden"));
    fact("end_session_refused", SendMessageA(window, WM_QUERYENDSESSION, 0, 0));
    form->allowClose = true;
    fact("end_session_allowed", SendMessageA(window, WM_QUERYENDSESSION, 0, 0));
    fact("still_visible", IsWindowVisible(window) ? 1 : 0);

    // A quit message only marks the application terminated.
    PostQuitMessage(0);
    application.processMessages();
    fact("terminated_by_quit", application.terminated() ? 1 : 0);

    // A failing creation handler: the box (read by the test), and the form exists all the same.
    application.setTitle("probe title");
    auto* failing = application.createForm<TfrmFailing>();
    fact("failing_form_exists", failing != nullptr && application.mainForm() == form ? 1 : 0);

    // At the end a shown form is hidden first, then destroyed.
    events.clear();
    application.destroyForms();
    fact("events_at_end", events);
    fact("window_gone", IsWindow(window) ? 0 : 1);
    return 0;
}
