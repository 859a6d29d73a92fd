// Text fields in device fonts: laid out with the system face's metrics and advances, and drawn
// with its outlines; a field that asks for its font's outlines keeps them.
#include <gtest/gtest.h>

#include "engine/core/text_layout.h"
#include "tests/engine/fonts/fake_font_source.h"

namespace {

swf::Movie movieWithFont(bool withGlyph, const std::string& name) {
    swf::Movie movie;
    swf::Font font;
    font.name = name;
    font.version = 2;
    if (withGlyph) {
        font.glyphs.resize(1);
        font.codeTable = {'A'};
        font.layout = swf::FontLayout{};
        font.layout->ascent = 900;
        font.layout->descent = 100;
        font.layout->advances = {1024};
    }
    movie.characters[1] = swf::Character{1, 48, font};
    return movie;
}

swf::EditText field(const std::string& text) {
    swf::EditText t;
    t.bounds = {0, 0, 4000, 1000};
    t.fontId = 1;
    t.fontHeight = 200;  // 10 pixels
    t.initialText = text;
    return t;
}

}  // namespace

TEST(DeviceText, FieldsInDeviceFontsUseTheSystemFace) {
    auto source = std::make_shared<fonttest::FakeFontSource>(
        std::map<std::string, std::set<std::pair<bool, bool>>>{{"Arial", {{false, false}}}});
    swf::DeviceFonts fonts;
    fonts.setSource(source);
    swf::Movie movie = movieWithFont(false, "_sans");
    auto glyphs = swf::layoutEditText(field("AB"), movie, &fonts);
    ASSERT_EQ(glyphs.size(), 2u);
    for (auto& g : glyphs) {
        ASSERT_NE(g.device, nullptr);
        EXPECT_EQ(g.device->family(), "Arial");
        EXPECT_FALSE(g.fallback);
    }
    EXPECT_EQ(glyphs[0].index, uint32_t('A'));
    // 200 twips on a 1000-unit em: 'A' advances (500 + 65) * 0.2 twips; the baseline sits at the
    // gutter plus the face's ascent.
    swf::Point a = glyphs[0].glyphToText.apply(swf::Point{0, 0}), b = glyphs[1].glyphToText.apply(swf::Point{0, 0});
    EXPECT_NEAR(b.x - a.x, 565 * 0.2, 1e-9);
    EXPECT_NEAR(a.y, 40 + 800 * 0.2, 1e-9);
    EXPECT_NEAR(glyphs[0].glyphToText.apply(swf::Point{1000, 0}).x - a.x, 200, 1e-9);  // one em is the font height
}

TEST(DeviceText, EmbeddedOutlinesAndTheBlockFontAsLastResort) {
    auto source = std::make_shared<fonttest::FakeFontSource>(
        std::map<std::string, std::set<std::pair<bool, bool>>>{{"Arial", {{false, false}}}});
    swf::DeviceFonts fonts;
    fonts.setSource(source);
    swf::Movie embedded = movieWithFont(true, "Arial");
    swf::EditText withOutlines = field("A");
    withOutlines.useOutlines = true;
    auto glyphs = swf::layoutEditText(withOutlines, embedded, &fonts);
    ASSERT_EQ(glyphs.size(), 1u);
    EXPECT_EQ(glyphs[0].device, nullptr);
    EXPECT_FALSE(glyphs[0].fallback);
    // The same font without the outlines flag is device text.
    glyphs = swf::layoutEditText(field("A"), embedded, &fonts);
    ASSERT_EQ(glyphs.size(), 1u);
    EXPECT_NE(glyphs[0].device, nullptr);

    swf::DeviceFonts none;  // no source at all: the block font
    glyphs = swf::layoutEditText(field("A"), movieWithFont(false, "_sans"), &none);
    ASSERT_EQ(glyphs.size(), 1u);
    EXPECT_TRUE(glyphs[0].fallback);
    EXPECT_EQ(glyphs[0].device, nullptr);
}

TEST(DeviceText, AWordThatOverflowsRightAfterASpaceStartsTheNextLine) {
    auto source = std::make_shared<fonttest::FakeFontSource>(
        std::map<std::string, std::set<std::pair<bool, bool>>>{{"Arial", {{false, false}}}});
    swf::DeviceFonts fonts;
    fonts.setSource(source);
    // 'a' takes 119.4 twips and a space 106.4: "aa " fits the 400 twips inside the gutters, the
    // next 'a' does not.
    swf::EditText t = field("aa aa");
    t.bounds = {0, 0, 480, 1000};
    t.wordWrap = t.multiline = true;
    auto glyphs = swf::layoutEditText(t, movieWithFont(false, "_sans"), &fonts);
    ASSERT_EQ(glyphs.size(), 5u);
    swf::Point first = glyphs[0].glyphToText.apply(swf::Point{0, 0});
    swf::Point wrapped = glyphs[3].glyphToText.apply(swf::Point{0, 0});
    EXPECT_NEAR(wrapped.x, first.x, 1e-9);
    EXPECT_GT(wrapped.y, first.y);
    // Advances are kept in whole twips.
    EXPECT_NEAR(glyphs[4].glyphToText.apply(swf::Point{0, 0}).x - wrapped.x, 119, 1e-9);
}
