#include "engine/core/movie_url.h"

#include <cctype>
#include <string_view>

namespace swf {

std::string fileUrlOf(const std::string& absolutePath) {
    std::string path;
    if (absolutePath.size() >= 2 && std::isalpha(static_cast<unsigned char>(absolutePath[0])) && absolutePath[1] == ':')
        path = "/" + absolutePath.substr(0, 1) + "|" + absolutePath.substr(2);
    else
        path = absolutePath;
    for (char& c : path)
        if (c == '\\') c = '/';
    std::string url = "file://";
    if (path.empty() || path[0] != '/') url += '/';
    static const char* hex = "0123456789ABCDEF";
    for (unsigned char c : path) {
        // Letters, digits, the separators and marks that stand for themselves; the rest as %XX.
        if (std::isalnum(c) || std::string_view("/-_.~|:!$&'()*+,;=@").find(static_cast<char>(c)) != std::string_view::npos) {
            url += static_cast<char>(c);
        } else {
            url += '%';
            url += hex[c >> 4];
            url += hex[c & 15];
        }
    }
    return url;
}

}  // namespace swf
