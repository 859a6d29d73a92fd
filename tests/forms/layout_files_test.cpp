// The stored layouts of the two forms: they parse, and their component trees have the names,
// classes, parents and resolutions that the form classes bind to when they are made.
#include "ui/layout.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

ui::Layout ReadLayout(const std::string& name) {
    std::ifstream file(std::string(FORMS_SOURCE_DIR) + "/" + name, std::ios::binary);
    EXPECT_TRUE(file.good()) << name;
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return ui::parseLayout(text);
}

// "name:Class(child,child)" for the whole tree, so one comparison shows the structure.
std::string Tree(const ui::LayoutNode& node) {
    std::string text = node.name + ":" + node.className;
    if (!node.children.empty()) {
        text += "(";
        for (size_t i = 0; i < node.children.size(); ++i) text += (i ? "," : "") + Tree(node.children[i]);
        text += ")";
    }
    return text;
}

const ui::LayoutValue* Property(const ui::LayoutNode& node, const std::string& name) {
    for (const auto& property : node.properties)
        if (property.name == name) return &property.value;
    return nullptr;
}

std::string Identifier(const ui::LayoutNode& node, const std::string& name) {
    const ui::LayoutValue* value = Property(node, name);
    return value ? value->text : "(missing)";
}

int64_t Integer(const ui::LayoutNode& node, const std::string& name) {
    const ui::LayoutValue* value = Property(node, name);
    return value ? value->integer : -1;
}

}  // namespace

TEST(FormLayouts, SaverWindow) {
    const ui::Layout layout = ReadLayout("main.layout");
    EXPECT_EQ(96, layout.pixelsPerInch);
    EXPECT_EQ("frmSCRViewEngine:TfrmSCRViewEngine(xpmXPManifest:TXPManifest,"
              "pnlBackground:TPanel(imgWatermark:TImage))",
              Tree(layout.root));
    EXPECT_EQ("bsNone", Identifier(layout.root, "BorderStyle"));
    EXPECT_EQ("fsStayOnTop", Identifier(layout.root, "FormStyle"));
    for (const char* handler : {"OnCreate", "OnShow", "OnHide", "OnDestroy", "OnCloseQuery"})
        EXPECT_EQ(std::string("Form") + (handler + 2), Identifier(layout.root, handler));
    const ui::LayoutNode& image = layout.root.children[1].children[0];
    EXPECT_EQ(105, Integer(image, "Width"));
    EXPECT_EQ(105, Integer(image, "Height"));
    EXPECT_EQ("false", Identifier(image, "Visible"));
    EXPECT_EQ("true", Identifier(image, "Transparent"));
    EXPECT_EQ("alClient", Identifier(layout.root.children[1], "Align"));
}

TEST(FormLayouts, AboutDialog) {
    const ui::Layout layout = ReadLayout("config.layout");
    EXPECT_EQ(120, layout.pixelsPerInch);
    EXPECT_EQ("frmConfig:TfrmConfig(redConfig:TRichEdit,pnlBackground:TPanel(btnOK:TBitBtn))", Tree(layout.root));
    EXPECT_EQ(303, Integer(layout.root, "ClientWidth"));
    EXPECT_EQ(311, Integer(layout.root, "ClientHeight"));
    EXPECT_EQ("bsDialog", Identifier(layout.root, "BorderStyle"));
    EXPECT_EQ("poScreenCenter", Identifier(layout.root, "Position"));
    EXPECT_EQ("btnOK", Identifier(layout.root, "ActiveControl"));
    const ui::LayoutNode& box = layout.root.children[0];
    EXPECT_EQ("false", Identifier(box, "WantReturns"));
    EXPECT_EQ("true", Identifier(box, "ReadOnly"));
    const ui::LayoutNode& button = layout.root.children[1].children[0];
    EXPECT_EQ("true", Identifier(button, "Default"));
    EXPECT_EQ("true", Identifier(button, "Cancel"));
    EXPECT_EQ("btnOKClick", Identifier(button, "OnClick"));
}
