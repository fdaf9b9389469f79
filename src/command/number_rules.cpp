#include "command/number_rules.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <limits>
#include <string>

namespace mk {

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Keeps exponent arithmetic far from overflow; no double needs more than a few hundred.
constexpr long long kExponentLimit = 1000000000LL;

// The pieces of a decimal number at the start of a text, as atof reads them.
struct DecimalParts {
    bool negative = false;
    std::string_view intDigits;
    std::string_view fracDigits;
    long long exponent = 0;
};

std::size_t SkipDigits(std::string_view text, std::size_t i) {
    while (i < text.size() && IsDigit(text[i])) {
        ++i;
    }
    return i;
}

// The exponent after "e" at text[i]; it counts only when a digit follows "e" and its sign.
long long ReadExponent(std::string_view text, std::size_t i) {
    const std::size_t n = text.size();
    if (i >= n || (text[i] != 'e' && text[i] != 'E')) {
        return 0;
    }
    std::size_t j = i + 1;
    bool negative = false;
    if (j < n && (text[j] == '+' || text[j] == '-')) {
        negative = text[j] == '-';
        ++j;
    }
    long long exponent = 0;
    for (; j < n && IsDigit(text[j]); ++j) {
        if (exponent < kExponentLimit) {
            exponent = exponent * 10 + (text[j] - '0');
        }
    }
    return negative ? -exponent : exponent;
}

// Blanks, sign, digits, fraction and exponent; no digits at all gives empty digit views.
DecimalParts ScanDecimal(std::string_view text) {
    DecimalParts parts;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && IsSpace(text[i])) {
        ++i;
    }
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        parts.negative = text[i] == '-';
        ++i;
    }
    const std::size_t intEnd = SkipDigits(text, i);
    parts.intDigits = text.substr(i, intEnd - i);
    i = intEnd;
    if (i < n && text[i] == '.') {
        const std::size_t fracEnd = SkipDigits(text, i + 1);
        parts.fracDigits = text.substr(i + 1, fracEnd - i - 1);
        if (!parts.intDigits.empty() || !parts.fracDigits.empty()) {
            i = fracEnd;
        }
    }
    if (!parts.intDigits.empty() || !parts.fracDigits.empty()) {
        parts.exponent = ReadExponent(text, i);
    }
    return parts;
}

// Overflow or underflow of from_chars: decided by the decimal order of the first significant digit.
double OutOfRange(const DecimalParts& p) {
    long long order = 0;
    bool found = false;
    for (std::size_t k = 0; k < p.intDigits.size() && !found; ++k) {
        if (p.intDigits[k] != '0') {
            order = static_cast<long long>(p.intDigits.size() - k) - 1;
            found = true;
        }
    }
    for (std::size_t k = 0; k < p.fracDigits.size() && !found; ++k) {
        if (p.fracDigits[k] != '0') {
            order = -static_cast<long long>(k) - 1;
            found = true;
        }
    }
    return (found && order + p.exponent > 0) ? std::numeric_limits<double>::infinity() : 0.0;
}

}  // namespace

double AtoF(std::string_view text) {
    const DecimalParts p = ScanDecimal(text);
    if (p.intDigits.empty() && p.fracDigits.empty()) {
        return 0.0;
    }
    // One canonical form for from_chars, which is locale-free and rounds correctly.
    std::string canonical;
    canonical.reserve(p.intDigits.size() + p.fracDigits.size() + 16);
    canonical += p.intDigits.empty() ? std::string_view("0") : p.intDigits;
    canonical += '.';
    canonical += p.fracDigits.empty() ? std::string_view("0") : p.fracDigits;
    canonical += 'e';
    canonical += std::to_string(p.exponent);

    double value = 0.0;
    const auto result =
        std::from_chars(canonical.data(), canonical.data() + canonical.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        value = OutOfRange(p);
    } else if (result.ec != std::errc()) {
        value = 0.0;
    }
    return p.negative ? -value : value;
}

int TruncateToInt(double v) {
    if (std::isnan(v)) {
        return 0;
    }
    // Both bounds are exact doubles; anything at or beyond them saturates.
    if (v >= 2147483648.0) {
        return INT_MAX;
    }
    if (v <= -2147483649.0) {
        return INT_MIN;
    }
    return static_cast<int>(v);
}

std::string IntToText(int v) {
    return std::to_string(v);
}

bool IsWhole(double v) {
    double integral = 0.0;
    const double fraction = std::modf(v, &integral);
    return std::fabs(fraction) <= 0.001;
}

namespace {

int ClampDown(long long v, int largest) {
    return v > INT_MAX ? largest : static_cast<int>(v);
}

}  // namespace

int RoundUpToEven(int a) {
    const long long wide = a;
    const long long result = IsWhole(static_cast<double>(wide) * 0.5) ? wide : wide + 1;
    return ClampDown(result, INT_MAX - 1);
}

int RoundUpToMultipleOf4(int a) {
    const long long wide = a;
    for (long long step = 0; step < 3; ++step) {
        if (IsWhole(static_cast<double>(wide + step) * 0.25)) {
            return ClampDown(wide + step, INT_MAX - 3);
        }
    }
    return ClampDown(wide + 3, INT_MAX - 3);
}

}  // namespace mk
