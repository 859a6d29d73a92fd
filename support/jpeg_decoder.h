// Decoding of JPEG files through libjpeg. Its errors, and a file that ends before its image
// data does, come back as EJPEG failures instead of ending the process.
#pragma once

#include "support/bmp_decoder.h"

namespace sav {

DecodedImage DecodeJpeg(const uint8_t* data, size_t size);

}  // namespace sav
