// swfsaver-pack --inspect: every field of a saver's package, as the saver would read it.
#pragma once

#include <ostream>
#include <string>

namespace pack {

// Prints the package of the saver at `path`. Throws UsageError when the file cannot be read
// or is no Windows executable.
void PrintPackageReport(const std::string& path, std::ostream& out);

}  // namespace pack
