// How the form's number texts become numbers and back: the atof/_itoa conventions the aspect
// geometry was written against, made locale-independent and free of undefined behaviour.
#pragma once

#include <string>
#include <string_view>

namespace mk {

// As atof: leading white space skipped, the longest prefix that forms a decimal number
// ([+-] digits [. digits] [e|E [+-] digits]), 0.0 when there is none. Always '.' as the decimal
// point, whatever the locale. Only decimal text counts: "inf", "nan" and hex forms give 0.0.
// A magnitude too large for a double gives +-infinity, one too small gives 0. Never reads
// beyond the view.
double AtoF(std::string_view text);

// Toward zero to a 32-bit signed integer. Values beyond the int range (infinities included)
// saturate to INT_MIN / INT_MAX; NaN gives 0.
int TruncateToInt(double v);

// Decimal, no padding, '-' for negatives.
std::string IntToText(int v);

// True when the fractional part of v (as modf splits it) is at most 0.001 in magnitude.
bool IsWhole(double v);

// a when a * 0.5 is whole, else a + 1: the smallest even number not below a. At INT_MAX, where
// that number does not fit, the result is the largest even int (2147483646).
int RoundUpToEven(int a);

// The first of a, a + 1, a + 2 whose product with 0.25 is whole, else a + 3: the smallest
// multiple of 4 not below a. Near INT_MAX, where that does not fit, the result is the largest
// multiple of 4 that does (2147483644).
int RoundUpToMultipleOf4(int a);

}  // namespace mk
