#include "ui/layout.h"

#include "support/error.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* kDialog = R"(# the about dialog
pixelsperinch 120
object frmConfig TfrmConfig
  BorderIcons = [biSystemMenu]
  Caption = "About \"it\" \\ more"
  ClientWidth = 303
  Left = -12
  OnCreate = FormCreate
  object redConfig TRichEdit
    ReadOnly = true
  end
  object pnlBackground TPanel
    Align = alBottom
    object btnOK TBitBtn
      Default = true
      BorderIcons = []
    end
  end
end
)";

TEST(Layout, ReadsTheComponentTreeWithItsValues) {
    ui::Layout layout = ui::parseLayout(kDialog);
    EXPECT_EQ(layout.pixelsPerInch, 120);
    const ui::LayoutNode& form = layout.root;
    EXPECT_EQ(form.name, "frmConfig");
    EXPECT_EQ(form.className, "TfrmConfig");
    ASSERT_EQ(form.properties.size(), 5u);
    EXPECT_EQ(form.properties[0].value.kind, ui::LayoutValue::Kind::Set);
    EXPECT_EQ(form.properties[0].value.items, std::vector<std::string>{"biSystemMenu"});
    EXPECT_EQ(form.properties[1].value.kind, ui::LayoutValue::Kind::String);
    EXPECT_EQ(form.properties[1].value.text, "About \"it\" \\ more");
    EXPECT_EQ(form.properties[2].value.integer, 303);
    EXPECT_EQ(form.properties[3].value.integer, -12);
    EXPECT_EQ(form.properties[4].value.kind, ui::LayoutValue::Kind::Identifier);
    EXPECT_EQ(form.properties[4].value.text, "FormCreate");
    EXPECT_EQ(form.properties[4].line, 8);

    ASSERT_EQ(form.children.size(), 2u);
    EXPECT_EQ(form.children[0].className, "TRichEdit");
    const ui::LayoutNode& panel = form.children[1];
    ASSERT_EQ(panel.children.size(), 1u);
    EXPECT_EQ(panel.children[0].name, "btnOK");
    EXPECT_TRUE(panel.children[0].properties[1].value.items.empty());
}

TEST(Layout, DefaultsToNinetySixPixelsPerInch) {
    EXPECT_EQ(ui::parseLayout("object f TForm\nend\n").pixelsPerInch, 96);
    // Windows line ends and no newline at the end are fine.
    EXPECT_EQ(ui::parseLayout("object f TForm\r\n  Width = 5\r\nend").root.properties.size(), 1u);
}

std::string failureOf(const std::string& text) {
    try {
        ui::parseLayout(text);
    } catch (const sav::Error& e) {
        EXPECT_EQ(e.className(), "EParserError");
        return e.what();
    }
    return "no failure";
}

TEST(Layout, RejectsMalformedTextWithTheLine) {
    EXPECT_EQ(failureOf(""), "No object on line 0");
    EXPECT_EQ(failureOf("object f TForm\n"), "Missing end on line 1");
    EXPECT_EQ(failureOf("object f TForm\nend\nend\n"), "end without object on line 3");
    EXPECT_EQ(failureOf("object f TForm\nend\nobject g TForm\nend\n"), "A second top-level object on line 3");
    EXPECT_EQ(failureOf("Width = 3\n"), "Property outside an object on line 1");
    EXPECT_EQ(failureOf("object f TForm\n Caption = \"open\nend\n"), "Unterminated string on line 2");
    EXPECT_EQ(failureOf("object f TForm\n Width 3\nend\n"), "Expected = on line 2");
    EXPECT_EQ(failureOf("object f TForm\n Width = 3 4\nend\n"), "Unexpected text on line 2");
    EXPECT_EQ(failureOf("object f TForm\n Width = 99999999999\nend\n"), "Integer out of range on line 2");
    EXPECT_EQ(failureOf("object f TForm\n Icons = [a, ]\nend\n"), "Expected a set element on line 2");
    EXPECT_EQ(failureOf("object f\nend\n"), "Expected a class name on line 1");
    EXPECT_EQ(failureOf("object f TForm\nend\npixelsperinch 120\n"), "pixelsperinch after the first object on line 3");
    EXPECT_EQ(failureOf("pixelsperinch 0\nobject f TForm\nend\n"), "Invalid pixelsperinch on line 1");
}

TEST(Layout, LimitsNestingAndSize) {
    std::string deep;
    for (int i = 0; i < ui::kMaxLayoutDepth + 1; ++i) deep += "object c" + std::to_string(i) + " TPanel\n";
    EXPECT_EQ(failureOf(deep), "Objects nested too deep on line " + std::to_string(ui::kMaxLayoutDepth + 1));

    std::string huge = "object f TForm\n" + std::string(ui::kMaxLayoutSize, '#');
    EXPECT_THROW(ui::parseLayout(huge), sav::Error);
}

}  // namespace
