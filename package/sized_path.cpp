#include "package/sized_path.h"

#include <cstring>
#include <vector>

namespace sav {

std::string ReadSizedPath(const std::function<uint32_t(char* buffer, uint32_t size)>& call, uint32_t firstSize) {
    constexpr uint32_t kLongestPath = 32768;  // the longest path the system has
    std::vector<char> buffer(firstSize + 1, '\0');
    uint32_t length = call(buffer.data(), firstSize);
    for (int tries = 0; length >= firstSize && length <= kLongestPath && tries < 4; ++tries) {
        firstSize = length + 1;
        buffer.assign(firstSize + 1, '\0');
        length = call(buffer.data(), firstSize);
    }
    if (length >= firstSize) return "";  // still no room, or an answer no path can have
    return std::string(buffer.data(), strnlen(buffer.data(), length));
}

}  // namespace sav
