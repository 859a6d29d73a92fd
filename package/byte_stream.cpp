#include "package/byte_stream.h"

#include "support/error.h"

#include <cstring>

namespace sav {

void ByteStream::readExactly(void* buffer, size_t count) {
    if (readUpTo(buffer, count) != count) throw Error("EReadError", "Stream read error");
}

uint64_t ByteStream::remaining() {
    const uint64_t end = size();
    const uint64_t at = position();
    return at < end ? end - at : 0;
}

size_t MemoryStream::readUpTo(void* buffer, size_t count) {
    if (position_ >= size_) return 0;
    const size_t available = static_cast<size_t>(size_ - position_);
    const size_t n = count < available ? count : available;
    if (n > 0) std::memcpy(buffer, data_ + position_, n);
    position_ += n;
    return n;
}

}  // namespace sav
