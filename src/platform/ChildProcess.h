// Child processes started without a shell and without ever blocking the caller: output read
// from a non-blocking pipe, exit taken with a non-blocking wait, and every child reaped in the
// end, also the ones nobody waits for (no zombies left in the host).
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace vexo {

// Full path of an executable file named `name` in one of the PATH folders; empty if none.
std::string findProgramOnPath(const std::string& name);

class ChildProcess {
public:
    struct Options {
        bool captureOutput = false;                     // else stdout goes to /dev/null
        std::vector<std::string> environmentOverrides;  // "NAME=value", replacing inherited ones
    };

    // Starts the program at `path` with `arguments` (argv[1..]) in a process group of its own,
    // stdin from /dev/null and no other descriptor of ours; nothing when it cannot start.
    static std::optional<ChildProcess> start(const std::string& path, const std::vector<std::string>& arguments,
                                             const Options& options);

    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    // A child not yet reaped is handed to the process-wide reaper; it keeps running.
    ~ChildProcess();

    pid_t pid() const { return pid_; }
    // Appends what the child has written so far, up to a limit; never waits.
    void readOutput(std::string& into);
    // True once the child has ended and is reaped; never waits.
    bool hasExited();
    // Exit code once exited; -1 when killed by a signal or when the host reaped it first.
    int exitCode() const { return exitCode_; }
    // Sends SIGTERM to the child's process group (helpers it started go too).
    void terminate();

private:
    ChildProcess(pid_t pid, int outputFd) : pid_(pid), outputFd_(outputFd) {}
    void release();

    pid_t pid_ = -1;
    int outputFd_ = -1;
    bool exited_ = false;
    int exitCode_ = -1;
};

// Reaps the children handed over by ~ChildProcess that have ended since; never waits.
// Called from the user-interface thread's idle path.
void reapReleasedChildren();

}  // namespace vexo
