#include "package/win32_file_stream.h"

#include "support/error.h"

namespace sav {

size_t Win32FileStream::readUpTo(void* buffer, size_t count) {
    auto* out = static_cast<uint8_t*>(buffer);
    size_t total = 0;
    while (total < count) {
        const DWORD ask = count - total > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count - total);
        DWORD got = 0;
        if (!ReadFile(file_, out + total, ask, &got, nullptr)) throw Error("EReadError", "Stream read error");
        if (got == 0) break;  // end of file
        total += got;
    }
    return total;
}

uint64_t Win32FileStream::size() {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file_, &size)) throw Error("EReadError", "Stream read error");
    return static_cast<uint64_t>(size.QuadPart);
}

uint64_t Win32FileStream::position() {
    LARGE_INTEGER zero{}, at{};
    if (!SetFilePointerEx(file_, zero, &at, FILE_CURRENT)) throw Error("EReadError", "Stream read error");
    return static_cast<uint64_t>(at.QuadPart);
}

void Win32FileStream::seek(uint64_t position) {
    LARGE_INTEGER to{};
    to.QuadPart = static_cast<LONGLONG>(position);
    if (!SetFilePointerEx(file_, to, nullptr, FILE_BEGIN)) throw Error("EReadError", "Stream read error");
}

}  // namespace sav
