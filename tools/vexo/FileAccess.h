// Files read and written by the vexo commands: every failure is reported on stderr with
// the path and the reason, and pattern text that holds no pattern is read (the readers
// are lenient) but not without a warning.
#pragma once

#include <string>
#include <string_view>

#include "patterns/KnobPositions.h"
#include "sequencer/Pattern.h"

namespace vexo::cli {

// Pattern and bank files are a few kilobytes; far larger inputs are refused rather than
// read into memory.
constexpr unsigned long long kMaxPatternFileBytes = 16ull << 20;

// Why path cannot be read as a file; empty when nothing stands against it.
std::string readProblem(const std::string& path);
// Why path cannot be written (a complete new file put in its place): a folder or a
// device standing there, its folder missing or not writable. Empty when nothing stands
// against it. Devices are refused because replacing one would remove it.
std::string writeProblem(const std::string& path);

// True when the text has a header line or at least one step line that starts with a note
// name, that is, anything a pattern or bank file is made of.
bool holdsPatternText(std::string_view text);

// "vexo COMMAND: warning: PATH holds no pattern text ..." unless holdsPatternText.
void warnIfNoPattern(const std::string& command, const std::string& path, std::string_view text);

// Reads a whole file of at most maxBytes. On failure prints "vexo COMMAND: cannot read
// PATH: reason" and returns false.
bool readInputFile(const std::string& command, const std::string& path, std::string& contents,
                   unsigned long long maxBytes = kMaxPatternFileBytes);

// A pattern file or a bank file, read as the plug-in reads it, with a warning for text
// that holds no pattern.
bool loadPattern(const std::string& command, const std::string& path, Pattern& pattern, KnobPositions* knobs = nullptr);
bool loadBank(const std::string& command, const std::string& path, PatternBank& bank);

// Writes through the plug-in's writers, which replace a file only by a complete one. On
// failure prints "vexo COMMAND: cannot write PATH: reason" and returns false.
bool savePattern(const std::string& command, const std::string& path, const Pattern& pattern,
                 const KnobPositions* knobs = nullptr);
bool saveBank(const std::string& command, const std::string& path, const PatternBank& bank);
bool saveFile(const std::string& command, const std::string& path, std::string_view contents);

// Checks an output path before long work; false after printing the reason.
bool checkOutput(const std::string& command, const std::string& path);

}  // namespace vexo::cli
