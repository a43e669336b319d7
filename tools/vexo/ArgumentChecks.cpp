#include "ArgumentChecks.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vexo::cli {
namespace {

// Shortest text that reads back as the same double.
std::string numberText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::string rangeText(const std::string& low, const std::string& high) {
    return low + ".." + high;
}

}  // namespace

CLI::Validator numberIn(double low, double high) {
    const std::string range = rangeText(numberText(low), numberText(high));
    return CLI::Validator(
        [low, high, range](std::string& text) -> std::string {
            char* end = nullptr;
            errno = 0;
            const double value = std::strtod(text.c_str(), &end);
            if (text.empty() || *end != 0 || std::isnan(value)) {
                return "'" + text + "' is no number; expected one in " + range;
            }
            if (errno == ERANGE || value < low || value > high) {
                return text + " is outside " + range;
            }
            text = numberText(value);
            return {};
        },
        range);
}

CLI::Validator wholeNumberIn(long long low, long long high) {
    const std::string range = rangeText(std::to_string(low), std::to_string(high));
    return CLI::Validator(
        [low, high, range](std::string& text) -> std::string {
            char* end = nullptr;
            errno = 0;
            const long long value = std::strtoll(text.c_str(), &end, 10);
            if (text.empty() || *end != 0) {
                return "'" + text + "' is no whole number; expected one in " + range;
            }
            if (errno == ERANGE || value < low || value > high) {
                return text + " is outside " + range;
            }
            text = std::to_string(value);
            return {};
        },
        range);
}

}  // namespace vexo::cli
