#include "engine/avm1/value.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace swf::avm1 {

void Value::freeText(SharedText* text) { delete text; }

std::string numberToString(double n) {
    if (std::isnan(n)) return "NaN";
    if (std::isinf(n)) return n > 0 ? "Infinity" : "-Infinity";
    if (n == 0) return "0";
    // Integers in the exact range print without any rounding work.
    if (std::fabs(n) < 1e15 && n == std::floor(n)) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.0f", n);
        return buf;
    }
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", n);  // d.dddddddddddddde±XX: 15 significant digits
    std::string text(buf);
    size_t e = text.find('e');
    int exponent = std::atoi(text.c_str() + e + 1);
    bool negative = text[0] == '-';
    std::string digits;
    for (size_t i = negative ? 1 : 0; i < e; ++i)
        if (text[i] != '.') digits += text[i];
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string out = negative ? "-" : "";
    if (exponent >= 15 || exponent < -5) {
        out += digits[0];
        if (digits.size() > 1) {
            out += '.';
            out.append(digits, 1);
        }
        out += exponent < 0 ? "e-" : "e+";
        out += std::to_string(std::abs(exponent));
    } else if (exponent < 0) {
        out += "0.";
        out.append(size_t(-exponent - 1), '0');
        out += digits;
    } else {
        size_t intDigits = size_t(exponent) + 1;
        if (digits.size() <= intDigits) {
            out += digits + std::string(intDigits - digits.size(), '0');
        } else {
            out.append(digits, 0, intDigits);
            out += '.';
            out.append(digits, intDigits);
        }
    }
    return out;
}

static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

double stringToNumber(const std::string& s, bool hex) {
    size_t i = 0, n = s.size();
    while (i < n && isSpace(s[i])) ++i;
    if (i == n) return NAN;
    if (hex && n - i > 2 && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        uint32_t v = 0;
        for (size_t k = i + 2; k < n; ++k) {
            char c = s[k];
            int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (d < 0) return NAN;
            v = v * 16 + uint32_t(d);
        }
        return double(int32_t(v));
    }
    size_t start = i;
    if (s[i] == '+' || s[i] == '-') ++i;
    // With hex, a leading zero followed by octal digits only is an octal integer ("010" is 8).
    if (hex && n - i > 1 && s[i] == '0' && s.find_first_not_of("01234567", i) == std::string::npos) {
        double v = 0;
        for (size_t k = i; k < n; ++k) v = v * 8 + (s[k] - '0');
        return s[start] == '-' ? -v : v;
    }
    bool anyDigit = false;
    while (i < n && s[i] >= '0' && s[i] <= '9') { ++i; anyDigit = true; }
    if (i < n && s[i] == '.') {
        ++i;
        while (i < n && s[i] >= '0' && s[i] <= '9') { ++i; anyDigit = true; }
    }
    if (!anyDigit) return NAN;
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        size_t k = i + 1;
        if (k < n && (s[k] == '+' || s[k] == '-')) ++k;
        if (k < n && s[k] >= '0' && s[k] <= '9') {
            while (k < n && s[k] >= '0' && s[k] <= '9') ++k;
            i = k;
        }
    }
    if (i != n) return NAN;
    return std::strtod(s.c_str() + start, nullptr);
}

double legacyStringToNumber(const std::string& s) {
    size_t i = 0, n = s.size();
    while (i < n && isSpace(s[i])) ++i;
    size_t start = i;
    if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
    bool anyDigit = false;
    while (i < n && s[i] >= '0' && s[i] <= '9') { ++i; anyDigit = true; }
    if (i < n && s[i] == '.') {
        ++i;
        while (i < n && s[i] >= '0' && s[i] <= '9') { ++i; anyDigit = true; }
    }
    if (!anyDigit) return 0;
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        size_t k = i + 1;
        if (k < n && (s[k] == '+' || s[k] == '-')) ++k;
        if (k < n && s[k] >= '0' && s[k] <= '9') {
            while (k < n && s[k] >= '0' && s[k] <= '9') ++k;
            i = k;
        }
    }
    return std::strtod(s.substr(start, i - start).c_str(), nullptr);
}

int32_t toInt32(double n) {
    if (!std::isfinite(n)) return 0;
    double m = std::fmod(std::trunc(n), 4294967296.0);
    if (m < 0) m += 4294967296.0;
    return int32_t(uint32_t(m));
}

size_t toCount(double n, size_t limit) {
    if (!(n >= 1)) return 0;
    return n >= double(limit) ? limit : size_t(n);
}

int toClampedInt(double n) {
    if (std::isnan(n)) return 0;
    return int(std::clamp(std::trunc(n), double(std::numeric_limits<int>::min()), double(std::numeric_limits<int>::max())));
}

}  // namespace swf::avm1
