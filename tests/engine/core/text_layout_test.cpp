// Text-field layout rules, with a system face whose measures are known: glyph n advances 500 + n
// units on a 1000-unit em, ascent 800, descent 200; at 10 pixels (200 twips) that is a fifth of a
// twip per unit.
#include <gtest/gtest.h>

#include "engine/core/text_layout.h"
#include "tests/engine/fonts/fake_font_source.h"

namespace {

class TextLayoutTest : public ::testing::Test {
protected:
    TextLayoutTest() {
        fonts.setSource(std::make_shared<fonttest::FakeFontSource>(
            std::map<std::string, std::set<std::pair<bool, bool>>>{{"Arial", {{false, false}}}}));
        field.bounds = {0, 0, 2080, 1080};  // 2000 x 1000 twips inside the gutters
        field.newFormat = swf::TextFormat::defaults();
        field.newFormat.font = "Arial";
        field.newFormat.size = 10;
    }
    const swf::TextLayout& layout(const std::string& text) {
        field.setText(text);
        return swf::currentLayout(field, movie, &fonts);
    }
    // Twips each character of `s` advances, whole.
    static double width(const std::string& s) {
        double w = 0;
        for (char c : s) w += std::round((500 + c) * 0.2);
        return w;
    }

    swf::DeviceFonts fonts;
    swf::Movie movie;
    swf::TextFieldState field;
};

}  // namespace

TEST_F(TextLayoutTest, TextIsMeasuredInWholeTwipsInsideTheGutter) {
    const auto& l = layout("AB");
    EXPECT_EQ(l.textWidth, width("AB"));
    EXPECT_EQ(l.textHeight, 160 + 40);
    ASSERT_EQ(l.glyphs.size(), 2u);
    swf::Point a = l.glyphs[0].glyphToText.apply(swf::Point{0, 0}), b = l.glyphs[1].glyphToText.apply(swf::Point{0, 0});
    EXPECT_EQ(a.x, swf::kTextGutter);
    EXPECT_EQ(a.y, swf::kTextGutter + 160);  // the baseline
    EXPECT_EQ(b.x - a.x, width("A"));
}

TEST_F(TextLayoutTest, LeadingFollowsEveryLineButCountsBetweenLinesOnly) {
    field.newFormat.leading = 2;
    EXPECT_EQ(layout("a").textHeight, 200 + 40) << "a lone line keeps its leading";
    const auto& l = layout("a\rb\nc");
    ASSERT_EQ(l.lines.size(), 3u);
    EXPECT_EQ(l.textHeight, 3 * 200 + 2 * 40);
    EXPECT_EQ(l.lines[1].top, 240);
    EXPECT_EQ(l.glyphs[2].glyphToText.apply(swf::Point{0, 0}).y, swf::kTextGutter + 480 + 160);
}

TEST_F(TextLayoutTest, WrappingBreaksAfterSpacesAndInsideWordsTooLongForALine) {
    field.wordWrap = true;
    field.bounds.xMax = 80 + width("aaaa ");
    const auto& l = layout("aa aa aaaaaaaaa");
    ASSERT_EQ(l.lines.size(), 4u);
    EXPECT_EQ(l.lines[0].end, 6u);  // "aa aa " (the space that ends it stays on it)
    EXPECT_EQ(l.lines[0].width, width("aa aa") - 0) << "trailing spaces are not measured";
    EXPECT_EQ(l.lines[1].begin, 6u);
    EXPECT_EQ(l.lines[1].end - l.lines[1].begin, 4u) << "a word wider than the field breaks inside";
    // Without wrapping the same text is one line.
    field.wordWrap = false;
    EXPECT_EQ(layout("aa aa aaaaaaaaa").lines.size(), 1u);
}

