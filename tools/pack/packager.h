// Packaging a saver: the engine's image, then a new package data block.
#pragma once

#include "tools/pack/pack_options.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pack {

// A whole file; UsageError naming `what` when it cannot be read.
std::vector<uint8_t> ReadWholeFile(const std::string& path, const std::string& what);

// Writes `bytes` under a temporary name beside `path`, then renames it over `path`. Throws
// std::runtime_error when that fails; nothing is left behind then.
void WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes);

// The packaged saver's bytes. Throws UsageError for bad input.
std::vector<uint8_t> BuildSaver(const Options& options);

}  // namespace pack
