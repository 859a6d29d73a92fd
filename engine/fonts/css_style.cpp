#include "engine/fonts/css_style.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "engine/base/ascii_case.h"

namespace swf {

namespace {

constexpr size_t kMaxRules = 10000;

bool isSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// The number a value starts with, after white space ("12px" is 12); NaN when none.
double leadingNumber(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && isSpace(s[i])) ++i;
    size_t begin = i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t digits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    }
    if (digits == 0) return std::nan("");
    return std::strtod(s.substr(begin, i - begin).c_str(), nullptr);
}

// "  a  , b,, c" to "a  ,b,c": each name loses its leading white space, empty names go.
std::string fontList(const std::string& s) {
    std::string out;
    for (size_t p = 0; p <= s.size();) {
        size_t comma = s.find(',', p);
        if (comma == std::string::npos) comma = s.size();
        size_t b = p;
        while (b < comma && isSpace(s[b])) ++b;
        if (b < comma) {
            if (!out.empty()) out += ',';
            out += s.substr(b, comma - b);
        }
        p = comma + 1;
    }
    return out;
}

bool sameLetters(const std::string& a, const char* b) { return equalsIgnoringAsciiCase(a, b); }

}  // namespace

std::string cssPropertyName(std::string_view s) {
    std::string out;
    bool upper = false;
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
            out += '-';
            ++i;
            continue;
        }
        if (c == '-') {
            upper = true;
            continue;
        }
        out += upper ? asciiUpper(c) : c;
        upper = false;
    }
    return out;
}

// The player's reader is looser than CSS: a selector is any run of characters up to white space,
// ',' or '{'; a property name runs to ':' (';' and '}' included, trailing white space kept, white
// space inside refused); a value runs to ';' or '}' with its trailing white space; a block left
// open at the end of the text is closed.
std::optional<std::vector<CssRule>> readCss(std::string_view css) {
    std::vector<CssRule> rules;
    size_t i = 0, n = css.size();
    auto skipSpace = [&] {
        while (i < n && isSpace(css[i])) ++i;
    };
    while (true) {
        skipSpace();
        if (i >= n) return rules;
        if (rules.size() >= kMaxRules) return std::nullopt;
        CssRule rule;
        while (true) {
            skipSpace();
            size_t begin = i;
            while (i < n && !isSpace(css[i]) && css[i] != ',' && css[i] != '{') ++i;
            if (i == begin) return std::nullopt;
            rule.selectors.emplace_back(css.substr(begin, i - begin));
            skipSpace();
            if (i >= n) return std::nullopt;
            if (css[i] == '{') break;
            if (css[i] != ',') return std::nullopt;
            ++i;
        }
        ++i;  // past '{'
        while (true) {
            skipSpace();
            if (i >= n) break;
            if (css[i] == '}') {
                ++i;
                break;
            }
            size_t begin = i;
            bool spaced = false;
            while (i < n && css[i] != ':') {
                if (isSpace(css[i])) spaced = true;
                else if (spaced) return std::nullopt;
                ++i;
            }
            if (i >= n) return std::nullopt;
            std::string_view name = css.substr(begin, i - begin);
            ++i;  // past ':'
            skipSpace();
            begin = i;
            while (i < n && css[i] != ';' && css[i] != '}') ++i;
            if (i >= n) return std::nullopt;
            if (!name.empty()) rule.declarations.push_back({cssPropertyName(name), std::string(css.substr(begin, i - begin))});
            if (css[i] == '}') {
                ++i;
                break;
            }
            ++i;  // past ';'
        }
        rules.push_back(std::move(rule));
    }
}

TextFormat formatFromStyle(const CssLookup& value, UnreadColour unreadColour) {
    TextFormat f;
    f.kerning = false;
    f.display = "block";
    auto text = [&](const char* name) -> std::optional<std::string> {
        auto v = value(name);
        if (!v) return std::nullopt;
        return v->text;
    };
    auto number = [&](const char* name) -> std::optional<double> {
        auto t = text(name);
        if (!t) return std::nullopt;
        return std::trunc(leadingNumber(*t));
    };
    // A colour is exactly '#' and six hexadecimal digits, no white space around.
    if (auto c = text("color")) {
        bool hex = c->size() == 7 && (*c)[0] == '#';
        for (size_t k = 1; k < 7 && hex; ++k) hex = std::isxdigit(static_cast<unsigned char>((*c)[k])) != 0;
        if (hex) f.color = static_cast<uint32_t>(std::strtoul(c->c_str() + 1, nullptr, 16));
        else if (unreadColour == UnreadColour::Black) f.color = 0;
    }
    if (auto d = text("display")) {
        if (*d == "inline" || *d == "none" || *d == "block") f.display = *d;
    }
    if (auto v = text("fontFamily")) {
        if (std::string list = fontList(*v); !list.empty()) f.font = list;
    }
    if (auto v = number("fontSize"); v && *v > 0) f.size = *v;  // under a whole pixel: none
    if (auto v = text("fontWeight")) {
        if (*v == "bold") f.bold = true;
        else if (*v == "normal") f.bold = false;
    }
    if (auto v = text("fontStyle")) {
        if (*v == "italic") f.italic = true;
        else if (*v == "normal") f.italic = false;
    }
    if (auto v = text("textDecoration")) {
        if (*v == "underline") f.underline = true;
        else if (*v == "none") f.underline = false;
    }
    if (auto v = text("textAlign")) {
        for (const char* align : {"left", "right", "center", "justify"})
            if (sameLetters(*v, align)) f.align = align;
    }
    auto margin = [](double v) { return std::isnan(v) ? 0.0 : std::max(0.0, v); };
    if (auto v = number("marginLeft")) f.leftMargin = margin(*v);
    if (auto v = number("marginRight")) f.rightMargin = margin(*v);
    if (auto v = number("leading")) f.leading = std::isnan(*v) ? 0.0 : *v;
    if (auto v = number("letterSpacing")) f.letterSpacing = *v;
    if (auto v = value("kerning")) {
        // The word "true", or a number that is not 0.
        if (v->isString && v->text == "true") f.kerning = true;
        else if (auto k = number("kerning"); k && !std::isnan(*k) && *k != 0) f.kerning = true;
    }
    return f;
}

}  // namespace swf
