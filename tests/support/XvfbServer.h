// A private Xvfb X server for tests that need a display: started on the first free display
// number from :50 up (free: no /tmp/.X<N>-lock), DISPLAY pointed at it, and stopped again by
// its process id. Spawns the program only: links no X library.
#pragma once

#include <sys/types.h>

#include <string>

namespace vexo::test {

class XvfbServer {
public:
    XvfbServer() = default;
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // True when the Xvfb program is on PATH (tests skip themselves otherwise).
    static bool available();

    // Starts the server with one screen of the given size ("WIDTHxHEIGHTxDEPTH") and sets
    // DISPLAY; false (with the reason in error) when no server could be started.
    bool start(const std::string& screen = "1280x1024x24", std::string* error = nullptr);
    // Kills our server (by pid, never by name) and restores DISPLAY; nothing when not running.
    void stop();

    bool running() const { return pid_ > 0; }
    // ":N" while running.
    std::string displayName() const;

private:
    pid_t pid_ = -1;
    int display_ = -1;
    bool hadDisplay_ = false;
    std::string previousDisplay_;
};

}  // namespace vexo::test
