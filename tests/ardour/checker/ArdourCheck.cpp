// Checks what two VEXO sessions in Ardour produced, one with the VST and one with the LV2
// plug-in: for each, the plug-in state saved in two session files and two exports of a held
// pattern key; and that both formats rendered the same.
//
// ardour_check --saved A.ardour --resaved B.ardour --audio A.wav --audio-reloaded B.wav
//              --lv2-saved C.ardour --lv2-resaved D.ardour --lv2-audio C.wav --lv2-audio-reloaded D.wav
//              --frames N --rate HZ --tempo BPM --note-beat BEAT --hold-beats BEATS
//              --slot K --steps 36,43,-,... --cutoff VALUE
//
// The VST's chunk is base64 in the session XML; the LV2 plug-in's is base64 in the state
// file that the session's processor names (plugins/ID/STATE-DIR/state.ttl beside the
// session file). --steps lists the pattern in slot K, one MIDI note per step or "-" for a
// rest. Prints what it measured; exits 0 when every check passes, 1 otherwise.
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace vexo {
namespace {

// State chunk layout: tag and byte count, 128 patterns, 16 programs, 22 settings words.
constexpr std::size_t kChunkBytes = 20128;
constexpr std::uint32_t kChunkTag = 200;
constexpr std::uint32_t kChunkBodyBytes = 20120;
constexpr std::size_t kPatternsOffset = 8;
constexpr std::size_t kPatternBytes = 132;
constexpr std::uint32_t kLengthMask = 0x7F;
constexpr int kPatternCount = 128;
constexpr std::uint32_t kProgramCount = 16;
constexpr std::size_t kProgramsOffset = 16904;
constexpr std::size_t kProgramBytes = 196;
constexpr std::size_t kProgramValuesOffset = 24;
constexpr int kCutoffProgramSlot = 0;
constexpr std::size_t kSettingsOffset = 20040;
constexpr int kSyncModeWord = 1;
constexpr int kCurrentProgramWord = 5;
constexpr std::uint8_t kGateFlag = 0x01;
constexpr std::uint8_t kUpFlag = 0x02;
constexpr std::uint8_t kDownFlag = 0x04;
constexpr int kLowestMidiNote = 36;
// Ardour writes the VST's unique ID ('VEXO') in decimal, the LV2 plug-in's URI as it is.
constexpr const char* kVstUniqueId = "unique-id=\"1447385167\"";
constexpr const char* kLv2UniqueId = "unique-id=\"https://fernwave.example/vexo\"";
// The chunk's property in the LV2 state file, a base64 literal in triple quotes.
constexpr const char* kLv2ChunkProperty = "<https://fernwave.example/vexo#stateChunk> \"\"\"";
constexpr const char* kLv2ChunkEnd = "\"\"\"";

// Audio analysis. A step's note starts with silence before it; levels are absolute.
constexpr double kSilence = 1e-4;       // below this a sample counts as silent
constexpr double kOnsetLevel = 1e-3;    // a note has started once it exceeds this
constexpr int kQuietBeforeOnset = 256;  // silent samples that must precede an onset
constexpr double kMinPeak = 0.05;       // a render quieter than this counts as silent
constexpr int kPitchSkip = 64;          // samples after the onset left out of the pitch estimate
constexpr int kPitchWindow = 2400;      // samples of a note used for its pitch
constexpr double kMinPitchHz = 30.0;
constexpr double kMaxPitchHz = 400.0;
// A third of a semitone. The estimate of these short, fast-decaying notes comes out about
// 0.5 % low (the wave changes shape while it decays); a held note measures within 0.1 %.
constexpr double kPitchToleranceRatio = 0.02;
// Ardour places the key's note-on at the sample of its beat; the plug-in's step clock
// then runs on its own, so later steps keep the first step's offset.
constexpr double kFirstOnsetToleranceSamples = 48;
constexpr double kStepToleranceSamples = 4;
constexpr double kSilentTailSeconds = 1.0;

int failures = 0;

void check(bool ok, const std::string& what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAIL", what.c_str());
    if (!ok) {
        ++failures;
    }
}

std::string format(const char* fmt, double a = 0, double b = 0, double c = 0) {
    char text[256];
    std::snprintf(text, sizeof text, fmt, a, b, c);
    return text;
}

bool readText(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

// Decodes base64, skipping white space; false on any other character outside the alphabet.
bool decodeBase64(const std::string& text, std::vector<std::uint8_t>& out) {
    static const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::uint32_t bits = 0;
    int bitCount = 0;
    for (char c : text) {
        if (c == '=' || c == ' ' || c == '\n' || c == '\r' || c == '\t') {
            continue;
        }
        const std::size_t value = alphabet.find(c);
        if (value == std::string::npos) {
            return false;
        }
        bits = (bits << 6) | static_cast<std::uint32_t>(value);
        bitCount += 6;
        if (bitCount >= 8) {
            bitCount -= 8;
            out.push_back(static_cast<std::uint8_t>((bits >> bitCount) & 0xFF));
        }
    }
    return true;
}

enum class PluginFormat { Vst, Lv2 };

// Decodes the base64 text between the first `open` at or after `from` and the next `close`.
std::string decodeBetween(const std::string& text, std::size_t from, const std::string& open, const std::string& close,
                          std::vector<std::uint8_t>& chunk) {
    const std::size_t start = text.find(open, from);
    if (start == std::string::npos) {
        return "no chunk";
    }
    const std::size_t end = text.find(close, start + open.size());
    if (end == std::string::npos) {
        return "unterminated chunk";
    }
    const std::size_t textStart = start + open.size();
    if (!decodeBase64(text.substr(textStart, end - textStart), chunk)) {
        return "chunk is not base64";
    }
    return "";
}

// The value of attribute `name` in xml[from, to), or "" when it is not there.
std::string attribute(const std::string& xml, std::size_t from, std::size_t to, const std::string& name) {
    const std::string key = " " + name + "=\"";
    const std::size_t at = xml.find(key, from);
    if (at == std::string::npos || at >= to) {
        return "";
    }
    const std::size_t valueStart = at + key.size();
    return xml.substr(valueStart, xml.find('"', valueStart) - valueStart);
}

// The state chunk of the one VEXO processor in the session file at `path` (its text in
// `xml`); an error text otherwise.
std::string extractChunk(const std::string& path, const std::string& xml, PluginFormat pluginFormat,
                         std::vector<std::uint8_t>& chunk) {
    const char* uniqueId = pluginFormat == PluginFormat::Vst ? kVstUniqueId : kLv2UniqueId;
    const std::size_t tagId = xml.find(uniqueId);
    if (tagId == std::string::npos) {
        return "no VEXO processor";
    }
    if (xml.find(uniqueId, tagId + 1) != std::string::npos) {
        return "more than one VEXO processor";
    }
    const std::size_t processor = xml.rfind("<Processor", tagId);
    const std::size_t processorEnd = xml.find("</Processor>", tagId);
    if (processor == std::string::npos || processorEnd == std::string::npos) {
        return "malformed VEXO processor";
    }
    if (pluginFormat == PluginFormat::Vst) {
        const std::size_t open = xml.find("<chunk", tagId);
        if (open == std::string::npos || open > processorEnd) {
            return "no chunk in the VEXO processor";
        }
        return decodeBetween(xml, open, ">", "</chunk>", chunk);
    }
    const std::string id = attribute(xml, processor, tagId, "id");
    const std::string stateDir = attribute(xml, tagId, processorEnd, "state-dir");
    if (id.empty() || stateDir.empty()) {
        return "the VEXO processor names no state folder";
    }
    const std::size_t slash = path.rfind('/');
    const std::string sessionDir = slash == std::string::npos ? "." : path.substr(0, slash);
    const std::string statePath = sessionDir + "/plugins/" + id + "/" + stateDir + "/state.ttl";
    std::string state;
    if (!readText(statePath, state)) {
        return "cannot read " + statePath;
    }
    return decodeBetween(state, 0, kLv2ChunkProperty, kLv2ChunkEnd, chunk);
}

std::uint32_t word(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(bytes[offset]) | static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[offset + 2]) << 16 | static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

float floatAt(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    const std::uint32_t bits = word(bytes, offset);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// One entry per step: the MIDI note, or 0 for a rest.
std::vector<int> parseSteps(const std::string& list) {
    std::vector<int> steps;
    std::stringstream in(list);
    std::string item;
    while (std::getline(in, item, ',')) {
        steps.push_back(item == "-" ? 0 : std::stoi(item));
    }
    return steps;
}

// The MIDI note a pattern step plays, or 0 for a rest.
int stepNote(std::uint8_t note, std::uint8_t flags) {
    if ((flags & kGateFlag) == 0) {
        return 0;
    }
    return (note & 0x1F) + kLowestMidiNote + ((flags & kUpFlag) != 0 ? 12 : 0) - ((flags & kDownFlag) != 0 ? 12 : 0);
}

std::vector<std::uint8_t> loadChunk(const std::string& path, PluginFormat pluginFormat, const char* which) {
    std::string xml;
    std::vector<std::uint8_t> chunk;
    if (!readText(path, xml)) {
        check(false, std::string("cannot read the ") + which + " session " + path);
        return chunk;
    }
    const std::string error = extractChunk(path, xml, pluginFormat, chunk);
    check(error.empty() && chunk.size() == kChunkBytes, std::string(which) + " session holds the VEXO chunk" +
                                                            (error.empty() ? "" : ": " + error) +
                                                            format(" (%.0f bytes)", static_cast<double>(chunk.size())));
    return chunk;
}

void checkChunks(const std::string& savedPath, const std::string& resavedPath, PluginFormat pluginFormat, int slot,
                 const std::vector<int>& steps, float cutoff) {
    const std::vector<std::uint8_t> saved = loadChunk(savedPath, pluginFormat, "saved");
    const std::vector<std::uint8_t> resaved = loadChunk(resavedPath, pluginFormat, "re-saved");
    if (saved.size() != kChunkBytes) {
        return;
    }
    check(word(saved, 0) == kChunkTag && word(saved, 4) == kChunkBodyBytes, "chunk header is tag 200, 20120 bytes");
    check(resaved == saved, "re-saved chunk is byte-identical to the saved one");

    const std::size_t pattern = kPatternsOffset + static_cast<std::size_t>(slot) * kPatternBytes;
    bool stepsMatch = (word(saved, pattern) & kLengthMask) == steps.size();
    for (std::size_t i = 0; stepsMatch && i < steps.size(); ++i) {
        stepsMatch = stepNote(saved[pattern + 4 + 2 * i], saved[pattern + 5 + 2 * i]) == steps[i];
    }
    check(stepsMatch, format("chunk holds the test pattern in slot %.0f", slot));
    const auto syncMode = static_cast<std::int32_t>(word(saved, kSettingsOffset + 4 * kSyncModeWord));
    check(syncMode == 1, format("chunk follows the host tempo (SyncMode %.0f)", syncMode));
    const std::uint32_t program = word(saved, kSettingsOffset + 4 * kCurrentProgramWord);
    if (program >= kProgramCount) {
        check(false, format("current program %.0f out of range", program));
        return;
    }
    const float stored =
        floatAt(saved, kProgramsOffset + program * kProgramBytes + kProgramValuesOffset + 4 * kCutoffProgramSlot);
    check(std::fabs(stored - cutoff) < 1e-6, format("Cutoff set in Ardour is in the chunk (%.6f)", stored));
}

struct Audio {
    std::vector<float> left, right;
    int rate = 0;
};

bool readAudio(const std::string& path, Audio& audio) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        check(false, "cannot read " + path + ": " + sf_strerror(nullptr));
        return false;
    }
    std::vector<float> interleaved(static_cast<std::size_t>(info.frames) * static_cast<std::size_t>(info.channels));
    const sf_count_t got = sf_readf_float(file, interleaved.data(), info.frames);
    sf_close(file);
    check(info.channels == 2 && got == info.frames, path + " is a complete stereo file");
    if (info.channels != 2 || got != info.frames) {
        return false;
    }
    audio.rate = info.samplerate;
    for (sf_count_t i = 0; i < got; ++i) {
        audio.left.push_back(interleaved[2 * i]);
        audio.right.push_back(interleaved[2 * i + 1]);
    }
    return true;
}

// The fundamental of x[start, start + count) from its normalised autocorrelation: the
// shortest lag whose correlation comes within 10 % of the best one, refined by a parabola.
double estimatePitch(const std::vector<float>& x, std::size_t start, std::size_t count, int rate) {
    const int minLag = static_cast<int>(rate / kMaxPitchHz);
    const int maxLag = static_cast<int>(rate / kMinPitchHz);
    if (start + count > x.size() || static_cast<int>(count) <= maxLag) {
        return 0.0;
    }
    std::vector<double> r(static_cast<std::size_t>(maxLag) + 2, 0.0);
    for (int lag = minLag - 1; lag <= maxLag + 1; ++lag) {
        double xy = 0.0, xx = 0.0, yy = 0.0;
        for (std::size_t i = start; i + static_cast<std::size_t>(lag) < start + count; ++i) {
            const double a = x[i];
            const double b = x[i + static_cast<std::size_t>(lag)];
            xy += a * b;
            xx += a * a;
            yy += b * b;
        }
        r[static_cast<std::size_t>(lag)] = xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0.0;
    }
    double best = 0.0;
    for (int lag = minLag; lag <= maxLag; ++lag) {
        best = std::max(best, r[static_cast<std::size_t>(lag)]);
    }
    for (int lag = minLag; lag <= maxLag; ++lag) {
        const double c = r[static_cast<std::size_t>(lag)];
        if (c >= 0.9 * best && c >= r[static_cast<std::size_t>(lag) - 1] && c >= r[static_cast<std::size_t>(lag) + 1]) {
            const double before = r[static_cast<std::size_t>(lag) - 1];
            const double after = r[static_cast<std::size_t>(lag) + 1];
            const double curve = before - 2 * c + after;
            const double shift = curve != 0.0 ? 0.5 * (before - after) / curve : 0.0;
            return rate / (lag + shift);
        }
    }
    return 0.0;
}

// Sample positions where a note starts: a level above kOnsetLevel after kQuietBeforeOnset
// silent samples.
std::vector<std::size_t> findOnsets(const std::vector<float>& x) {
    std::vector<std::size_t> onsets;
    int quiet = 0;
    std::size_t firstLoud = 0;
    bool inNote = false;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double level = std::fabs(x[i]);
        if (level < kSilence) {
            ++quiet;
            if (quiet >= kQuietBeforeOnset) {
                inNote = false;
            }
            continue;
        }
        if (!inNote && quiet >= kQuietBeforeOnset) {
            firstLoud = i;
        }
        quiet = 0;
        if (!inNote && level > kOnsetLevel) {
            inNote = true;
            onsets.push_back(firstLoud);
        }
    }
    return onsets;
}

double peakIn(const std::vector<float>& x, std::size_t from, std::size_t to) {
    double peak = 0.0;
    for (std::size_t i = from; i < std::min(to, x.size()); ++i) {
        peak = std::max(peak, static_cast<double>(std::fabs(x[i])));
    }
    return peak;
}

void checkAudio(const Audio& audio, const std::map<std::string, std::string>& args, const std::vector<int>& pattern) {
    const double rate = std::stod(args.at("rate"));
    const double tempo = std::stod(args.at("tempo"));
    const double samplesPerStep = rate * 60.0 / tempo / 4.0;
    const double noteOn = std::stod(args.at("note-beat")) * 4.0 * samplesPerStep;
    const int heldSteps = static_cast<int>(std::lround(std::stod(args.at("hold-beats")) * 4.0));
    const std::size_t frames = std::stoul(args.at("frames"));
    const std::vector<float>& x = audio.left;

    check(audio.rate == static_cast<int>(rate), format("sample rate %.0f Hz", audio.rate));
    check(x.size() == frames, format("%.0f frames exported, want %.0f", static_cast<double>(x.size()), frames));
    const double peak = peakIn(x, 0, x.size());
    check(peak > kMinPeak && peak < 1.0, format("not silent, not clipping: peak %.4f", peak));
    double channelDifference = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        channelDifference = std::max(channelDifference, static_cast<double>(std::fabs(x[i] - audio.right[i])));
    }
    check(channelDifference < 1e-6, format("both channels carry the same voice (difference %.2g)", channelDifference));
    const double beforeKey = peakIn(x, 0, static_cast<std::size_t>(noteOn) - 16);
    check(beforeKey < kSilence, format("silent before the key (peak %.2g)", beforeKey));
    const std::size_t tailStart = x.size() - static_cast<std::size_t>(kSilentTailSeconds * rate);
    const double tail = peakIn(x, tailStart, x.size());
    check(tail < kSilence, format("silent once the key is released (peak %.2g in the last second)", tail));

    const std::vector<std::size_t> onsets = findOnsets(x);
    std::vector<int> gatedSteps;
    for (int step = 0; step < heldSteps; ++step) {
        if (pattern[static_cast<std::size_t>(step) % pattern.size()] != 0) {
            gatedSteps.push_back(step);
        }
    }
    check(onsets.size() == gatedSteps.size(), format("%.0f notes start, want one per gated step (%.0f)",
                                                     static_cast<double>(onsets.size()), gatedSteps.size()));
    if (onsets.empty() || onsets.size() != gatedSteps.size()) {
        return;
    }
    const double firstOffset = static_cast<double>(onsets[0]) - (noteOn + gatedSteps[0] * samplesPerStep);
    check(std::fabs(firstOffset) <= kFirstOnsetToleranceSamples,
          format("first note starts %.1f samples from the key's beat (%.1f)", firstOffset, noteOn));
    double worstStep = 0.0;
    int pitchFailures = 0;
    for (std::size_t n = 0; n < onsets.size(); ++n) {
        const int step = gatedSteps[n];
        const double expected = noteOn + firstOffset + step * samplesPerStep;
        worstStep = std::max(worstStep, std::fabs(static_cast<double>(onsets[n]) - expected));
        const int midi = pattern[static_cast<std::size_t>(step) % pattern.size()];
        const double wantHz = 440.0 * std::pow(2.0, (midi - 69) / 12.0);
        const double gotHz = estimatePitch(x, onsets[n] + kPitchSkip, kPitchWindow, audio.rate);
        const bool pitchOk = std::fabs(gotHz / wantHz - 1.0) <= kPitchToleranceRatio;
        std::printf("  step %2d at %7zu (%+5.1f): %7.2f Hz, want %7.2f (MIDI %d)%s\n", step, onsets[n],
                    static_cast<double>(onsets[n]) - expected, gotHz, wantHz, midi, pitchOk ? "" : "  <-- pitch");
        pitchFailures += pitchOk ? 0 : 1;
    }
    check(worstStep <= kStepToleranceSamples,
          format("notes start every %.2f samples (%.0f BPM); worst deviation %.1f samples", samplesPerStep, tempo,
                 worstStep));
    check(pitchFailures == 0, format("every note at its step's pitch (%.0f off)", pitchFailures));
}

