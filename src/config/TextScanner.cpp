#include "config/TextScanner.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vexo {

void TextScanner::skipSpace() {
    while (!atEnd() && isSpaceChar(text_[pos_])) {
        ++pos_;
    }
}

void TextScanner::skipBlanks() {
    while (!atEnd() && (text_[pos_] == ' ' || text_[pos_] == '\t')) {
        ++pos_;
    }
}

std::string_view TextScanner::token(std::size_t maxLength) {
    skipSpace();
    const std::size_t start = pos_;
    while (!atEnd() && !isSpaceChar(text_[pos_]) && pos_ - start < maxLength) {
        ++pos_;
    }
    return text_.substr(start, pos_ - start);
}

std::string_view TextScanner::tokenUntil(std::size_t maxLength, char stop) {
    skipSpace();
    const std::size_t start = pos_;
    while (!atEnd() && !isSpaceChar(text_[pos_]) && text_[pos_] != stop && pos_ - start < maxLength) {
        ++pos_;
    }
    return text_.substr(start, pos_ - start);
}

bool TextScanner::literal(char c) {
    skipSpace();
    if (!atEnd() && text_[pos_] == c) {
        ++pos_;
        return true;
    }
    return false;
}

void TextScanner::skipLine() {
    while (!atEnd()) {
        if (text_[pos_++] == '\n') {
            return;
        }
    }
}

int parseIntAutoBase(std::string_view text) {
    // strtol needs a terminated string; tokens are short, so copy.
    const std::string copy(text.substr(0, 128));
    errno = 0;
    const long value = std::strtol(copy.c_str(), nullptr, 0);
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

double parseDecimal(std::string_view text) {
    std::size_t i = 0;
    std::string number;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        number += text[i++];
    }
    bool digits = false;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && number.size() < 400) {
        number += text[i++];
        digits = true;
    }
    if (i < text.size() && text[i] == '.') {
        number += text[i++];
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && number.size() < 400) {
            number += text[i++];
            digits = true;
        }
    }
    if (!digits) {
        return 0.0;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::string exponent = "e";
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            exponent += text[j++];
        }
        bool expDigits = false;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9' && exponent.size() < 8) {
            exponent += text[j++];
            expDigits = true;
        }
        if (expDigits) {
            number += exponent;
        }
    }
    const double value = std::strtod(number.c_str(), nullptr);
    return std::isfinite(value) ? value : 0.0;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') {
            x = static_cast<char>(x - 'A' + 'a');
        }
        if (y >= 'A' && y <= 'Z') {
            y = static_cast<char>(y - 'A' + 'a');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

bool readWholeFile(const std::string& path, std::string& contents) {
    // A folder opens as a stream on Linux and reads as empty: that is no file.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) {
        return false;
    }
    contents = buffer.str();
    return true;
}

bool writeFileAtomically(const std::string& path, std::string_view contents) {
    // Unique per process and call, since several plug-in instances may save at once.
    static std::atomic<unsigned> counter{0};
    const std::string temporary =
        path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1));
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace vexo
