#include "package/field_readers.h"

#include "support/error.h"

#include <cstring>
#include <vector>

namespace sav {

namespace {

// The 4-byte little-endian length in front of a sized field; false at the end of the file.
bool ReadLength(ByteStream& stream, uint32_t& length) {
    uint8_t bytes[4];
    if (stream.readUpTo(bytes, 4) != 4) return false;
    length = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
             static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    return true;
}

}  // namespace

bool ReadString(ByteStream& stream, std::string& value, const std::string& fallback) {
    uint32_t length = 0;
    if (!ReadLength(stream, length)) return false;
    if (static_cast<int32_t>(length) < 0 || length > stream.remaining()) return false;
    std::string text(length, '\0');
    if (length > 0 && stream.readUpTo(text.data(), length) != length) return false;
    value = text.empty() ? fallback : std::move(text);
    return true;
}

bool ReadSizedValue(ByteStream& stream, int32_t& value) {
    uint32_t length = 0;
    if (!ReadLength(stream, length)) return false;
    if (static_cast<int32_t>(length) < 0 || length > stream.remaining()) return false;
    uint8_t bytes[4];
    const size_t taken = length < 4 ? length : 4;
    if (stream.readUpTo(bytes, taken) != taken) return false;
    if (length > 4) stream.seek(stream.position() + (length - 4));
    uint32_t result = static_cast<uint32_t>(value);
    for (size_t i = 0; i < taken; ++i) {
        result &= ~(uint32_t{0xFF} << (8 * i));
        result |= uint32_t{bytes[i]} << (8 * i);
    }
    value = static_cast<int32_t>(result);
    return true;
}

size_t ReadRawInto(ByteStream& stream, void* value, size_t count) {
    uint8_t bytes[8];
    if (count > sizeof bytes) count = sizeof bytes;
    const size_t arrived = stream.readUpTo(bytes, count);
    // The fields are little-endian, and so are both targets this program is built for.
    std::memcpy(value, bytes, arrived);
    return arrived;
}

void ReadPicture(ByteStream& stream, Picture& picture) {
    picture.clear();
    uint32_t length = 0;
    if (!ReadLength(stream, length) || length == 0) return;
    // Checked before allocating, so that a length that lies never reserves more than the file:
    // the short read fails as the copy would have, behind the bytes that were there.
    if (length > stream.remaining()) {
        stream.seek(stream.size());
        throw Error("EReadError", "Stream read error");
    }
    std::vector<uint8_t> buffer(length);
    stream.readExactly(buffer.data(), length);
    picture.load(buffer.data(), buffer.size());
}

}  // namespace sav
