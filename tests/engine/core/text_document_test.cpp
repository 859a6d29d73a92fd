// Formatted text of fields: the HTML subset read into characters with formats and written back as
// the player writes it, and formats read from and applied to spans.
#include <gtest/gtest.h>

#include "engine/core/text_document.h"

namespace {

swf::TextFormat base() {
    swf::TextFormat f = swf::TextFormat::defaults();
    f.font = "Arial";
    return f;
}

using WhiteSpace = swf::TextDocument::WhiteSpace;

swf::TextDocument fromHtml(const std::string& html, bool condense = false) {
    swf::TextDocument d;
    d.setHtml(html, base(), condense ? WhiteSpace::Condense : WhiteSpace::Keep);
    return d;
}

}  // namespace

TEST(TextHtml, TagsSetTheFormatOfTheTextInsideThem) {
    auto d = fromHtml("<p align=\"center\"><font face='Verdana' size=\"20\" color=\"#FF0000\">Hi <b>there</b></font></p>"
                      "<P>x<I>y</I><u>z</u><a href=\"http://a\" target=\"_blank\">w</a></P>");
    EXPECT_EQ(d.text(), "Hi there\rxyzw\r");
    EXPECT_EQ(*d.formatAt(0).font, "Verdana");
    EXPECT_EQ(*d.formatAt(0).size, 20);
    EXPECT_EQ(*d.formatAt(0).color, 0xFF0000u);
    EXPECT_EQ(*d.formatAt(0).align, "center");
    EXPECT_FALSE(*d.formatAt(0).bold);
    EXPECT_TRUE(*d.formatAt(3).bold);
    EXPECT_EQ(*d.formatAt(9).font, "Arial");  // outside the font tag
    EXPECT_EQ(*d.formatAt(9).align, "left");
    EXPECT_TRUE(*d.formatAt(10).italic);
    EXPECT_TRUE(*d.formatAt(11).underline);
    EXPECT_EQ(*d.formatAt(12).url, "http://a");
    EXPECT_EQ(*d.formatAt(12).target, "_blank");
}

TEST(TextHtml, BreaksEntitiesAndRelativeSizes) {
    auto d = fromHtml("a<br>b&amp;&lt;&gt;&quot;&#65;&#x42;&bogus;<font size=\"+2\">c</font>");
    EXPECT_EQ(d.text(), "a\rb&<>\"AB&bogus;c");
    EXPECT_EQ(*d.formatAt(d.length() - 1).size, 14);
}

TEST(TextHtml, TextFormatTagsSetParagraphSpacing) {
    auto d = fromHtml("<textformat leftmargin=\"1\" rightmargin=\"2\" indent=\"3\" blockindent=\"4\" leading=\"5\" "
                      "tabstops=\"10,20\"><li>x</li></textformat>");
    const swf::TextFormat& f = d.formatAt(0);
    EXPECT_EQ(*f.leftMargin, 1);
    EXPECT_EQ(*f.rightMargin, 2);
    EXPECT_EQ(*f.indent, 3);
    EXPECT_EQ(*f.blockIndent, 4);
    EXPECT_EQ(*f.leading, 5);
    EXPECT_EQ(*f.tabStops, (std::vector<double>{10, 20}));
    EXPECT_TRUE(*f.bullet);
}

TEST(TextHtml, CondensedWhiteSpaceFoldsRunsAndDropsLineBreaks) {
    EXPECT_EQ(fromHtml("\n <p>t\ne s\tt </p> \n", true).text(), "t e s t \r");
    EXPECT_EQ(fromHtml("a\nb  c", false).text(), "a\rb  c");
}

