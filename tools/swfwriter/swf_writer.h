// Writes valid SWF files from the engine's plain data (the same structures the parser yields), for
// tests, fuzz seeds and the demo movie. Every write encodes exactly what it is given: writing a
// structure and parsing the file back gives the structure again, up to the precision the format keeps
// (twips rounded to integers, matrices to 16.16, colour transforms to 8.8).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/base/color.h"
#include "engine/base/geometry.h"
#include "engine/base/image.h"
#include "engine/base/shape.h"
#include "engine/parse/characters.h"
#include "engine/parse/timeline.h"

namespace swfw {

// SWF tag codes the writer and the tests use.
enum TagCode : uint16_t {
    kEnd = 0, kShowFrame = 1, kDefineShape = 2, kPlaceObject = 4, kRemoveObject = 5, kDefineBits = 6,
    kDefineButton = 7, kJpegTables = 8, kSetBackgroundColor = 9, kDefineFont = 10, kDefineText = 11,
    kDoAction = 12, kDefineFontInfo = 13, kDefineBitsLossless = 20, kDefineBitsJpeg2 = 21,
    kDefineShape2 = 22, kDefineButtonCxform = 23, kPlaceObject2 = 26, kRemoveObject2 = 28,
    kDefineShape3 = 32, kDefineText2 = 33, kDefineButton2 = 34, kDefineBitsJpeg3 = 35,
    kDefineBitsLossless2 = 36, kDefineEditText = 37, kCsmTextSettings = 74, kDefineSprite = 39, kFrameLabel = 43,
    kDefineMorphShape = 46, kDefineFont2 = 48, kExportAssets = 56, kDoInitAction = 59,
    kDefineFontInfo2 = 62, kFileAttributes = 69, kPlaceObject3 = 70, kDefineFontAlignZones = 73,
    kDefineFont3 = 75, kDoAbc = 82, kDefineVideoStream = 60, kVideoFrame = 61, kDefineShape4 = 83, kDefineMorphShape2 = 84, kDefineBitsJpeg4 = 90,
};

// The body of one tag (or any SWF structure), written field by field. Bit fields are packed most
// significant bit first; byte writes first finish a partly written byte.
class BodyWriter {
public:
    void u8(uint8_t v);
    void u16(uint16_t v);
    void u32(uint32_t v);
    void s16(int16_t v) { u16(static_cast<uint16_t>(v)); }
    void fixed8(double v);   // 8.8
    void fixed16(double v);  // 16.16
    void bytes(const std::vector<uint8_t>& data);
    void string(const std::string& s);  // NUL-terminated
    void ub(int bits, uint32_t v);
    void sb(int bits, int32_t v);
    void fb(int bits, double v);  // 16.16 in `bits` bits
    void align();

    void rect(const swf::Rect& twips);
    void matrix(const swf::Matrix& m);
    void cxform(const swf::ColorTransform& c, bool withAlpha);
    void rgb(swf::Rgba c);
    void rgba(swf::Rgba c);

    const std::vector<uint8_t>& data() { align(); return out_; }

private:
    std::vector<uint8_t> out_;
    uint8_t partial_ = 0;
    int partialBits_ = 0;
};

// Bits needed to store `v` as a signed (sbits) or unsigned (ubits) bit field.
int sbits(int64_t v);
int ubits(uint64_t v);

class SwfWriter {
public:
    explicit SwfWriter(int version = 10, swf::Rect stage = {0, 0, 550 * 20, 400 * 20}, double frameRate = 24);

    // Any tag; `forceLong` writes the long length form even for short bodies.
    void tag(uint16_t code, const std::vector<uint8_t>& body, bool forceLong = false);

    void fileAttributes(bool actionScript3 = false, bool useNetwork = false, bool hasMetadata = false);
    void setBackgroundColor(swf::Rgba color);

    // DefineShape `version` 1..4 (an edge past 65535 twips on an axis throws std::invalid_argument).
    // Version 1 and 2 write colours without alpha; 4 writes the edge
    // bounds, winding and stroke-scaling flags, and LINESTYLE2 records.
    void defineShape(uint16_t id, const swf::Shape& shape, int version = 3);
    void defineMorphShape(uint16_t id, const swf::MorphShape& shape, int version = 1);

