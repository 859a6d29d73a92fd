#include "engine/parse/tag_readers.h"

namespace swf {

BitmapDefinition readDefineBitmap(ByteReader& r, int code) {
    BitmapDefinition def;
    switch (code) {
    case 6:  // DefineBits: JPEG data without tables; the movie's JPEGTables complete it
        def.format = BitmapFormat::Jpeg;
        def.usesJpegTables = true;
        def.data = r.rest();
        break;
    case 21:  // DefineBitsJPEG2
        def.format = BitmapFormat::Jpeg;
        def.data = r.rest();
        break;
    case 35:    // DefineBitsJPEG3
    case 90: {  // DefineBitsJPEG4
        def.format = BitmapFormat::JpegWithAlpha;
        uint32_t imageSize = r.u32();
        if (code == 90) r.u16();  // deblocking
        def.data = r.bytes(imageSize);
        def.alphaData = r.rest();
        break;
    }
    case 20:    // DefineBitsLossless
    case 36: {  // DefineBitsLossless2
        def.format = code == 20 ? BitmapFormat::Lossless : BitmapFormat::LosslessAlpha;
        def.losslessFormat = r.u8();
        def.width = r.u16();
        def.height = r.u16();
        if (def.losslessFormat == 3) def.colorTableSize = r.u8();
        def.data = r.rest();
        break;
    }
    default:
        throw ParseError("not a bitmap tag");
    }
    return def;
}

}  // namespace swf
