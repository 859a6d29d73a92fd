// Panel: a plain windowed container that paints its background colour.
#pragma once

#include "ui/win_control.h"

namespace ui {

class Panel : public WinControl {
public:
    explicit Panel(Component* owner = nullptr);
    bool setProperty(std::string_view name, const LayoutValue& value) override;

protected:
    void createParams(CreateParams& params) override;
};

}  // namespace ui
