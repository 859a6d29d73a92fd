// Stored form layouts: a small text format, kept as RCDATA in the executable's resources under the
// form's class name (e.g. resource "TFRMCONFIG" for class TfrmConfig). Portable: no Windows header.
//
//   # a comment line
//   pixelsperinch 120                  (optional, default 96; sizes below are at this resolution)
//   object frmConfig TfrmConfig        (component name, then class name)
//     BorderStyle = bsDialog           (identifier: enum value, colour name, true/false)
//     ClientWidth = 303                (integer, may be negative)
//     Font.Name = "MS Sans Serif"      (string in double quotes; \" and \\ escape)
//     BorderIcons = [biSystemMenu]     (set of identifiers)
//     OnCreate = FormCreate            (event: the name of a handler the form defines)
//     object redConfig TRichEdit       (nesting gives the parent: a child of the enclosing object)
//       Left = 5
//     end
//   end
//
// Component classes the loader knows: TPanel, TImage, TButton, TBitBtn, TRichEdit, and
// TXPManifest (non-visual, no properties). The top object's class is the form's own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

struct LayoutValue {
    enum class Kind { Integer, String, Identifier, Set };
    Kind kind = Kind::Integer;
    std::int64_t integer = 0;
    std::string text;                // String and Identifier
    std::vector<std::string> items;  // Set
};

struct LayoutProperty {
    std::string name;  // may be dotted: "Font.Name"
    LayoutValue value;
    int line = 0;
};

struct LayoutNode {
    std::string name;
    std::string className;
    std::vector<LayoutProperty> properties;
    std::vector<LayoutNode> children;
    int line = 0;
};

struct Layout {
    int pixelsPerInch = 96;
    LayoutNode root;
};

// Limits that keep a damaged layout from exhausting the stack or memory.
constexpr int kMaxLayoutDepth = 32;
constexpr std::size_t kMaxLayoutSize = 1 << 20;

// Parses a layout; throws sav::Error("EParserError", "<what> on line N") for malformed text.
Layout parseLayout(std::string_view text);

}  // namespace ui
