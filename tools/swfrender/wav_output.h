// Writes 16-bit stereo samples as a WAV file (RIFF, PCM).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace swfrender {

// `stereo` holds interleaved left/right samples. Returns false and sets `error` when the file
// cannot be written.
bool writeWav(const std::vector<int16_t>& stereo, int sampleRate, const std::string& path, std::string& error);

}  // namespace swfrender