TEST(TextHtml, WrittenBackWithEveryFontAttributeAndNestedStyles) {
    auto d = fromHtml("<p align=\"right\">a<b>b</b></p><p>c &amp; d</p>");
    EXPECT_EQ(d.html(),
              "<P ALIGN=\"RIGHT\"><FONT FACE=\"Arial\" SIZE=\"12\" COLOR=\"#000000\" LETTERSPACING=\"0\" KERNING=\"0\">"
              "a<B>b</B></FONT></P>"
              "<P ALIGN=\"LEFT\"><FONT FACE=\"Arial\" SIZE=\"12\" COLOR=\"#000000\" LETTERSPACING=\"0\" KERNING=\"0\">"
              "c &amp; d</FONT></P>");
    auto list = fromHtml("<textformat leftmargin=\"1\" leading=\"4\"><li>x</li></textformat>");
    EXPECT_EQ(list.html(), "<TEXTFORMAT LEFTMARGIN=\"1\" LEADING=\"4\"><LI><FONT FACE=\"Arial\" SIZE=\"12\" "
                           "COLOR=\"#000000\" LETTERSPACING=\"0\" KERNING=\"0\">x</FONT></LI></TEXTFORMAT>");
    // A run whose font differs from its paragraph's first opens a FONT of what differs inside it.
    EXPECT_EQ(fromHtml("a<font color=\"#FF0000\" size=\"12\"><b>b</b></font><i>c</i>").html(),
              "<P ALIGN=\"LEFT\"><FONT FACE=\"Arial\" SIZE=\"12\" COLOR=\"#000000\" LETTERSPACING=\"0\" KERNING=\"0\">"
              "a<FONT COLOR=\"#FF0000\"><B>b</B></FONT><I>c</I></FONT></P>");
    // No text, no paragraph; a lone break is one empty paragraph, a list item if it ends one.
    EXPECT_EQ(swf::TextDocument().html(), "");
    EXPECT_EQ(fromHtml("<li></li>").html(), "<LI><FONT FACE=\"Arial\" SIZE=\"12\" COLOR=\"#000000\" "
                                            "LETTERSPACING=\"0\" KERNING=\"0\"></FONT></LI>");
}

TEST(TextHtml, CharactersOutsideAsciiArriveWhole) {
    auto d = fromHtml("a\xC2\xA0" "b<b>\xE2\x82\xAC</b>\xF0\x9F\x98\x80\x01", true);
    EXPECT_EQ(d.chars(), (std::u32string{U'a', 0xA0, U'b', 0x20AC, 0x1F600, 0x01}));
    EXPECT_TRUE(*d.formatAt(3).bold);
    // A lead byte cut short by markup or the end takes only what follows it.
    EXPECT_EQ(fromHtml("x\xE2<b>y</b>\xC2").text().substr(0, 1), "x");
    EXPECT_EQ(fromHtml("x\xE2<b>y</b>\xC2").chars().size(), 4u);
}

TEST(TextHtml, CondensedOneLineTextRunsOnPastParagraphsAndBreaks) {
    auto oneLine = [](const std::string& html, WhiteSpace white = WhiteSpace::Condense) {
        swf::TextDocument d;
        d.setHtml(html, base(), white, false);
        return d;
    };
    auto d = oneLine(" <p>test</p>  <li>more</li><p></p>");
    EXPECT_EQ(d.text(), "test more") << "white space between paragraphs is one space, none at the start";
    EXPECT_FALSE(d.formatAt(0).bullet.value_or(false));
    EXPECT_TRUE(*d.formatAt(5).bullet) << "each character keeps its format";
    EXPECT_EQ(oneLine("a<br>b<p>c</p>\n").text(), "abc ");
    auto blank = oneLine("<p> </p>\n<br>");
    EXPECT_EQ(blank.text(), "");
    EXPECT_EQ(blank.html(), "");
    EXPECT_EQ(oneLine(" <p>test</p>  <p>test</p> ", WhiteSpace::CondenseEachText).text(), "testtest");
    // With breaks, the same markup keeps its paragraphs.
    EXPECT_EQ(fromHtml(" <p>test</p>  <li>more</li><p></p>", true).text(), "test\rmore\r");
}

