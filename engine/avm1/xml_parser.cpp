#include "engine/avm1/xml_parser.h"

#include <cstdint>
#include <cstdlib>

#include "engine/base/utf8.h"

namespace swf::avm1 {

namespace {

bool isWhite(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool allWhite(std::string_view s) {
    for (char c : s)
        if (!isWhite(c)) return false;
    return true;
}

// A numeric reference's body ("#65", "#x41"), or false when it is not one.
bool numericReference(std::string_view body, uint32_t& cp) {
    if (body.size() < 2 || body[0] != '#') return false;
    bool hex = body[1] == 'x' || body[1] == 'X';
    std::string_view digits = body.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8) return false;
    uint32_t n = 0;
    for (char c : digits) {
        int d = c >= '0' && c <= '9' ? c - '0' : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (d < 0) return false;
        n = n * (hex ? 16 : 10) + uint32_t(d);
    }
    if (n == 0 || n > 0x10FFFF) return false;
    cp = n;
    return true;
}

class Reader {
public:
    Reader(std::string_view text, bool ignoreWhite, size_t maxItems)
        : s_(text), ignoreWhite_(ignoreWhite), maxItems_(maxItems) {}

    XmlParseResult run() {
        while (pos_ < s_.size() && result_.status == XmlOk) {
            if (s_[pos_] == '<') tag();
            else text();
        }
        if (result_.status == XmlOk && !open_.empty()) result_.status = XmlUnclosedElement;
        return std::move(result_);
    }

private:
    bool add(XmlItem item) {
        if (result_.items.size() >= maxItems_) {
            result_.status = XmlOutOfMemory;
            return false;
        }
        result_.items.push_back(std::move(item));
        return true;
    }

    void text() {
        size_t end = s_.find('<', pos_);
        if (end == std::string_view::npos) end = s_.size();
        std::string_view raw = s_.substr(pos_, end - pos_);
        pos_ = end;
        if (ignoreWhite_ && allWhite(raw)) return;
        add(XmlItem{XmlItem::Kind::Text, decodeXmlEntities(raw), {}, false});
    }

    bool startsWith(std::string_view prefix) const { return s_.compare(pos_, prefix.size(), prefix) == 0; }

    // Everything from here up to and including `terminator`, or the status when it never comes.
    bool through(std::string_view terminator, size_t from, int failure, std::string_view& out) {
        size_t end = s_.find(terminator, from);
        if (end == std::string_view::npos) {
            result_.status = failure;
            return false;
        }
        out = s_.substr(pos_, end + terminator.size() - pos_);
        pos_ = end + terminator.size();
        return true;
    }

    void tag() {
        std::string_view whole;
        if (startsWith("<!--")) {
            through("-->", pos_ + 4, XmlCommentUnterminated, whole);
        } else if (startsWith("<![CDATA[")) {
            if (through("]]>", pos_ + 9, XmlCdataUnterminated, whole)) {
                std::string_view body = whole.substr(9, whole.size() - 12);
                if (!(ignoreWhite_ && allWhite(body))) add(XmlItem{XmlItem::Kind::Text, std::string(body), {}, false});
            }
        } else if (startsWith("<!")) {
            if (through(">", pos_ + 2, XmlDoctypeUnterminated, whole))
                add(XmlItem{XmlItem::Kind::Doctype, std::string(whole), {}, false});
        } else if (startsWith("<?")) {
            if (through("?>", pos_ + 2, XmlDeclarationUnterminated, whole))
                add(XmlItem{XmlItem::Kind::Declaration, std::string(whole), {}, false});
        } else if (startsWith("</")) {
            endTag();
        } else {
            startTag();
        }
    }

    void endTag() {
        size_t end = s_.find('>', pos_);
        if (end == std::string_view::npos) {
            result_.status = XmlMalformedElement;
            return;
        }
        std::string_view name = s_.substr(pos_ + 2, end - pos_ - 2);
        while (!name.empty() && isWhite(name.back())) name.remove_suffix(1);
        pos_ = end + 1;
        if (open_.empty()) {
            result_.status = XmlUnmatchedEndTag;
            return;
        }
        if (open_.back() != name) {
            result_.status = XmlUnclosedElement;
            return;
        }
        open_.pop_back();
        add(XmlItem{XmlItem::Kind::Close, std::string(name), {}, false});
    }

    std::string_view nameAt(size_t& i) const {
        size_t start = i;
        while (i < s_.size() && !isWhite(s_[i]) && s_[i] != '>' && s_[i] != '/' && s_[i] != '=') ++i;
        return s_.substr(start, i - start);
    }

    void skipWhite(size_t& i) const {
        while (i < s_.size() && isWhite(s_[i])) ++i;
    }

    void startTag() {
        size_t i = pos_ + 1;
        XmlItem item{XmlItem::Kind::Open, std::string(nameAt(i)), {}, false};
        if (item.text.empty()) {
            result_.status = XmlMalformedElement;
            return;
        }
        for (;;) {
            skipWhite(i);
            if (i >= s_.size()) {
                result_.status = XmlMalformedElement;
                return;
            }
            if (s_[i] == '>') {
                ++i;
                break;
            }
            if (s_[i] == '/') {
                if (i + 1 < s_.size() && s_[i + 1] == '>') {
                    item.empty = true;
                    i += 2;
                    break;
                }
                result_.status = XmlMalformedElement;
                return;
            }
            std::string_view name = nameAt(i);
            skipWhite(i);
            if (name.empty() || i >= s_.size() || s_[i] != '=') {
                result_.status = XmlMalformedElement;
                return;
            }
            ++i;
            skipWhite(i);
            if (i >= s_.size() || (s_[i] != '"' && s_[i] != '\'')) {
                result_.status = XmlMalformedElement;
                return;
            }
            char quote = s_[i++];
            size_t close = s_.find(quote, i);
            if (close == std::string_view::npos) {
                result_.status = XmlAttributeUnterminated;
                return;
            }
            item.attributes.push_back(XmlAttribute{std::string(name), decodeXmlEntities(s_.substr(i, close - i))});
            i = close + 1;
        }
        pos_ = i;
        std::string name = item.text;
        bool empty = item.empty;
        if (add(std::move(item)) && !empty) open_.push_back(std::move(name));
    }

    std::string_view s_;
    size_t pos_ = 0;
    bool ignoreWhite_;
    size_t maxItems_;
    std::vector<std::string> open_;
    XmlParseResult result_;
};

}  // namespace

XmlParseResult parseXml(std::string_view text, bool ignoreWhite, size_t maxItems) {
    return Reader(text, ignoreWhite, maxItems).run();
}

std::string decodeXmlEntities(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out += text[i];
            continue;
        }
        size_t semi = text.find(';', i + 1);
        if (semi == std::string_view::npos || semi - i > 12) {
            out += '&';
            continue;
        }
        std::string_view body = text.substr(i + 1, semi - i - 1);
        uint32_t cp = 0;
        if (body == "lt") out += '<';
        else if (body == "gt") out += '>';
        else if (body == "amp") out += '&';
        else if (body == "quot") out += '"';
        else if (body == "apos") out += '\'';
        else if (numericReference(body, cp)) swf::appendUtf8(out, cp);
        else {
            out += '&';
            continue;
        }
        i = semi;
    }
    return out;
}

std::string escapeXml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            default: out += c;
        }
    }
    return out;
}

}  // namespace swf::avm1
