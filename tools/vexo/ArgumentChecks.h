// Checks for the values of vexo's options and arguments. Each refuses a value with a
// message that names the accepted range; the option's name is put in front by the parser.
#pragma once

#include <CLI/CLI.hpp>

namespace vexo::cli {

// A decimal number in low..high. Refuses text that is no number as a whole, NaN and
// infinities. The accepted text is rewritten as the number read, so the option's own
// conversion reads exactly the value that was checked.
CLI::Validator numberIn(double low, double high);
// A whole decimal number in low..high, rewritten the same way.
CLI::Validator wholeNumberIn(long long low, long long high);

}  // namespace vexo::cli
