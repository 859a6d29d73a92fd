// A ByteStream over an open Win32 file handle (the executable's own file).
#pragma once

#include "package/byte_stream.h"

#include <windows.h>

namespace sav {

class Win32FileStream : public ByteStream {
public:
    explicit Win32FileStream(HANDLE file) : file_(file) {}

    size_t readUpTo(void* buffer, size_t count) override;
    uint64_t size() override;
    uint64_t position() override;
    void seek(uint64_t position) override;

private:
    HANDLE file_;
};

}  // namespace sav
