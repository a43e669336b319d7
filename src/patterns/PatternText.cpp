#include "patterns/PatternText.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace vexo {
namespace {

// Octave characters that add one or two octaves to the note byte.
constexpr char kOctaveDigitPlusOne = '5';
constexpr char kOctaveDigitPlusTwo = '6';
constexpr int kBaseOctave = 3;

// Between the lines of a pattern file only these count as blank.
bool isLineBlank(int c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

void skipLineBlanks(TextScanner& in) {
    while (!in.atEnd() && isLineBlank(in.peek())) {
        in.get();
    }
}

// The rest of a comment line after the ";", up to a line feed, return, zero character or
// the end; only the first kMaxCommentChars are kept, the rest of the line is skipped.
std::string readCommentText(TextScanner& in) {
    std::string text;
    while (!in.atEnd()) {
        const int c = in.get();
        if (c == '\n' || c == '\r' || c == 0) {
            break;
        }
        if (text.size() < kMaxCommentChars) {
            text += static_cast<char>(c);
        }
    }
    return text;
}

// An unsigned decimal number after optional whitespace and "+"; false when no digit
// follows. Values beyond 32 bits are limited to 0xffffffff.
bool scanUnsigned(std::string_view text, std::uint32_t& value) {
    std::size_t i = 0;
    while (i < text.size() && isSpaceChar(text[i])) {
        ++i;
    }
    if (i < text.size() && text[i] == '+') {
        ++i;
    }
    if (i >= text.size() || text[i] < '0' || text[i] > '9') {
        return false;
    }
    std::uint64_t number = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        number = std::min<std::uint64_t>(number * 10 + static_cast<std::uint64_t>(text[i] - '0'), UINT32_MAX);
    }
    value = static_cast<std::uint32_t>(number);
    return true;
}

// A knob-line token: after blanks and tabs, up to a blank, a line feed or the end, at most
// kMaxKnobTokenChars long.
std::string_view knobToken(std::string_view text, std::size_t& pos) {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) {
        ++pos;
    }
    const std::size_t start = pos;
    while (pos < text.size() && text[pos] != ' ' && text[pos] != '\n' && pos - start < kMaxKnobTokenChars) {
        ++pos;
    }
    return text.substr(start, pos - start);
}

float toFloat(double value) {
    return static_cast<float>(std::clamp(value, static_cast<double>(-FLT_MAX), static_cast<double>(FLT_MAX)));
}

// Name and value pairs; names that are no knob name are ignored. A name without a value
// at the end of the line sets nothing.
constexpr double kMaxKnobValue = 1e6;

void parseKnobLine(std::string_view text, KnobPositions& knobs) {
    std::size_t pos = 0;
    for (;;) {
        const std::string_view name = knobToken(text, pos);
        if (name.empty()) {
            return;
        }
        const std::string_view value = knobToken(text, pos);
        if (value.empty()) {
            return;
        }
        // Parameters are 0..1 and tempos a few hundred; a value beyond that is no knob
        // position, and one too wide for a token could never be written back.
        const double number = parseDecimal(value);
        if (std::fabs(number) > kMaxKnobValue) {
            continue;
        }
        for (int slot = 0; slot < kNamedKnobSlots; ++slot) {
            if (name == kKnobNames[slot]) {
                knobs.set(slot, toFloat(number));
            }
        }
    }
}

void readComment(Pattern& pattern, TextScanner& in, KnobPositions* knobs, int& expected) {
    const std::string text = readCommentText(in);
    const std::size_t tag = text.find(kPatternMetaTag);
    if (tag != std::string::npos) {
        std::uint32_t header = 0;
        if (scanUnsigned(std::string_view(text).substr(tag + kPatternMetaTag.size()), header)) {
            pattern.header = header;
        }
        expected = pattern.length();
    }
    if (knobs != nullptr) {
        parseKnobLine(text, *knobs);
    }
}

struct StepLine {
    int name[2];
    int octave;
    int gate;
    int slide;
    int accent;
};

// Three characters as they stand, then three single characters each after any
// whitespace, then any whitespace. False when the text ends before all six.
bool scanStepLine(TextScanner& in, StepLine& line) {
    line.name[0] = in.get();
    line.name[1] = in.get();
    line.octave = in.get();
    if (line.octave < 0) {
        return false;
    }
    int* const flags[] = {&line.gate, &line.slide, &line.accent};
    for (int* flag : flags) {
        in.skipSpace();
        *flag = in.get();
        if (*flag < 0) {
            return false;
        }
    }
    in.skipSpace();
    return true;
}

Step stepFromLine(const StepLine& line, int noteIndex) {
    std::uint8_t flags = 0;
    if (line.gate & 1) {
        flags |= StepFlags::Gate;
    }
    if (line.slide & 1) {
        flags |= StepFlags::Slide;
    }
    if (line.accent & 1) {
        flags |= StepFlags::Accent;
    }
    const int octave = line.octave - '0';
    if (octave > kBaseOctave) {
        flags |= StepFlags::Up;
    }
    if (octave < kBaseOctave) {
        flags |= StepFlags::Down;
    }
    int note = noteIndex;
    if (line.octave == kOctaveDigitPlusOne) {
        note += 12;
    } else if (line.octave == kOctaveDigitPlusTwo) {
        note += 24;
    }
    return Step{static_cast<std::uint8_t>(note), flags};
}

