// device_text_movie OUT.swf: a one-frame movie of text fields in device fonts: each generic name,
// several sizes, bold and italic, left, centred and right aligned, and a field that wraps. Tests
// draw it with swfrender and with the saver and compare the pictures.
#include <cstdio>
#include <fstream>
#include <string>

#include "tools/swfwriter/swf_writer.h"

namespace {

struct FieldSpec {
    const char* font;
    bool bold, italic;
    double sizePixels;
    uint8_t align;  // 0 left, 1 right, 2 centre
    bool wrap;
    double x, y, width, height;  // pixels
    const char* text;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: device_text_movie OUT.swf\n");
        return 2;
    }
    swfw::SwfWriter w(8, {0, 0, 640 * 20, 480 * 20}, 12);
    w.setBackgroundColor({255, 255, 255, 255});
    const FieldSpec fields[] = {
        {"_sans", false, false, 24, 0, false, 10, 10, 620, 40, "Sans 24: The quick brown fox"},
        {"_serif", false, false, 20, 0, false, 10, 55, 620, 36, "Serif 20: jumps over the lazy dog"},
        {"_typewriter", false, false, 16, 0, false, 10, 95, 620, 30, "Typewriter 16: 0123456789 {}[]"},
        {"_sans", true, false, 18, 2, false, 10, 130, 620, 32, "Sans bold 18, centred"},
        {"_serif", false, true, 18, 1, false, 10, 165, 620, 32, "Serif italic 18, right aligned"},
        {"_typewriter", true, true, 14, 0, false, 10, 200, 620, 28, "Typewriter bold italic 14"},
        {"_sans", false, false, 12, 0, false, 10, 232, 620, 24, "Sans 12: small print, Wavy AVA kerning"},
        {"_serif", false, false, 16, 0, true, 10, 262, 300, 120,
         "A field that wraps its words onto several lines when they do not fit its width."},
        {"_sans", false, false, 30, 2, false, 330, 300, 300, 60, "Big 30"},
    };
    uint16_t id = 1, depth = 1;
    for (const FieldSpec& f : fields) {
        swf::Font font;
        font.version = 2;
        font.name = f.font;
        font.bold = f.bold;
        font.italic = f.italic;
        uint16_t fontId = id++;
        w.defineFont(fontId, font);
        swf::EditText t;
        t.bounds = {0, 0, f.width * 20, f.height * 20};
        t.fontId = fontId;
        t.fontHeight = f.sizePixels * 20;
        t.color = swf::Rgba{20, 20, 60, 255};
        t.hasLayout = true;
        t.align = f.align;
        t.wordWrap = f.wrap;
        t.multiline = f.wrap;
        t.readOnly = true;
        t.noSelect = true;
        t.initialText = f.text;
        uint16_t textId = id++;
        w.defineEditText(textId, t);
        swf::PlaceObject p;
        p.version = 2;
        p.depth = depth++;
        p.characterId = textId;
        p.matrix = swf::Matrix::translate(f.x * 20, f.y * 20);
        w.placeObject(p);
    }
    w.showFrame();
    std::ofstream out(argv[1], std::ios::binary);
    auto bytes = w.finish();
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return out ? 0 : 1;
}