TEST_F(TextLayoutTest, AlignmentMarginsAndIndentsMoveLines) {
    field.newFormat.align = "right";
    const auto& right = layout("ab");
    EXPECT_EQ(right.glyphs[0].glyphToText.apply(swf::Point{0, 0}).x, 2080 - 40 - width("ab"));
    field.newFormat.align = "center";
    const auto& centre = layout("ab");
    EXPECT_EQ(centre.glyphs[0].glyphToText.apply(swf::Point{0, 0}).x, 40 + std::round((2000 - width("ab")) / 2));
    field.newFormat.align = "left";
    field.newFormat.leftMargin = 5, field.newFormat.indent = 3, field.newFormat.blockIndent = 1;
    field.wordWrap = true;
    field.bounds.xMax = 80 + 180 + width("aa ");
    const auto& indented = layout("aa aa\rb");
    ASSERT_EQ(indented.glyphs.size(), 6u);
    EXPECT_EQ(indented.glyphs[0].glyphToText.apply(swf::Point{0, 0}).x, 40 + 100 + 20 + 60);
    EXPECT_EQ(indented.glyphs[3].glyphToText.apply(swf::Point{0, 0}).x, 40 + 100 + 20) << "a wrapped line is not indented";
    EXPECT_EQ(indented.glyphs[5].glyphToText.apply(swf::Point{0, 0}).x, 40 + 100 + 20 + 60) << "a new paragraph is";
}

TEST_F(TextLayoutTest, LetterSpacingKerningAndPasswords) {
    field.newFormat.letterSpacing = 1;
    EXPECT_EQ(layout("AV").textWidth, width("AV") + 40);
    field.newFormat.letterSpacing = 0;
    EXPECT_EQ(layout("AV").textWidth, width("AV")) << "no kerning unless the format asks";
    field.newFormat.kerning = true;
    EXPECT_EQ(layout("AV").textWidth, width("AV") - 16);
    field.newFormat.kerning = false;
    field.password = true;
    const auto& hidden = layout("AV");
    ASSERT_EQ(hidden.glyphs.size(), 2u);
    EXPECT_EQ(hidden.glyphs[0].index, uint32_t('*'));
    EXPECT_EQ(hidden.textWidth, width("**"));
}

TEST_F(TextLayoutTest, AutoSizeFitsTheBoxToTheTextFromTheSideItKeeps) {
    field.autoSize = swf::AutoSize::Left;
    const auto& l = layout("ab");
    EXPECT_EQ(field.bounds.xMin, 0);
    EXPECT_EQ(field.bounds.width(), l.textWidth + 80);
    EXPECT_EQ(field.bounds.height(), l.textHeight + 80);
    field.bounds = {0, 0, 2080, 1080};
    field.autoSize = swf::AutoSize::Right;
    layout("ab");
    EXPECT_EQ(field.bounds.xMax, 2080);
    EXPECT_EQ(field.bounds.width(), width("ab") + 80);
}

TEST_F(TextLayoutTest, ScrollingShowsLinesFromTheFirstOneScrolledTo) {
    field.bounds.yMax = 80 + 2 * 200 + 10;  // two lines and a bit
    const auto& l = layout("1\r2\r3\r4\r5");
    EXPECT_EQ(l.maxScroll, 4);
    EXPECT_EQ(l.bottomScroll, 2);
    field.scroll = 3;
    field.changed();
    const auto& scrolled = swf::currentLayout(field, movie, &fonts);
    EXPECT_EQ(scrolled.bottomScroll, 4);
    EXPECT_EQ(scrolled.glyphs.front().index, uint32_t('3'));
    EXPECT_EQ(scrolled.glyphs.front().glyphToText.apply(swf::Point{0, 0}).y, 40 + 160);
}

TEST_F(TextLayoutTest, FormatsMixWithinALine) {
    field.html = true;
    field.setHtmlText("<font size=\"20\">A</font>b");
    const auto& l = swf::currentLayout(field, movie, &fonts);
    ASSERT_EQ(l.lines.size(), 1u);
    EXPECT_EQ(l.lines[0].ascent, 320) << "the tallest run sets the line";
    EXPECT_EQ(l.glyphs[0].glyphToText.apply(swf::Point{0, 0}).y, l.glyphs[1].glyphToText.apply(swf::Point{0, 0}).y);
    EXPECT_EQ(l.textWidth, std::round(565 * 0.4) + std::round(598 * 0.2));
}

