// A value of the ActionScript 3 machine: undefined, null, boolean, number, string or object.
// Strings are UTF-16, shared and immutable; numbers are doubles (int and uint are numbers whose
// value fits them).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace swf::avm2 {

class Object;

using String = std::u16string;

class Value {
public:
    enum class Kind : uint8_t { Undefined, Null, Boolean, Number, String, Object };

    Value() = default;
    static Value null() { Value v; v.kind_ = Kind::Null; return v; }
    // An Array element never set (or deleted): reads as undefined, but is not a property of the
    // array, so reads go on to the prototype and enumeration passes it over.
    static Value hole() { Value v; v.bool_ = true; return v; }
    Value(bool b) : kind_(Kind::Boolean), bool_(b) {}
    Value(double n) : kind_(Kind::Number), number_(n) {}
    Value(int n) : kind_(Kind::Number), number_(n) {}
    Value(int64_t n) : kind_(Kind::Number), number_(static_cast<double>(n)) {}
    Value(uint32_t n) : kind_(Kind::Number), number_(n) {}
    Value(String s) : kind_(Kind::String), string_(std::make_shared<const String>(std::move(s))) {}
    Value(const char16_t* s) : Value(String(s)) {}
    Value(Object* o) : kind_(o ? Kind::Object : Kind::Null), object_(o) {}
    Value(const char*) = delete;

    Kind kind() const { return kind_; }
    bool isUndefined() const { return kind_ == Kind::Undefined; }
    bool isHole() const { return kind_ == Kind::Undefined && bool_; }
    bool isNull() const { return kind_ == Kind::Null; }
    bool isNullish() const { return kind_ == Kind::Undefined || kind_ == Kind::Null; }
    bool isBoolean() const { return kind_ == Kind::Boolean; }
    bool isNumber() const { return kind_ == Kind::Number; }
    bool isString() const { return kind_ == Kind::String; }
    bool isObject() const { return kind_ == Kind::Object; }

    bool boolean() const { return bool_; }
    double number() const { return number_; }
    const String& string() const { return *string_; }
    Object* object() const { return kind_ == Kind::Object ? object_ : nullptr; }

private:
    Kind kind_ = Kind::Undefined;
    bool bool_ = false;
    double number_ = 0;
    std::shared_ptr<const String> string_;
    Object* object_ = nullptr;
};

// ASCII text to a script string (for names and messages written in the code).
inline String ascii(std::string_view s) { return String(s.begin(), s.end()); }

// Number to text as the language writes it: the shortest digits that read back the same number,
// exponent form from 1e21 on and below 1e-6, "NaN", "Infinity", "-Infinity", -0 as "0".
String numberToString(double n);
// In base 2 to 36: the whole part only.
String numberToRadix(double n, int radix);
// Text to number: white space, sign, decimal or "0x" hex, "Infinity"; "" is 0; else NaN.
double stringToNumber(const String& s);
int32_t toInt32(double n);
uint32_t toUint32(double n);

}  // namespace swf::avm2
