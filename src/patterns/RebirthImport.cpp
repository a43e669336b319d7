#include "patterns/RebirthImport.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "config/TextScanner.h"
#include "host/Parameters.h"

namespace vexo {
namespace {

constexpr std::size_t kChunkHeaderBytes = 8;  // id and size
constexpr std::size_t kContainerTypeBytes = 4;
constexpr std::string_view kContainerId("CAT ", 4);
constexpr std::string_view kUnitId("303 ", 4);
constexpr float kKnobScale = 127.0f;

constexpr int kPhLineFields = 3;  // length, two unused
constexpr int kPhStepFields = 9;  // note, down, up, gate, accent, slide, three unused
enum PhStepField { kPhNote = 0, kPhDown, kPhUp, kPhGate, kPhAccent, kPhSlide };

std::uint32_t bigEndian32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

// Formatted scanning of decimal integers as a C library would do it, with one rule
// made explicit: a scan that fails consumes nothing, so every later scan fails too.
class DecimalScanner {
public:
    explicit DecimalScanner(std::string_view text) : text_(text) {}

    // Stores the next number in value; false (value untouched) when none can be scanned.
    bool next(int& value) {
        if (failed_) {
            return false;
        }
        text_.skipSpace();
        const std::size_t start = text_.position();
        bool negative = false;
        if (text_.peek() == '+' || text_.peek() == '-') {
            negative = text_.get() == '-';
        }
        if (!isDigit(text_.peek())) {
            text_.seek(start);
            failed_ = true;
            return false;
        }
        // Saturates at the int range instead of overflowing.
        constexpr std::int64_t kLimit = static_cast<std::int64_t>(std::numeric_limits<int>::max()) + 1;
        std::int64_t magnitude = 0;
        while (isDigit(text_.peek())) {
            magnitude = std::min(magnitude * 10 + (text_.get() - '0'), kLimit);
        }
        const std::int64_t signedValue = negative ? -magnitude : magnitude;
        value = static_cast<int>(
            std::clamp<std::int64_t>(signedValue, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
        return true;
    }

private:
    static bool isDigit(int c) { return c >= '0' && c <= '9'; }

    TextScanner text_;
    bool failed_ = false;
};

template <std::size_t N>
void scanFields(DecimalScanner& scanner, std::array<int, N>& fields) {
    for (int& field : fields) {
        scanner.next(field);
    }
}

// The low byte of a value, as an 8-bit field keeps it.
std::uint8_t lowByte(std::uint32_t value) {
    return static_cast<std::uint8_t>(value & 0xff);
}

Step phStep(const std::array<int, kPhStepFields>& fields) {
    auto field = [&](PhStepField f) { return static_cast<std::uint32_t>(fields[static_cast<std::size_t>(f)]); };
    std::uint32_t note = field(kPhNote);
    std::uint32_t down = field(kPhDown);
    const std::uint32_t up = field(kPhUp);
    // Both octave switches on means one octave up.
    if (up != 0 && down != 0) {
        note += 12;
        down = 0;
    }
    const std::uint32_t flags = field(kPhGate) | up * 2 | down * 4 | field(kPhSlide) * 8 | field(kPhAccent) * 16;
    return Step{lowByte(note), lowByte(flags)};
}

}  // namespace

RebirthSong parseRebirthSong(std::string_view bytes) {
    RebirthSong song;
    // The containers being walked, innermost last; kept on the heap, since a file can
    // nest them as deep as its size allows.
    struct Container {
        std::size_t end;     // end of its data
        std::size_t resume;  // where the walk goes on after it (the pad byte skipped)
    };
    std::vector<Container> open;
    std::size_t end = bytes.size();
    std::size_t pos = 0;

    while (true) {
        if (pos > end || end - pos < kChunkHeaderBytes) {
            if (open.empty()) {
                break;
            }
            pos = open.back().resume;
            open.pop_back();
            end = open.empty() ? bytes.size() : open.back().end;
            continue;
        }
        const std::string_view id = bytes.substr(pos, 4);
        const std::size_t size = bigEndian32(bytes, pos + 4);
        const std::size_t data = pos + kChunkHeaderBytes;
        if (size > end - data) {
            break;
        }
        const std::size_t dataEnd = data + size;
        const std::size_t next = dataEnd + (size & 1);

        if (id == kContainerId) {
            open.push_back(Container{dataEnd, next});
            end = dataEnd;
            pos = std::min(data + kContainerTypeBytes, dataEnd);
            continue;
        }
        if (id == kUnitId) {
            if (song.unitChunks < kRebirthUnits) {
                UnitRecord& unit = song.units[static_cast<std::size_t>(song.unitChunks)];
                std::memcpy(unit.data(), bytes.data() + data, std::min(size, kUnitRecordBytes));
            }
            ++song.unitChunks;
        }
        pos = next;
    }
    return song;
}

RebirthKnobs rebirthKnobs(const UnitRecord& unit) {
    RebirthKnobs knobs;
    constexpr int kLevelKnobs[] = {kTune, kCutoff, kResonance, kEnvMod, kDecay, kAccent};
    std::size_t i = 0;
    for (const int parameter : kLevelKnobs) {
        knobs.parameters[i] =
            ParameterSetting{parameter, static_cast<float>(unit[kUnitFirstKnobOffset + i]) / kKnobScale};
        ++i;
    }
    knobs.parameters[i] = ParameterSetting{kWaveform, static_cast<float>(unit[kUnitWaveformOffset])};
    knobs.patternNumber = std::clamp<int>(unit[kUnitPatternNumberOffset], 0, kPatternCount - 1);
    return knobs;
}

void PatternUpdate::applyTo(Pattern& pattern) const {
    pattern.setLength(length);
    const int count = std::clamp(stepCount, 0, kImportSteps);
    for (int s = 0; s < count; ++s) {
        pattern.setStep(s, steps[static_cast<std::size_t>(s)]);
    }
}

PatternUpdate rebirthPattern(const RebirthSong& song, int bankIndex) {
    const int index = std::clamp(bankIndex, 0, kRebirthBankPatterns - 1);
    const UnitRecord& unit = song.units[static_cast<std::size_t>(index / kUnitPatternRecords)];
    const std::size_t record =
        kFirstPatternRecordOffset + kPatternRecordBytes * static_cast<std::size_t>(index % kUnitPatternRecords);

    const int lengthByte = unit[record];
    PatternUpdate update;
    update.length = std::clamp(lengthByte, 1, kImportSteps);
    update.stepCount = std::min(lengthByte, kImportSteps);
    for (int s = 0; s < update.stepCount; ++s) {
        const std::size_t at = record + 1 + 2 * static_cast<std::size_t>(s);
        const std::uint8_t bits = unit[at + 1];
        Step step{unit[at], 0};
        step.set(StepFlags::Gate, (bits & RebirthStepBits::Rest) == 0);
        step.set(StepFlags::Up, (bits & RebirthStepBits::Up) != 0);
        step.set(StepFlags::Down, (bits & RebirthStepBits::Down) != 0);
        step.set(StepFlags::Slide, (bits & RebirthStepBits::Slide) != 0);
        step.set(StepFlags::Accent, (bits & RebirthStepBits::Accent) != 0);
        update.steps[static_cast<std::size_t>(s)] = step;
    }
    return update;
}

std::vector<PatternUpdate> rebirthPatterns(const RebirthSong& song) {
    const int units = std::clamp(song.unitChunks, 0, kRebirthUnits);
    std::vector<PatternUpdate> updates;
    for (int j = 0; j < units * kUnitPatternRecords; ++j) {
        updates.push_back(rebirthPattern(song, j));
    }
    return updates;
}

std::array<PatternUpdate, kPhPatterns> parsePhFile(std::string_view text) {
    std::array<PatternUpdate, kPhPatterns> updates{};
    DecimalScanner scanner(text);
    std::array<int, kPhLineFields> line{};
    std::array<int, kPhStepFields> stepFields{};
    for (PatternUpdate& update : updates) {
        scanFields(scanner, line);
        update.length = std::clamp(line[0], 1, kMaxSteps);
        update.stepCount = kImportSteps;
        for (Step& step : update.steps) {
            scanFields(scanner, stepFields);
            step = phStep(stepFields);
        }
    }
    return updates;
}

void applyPatternUpdates(std::span<const PatternUpdate> updates, PatternBank& bank) {
    const std::size_t count = std::min(updates.size(), static_cast<std::size_t>(kPatternCount));
    for (std::size_t i = 0; i < count; ++i) {
        updates[i].applyTo(bank.pattern(static_cast<int>(i)));
    }
}

ImportFormat importFormatForPath(std::string_view path) {
    if (path.find(".rbs") != std::string_view::npos) {
        return ImportFormat::Rebirth;
    }
    if (path.find(".ph") != std::string_view::npos) {
        return ImportFormat::Ph;
    }
    return ImportFormat::None;
}

}  // namespace vexo