TEST(TextHtml, OlderMoviesCondenseEachTextBetweenTags) {
    auto read = [](const std::string& html) {
        swf::TextDocument d;
        d.setHtml(html, base(), WhiteSpace::CondenseEachText);
        return d;
    };
    // A text of white space only goes; others keep one space for each run, at their ends too.
    EXPECT_EQ(read(" <b> test1 </b> <i> test2 </i> ").text(), " test1  test2 ");
    EXPECT_EQ(read("\n \tasdf \t  \n").text(), " asdf ");
    EXPECT_EQ(read("<b>test</b> \n").text(), "test");
    EXPECT_EQ(read("<b> \n </b>").text(), "");
    EXPECT_EQ(read("a &amp;  b").text(), "a & b");
    EXPECT_EQ(read(" <p>test</p>  <p> x </p> ").text(), "test\r x \r");
}

TEST(TextHtml, StyleSheetRulesApplyByTagAndClass) {
    swf::TextStyles styles;
    styles["p"].color = 0x00FF00;
    styles[".big"].size = 30;
    swf::TextDocument d;
    d.setHtml("<p>a<span class=\"big\">b</span></p>", base(), WhiteSpace::Keep, true, &styles);
    EXPECT_EQ(*d.formatAt(0).color, 0x00FF00u);
    EXPECT_EQ(*d.formatAt(0).size, 12);
    EXPECT_EQ(*d.formatAt(1).size, 30);
    EXPECT_EQ(*d.formatAt(1).color, 0x00FF00u);
}

TEST(TextHtml, StyledBlocksEndTheirParagraphAndHiddenOnesShowNothing) {
    swf::TextStyles styles;
    styles["title"].display = "block";
    styles["title"].bold = true;
    styles["tag"].display = "inline";
    styles[".gone"].display = "none";
    swf::TextDocument d;
    d.setHtml("<title>a<title>b</title></title>c<tag>d</tag><b class=\"gone\">x<br>y</b>e", base(), WhiteSpace::Keep,
              true, &styles);
    // Nested blocks ending together make one break; the break takes the closed block's format.
    EXPECT_EQ(d.text(), "ab\rcde");
    EXPECT_TRUE(*d.formatAt(2).bold);
    EXPECT_FALSE(*d.formatAt(3).bold);
}

TEST(TextHtml, MalformedMarkupEndsQuietly) {
    EXPECT_EQ(fromHtml("ab<font size=").text(), "ab");
    EXPECT_EQ(fromHtml("</b></i>x<").text(), "x");
    std::string deep;
    for (int i = 0; i < 2000; ++i) deep += "<b>";
    EXPECT_EQ(fromHtml(deep + "x").text(), "x");
}

TEST(TextFormats, ASpanReadsWhatItsCharactersShare) {
    swf::TextDocument d;
    d.replace(0, 0, "abc\rde", base());
    swf::TextFormat red;
    red.color = 0xFF0000;
    red.align = "center";
    d.applyFormat(1, 2, red);
    EXPECT_EQ(*d.formatAt(1).color, 0xFF0000u);
    EXPECT_EQ(*d.formatAt(0).color, 0u);
    // The paragraph part goes to the whole paragraph, not to the next one.
    EXPECT_EQ(*d.formatAt(0).align, "center");
    EXPECT_EQ(*d.formatAt(2).align, "center");
    EXPECT_EQ(*d.formatAt(4).align, "left");
    swf::TextFormat span = d.formatOf(0, 3);
    EXPECT_FALSE(span.color.has_value());
    EXPECT_EQ(*span.font, "Arial");
    EXPECT_EQ(*d.formatOf(2, 2).color, 0xFF0000u);  // an empty span reads the character before it
}

TEST(TextFormats, ReplacingTextKeepsFormatsAroundIt) {
    swf::TextDocument d;
    d.replace(0, 0, "hello", base());
    swf::TextFormat bold = base();
    bold.bold = true;
    d.replace(1, 4, "\xC3\xA9", bold);  // one character, é
    EXPECT_EQ(d.text(), "h\xC3\xA9o");
    EXPECT_EQ(d.length(), 3u);
    EXPECT_TRUE(*d.formatAt(1).bold);
    EXPECT_FALSE(*d.formatAt(2).bold);
    // Many different formats over time do not pile up.
    for (int i = 0; i < 2000; ++i) {
        swf::TextFormat f = base();
        f.size = i;
        d.replace(0, 1, "x", f);
    }
    EXPECT_EQ(*d.formatAt(0).size, 1999);
}
