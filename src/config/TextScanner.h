// Reads text the way the configuration, map and pattern files are defined: whitespace-
// separated tokens with length limits, single characters, comment lines. It works on an
// in-memory byte range, so readers can be fed any bytes, truncated or not.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vexo {

// The C locale's whitespace: blank, tab, line feed, vertical tab, form feed, return.
constexpr bool isSpaceChar(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

class TextScanner {
public:
    explicit TextScanner(std::string_view text) : text_(text) {}

    bool atEnd() const { return pos_ >= text_.size(); }
    std::size_t position() const { return pos_; }
    void seek(std::size_t pos) { pos_ = pos < text_.size() ? pos : text_.size(); }
    // The next character, or -1 at the end.
    int peek() const { return atEnd() ? -1 : static_cast<unsigned char>(text_[pos_]); }
    int get() { return atEnd() ? -1 : static_cast<unsigned char>(text_[pos_++]); }
    void unget() {
        if (pos_ > 0) {
            --pos_;
        }
    }

    void skipSpace();
    // Skips blanks and tabs only.
    void skipBlanks();
    // Skips whitespace, then takes up to maxLength non-whitespace characters; a longer
    // run continues as the next token. Empty at the end of the text.
    std::string_view token(std::size_t maxLength);
    // As token, but the token also ends before the character stop.
    std::string_view tokenUntil(std::size_t maxLength, char stop);
    // Skips whitespace, then consumes c if it is next. Nothing else is consumed.
    bool literal(char c);
    // Consumes everything up to and including the next line feed.
    void skipLine();
    std::string_view rest() const { return text_.substr(pos_); }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// Integer with automatic base ("0x" hexadecimal, leading 0 octal, else decimal), read
// from the start of the text as far as it is a number; no number gives 0. Values beyond
// the int range are limited to it.
int parseIntAutoBase(std::string_view text);
// Decimal floating-point number read from the start of the text as far as it is one;
// no number (also infinities, NaN and hexadecimal forms) gives 0.
double parseDecimal(std::string_view text);
// Case-insensitive comparison of ASCII text.
bool equalsIgnoreCase(std::string_view a, std::string_view b);

// Reads a whole file; false when it cannot be opened.
bool readWholeFile(const std::string& path, std::string& contents);
// Writes a file by way of a temporary file beside it that replaces the old file only
// once it is completely written; false when it cannot be created or written.
bool writeFileAtomically(const std::string& path, std::string_view contents);

}  // namespace vexo
