#include "ui/component.h"

#include "support/error.h"
#include "ui/text_compare.h"

#include <algorithm>

namespace ui {

Component::Component(Component* owner) : owner_(owner) {
    if (owner_) owner_->components_.push_back(this);
}

Component::~Component() {
    // The newest first, so that later components (which may refer to earlier ones) go first.
    while (!components_.empty()) delete components_.back();  // each removes itself
    if (owner_) {
        auto& list = owner_->components_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
}

Component* Component::findComponent(std::string_view name) const {
    for (Component* c : components_)
        if (sameText(c->name(), name)) return c;
    return nullptr;
}

bool Component::setProperty(std::string_view name, const LayoutValue& value) {
    if (sameText(name, "Name") && value.kind != LayoutValue::Kind::Set) {
        name_ = value.text;
        return true;
    }
    return false;
}

void Component::throwMissingComponent(std::string_view name) {
    throw sav::Error("EComponentError", "Component '" + std::string(name) + "' not found");
}

}  // namespace ui