void appendFormatted(std::string& out, const char* format, const char* name, double value) {
    char text[128];
    const int n = std::snprintf(text, sizeof text, format, name, value);
    if (n > 0) {
        out.append(text, std::min(static_cast<std::size_t>(n), sizeof text - 1));
    }
}

}  // namespace

int noteNameIndex(char first, char second) {
    for (int i = 0; i < 12; ++i) {
        if (kNoteNames[i][0] == first && kNoteNames[i][1] == second) {
            return i;
        }
    }
    return -1;
}

void readPattern(Pattern& pattern, TextScanner& in, KnobPositions* knobs) {
    if (knobs != nullptr) {
        knobs->clear();
    }
    int count = 0;
    if (in.atEnd()) {
        count = 1;
    } else {
        int expected = 0;
        int noteIndex = 0;
        do {
            skipLineBlanks(in);
            if (in.atEnd()) {
                break;
            }
            if (in.peek() == ';') {
                in.get();
                readComment(pattern, in, knobs, expected);
                continue;
            }
            StepLine line{};
            if (!scanStepLine(in, line)) {
                break;
            }
            const int index = noteNameIndex(static_cast<char>(line.name[0]), static_cast<char>(line.name[1]));
            if (index >= 0) {
                noteIndex = index;
            }
            if (count < kMaxSteps) {
                pattern.setStep(count, stepFromLine(line, noteIndex));
                ++count;
            }
        } while ((expected == 0 || count < expected) && !in.atEnd());
    }
    pattern.setLength(count);
}

void readPatternText(Pattern& pattern, std::string_view text, KnobPositions* knobs) {
    TextScanner in(text);
    readPattern(pattern, in, knobs);
}

bool readPattern(Pattern& pattern, const std::string& path, KnobPositions* knobs) {
    std::string contents;
    if (!readWholeFile(path, contents)) {
        return false;
    }
    readPatternText(pattern, contents, knobs);
    return true;
}

void appendPatternText(const Pattern& pattern, std::string& out, const KnobPositions* knobs) {
    char line[64];
    std::snprintf(line, sizeof line, "; VEXO Meta tag: %u\n", static_cast<unsigned>(pattern.header));
    out += line;
    if (knobs != nullptr) {
        out += "; ";
        for (int slot = 0; slot < kNamedKnobSlots; ++slot) {
            if (knobs->has(slot)) {
                appendFormatted(out, "%s %f ", kKnobNames[slot],
                                static_cast<double>(knobs->values[static_cast<std::size_t>(slot)]));
            }
        }
        out += "\n";
    }
    // A header from elsewhere (a state chunk) may claim more steps than there are.
    const int length = std::min(pattern.length(), kMaxSteps);
    for (int i = 0; i < length; ++i) {
        const Step step = pattern.step(i);
        const char* name = kNoteNames[step.note % 12];
        std::snprintf(line, sizeof line, "%c%c%c %d %d %d\n", name[0], name[1], stepOctaveDigit(step),
                      step.has(StepFlags::Gate) ? 1 : 0, step.has(StepFlags::Slide) ? 1 : 0,
                      step.has(StepFlags::Accent) ? 1 : 0);
        out += line;
    }
}

std::string patternToText(const Pattern& pattern, const KnobPositions* knobs) {
    std::string text;
    appendPatternText(pattern, text, knobs);
    return text;
}

bool writePattern(const Pattern& pattern, const std::string& path, const KnobPositions* knobs) {
    return writeFileAtomically(path, patternToText(pattern, knobs));
}

int readBank(PatternBank& bank, TextScanner& in) {
    int slot = 0;
    while (slot < kPatternCount && !in.atEnd()) {
        readPattern(bank.pattern(slot), in, nullptr);
        ++slot;
    }
    return slot;
}

bool readBank(PatternBank& bank, const std::string& path) {
    std::string contents;
    if (!readWholeFile(path, contents)) {
        return false;
    }
    TextScanner in(contents);
    readBank(bank, in);
    return true;
}

std::string bankToText(const PatternBank& bank) {
    std::string text;
    text.reserve(static_cast<std::size_t>(kPatternCount) * 200);
    for (int slot = 0; slot < kPatternCount; ++slot) {
        appendPatternText(bank.pattern(slot), text, nullptr);
    }
    return text;
}

bool writeBank(const PatternBank& bank, const std::string& path) {
    return writeFileAtomically(path, bankToText(bank));
}

void stepToText(Step step, char* text) {
    const char* name = kNoteNames[step.note % 12];
    text[0] = name[0];
    text[1] = name[1];
    text[2] = stepOctaveDigit(step);
    text[3] = 0;
}

bool textToStep(Step& step, std::string_view text) {
    if (text.size() < 2) {
        return false;
    }
    char first = text[0];
    if (first >= 'A' && first <= 'Z') {
        first = static_cast<char>(first - 'A' + 'a');
    }
    const int index = noteNameIndex(first, text[1]);
    if (index < 0) {
        return false;
    }
    step.note = static_cast<std::uint8_t>(index);
    if (text.size() >= 3 && text[2] >= '0' && text[2] <= '9') {
        const int digit = text[2] - '0';
        step.set(StepFlags::Up, digit > kBaseOctave);
        step.set(StepFlags::Down, digit < kBaseOctave);
        if (text[2] == kOctaveDigitPlusOne) {
            step.note = static_cast<std::uint8_t>(index + 12);
        } else if (text[2] == kOctaveDigitPlusTwo) {
            step.note = static_cast<std::uint8_t>(index + 24);
        }
    }
    return true;
}

}  // namespace vexo
