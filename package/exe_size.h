// Unit ExeSize: where the running executable's image ends in its file, and so where the
// package data block begins.
#pragma once

#include <cstdint>

// The image end computed from the headers of the running image at its base address.
uint32_t GetExeSize();
