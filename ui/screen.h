// The screen object: the primary screen's size and resolution, and the cursor table that maps
// the toolkit's cursor indices to cursor handles.
#pragma once

#include <windows.h>

#include <map>

namespace ui {

constexpr int crDefault = 0;
constexpr int crArrow = -2;
constexpr int crCross = -3;
constexpr int crIBeam = -4;
constexpr int crHourGlass = -11;
constexpr int crHandPoint = -21;

class Screen {
public:
    static Screen& instance();

    int width() const { return GetSystemMetrics(SM_CXSCREEN); }
    int height() const { return GetSystemMetrics(SM_CYSCREEN); }
    int pixelsPerInch() const;

    // The cursor for an index; an index without an entry gives the default cursor (the arrow).
    HCURSOR cursor(int index) const;
    // Enters a cursor; a null handle removes the entry.
    void setCursor(int index, HCURSOR cursor);

private:
    Screen();
    std::map<int, HCURSOR> cursors_;
};

inline Screen& screen() { return Screen::instance(); }

}  // namespace ui
