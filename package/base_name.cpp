#include "package/base_name.h"

namespace sav {

namespace {
size_t ComponentStart(const std::string& path) {
    const size_t separator = path.find_last_of("\\:");
    return separator == std::string::npos ? 0 : separator + 1;
}
}  // namespace

std::string RemoveExtension(const std::string& name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot < ComponentStart(name)) return name;
    return name.substr(0, dot);
}

std::string LastPathComponent(const std::string& path) {
    return path.substr(ComponentStart(path));
}

}  // namespace sav
