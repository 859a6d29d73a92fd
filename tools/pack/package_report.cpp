#include "tools/pack/package_report.h"

#include "package/image_end.h"
#include "support/picture.h"
#include "support/error.h"
#include "tools/pack/packager.h"

#include <cstdio>
#include <vector>

namespace pack {

namespace {

// A forward reader over the block that reports where it ran out instead of guessing.
class Cursor {
public:
    Cursor(const std::vector<uint8_t>& bytes, uint64_t at) : bytes_(bytes), at_(at) {}
    uint64_t remaining() const { return at_ < bytes_.size() ? bytes_.size() - at_ : 0; }
    uint64_t offset() const { return at_; }
    bool take(uint64_t count, const uint8_t*& data) {
        if (count > remaining()) return false;
        data = bytes_.data() + at_;
        at_ += count;
        return true;
    }
    bool u32(uint32_t& value) {
        const uint8_t* p = nullptr;
        if (!take(4, p)) return false;
        value = p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
        return true;
    }

private:
    const std::vector<uint8_t>& bytes_;
    uint64_t at_;
};

// Text as a C-like literal, so that control bytes and long texts stay on one readable line.
std::string Quoted(const uint8_t* data, uint64_t size, uint64_t limit = 200) {
    std::string out = "\"";
    for (uint64_t i = 0; i < size && i < limit; ++i) {
        const unsigned char c = data[i];
        if (c == '"' || c == '\\') out += std::string("\\") + static_cast<char>(c);
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c < 0x20 || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        } else out += static_cast<char>(c);
    }
    out += "\"";
    if (size > limit) out += " ...";
    return out;
}

std::string PositionMeaning(int32_t value, const char* edge) {
    if (value == -32768) return "centred";
    if (value < 0 && value >= -32767) return std::to_string(-1 - value) + " px from the " + edge + " edge";
    return "at pixel " + std::to_string(value);
}

class Printer {
public:
    Printer(Cursor& cursor, std::ostream& out) : in_(cursor), out_(out) {}

    bool ended(const char* field) {
        out_ << field << ": missing (the block ends at offset " << in_.offset() << ")\n";
        return false;
    }

    // A length-prefixed string or integer field; false (with the reason printed) when it is
    // missing or does not fit in the file.
    bool sized(const char* field, uint32_t& length, const uint8_t*& bytes) {
        if (!in_.u32(length)) return ended(field);
        if (static_cast<int32_t>(length) < 0 || !in_.take(length, bytes)) {
            out_ << field << ": length " << static_cast<int32_t>(length) << " runs past the end of the file\n";
            return false;
        }
        return true;
    }

    bool string(const char* field, const char* fallback) {
        uint32_t length = 0;
        const uint8_t* text = nullptr;
        if (!sized(field, length, text)) return false;
        out_ << field << ": " << length << " bytes " << Quoted(text, length);
        if (length == 0 && fallback) out_ << " (shown as \"" << fallback << "\")";
        out_ << "\n";
        return true;
    }

    bool integer(const char* field, const char* edge) {
        uint32_t length = 0;
        const uint8_t* bytes = nullptr;
        if (!sized(field, length, bytes)) return false;
        uint32_t value = 0xFFFFFFFF;  // the saver's default, of which a short field replaces the low bytes
        for (uint32_t i = 0; i < length && i < 4; ++i) value = (value & ~(0xFFu << 8 * i)) | uint32_t{bytes[i]} << 8 * i;
        const auto signedValue = static_cast<int32_t>(value);
        out_ << field << ": " << length << " bytes, " << signedValue << " (" << PositionMeaning(signedValue, edge)
             << ")\n";
        return true;
    }

    bool picture() {
        uint32_t length = 0;
        const uint8_t* bytes = nullptr;
        if (!in_.u32(length)) return ended("watermark picture");
        if (!in_.take(length, bytes)) {
            out_ << "watermark picture: length " << length << " runs past the end of the file (the saver stops)\n";
            return false;
        }
        out_ << "watermark picture: " << length << " bytes, ";
        try {
            sav::Picture picture;
            picture.load(bytes, length);
            if (picture.kind() == sav::Picture::Kind::None) out_ << "no graphic";
            else out_ << (picture.kind() == sav::Picture::Kind::Bitmap ? "bitmap " : "JPEG ") << picture.width()
                      << " x " << picture.height();
        } catch (const sav::Error& failure) {
            out_ << "damaged (" << failure.className() << ": " << failure.what() << "; the saver stops)";
        }
        out_ << "\n";
        return true;
    }

    void movie() {
        uint32_t length = 0;
        const uint8_t* bytes = nullptr;
        if (!in_.u32(length)) { ended("movie"); return; }
        if (!in_.take(length, bytes)) {
            out_ << "movie: length " << length << " runs past the end of the file (" << in_.remaining()
                 << " bytes there; no movie file is written)\n";
            return;
        }
        out_ << "movie: " << length << " bytes";
        if (length >= 4) out_ << ", signature " << Quoted(bytes, 3) << ", version " << int(bytes[3]);
        if (length == 0) out_ << " (none)";
        out_ << "\n";
        out_ << "bytes behind the movie: " << in_.remaining() << "\n";
    }

private:
    Cursor& in_;
    std::ostream& out_;
};

}  // namespace

void PrintPackageReport(const std::string& path, std::ostream& out) {
    const std::vector<uint8_t> file = ReadWholeFile(path, "saver");
    const uint32_t end = sav::ImageEndFromHeaders(file.data(), file.size());
    if (end == 0) throw UsageError("\"" + path + "\" is not a Windows executable image");
    out << "file: " << file.size() << " bytes\n";
    out << "image end: " << end << "\n";
    if (file.size() <= end) {
        out << "package: none\n";
        return;
    }
    out << "package: " << file.size() - end << " bytes\n";
    Cursor cursor(file, end);
    Printer print(cursor, out);
    const uint8_t* raw = nullptr;
    if (!cursor.take(4, raw)) { print.ended("reserved word"); return; }
    if (!print.string("dialog caption", "About") || !print.string("button caption", "OK")) return;
    if (!cursor.take(4, raw)) { print.ended("background colour"); return; }
    const uint32_t colour = raw[0] | raw[1] << 8 | raw[2] << 16 | static_cast<uint32_t>(raw[3]) << 24;
    char text[64];
    if (colour == 0x1FFFFFFF) std::snprintf(text, sizeof text, "none (0x1FFFFFFF)");
    else std::snprintf(text, sizeof text, "#%02X%02X%02X (0x%08X)", raw[0], raw[1], raw[2], colour);
    out << "background colour: " << text << "\n";
    if (!cursor.take(1, raw)) { print.ended("interactive"); return; }
    out << "interactive: " << (raw[0] ? "on" : "off") << " (" << int(raw[0]) << ")\n";
    if (!print.string("about text", nullptr)) return;
    if (!print.integer("watermark left", "right") || !print.integer("watermark top", "bottom")) return;
    if (!print.picture()) return;
    print.movie();
}

}  // namespace pack
