// Readers of the package data block's fields. Each reads one field at the stream's position.
// Lengths are checked against what remains of the file before anything is allocated or copied:
// a string or integer field that does not fit (negative length, or longer than the rest of the
// file) is not taken, and its reader returns false so that the caller stops reading the block
// with the fields read so far.
#pragma once

#include "package/byte_stream.h"
#include "support/picture.h"

#include <cstdint>
#include <string>

namespace sav {

// One sized string; an empty result becomes `fallback`. False (string untouched) when the field
// does not fit in the file.
bool ReadString(ByteStream& stream, std::string& value, const std::string& fallback);

// One sized integer, copied into `value` from its lowest-order byte upwards: lengths 0 to 3
// change only that many low bytes; of a longer field the first 4 bytes count and the rest is
// skipped. False (value untouched) when the length is negative or the field does not fit.
bool ReadSizedValue(ByteStream& stream, int32_t& value);

// Reads up to `count` bytes into the low bytes of `value` (the colour and flag fields): bytes
// missing at the end of the file leave theirs as they were. Returns how many arrived.
size_t ReadRawInto(ByteStream& stream, void* value, size_t count);

// The watermark picture: cleared, then loaded from the sized blob when it starts like a bitmap
// or a JPEG file. Throws EReadError when the blob runs past the end of the file, and the
// picture's own error when bytes that look like a bitmap or JPEG cannot be decoded.
void ReadPicture(ByteStream& stream, Picture& picture);

}  // namespace sav
