// Pixels that a script keeps changing while the display shows them (a BitmapData attached to a
// clip or filling a script's drawing): each paint asks for them as they are then.
#pragma once

#include <memory>

#include "engine/base/image.h"

namespace swf {

class PixelSource {
public:
    virtual ~PixelSource() = default;
    // The current pixels (premultiplied RGBA), or null when there is nothing to show (disposed).
    // The same image comes back while the pixels have not changed.
    virtual std::shared_ptr<const RgbaImage> image() = 0;
};

}  // namespace swf