TEST_F(TextLayoutTest, MeasuringTextForTextFormats) {
    swf::TextFormat f;
    f.font = "Arial";
    f.size = 10;
    swf::TextExtent e = swf::measureText("ab", f, 0, movie, &fonts);
    EXPECT_EQ(e.width, width("ab"));
    EXPECT_EQ(e.ascent, 160);
    EXPECT_EQ(e.descent, 40);
    EXPECT_EQ(swf::measureText("ab ab", f, width("ab "), movie, &fonts).height, 400);
}

TEST_F(TextLayoutTest, JustifiedLinesFillTheWidthExceptEachParagraphsLast) {
    field.wordWrap = true;
    field.newFormat.align = "justify";
    field.bounds.xMax = 80 + width("aa bb cc") + 30;  // "dd" goes to a second line
    const auto& l = layout("aa bb cc dd\rx y");
    ASSERT_EQ(l.lines.size(), 3u);
    auto x = [&](size_t glyph) { return l.glyphs.at(glyph).glyphToText.apply(swf::Point{0, 0}).x; };
    // "aa bb cc ": the 30 twips left go to the two spaces inside the line, 15 each.
    EXPECT_EQ(x(0), 40);
    EXPECT_EQ(x(3), 40 + width("aa ") + 15);
    EXPECT_EQ(x(7) + width("c"), field.bounds.xMax - 40) << "the wrapped line ends at the right edge";
    EXPECT_EQ(l.lines[0].width, field.bounds.xMax - 80);
    // The paragraph's last line and a one-line paragraph stay as they are.
    EXPECT_EQ(x(9) + width("d"), x(10));
    EXPECT_EQ(x(11) + width("x "), x(13));
    EXPECT_EQ(l.textWidth, field.bounds.xMax - 80);
}

TEST_F(TextLayoutTest, MarginsIndentsAndBulletsLieOutsideTheTextWidth) {
    field.newFormat.leftMargin = 5, field.newFormat.indent = 3, field.newFormat.align = "center";
    const auto& plain = layout("ab");
    EXPECT_EQ(plain.textWidth, width("ab")) << "only the letters count";
    EXPECT_EQ(plain.extentWidth, std::round((2000 - 100 - 60 - width("ab")) / 2) + 100 + 60 + width("ab"));

    // A list item stands half an inch in from its margin whatever its size, its bullet in that room.
    field.newFormat.indent = 0, field.newFormat.align = "left";
    field.newFormat.bullet = true;
    const auto& listed = layout("ab");
    ASSERT_FALSE(listed.glyphs.empty());
    EXPECT_EQ(listed.glyphs[0].glyphToText.apply(swf::Point{0, 0}).x, swf::kTextGutter + 100 + 720);
    EXPECT_EQ(listed.textWidth, width("ab"));
    field.newFormat.size = 30;
    EXPECT_EQ(layout("ab").glyphs[0].glyphToText.apply(swf::Point{0, 0}).x, swf::kTextGutter + 100 + 720);

    // An auto-sized field makes room for margins and bullet as well as the text.
    field.autoSize = swf::AutoSize::Left;
    const auto& sized = layout("ab");
    EXPECT_EQ(field.bounds.width(), 80 + 100 + 720 + sized.textWidth);
}

TEST_F(TextLayoutTest, AListsClosingBreakLeavesAnEmptyLineOfNoHeight) {
    field.newFormat.leading = 2;
    field.newFormat.bullet = true;
    const auto& list = layout("a\rb\r");
    ASSERT_EQ(list.lines.size(), 3u);
    EXPECT_EQ(list.textHeight, 2 * 240) << "both items keep their leading, the empty line adds nothing";
    field.newFormat.bullet = false;
    EXPECT_EQ(layout("a\rb\r").textHeight, 3 * 200 + 2 * 40) << "outside a list the empty line counts";
}
