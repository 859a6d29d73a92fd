// A script value: undefined, null, boolean, number, string or object reference.
#pragma once

#include <cstdint>
#include <string>

namespace swf::avm1 {

class Object;

class Value {
public:
    enum class Kind : unsigned char { Undefined, Null, Boolean, Number, String, Object };

    Value() = default;
    static Value null() { Value v; v.kind_ = Kind::Null; return v; }
    Value(bool b) : kind_(Kind::Boolean), bool_(b) {}
    Value(double n) : kind_(Kind::Number), number_(n) {}
    Value(int n) : kind_(Kind::Number), number_(n) {}
    Value(std::string s) : kind_(Kind::String), string_(std::move(s)) {}
    Value(const char* s) : kind_(Kind::String), string_(s) {}
    Value(Object* o) : kind_(o ? Kind::Object : Kind::Null), object_(o) {}

    Kind kind() const { return kind_; }
    bool isUndefined() const { return kind_ == Kind::Undefined; }
    bool isNull() const { return kind_ == Kind::Null; }
    bool isNullish() const { return kind_ == Kind::Undefined || kind_ == Kind::Null; }
    bool isBoolean() const { return kind_ == Kind::Boolean; }
    bool isNumber() const { return kind_ == Kind::Number; }
    bool isString() const { return kind_ == Kind::String; }
    bool isObject() const { return kind_ == Kind::Object; }

    bool boolean() const { return bool_; }
    double number() const { return number_; }
    const std::string& string() const { return string_; }
    Object* object() const { return kind_ == Kind::Object ? object_ : nullptr; }

private:
    Kind kind_ = Kind::Undefined;
    bool bool_ = false;
    double number_ = 0;
    std::string string_;
    Object* object_ = nullptr;
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
