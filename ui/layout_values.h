// Reading typed values out of layout properties (for the controls' setProperty); a value of the
// wrong kind raises sav::Error("EReadError", ...).
#pragma once

#include "ui/layout.h"

#include <string_view>

namespace ui {

bool layoutBool(const LayoutValue& value, std::string_view property);
int layoutInt(const LayoutValue& value, std::string_view property);

}  // namespace ui
