// A script value: undefined, null, boolean, number, string or object reference.
#pragma once

#include <cstdint>
#include <string>

namespace swf::avm1 {

class Object;

// Strings are shared between copies (a reference count, no atomics: script values live on the
// player's thread only), so pushing, storing and passing a value never copies its text.
class Value {
public:
    enum class Kind : unsigned char { Undefined, Null, Boolean, Number, String, Object };

    Value() = default;
    static Value null() { Value v; v.kind_ = Kind::Null; return v; }
    // An array slot nothing was ever written to: reads as undefined, but is not listed by for-in.
    static Value hole() { Value v; v.hole_ = true; return v; }
    Value(bool b) : kind_(Kind::Boolean), bool_(b) {}
    Value(double n) : kind_(Kind::Number), number_(n) {}
    Value(int n) : kind_(Kind::Number), number_(n) {}
    Value(std::string s) : kind_(Kind::String), text_(new SharedText{1, std::move(s)}) {}
    Value(const char* s) : kind_(Kind::String), text_(new SharedText{1, std::string(s)}) {}
    Value(Object* o) : kind_(o ? Kind::Object : Kind::Null), object_(o) {}

    Value(const Value& o) {
        take(o);
        if (kind_ == Kind::String) ++text_->refs;
    }
    Value(Value&& o) noexcept {
        take(o);
        o.kind_ = Kind::Undefined;
    }
    Value& operator=(const Value& o) {
        if (this == &o) return *this;
        if (o.kind_ == Kind::String) ++o.text_->refs;
        release();
        take(o);
        return *this;
    }
    Value& operator=(Value&& o) noexcept {
        if (this != &o) {
            release();
            take(o);
            o.kind_ = Kind::Undefined;
        }
        return *this;
    }
    ~Value() { release(); }

    Kind kind() const { return kind_; }
    bool isUndefined() const { return kind_ == Kind::Undefined; }
    bool isHole() const { return kind_ == Kind::Undefined && hole_; }
    bool isNull() const { return kind_ == Kind::Null; }
    bool isNullish() const { return kind_ == Kind::Undefined || kind_ == Kind::Null; }
    bool isBoolean() const { return kind_ == Kind::Boolean; }
    bool isNumber() const { return kind_ == Kind::Number; }
    bool isString() const { return kind_ == Kind::String; }
    bool isObject() const { return kind_ == Kind::Object; }

    bool boolean() const { return bool_; }
    double number() const { return kind_ == Kind::Number ? number_ : 0; }
    const std::string& string() const { return kind_ == Kind::String ? text_->text : emptyText(); }
    Object* object() const { return kind_ == Kind::Object ? object_ : nullptr; }

private:
    struct SharedText {
        size_t refs;
        std::string text;
    };
    // Out of line: a compiler that sees the delete cannot tell that other copies keep the text.
    static void freeText(SharedText* text);
    static const std::string& emptyText() {
        static const std::string empty;
        return empty;
    }
    // Copies the kind and payload; the caller settles the text's count.
    void take(const Value& o) {
        kind_ = o.kind_, bool_ = o.bool_, hole_ = o.hole_;
        if (kind_ == Kind::Number) number_ = o.number_;
        else if (kind_ == Kind::String) text_ = o.text_;
        else object_ = o.object_;
    }
    void release() {
        if (kind_ == Kind::String && --text_->refs == 0) freeText(text_);
        kind_ = Kind::Undefined;
    }

    Kind kind_ = Kind::Undefined;
    bool bool_ = false;
    bool hole_ = false;
    union {
        double number_ = 0;
        Object* object_;
        SharedText* text_;
    };
};

// Number to text as the reference player writes it: 15 significant digits, exponent form below
// 1e-5 and from 1e15 on ("1e+21", "1.5e-7"), "NaN", "Infinity", "-Infinity", and -0 as "0".
std::string numberToString(double n);

// Text to number: optional white space, sign, digits, fraction and exponent, or a "0x" hex or
// "0"-led octal integer when `hex` is allowed; anything else (including "" and "Infinity") is NaN.
double stringToNumber(const std::string& s, bool hex);

// Text to number for SWF 4 movies: the longest leading decimal number, 0 when there is none.
double legacyStringToNumber(const std::string& s);

// ToInt32 of the language: wraps modulo 2^32, NaN and the infinities give 0.
int32_t toInt32(double n);

// A count taken from a number: NaN and anything below 1 give 0, and it is no more than `limit`.
size_t toCount(double n, size_t limit);

// A number truncated to an int and held within int's range; NaN gives 0.
int toClampedInt(double n);

}  // namespace swf::avm1
