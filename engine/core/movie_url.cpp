#include "engine/core/movie_url.h"

#include <cctype>

#include "engine/base/percent_encoding.h"

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
    // The separators and marks that may stand for themselves in a path.
    return url + percentEncoded(path, "/-_.~|:!$&'()*+,;=@");
}

}  // namespace swf
