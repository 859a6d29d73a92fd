// flash.text.Font over a movie's embedded fonts: one entry per name and style, in name order, with
// their style, kind and glyph coverage; fonts that embed no glyphs are not listed.
#include <gtest/gtest.h>

#include "tests/engine/avm2/display_movie.h"

using namespace avm2test;

namespace {

swf::Font embedded(const std::string& name, bool bold, bool italic, std::vector<uint16_t> codes) {
    swf::Font f;
    f.version = 3;
    f.emSquare = 20480;
    f.name = name;
    f.bold = bold;
    f.italic = italic;
    f.glyphs.resize(codes.size());
    f.codeTable = std::move(codes);
    return f;
}

}  // namespace

TEST(Avm2Font, EnumerateFontsListsEmbeddedFontsByNameAndStyle) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    uint32_t font = w.qname(w.ns(0x16, "flash.text"), "Font");
    main.finish([&](AbcCode& c) {
        c.op(kGetLex, font).op(kPushFalse).op(kCallProperty, w.publicName("enumerateFonts"), 1).op(kSetLocal1);
        t.begin(c).op(kGetLocal1).op(kGetProperty, w.publicName("length"));
        t.end(c);
        for (int i = 0; i < 2; ++i) {
            c.op(kGetLocal1).op(kPushByte, i).op(kGetProperty, w.multinameL(w.nsSet({w.ns(0x16, "")}))).op(kSetLocal2);
            t.begin(c);
            for (const char* p : {"fontName", "fontStyle", "fontType"}) c.op(kGetLocal2).op(kGetProperty, w.publicName(p));
            c.op(kGetLocal2).op(kPushString, w.string("ab")).op(kCallProperty, w.publicName("hasGlyphs"), 1);
            c.op(kGetLocal2).op(kPushString, w.string("abz")).op(kCallProperty, w.publicName("hasGlyphs"), 1);
            t.end(c, 5);
        }
    });
    swfw::SwfWriter movie(10);
    movie.fileAttributes(true);
    movie.tag(swfw::kDoAbc, abcTag(w.bytes()));
    movie.defineFont(1, embedded("Beta", true, false, {'a', 'b', 'z'}));
    movie.defineFont(2, embedded("Alpha", false, true, {'a', 'b'}));
    movie.defineFont(3, embedded("Alpha", false, true, {'a'}));  // the same name and style again
    swf::Font deviceOnly;
    deviceOnly.version = 3;
    deviceOnly.name = "Gamma";
    movie.defineFont(4, deviceOnly);
    movie.tag(76, symbolClassTag({{0, "Main"}}));
    movie.showFrame();
    Played p = play(movie.finish(), 0);
    EXPECT_EQ(p.lines, (Lines{"2", "Alpha italic embedded true false", "Beta bold embedded true true"}));
    EXPECT_TRUE(p.errors.empty()) << p.errors[0];
}
