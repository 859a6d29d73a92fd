// The HTML subset of text fields: read into a TextDocument, and written back the way the player
// writes it (a P or LI per paragraph, FONT with every attribute, TEXTFORMAT when a paragraph has
// margins, indents, leading or tab stops).
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/base/ascii_case.h"
#include "engine/core/text_document.h"

namespace swf {

namespace {

std::string upper(std::string s) { return asciiUpper(std::move(s)); }

struct Tag {
    std::string name;  // lower case
    bool closing = false, selfClosing = false;
    std::map<std::string, std::string> attributes;  // names in lower case
};

// Reads the tag whose '<' is at `at`; false when the text has no '>' after it.
bool readTag(const std::string& s, size_t at, Tag& tag, size_t& end) {
    end = s.find('>', at);
    if (end == std::string::npos) return false;
    size_t i = at + 1;
    auto skipSpace = [&] {
        while (i < end && std::isspace((unsigned char)s[i])) ++i;
    };
    skipSpace();
    if (i < end && s[i] == '/') tag.closing = true, ++i;
    size_t nameStart = i;
    while (i < end && !std::isspace((unsigned char)s[i]) && s[i] != '/') ++i;
    tag.name = asciiLower(s.substr(nameStart, i - nameStart));
    while (i < end) {
        skipSpace();
        if (i >= end) break;
        if (s[i] == '/') {
            tag.selfClosing = true;
            ++i;
            continue;
        }
        size_t a = i;
        while (i < end && s[i] != '=' && !std::isspace((unsigned char)s[i]) && s[i] != '/') ++i;
        std::string name = asciiLower(s.substr(a, i - a));
        skipSpace();
        std::string value;
        if (i < end && s[i] == '=') {
            ++i;
            skipSpace();
            if (i < end && (s[i] == '"' || s[i] == '\'')) {
                char quote = s[i++];
                size_t close = s.find(quote, i);
                if (close == std::string::npos || close > end) {
                    // A quoted value may hold '>': the tag ends after the closing quote.
                    if (close == std::string::npos) close = end;
                    else end = s.find('>', close) == std::string::npos ? s.size() - 1 : s.find('>', close);
                }
                value = s.substr(i, close - i);
                i = close + 1;
            } else {
                size_t v = i;
                while (i < end && !std::isspace((unsigned char)s[i])) ++i;
                value = s.substr(v, i - v);
            }
        }
        if (!name.empty()) tag.attributes[name] = value;
    }
    return true;
}

// The character of the entity at `at` ('&'), moving `at` past it; '&' itself when it is none.
std::string readEntity(const std::string& s, size_t& at) {
    size_t semi = s.find(';', at);
    if (semi == std::string::npos || semi - at > 10) return "&";
    std::string name = asciiLower(s.substr(at + 1, semi - at - 1));
    std::u32string out;
    if (name == "amp") out = U"&";
    else if (name == "lt") out = U"<";
    else if (name == "gt") out = U">";
    else if (name == "quot") out = U"\"";
    else if (name == "apos") out = U"'";
    else if (name == "nbsp") out = U"\u00a0";
    else if (name.size() > 1 && name[0] == '#') {
        bool hex = name[1] == 'x';
        char* endp = nullptr;
        long code = std::strtol(name.c_str() + (hex ? 2 : 1), &endp, hex ? 16 : 10);
        if (!endp || *endp || code <= 0 || code > 0x10FFFF) return "&";
        out = std::u32string(1, char32_t(code));
    } else {
        return "&";
    }
    at = semi;
    return encodeUtf8(out);
}

std::optional<double> number(const std::map<std::string, std::string>& a, const char* name) {
    auto it = a.find(name);
    if (it == a.end()) return std::nullopt;
    char* end = nullptr;
    double v = std::strtod(it->second.c_str(), &end);
    if (end == it->second.c_str() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<uint32_t> colour(const std::string& s) {
    if (s.size() < 2 || s[0] != '#') return std::nullopt;
    char* end = nullptr;
    unsigned long v = std::strtoul(s.c_str() + 1, &end, 16);
    if (end == s.c_str() + 1) return std::nullopt;
    return uint32_t(v & 0xFFFFFF);
}

std::string formatNumber(double v) {
    char buf[64];
    if (v == std::floor(v) && std::fabs(v) < 1e15) std::snprintf(buf, sizeof buf, "%.0f", v);
    else std::snprintf(buf, sizeof buf, "%.15g", v);
    return buf;
}

std::string escape(const std::u32string& text) {
    std::string out;
    for (char32_t c : text) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else out += encodeUtf8(std::u32string(1, c));
    }
    return out;
}

}  // namespace

void TextDocument::setHtml(const std::string& html, const TextFormat& base, WhiteSpace white, bool breaks,
                           const TextStyles* styles) {
    const bool condenseWhite = white != WhiteSpace::Keep;
    const bool eachText = white == WhiteSpace::CondenseEachText;
    bool textStart = true;  // the next character starts a text between tags
    chars_.clear(), formatIndex_.clear(), formats_.clear();
    // An open element: its name, its format, whether a style makes it a block (a paragraph ends
    // after it) and whether its text is hidden (a style's display "none", here or outside).
    struct Open {
        std::string name;
        TextFormat format;
        bool block = false, hidden = false;
    };
    std::vector<Open> stack{{"", base}};
    // The element's own style (its tag's, then its class's) over `f`; `display` is what the
    // style says of it, if anything.
    auto styled = [&](TextFormat f, const std::string& tag, const Tag& t, std::optional<std::string>& display) {
        if (!styles) return f;
        auto use = [&](const TextFormat& rule) {
            f.merge(rule);
            if (rule.display) display = rule.display;
        };
        if (auto it = styles->find(tag); it != styles->end()) use(it->second);
        if (auto c = t.attributes.find("class"); c != t.attributes.end())
            if (auto it = styles->find("." + c->second); it != styles->end()) use(it->second);
        return f;
    };
    auto append = [&](const std::string& utf8) {
        if (!stack.back().hidden) replace(length(), length(), utf8, stack.back().format);
    };
    auto breakParagraph = [&] { append("\r"); };
    auto atParagraphStart = [&] { return chars_.empty() || isParagraphBreak(chars_.back()); };
    bool lastWasSpace = true;  // condensing: a paragraph does not start with white space
    for (size_t i = 0; i < html.size(); ++i) {
        char c = html[i];
        if (c == '<') {
            Tag tag;
            size_t end;
            if (!readTag(html, i, tag, end)) break;
            i = end;
            textStart = true;
            if (tag.closing) {
                // Closes the innermost open tag of that name and those inside it. The break that
                // ends a paragraph keeps the paragraph's format, which an empty one is read by.
                Open closed = stack.back();
                for (size_t k = stack.size(); k-- > 1;) {
                    if (stack[k].name != tag.name) continue;
                    closed = stack[k];
                    stack.resize(k);
                    break;
                }
                if (closed.hidden || !breaks) continue;
                if (tag.name == "p" || tag.name == "li") {
                    if (!atParagraphStart() || tag.name == "li" || chars_.empty())
                        replace(length(), length(), "\r", closed.format);
                    lastWasSpace = true;
                } else if (closed.block && closed.name == tag.name) {
                    // A styled block ends its paragraph, unless one ended there already.
                    if (!atParagraphStart()) replace(length(), length(), "\r", closed.format);
                    lastWasSpace = true;
                }
                continue;
            }
            if (tag.name == "br" || tag.name == "sbr") {
                if (!breaks || stack.back().hidden) continue;
                breakParagraph();
                lastWasSpace = true;
                continue;
            }
            TextFormat f = stack.back().format;
            const auto& a = tag.attributes;
            if (tag.name == "p" || tag.name == "li") {
                if (breaks && !stack.back().hidden) {
                    if (!atParagraphStart()) breakParagraph();
                    lastWasSpace = true;
                }
                if (auto it = a.find("align"); it != a.end()) {
                    std::string align = asciiLower(it->second);
                    if (align == "left" || align == "right" || align == "center" || align == "justify") f.align = align;
                }
                if (tag.name == "li") f.bullet = true;
            } else if (tag.name == "font") {
                if (auto it = a.find("face"); it != a.end()) f.font = it->second;
                if (auto it = a.find("size"); it != a.end()) {
                    if (auto v = number(a, "size")) {
                        bool relative = !it->second.empty() && (it->second[0] == '+' || it->second[0] == '-');
                        f.size = relative ? f.size.value_or(12) + *v : *v;
                    }
                }
                if (auto it = a.find("color"); it != a.end())
                    if (auto v = colour(it->second)) f.color = *v;
                if (auto v = number(a, "letterspacing")) f.letterSpacing = *v;
                if (auto v = number(a, "kerning")) f.kerning = *v != 0;
            } else if (tag.name == "b") {
                f.bold = true;
            } else if (tag.name == "i") {
                f.italic = true;
            } else if (tag.name == "u") {
                f.underline = true;
            } else if (tag.name == "a") {
                if (auto it = a.find("href"); it != a.end()) f.url = it->second;
                if (auto it = a.find("target"); it != a.end()) f.target = it->second;
            } else if (tag.name == "textformat") {
                if (auto v = number(a, "leftmargin")) f.leftMargin = *v;
                if (auto v = number(a, "rightmargin")) f.rightMargin = *v;
                if (auto v = number(a, "indent")) f.indent = *v;
                if (auto v = number(a, "blockindent")) f.blockIndent = *v;
                if (auto v = number(a, "leading")) f.leading = *v;
                if (auto it = a.find("tabstops"); it != a.end()) {
                    std::vector<double> stops;
                    const std::string& list = it->second;
                    for (size_t p = 0; p < list.size() && stops.size() < 100;) {
                        char* endp = nullptr;
                        double v = std::strtod(list.c_str() + p, &endp);
                        if (endp == list.c_str() + p) break;
                        stops.push_back(v);
                        p = size_t(endp - list.c_str());
                        while (p < list.size() && (list[p] == ',' || list[p] == ' ')) ++p;
                    }
                    f.tabStops = stops;
                }
            }
            std::optional<std::string> display;
            f = styled(f, tag.name, tag, display);
            if (!tag.selfClosing && stack.size() < 256) {
                const bool paragraph = tag.name == "p" || tag.name == "li";
                stack.push_back({tag.name, f, !paragraph && display == "block", stack.back().hidden || display == "none"});
            }
            continue;
        }
        if (stack.back().hidden) continue;
        if (eachText && textStart) {
            textStart = false;
            size_t next = std::min(html.find('<', i), html.size());
            bool blank = true;
            for (size_t k = i; k < next && blank; ++k) blank = std::strchr(" \t\r\n", html[k]) != nullptr;
            if (blank) {
                i = next - 1;
                continue;
            }
            lastWasSpace = false;
        }
        std::string piece;
        if (c == '&') {
            piece = readEntity(html, i);
        } else if (condenseWhite && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) {
            if (lastWasSpace) continue;
            piece = " ";
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < html.size() && html[i + 1] == '\n') ++i;
            piece = "\r";
        } else {
            // A character whole: its UTF-8 bytes decode together.
            size_t bytes = 1;
            const auto lead = (unsigned char)c;
            if (lead >= 0xF0) bytes = 4;
            else if (lead >= 0xE0) bytes = 3;
            else if (lead >= 0xC0) bytes = 2;
            size_t taken = 1;
            while (taken < bytes && i + taken < html.size() && ((unsigned char)html[i + taken] & 0xC0) == 0x80) ++taken;
            bytes = taken;
            piece = html.substr(i, bytes);
            i += bytes - 1;
        }
        lastWasSpace = piece == " " || piece == "\r";
        append(piece);
    }
}

std::string TextDocument::html() const {
    std::string out;
    if (chars_.empty()) return out;
    size_t start = 0;
    const size_t n = chars_.size();
    do {
        size_t end = start;
        while (end < n && !isParagraphBreak(chars_[end])) ++end;
        const TextFormat& first = start < n ? formatAt(start) : (n ? formatAt(n - 1) : formats_.empty() ? TextFormat::defaults() : formats_.back());
        std::string textFormat;
        auto attribute = [&](const char* name, const std::optional<double>& v) {
            if (v && *v != 0) textFormat += std::string(" ") + name + "=\"" + formatNumber(*v) + "\"";
        };
        attribute("LEFTMARGIN", first.leftMargin), attribute("RIGHTMARGIN", first.rightMargin);
        attribute("INDENT", first.indent), attribute("BLOCKINDENT", first.blockIndent);
        attribute("LEADING", first.leading);
        if (first.tabStops && !first.tabStops->empty()) {
            textFormat += " TABSTOPS=\"";
            for (size_t k = 0; k < first.tabStops->size(); ++k) {
                if (k) textFormat += ',';
                textFormat += formatNumber((*first.tabStops)[k]);
            }
            textFormat += "\"";
        }
        if (!textFormat.empty()) out += "<TEXTFORMAT" + textFormat + ">";
        const bool bullet = first.bullet.value_or(false);
        out += bullet ? "<LI>" : "<P ALIGN=\"" + upper(first.align.value_or("left")) + "\">";
        // Levels open around the current run: the paragraph's FONT, a FONT with what a run's font
        // differs in from it, A, B, I, U; a change closes the levels from the first one that
        // differs and opens them again.
        constexpr size_t kLevels = 6;
        std::vector<std::string> open(kLevels), closeTags{"</FONT>", "</FONT>", "</A>", "</B>", "</I>", "</U>"};
        auto fontAttributes = [](const TextFormat& f) {
            char color[16];
            std::snprintf(color, sizeof color, "#%06X", unsigned(f.color.value_or(0) & 0xFFFFFF));
            return std::vector<std::string>{" FACE=\"" + f.font.value_or("") + "\"",
                                            " SIZE=\"" + formatNumber(f.size.value_or(12)) + "\"",
                                            std::string(" COLOR=\"") + color + "\"",
                                            " LETTERSPACING=\"" + formatNumber(f.letterSpacing.value_or(0)) + "\"",
                                            std::string(" KERNING=\"") + (f.kerning.value_or(false) ? "1" : "0") + "\""};
        };
        const std::vector<std::string> paragraphFont = fontAttributes(first);
        auto levels = [&](const TextFormat& f) {
            std::vector<std::string> l(kLevels);
            l[0] = "<FONT";
            for (const std::string& a : paragraphFont) l[0] += a;
            l[0] += ">";
            std::string differs;
            std::vector<std::string> mine = fontAttributes(f);
            for (size_t k = 0; k < mine.size(); ++k)
                if (mine[k] != paragraphFont[k]) differs += mine[k];
            if (!differs.empty()) l[1] = "<FONT" + differs + ">";
            if (f.url && !f.url->empty()) l[2] = "<A HREF=\"" + *f.url + "\" TARGET=\"" + f.target.value_or("") + "\">";
            if (f.bold.value_or(false)) l[3] = "<B>";
            if (f.italic.value_or(false)) l[4] = "<I>";
            if (f.underline.value_or(false)) l[5] = "<U>";
            return l;
        };
        auto switchTo = [&](const std::vector<std::string>& want) {
            size_t same = 0;
            while (same < kLevels && open[same] == want[same]) ++same;
            for (size_t k = kLevels; k-- > same;)
                if (!open[k].empty()) out += closeTags[k];
            for (size_t k = same; k < kLevels; ++k)
                if (!want[k].empty()) out += want[k];
            open = want;
        };
        switchTo(levels(first));
        for (size_t i = start; i < end;) {
            size_t j = i + 1;
            while (j < end && formatIndex_[j] == formatIndex_[i]) ++j;
            switchTo(levels(formatAt(i)));
            out += escape(chars_.substr(i, j - i));
            i = j;
        }
        switchTo(std::vector<std::string>(kLevels));
        out += bullet ? "</LI>" : "</P>";
        if (!textFormat.empty()) out += "</TEXTFORMAT>";
        start = end + 1;
    } while (start < n);
    return out;
}

}  // namespace swf
