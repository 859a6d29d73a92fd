// Writes a premultiplied RGBA image as an 8-bit straight-alpha PNG.
#pragma once

#include <string>

#include "engine/base/image.h"

namespace swfrender {

// Returns false and sets `error` when the file cannot be written.
bool writePng(const swf::RgbaImage& image, const std::string& path, std::string& error);

}  // namespace swfrender
