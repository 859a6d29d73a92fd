#include "ui/layout.h"

#include "support/error.h"
#include "ui/text_compare.h"

#include <charconv>

namespace ui {
namespace {

[[noreturn]] void fail(const std::string& what, int line) {
    throw sav::Error("EParserError", what + " on line " + std::to_string(line));
}

bool isIdentStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool isIdentChar(char c) { return isIdentStart(c) || (c >= '0' && c <= '9') || c == '.'; }
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Reads one line at a time; tokens within a line.
class LineReader {
public:
    LineReader(std::string_view line, int number) : rest_(line), number_(number) {}

    void skipSpace() {
        while (!rest_.empty() && isSpace(rest_.front())) rest_.remove_prefix(1);
    }
    bool atEnd() {
        skipSpace();
        return rest_.empty() || rest_.front() == '#';
    }
    std::string identifier(const char* what) {
        skipSpace();
        if (rest_.empty() || !isIdentStart(rest_.front())) fail(std::string("Expected ") + what, number_);
        std::size_t n = 1;
        while (n < rest_.size() && isIdentChar(rest_[n])) ++n;
        std::string word(rest_.substr(0, n));
        rest_.remove_prefix(n);
        return word;
    }
    bool take(char c) {
        skipSpace();
        if (rest_.empty() || rest_.front() != c) return false;
        rest_.remove_prefix(1);
        return true;
    }
    LayoutValue value() {
        skipSpace();
        if (rest_.empty()) fail("Expected a value", number_);
        LayoutValue v;
        char c = rest_.front();
        if (c == '"') {
            v.kind = LayoutValue::Kind::String;
            rest_.remove_prefix(1);
            for (;;) {
                if (rest_.empty()) fail("Unterminated string", number_);
                char ch = rest_.front();
                rest_.remove_prefix(1);
                if (ch == '"') break;
                if (ch == '\\') {
                    if (rest_.empty()) fail("Unterminated string", number_);
                    ch = rest_.front();
                    rest_.remove_prefix(1);
                    if (ch == 'n') ch = '\n';
                }
                v.text.push_back(ch);
            }
        } else if (c == '[') {
            v.kind = LayoutValue::Kind::Set;
            rest_.remove_prefix(1);
            if (!take(']')) {
                do v.items.push_back(identifier("a set element"));
                while (take(','));
                if (!take(']')) fail("Expected ]", number_);
            }
        } else if (c == '-' || (c >= '0' && c <= '9')) {
            v.kind = LayoutValue::Kind::Integer;
            auto [end, ec] = std::from_chars(rest_.data(), rest_.data() + rest_.size(), v.integer);
            if (ec != std::errc()) fail("Invalid integer", number_);
            rest_.remove_prefix(static_cast<std::size_t>(end - rest_.data()));
            if (v.integer < INT32_MIN || v.integer > INT32_MAX) fail("Integer out of range", number_);
        } else {
            v.kind = LayoutValue::Kind::Identifier;
            v.text = identifier("a value");
        }
        return v;
    }
    int number() const { return number_; }

private:
    std::string_view rest_;
    int number_;
};

}  // namespace

Layout parseLayout(std::string_view text) {
    if (text.size() > kMaxLayoutSize) throw sav::Error("EParserError", "Layout too large");
    Layout layout;
    std::vector<LayoutNode*> open;  // the objects not yet ended, innermost last
    bool haveRoot = false, rootEnded = false;
    int lineNumber = 0;
    while (!text.empty()) {
        std::size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
        LineReader reader(line, ++lineNumber);
        if (reader.atEnd()) continue;
        std::string word = reader.identifier("a keyword or property");
        if (sameText(word, "pixelsperinch")) {
            if (haveRoot) fail("pixelsperinch after the first object", lineNumber);
            LayoutValue v = reader.value();
            if (v.kind != LayoutValue::Kind::Integer || v.integer < 24 || v.integer > 960)
                fail("Invalid pixelsperinch", lineNumber);
            layout.pixelsPerInch = static_cast<int>(v.integer);
        } else if (sameText(word, "object")) {
            if (rootEnded || (haveRoot && open.empty())) fail("A second top-level object", lineNumber);
            if (static_cast<int>(open.size()) >= kMaxLayoutDepth) fail("Objects nested too deep", lineNumber);
            LayoutNode node;
            node.name = reader.identifier("a component name");
            node.className = reader.identifier("a class name");
            node.line = lineNumber;
            if (open.empty()) {
                layout.root = std::move(node);
                open.push_back(&layout.root);
                haveRoot = true;
            } else {
                // children of a node are only added while it is the innermost open one, so the
                // pointers to its ancestors stay valid.
                open.back()->children.push_back(std::move(node));
                open.push_back(&open.back()->children.back());
            }
        } else if (sameText(word, "end")) {
            if (open.empty()) fail("end without object", lineNumber);
            open.pop_back();
            if (open.empty()) rootEnded = true;
        } else {
            if (open.empty()) fail("Property outside an object", lineNumber);
            if (!reader.take('=')) fail("Expected =", lineNumber);
            LayoutProperty property{word, reader.value(), lineNumber};
            open.back()->properties.push_back(std::move(property));
        }
        if (!reader.atEnd()) fail("Unexpected text", lineNumber);
    }
    if (!haveRoot) fail("No object", lineNumber);
    if (!open.empty()) fail("Missing end", lineNumber);
    return layout;
}

}  // namespace ui
