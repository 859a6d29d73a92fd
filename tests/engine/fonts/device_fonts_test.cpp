// Device fonts: generic names, fallbacks for missing families and styles, and a cache that asks
// the source for each face and glyph once.
#include <gtest/gtest.h>

#include "engine/fonts/device_fonts.h"
#include "tests/engine/fonts/fake_font_source.h"

using fonttest::FakeFontSource;

namespace {

std::shared_ptr<FakeFontSource> windowsLikeSource() {
    return std::make_shared<FakeFontSource>(std::map<std::string, std::set<std::pair<bool, bool>>>{
        {"Arial", {{false, false}, {true, false}, {false, true}, {true, true}}},
        {"Times New Roman", {{false, false}}},
        {"Courier New", {{false, false}, {true, false}}},
    });
}

}  // namespace

TEST(DeviceFonts, GenericNamesMapToTheFacesFlashUsed) {
    EXPECT_EQ(swf::systemFamily("_sans"), "Arial");
    EXPECT_EQ(swf::systemFamily("_SERIF"), "Times New Roman");
    EXPECT_EQ(swf::systemFamily("_typewriter"), "Courier New");
    EXPECT_EQ(swf::systemFamily("_\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF"), "MS Gothic");
    EXPECT_EQ(swf::systemFamily("_\xE6\x98\x8E\xE6\x9C\x9D"), "MS Mincho");
    EXPECT_EQ(swf::systemFamily("Verdana"), "Verdana");
    EXPECT_EQ(swf::metricCompatibleFamily("ARIAL"), "Liberation Sans");
    EXPECT_EQ(swf::metricCompatibleFamily("Courier New"), "Liberation Mono");
    EXPECT_EQ(swf::metricCompatibleFamily("Verdana"), "");

    auto source = windowsLikeSource();
    swf::DeviceFonts fonts;
    fonts.setSource(source);
    ASSERT_NE(fonts.font("_typewriter", true, false), nullptr);
    EXPECT_EQ(fonts.font("_typewriter", true, false)->family(), "Courier New");
    // A field without any font name shows the serif face, as the reference player's default format.
    ASSERT_NE(fonts.font("", false, false), nullptr);
    EXPECT_EQ(fonts.font("", false, false)->family(), "Times New Roman");
}

TEST(DeviceFonts, MissingFamiliesAndStylesFallBack) {
    auto source = windowsLikeSource();
    swf::DeviceFonts fonts;
    EXPECT_EQ(fonts.font("_sans", false, false), nullptr);  // no source yet: the block font's turn
    fonts.setSource(source);
    swf::DeviceFont* missing = fonts.font("No Such Face", true, true);
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->family(), "Arial");  // the _sans face at the style asked for
    swf::DeviceFont* plain = fonts.font("Times New Roman", true, true);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->family(), "Times New Roman");  // the family kept, its plain style used
    EXPECT_EQ(plain, fonts.font("times new roman", false, false));  // names match in any case

    auto empty = std::make_shared<FakeFontSource>(std::map<std::string, std::set<std::pair<bool, bool>>>{});
    fonts.setSource(empty);
    EXPECT_EQ(fonts.font("_sans", false, false), nullptr);
}

TEST(DeviceFonts, EachFaceAndGlyphIsAskedForOnce) {
    auto source = windowsLikeSource();
    swf::DeviceFonts fonts;
    fonts.setSource(source);
    for (int round = 0; round < 3; ++round) {
        swf::DeviceFont* f = fonts.font("Missing", false, false);
        ASSERT_NE(f, nullptr);
        for (uint32_t code : {'A', 'B', 'A'}) {
            uint32_t g = f->glyphIndex(code);
            EXPECT_EQ(f->advance(g), 500 + code);
            const swf::ShapePaths& paths = f->paths(g);
            EXPECT_TRUE(!paths.layers.empty() && !paths.layers[0].fills.empty());
        }
        EXPECT_EQ(f->kerning('A', 'V'), -80);
    }
    // "Missing" once (not found), "Arial" once.
    EXPECT_EQ(source->calls->opened.size(), 2u);
    EXPECT_EQ(source->calls->outlines, 2);
    EXPECT_EQ(source->calls->advances, 2);
}
