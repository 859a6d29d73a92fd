// Fuzz target: arbitrary bytes as a package data block behind a real executable image. The image
// end is found from the headers, the fields are read, the picture decoded and the movie copied, as
// at start-up; nothing may crash, read out of bounds or allocate beyond the input.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "package/block_reader.h"
#include "package/byte_stream.h"
#include "package/image_end.h"
#include "package/movie_copy.h"
#include "support/error.h"

namespace {

// A minimal PE32 image: DOS header, PE signature, file header, 224-byte optional header and one
// section whose raw data ends the image.
std::vector<uint8_t> minimalImage() {
    std::vector<uint8_t> image(1024, 0);
    auto put16 = [&](size_t at, uint16_t v) { std::memcpy(&image[at], &v, 2); };
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&image[at], &v, 4); };
    put16(0, 0x5A4D);
    put32(60, 0x80);
    put32(0x80, 0x00004550);
    put16(0x80 + 4, 0x014C);      // i386
    put16(0x80 + 6, 1);           // one section
    put16(0x80 + 20, 224);        // optional header size
    put16(0x80 + 24, 0x10B);      // PE32
    size_t section = 0x80 + 248;
    std::memcpy(&image[section], ".text\0\0\0", 8);
    put32(section + 16, 512);     // SizeOfRawData
    put32(section + 20, 512);     // PointerToRawData
    return image;
}

class MemoryTarget : public sav::MovieTarget {
public:
    void begin() override { bytes_.clear(); }
    void write(const uint8_t* data, size_t size) override { bytes_.insert(bytes_.end(), data, data + size); }
    void commit() override {}
    void discard() noexcept override { bytes_.clear(); }

private:
    std::vector<uint8_t> bytes_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::vector<uint8_t> image = minimalImage();
    std::vector<uint8_t> file = image;
    file.insert(file.end(), data, data + size);

    uint32_t imageEnd = sav::ImageEndFromHeaders(file.data(), file.size());
    if (imageEnd != image.size()) __builtin_trap();  // the image itself must be understood
    if (file.size() <= imageEnd) return 0;

    sav::MemoryStream stream(file);
    stream.seek(imageEnd);
    TPackageSettings settings;
    sav::ResetPackageSettings(settings);
    try {
        if (sav::ReadPackageFields(stream, settings)) {
            MemoryTarget target;
            sav::CopyMovie(stream, target);
        }
    } catch (const sav::Error&) {
        // A damaged picture or a picture field past the end: a start-up failure, not a crash.
    }
    return 0;
}
