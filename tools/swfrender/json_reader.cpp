#include "tools/swfrender/json_reader.h"
#include "engine/base/utf8.h"

#include <cmath>
#include <cstdlib>

namespace swfrender {

JsonValue JsonValue::boolean(bool b) {
    JsonValue v;
    v.kind_ = Kind::Boolean;
    v.boolean_ = b;
    return v;
}

JsonValue JsonValue::number(double n) {
    JsonValue v;
    v.kind_ = Kind::Number;
    v.number_ = n;
    return v;
}

JsonValue JsonValue::string(std::string s) {
    JsonValue v;
    v.kind_ = Kind::String;
    v.string_ = std::move(s);
    return v;
}

JsonValue JsonValue::array(std::vector<JsonValue> items) {
    JsonValue v;
    v.kind_ = Kind::Array;
    v.items_ = std::move(items);
    return v;
}

JsonValue JsonValue::object(std::vector<std::pair<std::string, JsonValue>> members) {
    JsonValue v;
    v.kind_ = Kind::Object;
    v.members_ = std::move(members);
    return v;
}

const JsonValue* JsonValue::find(std::string_view name) const {
    for (auto it = members_.rbegin(); it != members_.rend(); ++it)
        if (it->first == name) return &it->second;
    return nullptr;
}

namespace {

struct Failure {
    std::string message;
    size_t at;
};


class Reader {
public:
    Reader(std::string_view text, JsonLimits limits) : text_(text), limits_(limits) {}

    JsonValue document() {
        if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
        JsonValue v = value(0);
        skipSpace();
        if (pos_ < text_.size()) fail("unexpected text after the value");
        return v;
    }

private:
    [[noreturn]] void fail(const std::string& message) { throw Failure{message, pos_}; }

    bool atEnd() const { return pos_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[pos_]; }

    void skipSpace() {
        while (!atEnd() && (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' || text_[pos_] == '\r'))
            ++pos_;
    }

    void expect(char c) {
        skipSpace();
        if (peek() != c) fail(std::string("expected '") + c + "'");
        ++pos_;
    }

    JsonValue value(int nesting) {
        if (nesting > limits_.maxNesting) fail("values nest too deeply");
        if (++values_ > limits_.maxValues) fail("too many values");
        skipSpace();
        if (atEnd()) fail("unexpected end of the text");
        char c = peek();
        if (c == '{') return objectValue(nesting);
        if (c == '[') return arrayValue(nesting);
        if (c == '"') return JsonValue::string(stringValue());
        if (c == '-' || (c >= '0' && c <= '9')) return numberValue();
        if (word("true")) return JsonValue::boolean(true);
        if (word("false")) return JsonValue::boolean(false);
        if (word("null")) return JsonValue();
        fail("unexpected character");
    }

    bool word(std::string_view w) {
        if (text_.substr(pos_, w.size()) != w) return false;
        pos_ += w.size();
        return true;
    }

    JsonValue objectValue(int nesting) {
        ++pos_;
        std::vector<std::pair<std::string, JsonValue>> members;
        skipSpace();
        if (peek() == '}') {
            ++pos_;
            return JsonValue::object(std::move(members));
        }
        for (;;) {
            skipSpace();
            if (peek() != '"') fail("expected a member name in quotes");
            std::string name = stringValue();
            expect(':');
            JsonValue v = value(nesting + 1);
            members.emplace_back(std::move(name), std::move(v));
            skipSpace();
            if (peek() == ',') {
                ++pos_;
                continue;
            }
            if (peek() == '}') {
                ++pos_;
                return JsonValue::object(std::move(members));
            }
            fail("expected ',' or '}'");
        }
    }

    JsonValue arrayValue(int nesting) {
        ++pos_;
        std::vector<JsonValue> items;
        skipSpace();
        if (peek() == ']') {
            ++pos_;
            return JsonValue::array(std::move(items));
        }
        for (;;) {
            items.push_back(value(nesting + 1));
            skipSpace();
            if (peek() == ',') {
                ++pos_;
                continue;
            }
            if (peek() == ']') {
                ++pos_;
                return JsonValue::array(std::move(items));
            }
            fail("expected ',' or ']'");
        }
    }

    uint32_t hex4() {
        if (text_.size() - pos_ < 4) fail("a \\u escape needs four hex digits");
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            char c = text_[pos_++];
            v <<= 4;
            if (c >= '0' && c <= '9') v |= uint32_t(c - '0');
            else if (c >= 'a' && c <= 'f') v |= uint32_t(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F') v |= uint32_t(c - 'A' + 10);
            else fail("a \\u escape needs four hex digits");
        }
        return v;
    }

    std::string stringValue() {
        ++pos_;  // the opening quote
        std::string out;
        for (;;) {
            if (atEnd()) fail("a string is not closed");
            char c = text_[pos_++];
            if (c == '"') return out;
            if (static_cast<unsigned char>(c) < 0x20) fail("a control character inside a string");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (atEnd()) fail("a string is not closed");
            char e = text_[pos_++];
            switch (e) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                uint32_t c1 = hex4();
                if (c1 >= 0xD800 && c1 < 0xDC00 && text_.substr(pos_, 2) == "\\u") {
                    size_t back = pos_;
                    pos_ += 2;
                    uint32_t c2 = hex4();
                    if (c2 >= 0xDC00 && c2 < 0xE000) c1 = 0x10000 + ((c1 - 0xD800) << 10) + (c2 - 0xDC00);
                    else pos_ = back;
                }
                // A lone surrogate cannot be written as UTF-8: it becomes the replacement character.
                if (c1 >= 0xD800 && c1 < 0xE000) c1 = 0xFFFD;
                swf::appendUtf8(out, c1);
                break;
            }
            default: --pos_; fail("an unknown escape in a string");
            }
        }
    }

    JsonValue numberValue() {
        size_t start = pos_;
        if (peek() == '-') ++pos_;
        auto digits = [&] {
            size_t from = pos_;
            while (!atEnd() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
            return pos_ - from;
        };
        if (peek() == '0') ++pos_;
        else if (digits() == 0) fail("a number needs digits");
        if (peek() == '.') {
            ++pos_;
            if (digits() == 0) fail("a number needs digits after the point");
        }
        if (peek() == 'e' || peek() == 'E') {
            ++pos_;
            if (peek() == '+' || peek() == '-') ++pos_;
            if (digits() == 0) fail("a number needs digits in its exponent");
        }
        std::string token(text_.substr(start, pos_ - start));
        double v = std::strtod(token.c_str(), nullptr);
        if (!std::isfinite(v)) fail("a number out of range");
        return JsonValue::number(v);
    }

    std::string_view text_;
    JsonLimits limits_;
    size_t pos_ = 0;
    size_t values_ = 0;
};

}  // namespace

std::optional<JsonValue> parseJson(std::string_view text, std::string& error, JsonLimits limits) {
    try {
        return Reader(text, limits).document();
    } catch (const Failure& f) {
        size_t line = 1, column = 1;
        for (size_t i = 0; i < f.at && i < text.size(); ++i) {
            if (text[i] == '\n') {
                ++line;
                column = 1;
            } else {
                ++column;
            }
        }
        error = "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + f.message;
        return std::nullopt;
    }
}

}  // namespace swfrender
