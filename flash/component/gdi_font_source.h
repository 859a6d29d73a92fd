// Device fonts for the Windows component: the system's faces through GDI, their native outlines
// unhinted, their metrics and kerning pairs. A face the system lacks is looked for under its
// metric-compatible stand-in's name. Used on the GUI thread only, like the rest of the component.
#pragma once

#include <memory>

#include "engine/fonts/font_source.h"

namespace flash {

std::shared_ptr<swf::FontSource> makeGdiFontSource();

}  // namespace flash
