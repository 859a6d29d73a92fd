// Style-sheet CSS as the player reads it, and the formats styles make.
#include <gtest/gtest.h>

#include <map>

#include "engine/fonts/css_style.h"

namespace {

swf::CssLookup lookup(std::map<std::string, swf::CssValue> values) {
    return [values](const char* name) -> std::optional<swf::CssValue> {
        auto it = values.find(name);
        if (it == values.end()) return std::nullopt;
        return it->second;
    };
}

}  // namespace

TEST(CssStyle, RulesListSelectorsAndDeclarationsUnderScriptNames) {
    auto rules = swf::readCss("h1, .Big{font-size: 12px ; font--x:a}\n p {color:#FF0000;");
    ASSERT_TRUE(rules);
    ASSERT_EQ(rules->size(), 2u);
    EXPECT_EQ((*rules)[0].selectors, (std::vector<std::string>{"h1", ".Big"}));
    using Declarations = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ((*rules)[0].declarations, (Declarations{{"fontSize", "12px "}, {"font-x", "a"}}));
    EXPECT_EQ((*rules)[1].declarations, (Declarations{{"color", "#FF0000"}}));
    // White space inside a name, a value left open, a selector with no block: nothing at all.
    EXPECT_FALSE(swf::readCss("p { font size: 1 }"));
    EXPECT_FALSE(swf::readCss("p { color: red"));
    EXPECT_FALSE(swf::readCss("p"));
    EXPECT_TRUE(swf::readCss("  ")->empty());
}

TEST(CssStyle, StylesMakeFormatsFromTheValuesThePlayerTakes) {
    swf::TextFormat f = swf::formatFromStyle(lookup({{"color", {"#00ff00"}}, {"fontSize", {"14.7px"}},
                                                     {"fontFamily", {" a ,, b"}}, {"fontWeight", {"bold"}},
                                                     {"textAlign", {"CENTER"}}, {"marginLeft", {"-3"}},
                                                     {"display", {"none"}}, {"kerning", {"true"}}}),
                                             swf::UnreadColour::Unset);
    EXPECT_EQ(f.color, 0x00FF00u);
    EXPECT_EQ(f.size, 14);
    EXPECT_EQ(f.font, "a ,b");
    EXPECT_EQ(f.bold, true);
    EXPECT_EQ(f.align, "center");
    EXPECT_EQ(f.leftMargin, 0);
    EXPECT_EQ(f.display, "none");
    EXPECT_EQ(f.kerning, true);
    EXPECT_FALSE(f.italic);
    // Unknown words leave parts unset; the display is a block and kerning off unless said.
    swf::TextFormat g = swf::formatFromStyle(lookup({{"fontWeight", {"heavy"}}, {"display", {" inline"}},
                                                     {"kerning", {"true", false}}}),
                                             swf::UnreadColour::Unset);
    EXPECT_FALSE(g.bold);
    EXPECT_EQ(g.display, "block");
    EXPECT_EQ(g.kerning, false);
    // A colour that is not "#rrggbb": unset in one machine, black in the other.
    auto numberColour = lookup({{"color", {"255", false}}});
    EXPECT_FALSE(swf::formatFromStyle(numberColour, swf::UnreadColour::Unset).color);
    EXPECT_EQ(swf::formatFromStyle(numberColour, swf::UnreadColour::Black).color, 0u);
}