void checkIdentical(const Audio& a, const Audio& b, const std::string& what) {
    bool same = a.left.size() == b.left.size();
    std::size_t firstDifference = 0;
    for (std::size_t i = 0; same && i < a.left.size(); ++i) {
        same = a.left[i] == b.left[i] && a.right[i] == b.right[i];
        firstDifference = i;
    }
    check(same, same ? what + ": sample-identical" : what + format(": differs (first at frame %.0f)", firstDifference));
}

// The checks of one format's session; returns its first export (empty when unreadable).
Audio checkSession(const char* title, PluginFormat pluginFormat, const std::string& prefix,
                   const std::map<std::string, std::string>& args, int slot, const std::vector<int>& pattern) {
    std::printf("%s\n", title);
    checkChunks(args.at(prefix + "saved"), args.at(prefix + "resaved"), pluginFormat, slot, pattern,
                std::stof(args.at("cutoff")));
    Audio first, second;
    if (readAudio(args.at(prefix + "audio"), first)) {
        checkAudio(first, args, pattern);
    }
    if (readAudio(args.at(prefix + "audio-reloaded"), second) && !first.left.empty()) {
        checkIdentical(first, second, "render after reload");
    }
    return first;
}

int run(int argc, char** argv) {
    std::map<std::string, std::string> args;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strncmp(argv[i], "--", 2) != 0) {
            std::fprintf(stderr, "ardour_check: unexpected argument %s\n", argv[i]);
            return 2;
        }
        args[argv[i] + 2] = argv[i + 1];
    }
    for (const char* name :
         {"saved", "resaved", "audio", "audio-reloaded", "lv2-saved", "lv2-resaved", "lv2-audio", "lv2-audio-reloaded",
          "frames", "rate", "tempo", "note-beat", "hold-beats", "slot", "steps", "cutoff"}) {
        if (args.count(name) == 0) {
            std::fprintf(stderr, "ardour_check: --%s is required\n", name);
            return 2;
        }
    }
    const std::vector<int> pattern = parseSteps(args["steps"]);
    if (pattern.empty() || pattern.size() > 64) {
        std::fprintf(stderr, "ardour_check: --steps needs 1 to 64 steps\n");
        return 2;
    }
    const int slot = std::stoi(args["slot"]);
    if (slot < 0 || slot >= kPatternCount) {
        std::fprintf(stderr, "ardour_check: --slot must be 0..127\n");
        return 2;
    }
    const Audio vst = checkSession("VST session:", PluginFormat::Vst, "", args, slot, pattern);
    const Audio lv2 = checkSession("LV2 session:", PluginFormat::Lv2, "lv2-", args, slot, pattern);
    if (!vst.left.empty() && !lv2.left.empty()) {
        std::printf("Both formats:\n");
        checkIdentical(vst, lv2, "LV2 render against the VST render");
    }
    std::printf("%s\n", failures == 0 ? "all checks passed" : "some checks FAILED");
    return failures == 0 ? 0 : 1;
}

}  // namespace
}  // namespace vexo

int main(int argc, char** argv) {
    return vexo::run(argc, argv);
}
