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

}  // namespace

double AtoF(std::string_view text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && IsSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t intStart = i;
    while (i < n && IsDigit(text[i])) {
        ++i;
    }
    const std::string_view intDigits = text.substr(intStart, i - intStart);
    std::string_view fracDigits;
    if (i < n && text[i] == '.') {
        const std::size_t fracStart = i + 1;
        std::size_t j = fracStart;
        while (j < n && IsDigit(text[j])) {
            ++j;
        }
        fracDigits = text.substr(fracStart, j - fracStart);
        if (!intDigits.empty() || !fracDigits.empty()) {
            i = j;
        }
    }
    if (intDigits.empty() && fracDigits.empty()) {
        return 0.0;
    }
    // The exponent counts only when at least one digit follows "e" and its sign.
    long long exponent = 0;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        bool expNegative = false;
        if (j < n && (text[j] == '+' || text[j] == '-')) {
            expNegative = text[j] == '-';
            ++j;
        }
        if (j < n && IsDigit(text[j])) {
            while (j < n && IsDigit(text[j])) {
                if (exponent < kExponentLimit) {
                    exponent = exponent * 10 + (text[j] - '0');
                }
                ++j;
            }
            if (expNegative) {
                exponent = -exponent;
            }
        }
    }

    // One canonical form for from_chars, which is locale-free and rounds correctly.
    std::string canonical;
    canonical.reserve(intDigits.size() + fracDigits.size() + 16);
    canonical += intDigits.empty() ? std::string_view("0") : intDigits;
    canonical += '.';
    canonical += fracDigits.empty() ? std::string_view("0") : fracDigits;
    canonical += 'e';
    canonical += std::to_string(exponent);

    double value = 0.0;
    const auto [ptr, ec] =
        std::from_chars(canonical.data(), canonical.data() + canonical.size(), value);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        // Overflow or underflow: decide by the decimal order of the first significant digit.
        long long order = 0;
        bool found = false;
        for (std::size_t k = 0; k < intDigits.size(); ++k) {
            if (intDigits[k] != '0') {
                order = static_cast<long long>(intDigits.size() - k) - 1;
                found = true;
                break;
            }
        }
        if (!found) {
            for (std::size_t k = 0; k < fracDigits.size(); ++k) {
                if (fracDigits[k] != '0') {
                    order = -static_cast<long long>(k) - 1;
                    found = true;
                    break;
                }
            }
        }
        value = (found && order + exponent > 0) ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (ec != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
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
