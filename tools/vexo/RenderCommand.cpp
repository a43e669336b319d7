// vexo render: holds a pattern's key through the plug-in and streams the audio to a file.
#include <signal.h>
#include <sndfile.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>

#include "ArgumentChecks.h"
#include "AudioFileWriter.h"
#include "FileAccess.h"
#include "ProgressLine.h"
#include "Session.h"

namespace vexo::cli {
namespace {

constexpr const char* kName = "render";
// The release tail after the key is let go, in seconds, unless --tail says otherwise.
constexpr double kDefaultTailSeconds = 0.5;
constexpr double kMaxTailSeconds = 60.0;
// WAV and AIFF count their sizes in 32 bits; some room is left for the header chunks.
constexpr double kMaxClassicFileBytes = 4294967295.0 - 65536.0;

struct AudioFormat {
    const char* name;
    int sndfileFormat;
    int bytesPerSample;
    bool sizeLimited;  // 4 GiB at most
};

constexpr AudioFormat kAudioFormats[] = {
    {"float", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 4, true},
    {"pcm16", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, true},
    {"aiff16", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 2, true},
    {"rf64", SF_FORMAT_RF64 | SF_FORMAT_FLOAT, 4, false},
};

const AudioFormat& audioFormat(const std::string& name) {
    for (const AudioFormat& format : kAudioFormats) {
        if (name == format.name) {
            return format;
        }
    }
    return kAudioFormats[0];
}

struct RenderOptions {
    SessionOptions session;
    std::string out;
    std::string format = "float";
    double tailSeconds = kDefaultTailSeconds;
    bool hostSync = false;
    bool quiet = false;
};

// Set from the signal handler: the render stops after the current block and removes the
// unfinished file.
volatile sig_atomic_t interrupted = 0;

void onInterrupt(int) {
    interrupted = 1;
}

void catchInterrupts() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

double processSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Peak and RMS of the left channel, gathered block by block.
class LevelMeter {
public:
    void add(const float* samples, int frames) {
        for (int i = 0; i < frames; ++i) {
            const double v = samples[i];
            peak_ = std::max(peak_, std::fabs(v));
            sumSquares_ += v * v;
        }
        frames_ += frames;
    }
    double peak() const { return peak_; }
    double rms() const { return frames_ > 0 ? std::sqrt(sumSquares_ / static_cast<double>(frames_)) : 0.0; }

private:
    double peak_ = 0.0;
    double sumSquares_ = 0.0;
    long long frames_ = 0;
};

// A usage error when the audio would not fit the chosen file format.
bool checkFileSize(const RenderOptions& options, long long frames) {
    const AudioFormat& format = audioFormat(options.format);
    const double bytes = static_cast<double>(frames) * 2.0 * format.bytesPerSample;
    if (!format.sizeLimited || bytes <= kMaxClassicFileBytes) {
        return true;
    }
    const double maxSeconds = kMaxClassicFileBytes / (2.0 * format.bytesPerSample * options.session.sampleRate);
    char message[200];
    std::snprintf(message, sizeof message,
                  "%.0f s of audio make %.1f GiB, more than a file of --format %s holds (4 GiB); render at most %.0f s "
                  "or use --format rf64",
                  static_cast<double>(frames) / options.session.sampleRate, bytes / 1073741824.0, format.name,
                  maxSeconds);
    usageError(kName, message);
    return false;
}

int render(RenderOptions& options) {
    SessionOptions& sessionOptions = options.session;
    if (!sessionOptions.checkLength(kName)) {
        return kExitUsage;
    }
    const long long held = sessionOptions.heldFrames();
    const long long frames = held + std::llround(options.tailSeconds * sessionOptions.sampleRate);
    if (!checkFileSize(options, frames)) {
        return kExitUsage;
    }
    if (!checkOutput(kName, options.out)) {
        return kExitFailed;
    }
    if (options.hostSync || sessionOptions.tempoGiven()) {
        sessionOptions.configLines.insert(sessionOptions.configLines.begin(), "SyncMode = 1");
        sessionOptions.forceHostSync = true;
    }

    Session session;
    if (!session.open(sessionOptions, kName)) {
        return kExitFailed;
    }
    // Before the file exists, so that no interrupt can leave it behind.
    catchInterrupts();
    AudioFileWriter writer;
    std::string error;
    if (!writer.open(options.out, audioFormat(options.format).sndfileFormat,
                     static_cast<int>(std::lround(sessionOptions.sampleRate)), error)) {
        return fail(kName, error);
    }

    ProgressLine progress(options.out, frames, sessionOptions.sampleRate, !options.quiet);
    LevelMeter level;
    long long done = 0;
    const double cpuStart = processSeconds();
    const bool complete = session.renderHeld(frames, held, [&](const float* left, const float* right, int count) {
        // Nothing reads the plug-in's MIDI here; dropping it keeps memory constant.
        session.host().clearReceived();
        level.add(left, count);
        done += count;
        progress.update(done);
        return interrupted == 0 && writer.write(left, right, count, error);
    });
    const double cpuSeconds = processSeconds() - cpuStart;
    progress.finish();
    session.close();
    if (!complete) {
        writer.discard();
        return fail(kName, interrupted != 0 ? "interrupted; " + options.out + " was not written" : error);
    }
    if (!writer.commit(error)) {
        return fail(kName, error);
    }
    if (!options.quiet) {
        const double audioSeconds = static_cast<double>(frames) / sessionOptions.sampleRate;
        std::printf("%s: %lld frames (%.2f s), peak %.4f, RMS %.4f, CPU %.3f s, %.0fx real time\n", options.out.c_str(),
                    frames, audioSeconds, level.peak(), level.rms(), cpuSeconds,
                    cpuSeconds > 0 ? audioSeconds / cpuSeconds : 0.0);
    }
    return kExitSuccess;
}

Command setupRender(CLI::App& tool) {
    auto options = std::make_shared<RenderOptions>();
    CLI::App* app = tool.add_subcommand(kName, "Hold a pattern's key through the plug-in and write the audio");
    app->add_option("--out", options->out, "Audio file to write")->type_name("FILE")->required();
    options->session.addPluginOptions(*app);
    options->session.addPlaybackOptions(*app);
    app->add_option("--tail", options->tailSeconds, "Seconds rendered after the key is let go")
        ->transform(numberIn(0.0, kMaxTailSeconds))
        ->capture_default_str();
    std::vector<std::string> formatNames;
    for (const AudioFormat& format : kAudioFormats) {
        formatNames.push_back(format.name);
    }
    app->add_option("--format", options->format, "float, pcm16 (WAV), aiff16, or rf64 (float, for files beyond 4 GiB)")
        ->check(CLI::IsMember(formatNames))
        ->capture_default_str();
    app->add_flag("--host-sync", options->hostSync, "Follow the host tempo (120 BPM unless --tempo)");
    app->add_flag("--quiet,-q", options->quiet, "No progress line and no summary");
    return {app, [options] { return render(*options); }};
}

const Registration registration(setupRender);

}  // namespace
}  // namespace vexo::cli
