// The native tools' font source: Windows faces found under their metric-compatible stand-ins,
// unknown families reported missing, and glyphs with outlines, advances and kerning.
#include <gtest/gtest.h>

#include "tools/fonts/freetype_font_source.h"

TEST(FreeTypeFontSource, FindsTheStandInsForTheWindowsFaces) {
    auto source = fonts::makeFreeTypeFontSource();
    ASSERT_NE(source, nullptr);
    // The Windows ascent and descent of each face, in ems, which the stand-ins keep.
    struct Expected {
        const char* family;
        double ascent, descent;
    };
    for (Expected e : {Expected{"Arial", 0.905, 0.212}, Expected{"Times New Roman", 0.891, 0.216},
                       Expected{"Courier New", 0.833, 0.300}}) {
        const char* family = e.family;
        for (bool bold : {false, true}) {
            for (bool italic : {false, true}) {
                auto face = source->open(family, bold, italic);
                ASSERT_NE(face, nullptr) << family << " bold " << bold << " italic " << italic;
                EXPECT_EQ(face->family(), family);
                swf::FaceMetrics m = face->metrics();
                EXPECT_EQ(m.emSquare, 2048);
                EXPECT_NEAR(m.ascent / m.emSquare, e.ascent, 0.002) << family;
                EXPECT_NEAR(m.descent / m.emSquare, e.descent, 0.002) << family;
            }
        }
    }
    EXPECT_EQ(source->open("No Such Family Anywhere", false, false), nullptr);
}

TEST(FreeTypeFontSource, GlyphsHaveOutlinesAdvancesAndKerning) {
    auto source = fonts::makeFreeTypeFontSource();
    ASSERT_NE(source, nullptr);
    auto sans = source->open("Arial", false, false);
    auto mono = source->open("Courier New", false, false);
    ASSERT_TRUE(sans && mono);
    uint32_t a = sans->glyphIndex('A'), v = sans->glyphIndex('V'), i = sans->glyphIndex('i');
    ASSERT_NE(a, 0u);
    EXPECT_EQ(sans->glyphIndex(0x10FFFE), 0u);  // a code point no face draws
    // Arial's widths, which its stand-in keeps: 'A' 1366 units, 'i' 455.
    EXPECT_EQ(sans->advance(a), 1366);
    EXPECT_EQ(sans->advance(i), 455);
    // Every glyph of the typewriter face is as wide as every other.
    EXPECT_EQ(mono->advance(mono->glyphIndex('i')), mono->advance(mono->glyphIndex('W')));
    // 'A' has an outline above the baseline (y grows downwards); a space has none.
    auto outline = sans->outline(a);
    ASSERT_FALSE(outline.empty());
    ASSERT_TRUE(outline[0].hasMove);
    bool above = false;
    for (auto& r : outline)
        if (r.hasMove && r.moveTo.y < 0) above = true;
    EXPECT_TRUE(above || outline[0].moveTo.y <= 0);
    EXPECT_TRUE(sans->outline(sans->glyphIndex(' ')).empty());
    EXPECT_LE(sans->kerning(a, v), 0);
    auto families = source->families();
    EXPECT_NE(std::find(families.begin(), families.end(), "Liberation Sans"), families.end());
}
