#include "forms/input_rule.h"

namespace forms {

namespace {
constexpr uint32_t kActivate = 0x0006;      // WM_ACTIVATE
constexpr uint32_t kActivateApp = 0x001C;   // WM_ACTIVATEAPP
constexpr uint32_t kNcActivate = 0x0086;    // WM_NCACTIVATE
constexpr uint32_t kKeyDown = 0x0100;       // WM_KEYDOWN
constexpr uint32_t kKeyUp = 0x0101;         // WM_KEYUP
constexpr uint32_t kSysKeyDown = 0x0104;    // WM_SYSKEYDOWN
constexpr uint32_t kSysKeyUp = 0x0105;      // WM_SYSKEYUP
constexpr uint32_t kMouseMove = 0x0200;     // WM_MOUSEMOVE
constexpr uint32_t kLButtonDown = 0x0201;   // WM_LBUTTONDOWN
constexpr uint32_t kRButtonDown = 0x0204;   // WM_RBUTTONDOWN
constexpr uint32_t kMButtonDown = 0x0207;   // WM_MBUTTONDOWN

int64_t distance(int64_t a, int64_t b) { return a > b ? a - b : b - a; }
}  // namespace

bool InputEndsSaver(uint32_t message, int64_t lParam, bool interactive, ScreenPoint start) {
    if (!interactive && message == kMouseMove) {
        const auto bits = static_cast<uint64_t>(lParam);
        const int64_t x = static_cast<int64_t>(bits & 0xFFFF);
        const int64_t y = static_cast<int64_t>((bits >> 16) & 0xFFFF);
        return distance(x, start.x) > kMouseMoveTolerance || distance(y, start.y) > kMouseMoveTolerance;
    }
    switch (message) {
    case kKeyDown:
    case kKeyUp:
    case kSysKeyDown:
    case kSysKeyUp: return true;
    case kActivate:
    case kActivateApp:
    case kNcActivate:
    case kLButtonDown:
    case kRButtonDown:
    case kMButtonDown: return !interactive;
    default: return false;
    }
}

}  // namespace forms
