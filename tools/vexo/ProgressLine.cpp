#include "ProgressLine.h"

#include <unistd.h>

#include <cstdio>

namespace vexo::cli {

ProgressLine::ProgressLine(std::string label, long long totalFrames, double sampleRate, bool enabled)
    : label_(std::move(label)),
      totalFrames_(totalFrames),
      sampleRate_(sampleRate),
      enabled_(enabled && isatty(STDERR_FILENO) == 1) {}

void ProgressLine::update(long long framesDone) {
    if (!enabled_) {
        return;
    }
    const Clock::time_point now = Clock::now();
    const double elapsedSeconds = std::chrono::duration<double>(now - start_).count();
    if (elapsedSeconds < kFirstDrawSeconds || std::chrono::duration<double>(now - lastDraw_).count() < kRedrawSeconds) {
        return;
    }
    lastDraw_ = now;
    drawn_ = true;
    const double audioSeconds = static_cast<double>(framesDone) / sampleRate_;
    const double percent = totalFrames_ > 0 ? 100.0 * static_cast<double>(framesDone) / totalFrames_ : 100.0;
    // "\033[K" clears what a longer earlier line left to the right.
    std::fprintf(stderr, "\r%s: %3.0f%%, %.1f of %.1f s, %.0fx real time\033[K", label_.c_str(), percent, audioSeconds,
                 static_cast<double>(totalFrames_) / sampleRate_, audioSeconds / elapsedSeconds);
    std::fflush(stderr);
}

void ProgressLine::finish() {
    if (drawn_) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        drawn_ = false;
    }
}

}  // namespace vexo::cli
