// Panel: a plain windowed container that paints its background colour.
#pragma once

#include "ui/win_control.h"

namespace ui {

class Panel : public WinControl {
public:
    explicit Panel(Component* owner = nullptr);
    bool setProperty(std::string_view name, const LayoutValue& value) override;

    enum class Bevel { None, Raised, Lowered };
    Bevel bevelOuter() const { return bevelOuter_; }
    void setBevelOuter(Bevel value) { bevelOuter_ = value; invalidate(); }

protected:
    void createParams(CreateParams& params) override;
    void paint(HDC dc, const RECT& area) override;

private:
    Bevel bevelOuter_ = Bevel::Raised;
};

}  // namespace ui
