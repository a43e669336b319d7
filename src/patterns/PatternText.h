// The pattern text format: single pattern files (optionally with a knob line) and bank
// files holding all 128 patterns back to back. Readers work on bytes already in memory,
// so any input, truncated or not, is read without running past its end.
#pragma once

#include <string>
#include <string_view>

#include "config/TextScanner.h"
#include "patterns/KnobPositions.h"
#include "sequencer/Pattern.h"

namespace vexo {

// Marker of the header line; the header word follows it as an unsigned decimal number.
constexpr std::string_view kPatternMetaTag = "VEXO Meta tag: ";
// Characters of a comment line that count; the rest of a longer line is skipped.
constexpr std::size_t kMaxCommentChars = 255;
// Characters of a knob-line token that count; a longer token continues as the next one.
constexpr std::size_t kMaxKnobTokenChars = 40;

// Reads one pattern from the scanner's position. Stops at the end of the text, at a line
// that is no step line, or once the header line's length has been read, so patterns
// written one after the other are read one by one. Steps beyond the ones read keep their
// contents. With knobs given, the record is cleared and filled from knob lines.
void readPattern(Pattern& pattern, TextScanner& in, KnobPositions* knobs = nullptr);
void readPatternText(Pattern& pattern, std::string_view text, KnobPositions* knobs = nullptr);
// The same from a file; false (and nothing changed) when it cannot be read.
bool readPattern(Pattern& pattern, const std::string& path, KnobPositions* knobs = nullptr);

// Appends the pattern's text: the header line, with knobs the knob line, then one line per
// step 0..length-1.
void appendPatternText(const Pattern& pattern, std::string& out, const KnobPositions* knobs = nullptr);
std::string patternToText(const Pattern& pattern, const KnobPositions* knobs = nullptr);
// Writes a pattern file; the old file is only replaced by a completely written one.
// False when it cannot be created or written.
bool writePattern(const Pattern& pattern, const std::string& path, const KnobPositions* knobs = nullptr);

// Reads patterns into slots 0, 1, ... until the text ends or slot 127 has been read; the
// rest of a longer text is ignored. Returns the number of patterns read.
int readBank(PatternBank& bank, TextScanner& in);
// False (and nothing changed) when the file cannot be read.
bool readBank(PatternBank& bank, const std::string& path);
std::string bankToText(const PatternBank& bank);
bool writeBank(const PatternBank& bank, const std::string& path);

// Writes the step's name into text[0..3]: the note name of note mod 12, the octave digit
// and a terminating zero.
void stepToText(Step step, char* text);
// Parses a step name with either case of the first letter. On a match the note is set
// and, for a digit 0-9 as third character, the octave flags; other flags stay. False
// (and the step unchanged) when the first two characters are no note name.
bool textToStep(Step& step, std::string_view text);

// The table position of a two-character note name compared as stored, or -1.
int noteNameIndex(char first, char second);

}  // namespace vexo