    // DefineBitsLossless (no alpha) or DefineBitsLossless2 from a straight-alpha RGBA image, in
    // `format` 3 (colour-mapped; at most 256 colours), 4 (15-bit, version 1 only) or 5.
    void defineBitsLossless(uint16_t id, const swf::RgbaImage& straightRgba, int format = 5, bool withAlpha = false);
    // A lossless tag with the given header and already compressed pixel data (for malformed cases).
    void defineBitsLosslessRaw(uint16_t id, int version, int format, uint16_t width, uint16_t height,
                               std::optional<uint8_t> colorTableSizeMinusOne, const std::vector<uint8_t>& zlibData);
    void jpegTables(const std::vector<uint8_t>& tables);
    void defineBits(uint16_t id, const std::vector<uint8_t>& imageWithoutTables);
    void defineBitsJpeg2(uint16_t id, const std::vector<uint8_t>& jpeg);
    // JPEG3 (or JPEG4 with `deblocking`): `alpha` is one byte per pixel, compressed here; empty for none.
    void defineBitsJpeg3(uint16_t id, const std::vector<uint8_t>& jpeg, const std::vector<uint8_t>& alpha,
                         std::optional<double> deblocking = std::nullopt);

    // DefineSprite from the tags written into `body` (its ShowFrames give the frame count).
    void defineSprite(uint16_t id, const SwfWriter& body);

    // DefineFont (1, glyph shapes only), DefineFont2 or DefineFont3 (glyphs, codes, name, flags, layout).
    void defineFont(uint16_t id, const swf::Font& font);
    // DefineFontInfo (1) or DefineFontInfo2 (2) for a DefineFont: name, flags and code table of `font`.
    void defineFontInfo(uint16_t id, const swf::Font& font, int version = 1);
    void defineText(uint16_t id, const swf::StaticText& text);  // version 1 or 2 from text.version
    void defineEditText(uint16_t id, const swf::EditText& text);
    // CSMTextSettings for the text or edit text `textId`.
    void csmTextSettings(uint16_t textId, const swf::TextRenderSettings& settings);
    void defineButton(uint16_t id, const swf::Button& button);  // version 1 or 2 from button.version
    void defineButtonCxform(uint16_t id, const swf::ColorTransform& cxform);

    // Sound: DefineSound, StartSound (StartSound2 when `start.className` is set), SoundStreamHead
    // (2 for SoundStreamHead2), SoundStreamBlock and DefineButtonSound.
    void defineSound(uint16_t id, const swf::DefinedSound& sound);
    void startSound(const swf::StartSound& start);
    void soundStreamHead(const swf::SoundStreamHead& head, int version = 1);
    void soundStreamBlock(const std::vector<uint8_t>& data);
    void defineButtonSound(uint16_t buttonId, const swf::ButtonSounds& sounds);

    // DefineVideoStream from `video`'s header fields (its frames are not written), and one VideoFrame.
    void defineVideoStream(uint16_t id, const swf::VideoStream& video);
    void videoFrame(uint16_t streamId, uint16_t frameNumber, const std::vector<uint8_t>& data);

    void placeObject(const swf::PlaceObject& place);  // version 1..3 from place.version
    void removeObject(uint16_t depth, std::optional<uint16_t> characterId = std::nullopt);
    void frameLabel(const std::string& name, bool namedAnchor = false);
    void doAction(const std::vector<uint8_t>& bytes);
    void doInitAction(uint16_t spriteId, const std::vector<uint8_t>& bytes);
    void exportAssets(const std::vector<std::pair<uint16_t, std::string>>& names);
    void showFrame();

    int framesShown() const { return frames_; }
    const std::vector<uint8_t>& tagBytes() const { return tags_; }

    // The whole file: header (frame count = ShowFrames written unless `frameCount` is given), the tags,
    // and an End tag. `compress` writes CWS (zlib), otherwise FWS.
    std::vector<uint8_t> finish(bool compress = false, std::optional<uint16_t> frameCount = std::nullopt) const;

private:
    int version_;
    swf::Rect stage_;
    double frameRate_;
    int frames_ = 0;
    std::vector<uint8_t> tags_;
};

// Shapes that tests and tools need often.
swf::Shape rectangleShape(const swf::Rect& twips, swf::Rgba color);
swf::Shape rectangleShape(const swf::Rect& twips, const swf::FillStyle& fill);

// A JPEG file (baseline, 4:2:0) of a straight RGBA image's colours, through libjpeg.
std::vector<uint8_t> encodeJpeg(const swf::RgbaImage& straightRgba, int quality = 90);

// A Screen Video (codec 3) packet of an image's colours (alpha ignored) in `block` x `block` pixel
// blocks (a multiple of 16, at most 256). With `previous` (same size), blocks equal to it are left
// out, making an inter frame; without it every block is written (a key frame).
std::vector<uint8_t> encodeScreenVideo(const swf::RgbaImage& image, int block = 16,
                                       const swf::RgbaImage* previous = nullptr);

}  // namespace swfw
