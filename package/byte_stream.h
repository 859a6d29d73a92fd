// ByteStream: the little a package reader needs of a file: read up to a count, read exactly a
// count, its size and an absolute seek. The executable's own file on Windows, a memory buffer in
// the tools and tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sav {

class ByteStream {
public:
    virtual ~ByteStream() = default;

    // Reads up to `count` bytes; fewer at the end of the stream, which is no error.
    virtual size_t readUpTo(void* buffer, size_t count) = 0;
    virtual uint64_t size() = 0;
    virtual uint64_t position() = 0;
    virtual void seek(uint64_t position) = 0;

    // Reads exactly `count` bytes or throws EReadError ("Stream read error").
    void readExactly(void* buffer, size_t count);

    // Bytes between the position and the end (0 when the position is beyond the end).
    uint64_t remaining();
};

// A stream over bytes held elsewhere; the bytes must outlive the stream.
class MemoryStream : public ByteStream {
public:
    MemoryStream(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    explicit MemoryStream(const std::vector<uint8_t>& bytes) : MemoryStream(bytes.data(), bytes.size()) {}

    size_t readUpTo(void* buffer, size_t count) override;
    uint64_t size() override { return size_; }
    uint64_t position() override { return position_; }
    void seek(uint64_t position) override { position_ = position; }

private:
    const uint8_t* data_;
    size_t size_;
    uint64_t position_ = 0;
};

}  // namespace sav
