// Messages of our own between the layer's windows.
#pragma once

#include <windows.h>

namespace ui {

// A WM_COMMAND notification handed back by the parent to the child control that sent it.
constexpr UINT kReflectedCommand = WM_APP + 0x3F00 + WM_COMMAND;

}  // namespace ui
