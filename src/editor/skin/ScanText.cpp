#include "editor/skin/ScanText.h"

#include <climits>
#include <limits>

namespace vexo {
namespace {

bool isDigit(int c) {
    return c >= '0' && c <= '9';
}

// Consumes a run of digits; returns how many there were.
std::size_t takeDigits(TextScanner& in, std::string* into) {
    std::size_t count = 0;
    while (isDigit(in.peek())) {
        const char c = static_cast<char>(in.get());
        if (into != nullptr && into->size() < 400) {
            *into += c;
        }
        ++count;
    }
    return count;
}

}  // namespace

bool scanDecimalInt(TextScanner& in, int& value) {
    in.skipSpace();
    const std::size_t start = in.position();
    bool negative = false;
    if (in.peek() == '+' || in.peek() == '-') {
        negative = in.get() == '-';
    }
    if (!isDigit(in.peek())) {
        in.seek(start);
        return false;
    }
    long long magnitude = 0;
    while (isDigit(in.peek())) {
        const int digit = in.get() - '0';
        // Beyond the int range the value stays at its limit; the digits are still consumed.
        if (magnitude <= static_cast<long long>(INT_MAX) + 1) {
            magnitude = magnitude * 10 + digit;
        }
    }
    const long long signedValue = negative ? -magnitude : magnitude;
    value = static_cast<int>(signedValue > INT_MAX ? INT_MAX : (signedValue < INT_MIN ? INT_MIN : signedValue));
    return true;
}

bool scanDecimalFloat(TextScanner& in, float& value) {
    in.skipSpace();
    const std::size_t start = in.position();
    std::string number;
    if (in.peek() == '+' || in.peek() == '-') {
        number += static_cast<char>(in.get());
    }
    std::size_t digits = takeDigits(in, &number);
    if (in.peek() == '.') {
        number += static_cast<char>(in.get());
        digits += takeDigits(in, &number);
    }
    if (digits == 0) {
        in.seek(start);
        return false;
    }
    if (in.peek() == 'e' || in.peek() == 'E') {
        const std::size_t exponentStart = in.position();
        std::string exponent(1, static_cast<char>(in.get()));
        if (in.peek() == '+' || in.peek() == '-') {
            exponent += static_cast<char>(in.get());
        }
        if (takeDigits(in, &exponent) > 0) {
            number += exponent;
        } else {
            in.seek(exponentStart);
        }
    }
    const double parsed = parseDecimal(number);
    if (parsed > std::numeric_limits<float>::max() || parsed < -std::numeric_limits<float>::max()) {
        return false;
    }
    value = static_cast<float>(parsed);
    return true;
}

int scanIntList(TextScanner& in, bool leadingComma, int* values, int count) {
    for (int i = 0; i < count; ++i) {
        if ((i > 0 || leadingComma) && !in.literal(',')) {
            return i;
        }
        if (!scanDecimalInt(in, values[i])) {
            return i;
        }
    }
    return count;
}

bool scanQuoted(TextScanner& in, std::string& text, std::size_t maxLength) {
    in.skipSpace();
    if (in.peek() != '"') {
        return false;
    }
    in.get();
    text.clear();
    while (!in.atEnd()) {
        const int c = in.peek();
        if (c == '\n' || c == '\r') {
            break;
        }
        in.get();
        if (c == '"') {
            break;
        }
        if (text.size() < maxLength) {
            text += static_cast<char>(c);
        }
    }
    return true;
}

}  // namespace vexo
