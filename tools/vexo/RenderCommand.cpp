// vexo render: holds a pattern's key through the plug-in and writes the audio to a file.
#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "Session.h"

namespace vexo::cli {
namespace {

// The release tail after the key is let go, in seconds, unless --tail says otherwise.
constexpr double kDefaultTailSeconds = 0.5;

double processSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

bool writeAudio(const std::string& path, const std::vector<float>& left, const std::vector<float>& right,
                int sampleRate, const std::string& format, std::string& error) {
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = 2;
    if (format == "float") {
        info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    } else if (format == "pcm16") {
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    } else if (format == "aiff16") {
        info.format = SF_FORMAT_AIFF | SF_FORMAT_PCM_16;
    } else {
        error = "unknown format " + format + " (float, pcm16 or aiff16)";
        return false;
    }
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        error = std::string("cannot write ") + path + ": " + sf_strerror(nullptr);
        return false;
    }
    // Clip rather than wrap when converting to integer samples.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    std::vector<float> interleaved(left.size() * 2);
    for (std::size_t i = 0; i < left.size(); ++i) {
        interleaved[2 * i] = left[i];
        interleaved[2 * i + 1] = right[i];
    }
    const sf_count_t written = sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(left.size()));
    sf_close(file);
    if (written != static_cast<sf_count_t>(left.size())) {
        error = "short write to " + path;
        return false;
    }
    return true;
}

int runRender(const std::vector<std::string>& raw) {
    Arguments args(raw);
    SessionOptions options;
    if (!options.parse(args, "render")) {
        return 2;
    }
    const std::string seconds = args.option("seconds");
    const std::string bars = args.option("bars");
    const std::string out = args.option("out");
    const std::string format = args.option("format", "float");
    const double tailSeconds = std::stod(args.option("tail", std::to_string(kDefaultTailSeconds)));
    const bool hostSync = args.flag("host-sync");
    if (!args.checkAllUsed("render") || !args.positional().empty()) {
        return usageError("render", "unexpected arguments");
    }
    if (out.empty()) {
        return usageError("render", "--out FILE.wav is required");
    }
    if (hostSync || args.has("tempo")) {
        options.configLines.insert(options.configLines.begin(), "SyncMode = 1");
    }

    Session session;
    std::string error;
    if (!session.open(options, error)) {
        std::fprintf(stderr, "vexo render: %s\n", error.c_str());
        return 1;
    }
    long long held = session.framesForBars(1.0);
    if (!seconds.empty()) {
        held = static_cast<long long>(std::stod(seconds) * options.sampleRate);
    } else if (!bars.empty()) {
        held = session.framesForBars(std::stod(bars));
    }
    const long long frames = held + static_cast<long long>(std::max(tailSeconds, 0.0) * options.sampleRate);

    std::vector<float> left, right;
    const double cpuStart = processSeconds();
    session.renderHeld(frames, held, left, right);
    const double cpuSeconds = processSeconds() - cpuStart;
    session.close();

    if (!writeAudio(out, left, right, static_cast<int>(options.sampleRate), format, error)) {
        std::fprintf(stderr, "vexo render: %s\n", error.c_str());
        return 1;
    }
    double peak = 0.0;
    double sumSquares = 0.0;
    for (float v : left) {
        peak = std::max(peak, static_cast<double>(std::fabs(v)));
        sumSquares += static_cast<double>(v) * v;
    }
    const double rms = left.empty() ? 0.0 : std::sqrt(sumSquares / static_cast<double>(left.size()));
    const double audioSeconds = static_cast<double>(frames) / options.sampleRate;
    std::printf("%s: %lld frames (%.2f s), peak %.4f, RMS %.4f, CPU %.3f s, %.0fx real time\n", out.c_str(), frames,
                audioSeconds, peak, rms, cpuSeconds, cpuSeconds > 0 ? audioSeconds / cpuSeconds : 0.0);
    return 0;
}

const Registration registration(
    {"render",
     "--out FILE.wav [--plugin DIR] [--pattern N] [--pattern-file FILE.pat] [--bars B | --seconds S] "
     "[--tempo BPM] [--rate HZ] [--block FRAMES] [--set NAME=VALUE ...] [--config \"Key = value\" ...] "
     "[--tail SECONDS] [--format float|pcm16|aiff16]",
     "hold a pattern's key through the plug-in and write the audio", runRender});

}  // namespace
}  // namespace vexo::cli
