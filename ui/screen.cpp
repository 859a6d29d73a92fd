#include "ui/screen.h"

#include "support/handles.h"

namespace ui {

Screen& Screen::instance() {
    static Screen screen;
    return screen;
}

Screen::Screen() {
    cursors_[crArrow] = LoadCursorA(nullptr, IDC_ARROW);
    cursors_[crCross] = LoadCursorA(nullptr, IDC_CROSS);
    cursors_[crIBeam] = LoadCursorA(nullptr, IDC_IBEAM);
    cursors_[crHourGlass] = LoadCursorA(nullptr, IDC_WAIT);
}

int Screen::pixelsPerInch() const {
    WindowDc dc(nullptr);
    int ppi = dc.get() ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 96;
    return ppi > 0 ? ppi : 96;
}

HCURSOR Screen::cursor(int index) const {
    auto found = cursors_.find(index);
    if (found != cursors_.end() && found->second) return found->second;
    return LoadCursorA(nullptr, IDC_ARROW);
}

void Screen::setCursor(int index, HCURSOR cursor) {
    if (cursor) cursors_[index] = cursor;
    else cursors_.erase(index);
}

}  // namespace ui
