#include "package/block_writer.h"

#include <limits>
#include <stdexcept>

namespace sav {

namespace {

void Put32(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutBytes(std::vector<uint8_t>& out, const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    out.insert(out.end(), bytes, bytes + size);
}

void PutString(std::vector<uint8_t>& out, const std::string& text) {
    if (text.size() > size_t(std::numeric_limits<int32_t>::max())) throw std::length_error("text field too long");
    Put32(out, static_cast<uint32_t>(text.size()));
    PutBytes(out, text.data(), text.size());
}

void PutBlob(std::vector<uint8_t>& out, const std::vector<uint8_t>& blob) {
    if (blob.size() > size_t(std::numeric_limits<uint32_t>::max())) throw std::length_error("file field too long");
    Put32(out, static_cast<uint32_t>(blob.size()));
    PutBytes(out, blob.data(), blob.size());
}

}  // namespace

std::vector<uint8_t> WritePackageBlock(const PackageContents& c) {
    std::vector<uint8_t> out;
    out.reserve(64 + c.dialogCaption.size() + c.buttonCaption.size() + c.aboutText.size() + c.watermark.size() +
                c.movie.size());
    Put32(out, 0);  // reserved word
    PutString(out, c.dialogCaption);
    PutString(out, c.buttonCaption);
    Put32(out, static_cast<uint32_t>(c.backColor));
    out.push_back(c.interactive ? 1 : 0);
    PutString(out, c.aboutText);
    Put32(out, 4);
    Put32(out, static_cast<uint32_t>(c.watermarkLeft));
    Put32(out, 4);
    Put32(out, static_cast<uint32_t>(c.watermarkTop));
    PutBlob(out, c.watermark);
    PutBlob(out, c.movie);
    return out;
}

}  // namespace sav
