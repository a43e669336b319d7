// Pattern text: one pattern with a knob record, and a whole bank, from any bytes; what
// is read is written again and must read back the same.
#include <string>

#include "config/TextScanner.h"
#include "patterns/PatternText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    vexo::Pattern pattern;
    vexo::KnobPositions knobs;
    vexo::readPatternText(pattern, text, &knobs);
    if (pattern.length() < 1 || pattern.length() > 64) {
        __builtin_trap();
    }
    vexo::Pattern again;
    vexo::KnobPositions knobsAgain;
    const std::string written = vexo::patternToText(pattern, &knobs);
    vexo::readPatternText(again, written, &knobsAgain);
    if (vexo::patternToText(again, &knobsAgain) != written) {
        __builtin_trap();
    }

    vexo::PatternBank bank;
    vexo::TextScanner in(text);
    vexo::readBank(bank, in);
    vexo::bankToText(bank);
    return 0;
}
