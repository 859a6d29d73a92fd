#include "tools/swfrender/wav_output.h"

#include <cstdio>
#include <memory>

namespace swfrender {

namespace {

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

}  // namespace

bool writeWav(const std::vector<int16_t>& stereo, int sampleRate, const std::string& path, std::string& error) {
    const uint32_t dataBytes = static_cast<uint32_t>(stereo.size() * 2);
    std::vector<uint8_t> header;
    header.insert(header.end(), {'R', 'I', 'F', 'F'});
    put32(header, 36 + dataBytes);
    header.insert(header.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(header, 16);
    put16(header, 1);  // PCM
    put16(header, 2);  // channels
    put32(header, static_cast<uint32_t>(sampleRate));
    put32(header, static_cast<uint32_t>(sampleRate) * 4);  // bytes per second
    put16(header, 4);   // bytes per frame
    put16(header, 16);  // bits per sample
    header.insert(header.end(), {'d', 'a', 't', 'a'});
    put32(header, dataBytes);
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!file) {
        error = "cannot write " + path;
        return false;
    }
    std::vector<uint8_t> body;
    body.reserve(dataBytes);
    for (int16_t s : stereo) put16(body, static_cast<uint16_t>(s));  // little-endian on any machine
    if (std::fwrite(header.data(), 1, header.size(), file.get()) != header.size() ||
        std::fwrite(body.data(), 1, body.size(), file.get()) != body.size() || std::fflush(file.get()) != 0) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace swfrender
