// Formatted reading shared by the skin and GUI settings readers: decimal numbers in the
// manner of the C library's "%d" and "%f" conversions, comma-separated number lists and
// quoted texts.
#pragma once

#include <cstddef>
#include <string>

#include "config/TextScanner.h"

namespace vexo {

// Skips whitespace, then reads an optionally signed decimal integer, limited to the int
// range. Without digits only the whitespace is consumed and value keeps its old content.
bool scanDecimalInt(TextScanner& in, int& value);
// As scanDecimalInt for a decimal floating-point number; a value a float cannot hold
// counts as no number.
bool scanDecimalFloat(TextScanner& in, float& value);
// Reads "n1, n2, ..." (with a comma before n1 when leadingComma is set) into values,
// stopping at the first separator or number that is not there; blanks around the
// commas are free. Returns how many numbers were read; the others keep their content.
int scanIntList(TextScanner& in, bool leadingComma, int* values, int count);
// Skips whitespace; when a double quote follows, reads the text up to the closing quote
// (consumed) or the end of the line (line feed or return), keeping at most maxLength characters of it. False,
// with nothing but the whitespace consumed, when there is no opening quote.
bool scanQuoted(TextScanner& in, std::string& text, std::size_t maxLength);

}  // namespace vexo
