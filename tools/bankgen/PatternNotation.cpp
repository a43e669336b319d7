#include "PatternNotation.h"

#include <algorithm>
#include <vector>

namespace vexo::bankgen {
namespace {

constexpr int kOctave = 12;

std::vector<std::string_view> splitTokens(std::string_view text) {
    std::vector<std::string_view> tokens;
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && text[pos] == ' ') {
            ++pos;
        }
        const std::size_t start = pos;
        while (pos < text.size() && text[pos] != ' ') {
            ++pos;
        }
        if (pos > start) {
            tokens.push_back(text.substr(start, pos - start));
        }
    }
    return tokens;
}

// Semitone of a note letter with an optional sharp; the count of characters used in `used`.
int noteIndex(std::string_view token, std::size_t& used) {
    static constexpr std::string_view kLetters = "c d ef g a b";
    const std::size_t letter = token.empty() ? std::string_view::npos : kLetters.find(token[0]);
    if (letter == std::string_view::npos || token[0] == ' ') {
        return -1;
    }
    used = 1;
    int index = static_cast<int>(letter);
    if (token.size() > 1 && token[1] == '#') {
        ++index;
        ++used;
    }
    return index % kOctave;
}

}  // namespace

Step stepForPitch(int pitch, std::uint8_t flags) {
    pitch = std::clamp(pitch, -kOctave, 2 * kOctave);
    if (pitch < 0) {
        return Step{static_cast<std::uint8_t>(pitch + kOctave), static_cast<std::uint8_t>(flags | StepFlags::Down)};
    }
    if (pitch > kOctave) {
        return Step{static_cast<std::uint8_t>(pitch - kOctave), static_cast<std::uint8_t>(flags | StepFlags::Up)};
    }
    return Step{static_cast<std::uint8_t>(pitch), flags};
}

bool parseNotation(std::string_view text, Pattern& pattern, std::string& error) {
    const std::vector<std::string_view> tokens = splitTokens(text);
    if (tokens.empty() || tokens.size() > static_cast<std::size_t>(kMaxSteps)) {
        error = "a pattern needs 1 to 64 steps: " + std::string(text);
        return false;
    }
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const std::string_view token = tokens[i];
        Step step;
        if (token == ".") {
            step = Step{0, 0};
        } else if (token == "-") {
            if (i == 0 || !pattern.steps[i - 1].has(StepFlags::Gate)) {
                error = "a hold needs a note before it: " + std::string(text);
                return false;
            }
            Step& held = pattern.steps[i - 1];
            held.set(StepFlags::Slide, true);
            step = Step{held.note, static_cast<std::uint8_t>(held.flags & (StepFlags::Up | StepFlags::Down))};
            step.set(StepFlags::Gate, true);
        } else {
            std::size_t used = 0;
            const int index = noteIndex(token, used);
            if (index < 0) {
                error = "unknown step '" + std::string(token) + "'";
                return false;
            }
            int octave = 3;
            if (used < token.size() && token[used] >= '2' && token[used] <= '4') {
                octave = token[used++] - '0';
            }
            std::uint8_t flags = StepFlags::Gate;
            for (; used < token.size(); ++used) {
                if (token[used] == 'A') {
                    flags |= StepFlags::Accent;
                } else if (token[used] == 'S') {
                    flags |= StepFlags::Slide;
                } else {
                    error = "unknown step '" + std::string(token) + "'";
                    return false;
                }
            }
            step = stepForPitch(index + (octave - 3) * kOctave, flags);
        }
        pattern.steps[i] = step;
    }
    pattern.setLength(static_cast<int>(tokens.size()));
    return true;
}

}  // namespace vexo::bankgen
