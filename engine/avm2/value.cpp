#include "engine/avm2/value.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace swf::avm2 {

String numberToString(double n) {
    if (std::isnan(n)) return u"NaN";
    if (std::isinf(n)) return n > 0 ? u"Infinity" : u"-Infinity";
    if (n == 0) return u"0";
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, n, std::chars_format::scientific);
    std::string text(buf, res.ptr);  // shortest round-trip digits: d.ddde±x
    size_t e = text.find('e');
    int exponent = std::atoi(text.c_str() + e + 1);
    bool negative = text[0] == '-';
    std::string digits;
    for (size_t i = negative ? 1 : 0; i < e; ++i)
        if (text[i] != '.') digits += text[i];
    int k = static_cast<int>(digits.size());
    int pos = exponent + 1;  // where the decimal point goes, counted in digits
    std::string out = negative ? "-" : "";
    if (k <= pos && pos <= 21) {
        out += digits + std::string(static_cast<size_t>(pos - k), '0');
    } else if (0 < pos && pos <= 21) {
        out += digits.substr(0, static_cast<size_t>(pos)) + "." + digits.substr(static_cast<size_t>(pos));
    } else if (-6 < pos && pos <= 0) {
        out += "0." + std::string(static_cast<size_t>(-pos), '0') + digits;
    } else {
        out += digits.substr(0, 1);
        if (k > 1) out += "." + digits.substr(1);
        out += exponent < 0 ? "e-" : "e+";
        out += std::to_string(std::abs(exponent));
    }
    return String(out.begin(), out.end());
}

String numberToRadix(double n, int radix) {
    if (radix == 10 || std::isnan(n) || std::isinf(n)) return numberToString(n);
    bool negative = n < 0;
    n = std::fabs(n);
    // Only the whole part is written: the reference player drops the fraction in other radices.
    double ip = std::floor(n);
    std::string digits;
    const char* alphabet = "0123456789abcdefghijklmnopqrstuvwxyz";
    if (ip == 0) digits = "0";
    while (ip >= 1 && digits.size() < 1100) {
        double q = std::floor(ip / radix);
        int d = static_cast<int>(ip - q * radix);
        digits.insert(digits.begin(), alphabet[d < 0 ? 0 : d]);
        ip = q;
    }
    if (negative) digits.insert(digits.begin(), '-');
    return String(digits.begin(), digits.end());
}

static bool isSpace(char16_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == 0x0B || c == 0x0C || c == 0xA0 || c == 0x2028 ||
           c == 0x2029 || c == 0xFEFF || (c >= 0x2000 && c <= 0x200A) || c == 0x3000 || c == 0x1680 || c == 0x202F ||
           c == 0x205F;
}

double stringToNumber(const String& s) {
    size_t b = 0, e = s.size();
    while (b < e && isSpace(s[b])) ++b;
    while (e > b && isSpace(s[e - 1])) --e;
    if (b == e) return 0;
    std::string t;
    for (size_t i = b; i < e; ++i) {
        if (s[i] > 127) return NAN;
        t += static_cast<char>(s[i]);
    }
    bool negative = false;
    std::string body = t;
    if (!body.empty() && (body[0] == '+' || body[0] == '-')) {
        negative = body[0] == '-';
        body = body.substr(1);
    }
    if (body == "Infinity") return negative ? -INFINITY : INFINITY;
    if (body.size() > 2 && body[0] == '0' && (body[1] == 'x' || body[1] == 'X')) {
        double v = 0;
        for (size_t i = 2; i < body.size(); ++i) {
            char c = body[i];
            int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (d < 0) return NAN;
            v = v * 16 + d;
        }
        return negative ? -v : v;
    }
    // Decimal: digits, optional fraction, optional exponent; nothing else.
    size_t i = 0, digits = 0;
    while (i < body.size() && isdigit(static_cast<unsigned char>(body[i]))) ++i, ++digits;
    if (i < body.size() && body[i] == '.') {
        ++i;
        while (i < body.size() && isdigit(static_cast<unsigned char>(body[i]))) ++i, ++digits;
    }
    if (digits == 0) return NAN;
    if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
        size_t j = i + 1;
        if (j < body.size() && (body[j] == '+' || body[j] == '-')) ++j;
        size_t expDigits = 0;
        while (j < body.size() && isdigit(static_cast<unsigned char>(body[j]))) ++j, ++expDigits;
        if (expDigits == 0) return NAN;
        i = j;
    }
    if (i != body.size()) return NAN;
    double v = std::strtod(body.c_str(), nullptr);
    return negative ? -v : v;
}

int32_t toInt32(double n) { return static_cast<int32_t>(toUint32(n)); }

uint32_t toUint32(double n) {
    if (!std::isfinite(n)) return 0;
    if (n >= 0 && n < 4294967296.0) return static_cast<uint32_t>(n);
    double m = std::fmod(std::trunc(n), 4294967296.0);
    if (m < 0) m += 4294967296.0;
    return static_cast<uint32_t>(m);
}

}  // namespace swf::avm2
