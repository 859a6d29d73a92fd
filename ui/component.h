// Components: named objects with an owner that destroys them. Forms own the components of their
// layout; the application owns the forms. Properties from a stored layout reach a component
// through setProperty, class by class.
#pragma once

#include "ui/layout.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

class Component;

// Event handlers: the sender first, as the layouts' handler names (FormCreate, btnOKClick) expect.
using NotifyEvent = std::function<void(Component& sender)>;
using CloseQueryEvent = std::function<void(Component& sender, bool& canClose)>;

class Component {
public:
    explicit Component(Component* owner = nullptr);
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;
    // Destroys the owned components (the newest first) and leaves the owner's list.
    virtual ~Component();

    Component* owner() const { return owner_; }
    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }

    // An owned component by name (ASCII case ignored), or nullptr.
    Component* findComponent(std::string_view name) const;
    // The same, as type T; throws sav::Error("EComponentError", ...) when missing or of another type.
    template <class T>
    T& component(std::string_view name) const {
        auto* found = dynamic_cast<T*>(findComponent(name));
        if (!found) throwMissingComponent(name);
        return *found;
    }
    const std::vector<Component*>& components() const { return components_; }

    // Applies one property of a stored layout. Returns false for a property the class does not
    // know; the loader then reports it. Each class handles its own and defers to its base.
    virtual bool setProperty(std::string_view name, const LayoutValue& value);

private:
    [[noreturn]] static void throwMissingComponent(std::string_view name);

    Component* owner_ = nullptr;
    std::string name_;
    std::vector<Component*> components_;
};

// Non-visual component whose only role is the manifest in the executable's resources.
class XPManifest : public Component {
public:
    using Component::Component;
};

}  // namespace ui
