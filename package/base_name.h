// The executable's base name: its file name without directory and without its last extension.
#pragma once

#include <string>

namespace sav {

// Cuts the name before the last "." that follows the last "\" or ":"; a name without one stays.
std::string RemoveExtension(const std::string& name);

// What follows the last "\" or ":" of a path.
std::string LastPathComponent(const std::string& path);

}  // namespace sav
