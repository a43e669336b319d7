// A progress line for long renders: percentage and real-time factor, redrawn in place on
// stderr. Only on a terminal, and only once the work has taken a few seconds, so short
// runs, pipes and log files see nothing of it.
#pragma once

#include <chrono>
#include <string>

namespace vexo::cli {

class ProgressLine {
public:
    // enabled: false for --quiet; stderr must also be a terminal.
    ProgressLine(std::string label, long long totalFrames, double sampleRate, bool enabled);
    // After each block; cheap when no redraw is due.
    void update(long long framesDone);
    // Removes the line, if one was drawn.
    void finish();

private:
    using Clock = std::chrono::steady_clock;
    static constexpr double kFirstDrawSeconds = 2.0;
    static constexpr double kRedrawSeconds = 0.25;

    std::string label_;
    long long totalFrames_;
    double sampleRate_;
    bool enabled_;
    bool drawn_ = false;
    Clock::time_point start_ = Clock::now();
    Clock::time_point lastDraw_ = start_;
};

}  // namespace vexo::cli
