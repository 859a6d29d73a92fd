// TPackageSettings: everything a package data block tells the program. Portable, so that the
// block reader can be exercised without Windows; the process-wide record lives in unit Common.
#pragma once

#include "support/picture.h"

#include <cstdint>
#include <memory>
#include <string>

// The "no colour" value of BackColor: no background colour is sent to the Flash player.
constexpr int32_t clNone = 0x1FFFFFFF;

struct TPackageSettings {
    std::string DialogCaption;
    std::string ButtonCaption;
    int32_t BackColor = 0;     // 0x00BBGGRR, or clNone
    uint8_t Interactive = 0;   // any value but 0 means on
    std::string AboutText;     // RTF
    int32_t WatermarkLeft = 0;
    int32_t WatermarkTop = 0;
    std::unique_ptr<Picture> Watermark;
    std::string MovieFile;     // full path of the temporary movie file, empty without a movie block
    std::string BaseName;      // the executable's long file name without its extension
};
