// The package data block read into a TPackageSettings record: the initial values every run
// starts from, and the forward pass over fields 1 to 9 (the movie field is left to the caller).
#pragma once

#include "package/byte_stream.h"
#include "package/package_settings.h"

namespace sav {

// An empty watermark picture, empty strings (BaseName aside) and both positions at -1.
// BackColor and Interactive are not touched: the record starts zero-filled.
void ResetPackageSettings(TPackageSettings& settings);

// Reads fields 1 to 9 from the stream's position into `settings`. Returns true when all of them
// were whole, so that the movie field follows; false when the block ended early, with the fields
// read so far kept. Picture failures leave as exceptions.
bool ReadPackageFields(ByteStream& stream, TPackageSettings& settings);

}  // namespace sav
