// The address a movie read from a file has for its scripts (_url): file:/// and the path, with
// Windows separators turned forward, a drive written as "C|" as the reference player writes it,
// and bytes that may not stand in an address escaped.
#pragma once

#include <string>

namespace swf {

std::string fileUrlOf(const std::string& absolutePath);

}  // namespace swf
