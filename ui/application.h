// The application object: the hidden application window that owns every form and carries the
// title, the main form, the message loop with its message hook, and the toolkit's error boxes.
// One exists per process; the program's main block makes it first.
#pragma once

#include "ui/component.h"
#include "support/handles.h"

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>

namespace ui {

class Form;

// Called for every message taken from the queue, before translation and dispatch; setting
// handled skips both.
using MessageHook = std::function<void(MSG& message, bool& handled)>;

class Application : public Component {
public:
    // Makes the application window (hidden); the title starts as the executable's base name.
    Application();
    // Destroys the forms (see Form's destructor) and then the application window.
    ~Application() override;

    static Application& instance();
    static bool exists();

    HWND handle() const { return window_.get(); }
    const std::string& title() const { return title_; }
    // Also the application window's caption.
    void setTitle(std::string title);

    // COM for the GUI thread (a single-threaded apartment); undone by the destructor.
    void initialize();

    // Creates a form of type T owned by the application, runs its OnCreate (a failure there is
    // shown and the form kept); the first form created becomes the main form.
    template <class T>
    T* createForm() {
        auto* form = new T(this);
        formCreated(*form);
        return form;
    }
    Form* mainForm() const { return mainForm_; }
    // Destroys every form now, the newest first (the destructor does the same).
    void destroyForms();

    // Shows the main form and handles messages until terminated; returns at once without one.
    void run();
    // Handles every waiting message and returns when the queue is empty (a WM_QUIT taken off the
    // queue only marks the application terminated).
    void processMessages();
    // Waits at most timeoutMs for a message to arrive (returns early when one does).
    void waitForMessages(DWORD timeoutMs);
    // Ends the loop (posts WM_QUIT).
    void terminate();
    bool terminated() const { return terminated_; }

    // The application-wide message hook; an empty function removes it.
    MessageHook onMessage;

    // The box for a failure while handling a message or in a form's creation handler: stop icon,
    // the title as caption, the failure's message as text.
    void showException(const std::exception& failure);
    // Runs work and shows any failure it raises with showException.
    void guarded(const std::function<void()>& work);

private:
    friend class Form;
    void formCreated(Form& form);
    void formDestroyed(Form& form);
    bool processMessage(MSG& message);
    bool isDialogKey(MSG& message);

    UniqueWindow window_;
    std::string title_;
    Form* mainForm_ = nullptr;
    bool terminated_ = false;
    bool comInitialized_ = false;
};

// The running application (same as Application::instance()).
inline Application& application() { return Application::instance(); }

}  // namespace ui
