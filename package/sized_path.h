// Reading a path from a system call that fills a caller's buffer and answers with the path's
// length, or with the size it needs when the buffer is too small (GetTempPathA and kin).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace sav {

// `call(buffer, size)` returns the characters written (without the NUL), the size needed when
// the path did not fit, or 0 on failure. The first call uses `firstSize` characters; a path
// that does not fit is fetched again with the size reported, a few times at most (the value may
// change in between). Gives the path cut at its first NUL, or "" on failure.
std::string ReadSizedPath(const std::function<uint32_t(char* buffer, uint32_t size)>& call, uint32_t firstSize);

}  // namespace sav
