#include "platform/ChildProcess.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <string_view>
#include <utility>

extern char** environ;

namespace vexo {
namespace {

// A dialog's answer is a few paths; anything beyond this is dropped, not buffered.
constexpr std::size_t maxOutputBytes = std::size_t{4} << 20;

// Ended: exitCode is set. A child that the host reaped before us (SIGCHLD ignored, or a
// handler waiting for any child) counts as ended with an unknown code.
bool endedWithoutWaiting(pid_t pid, int& exitCode) {
    for (;;) {
        int status = 0;
        const pid_t result = waitpid(pid, &status, WNOHANG);
        if (result == 0) {
            return false;
        }
        if (result == pid) {
            exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            return true;
        }
        if (errno != EINTR) {
            exitCode = -1;
            return true;
        }
    }
}

// Children nobody waits for any more: launched programs and closed dialogs. Shared by all
// plug-in instances of the process, whichever thread runs their editors.
class ReleasedChildren {
public:
    void add(pid_t pid) {
        std::lock_guard lock(mutex_);
        pids_.push_back(pid);
    }
    void reap() {
        std::lock_guard lock(mutex_);
        std::erase_if(pids_, [](pid_t pid) {
            int ignored = 0;
            return endedWithoutWaiting(pid, ignored);
        });
    }

private:
    std::mutex mutex_;
    std::vector<pid_t> pids_;
};

ReleasedChildren& releasedChildren() {
    static ReleasedChildren children;
    return children;
}

std::vector<std::string> environmentWith(const std::vector<std::string>& overrides) {
    auto nameOf = [](std::string_view entry) { return entry.substr(0, entry.find('=')); };
    std::vector<std::string> result;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const bool replaced = std::any_of(overrides.begin(), overrides.end(),
                                          [&](const std::string& o) { return nameOf(o) == nameOf(*entry); });
        if (!replaced) {
            result.emplace_back(*entry);
        }
    }
    result.insert(result.end(), overrides.begin(), overrides.end());
    return result;
}

std::vector<char*> pointersTo(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings) {
        pointers.push_back(s.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

std::string findProgramOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (path == nullptr || name.empty() || name.find('/') != std::string::npos) {
        return {};
    }
    std::string_view rest(path);
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::string_view folder = rest.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
        // An empty entry would mean the host's working folder: never look there.
        if (folder.empty()) {
            continue;
        }
        const std::string candidate = std::string(folder) + "/" + name;
        struct stat info {};
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

std::optional<ChildProcess> ChildProcess::start(const std::string& path, const std::vector<std::string>& arguments,
                                                const Options& options) {
    std::vector<std::string> argumentStorage{path};
    argumentStorage.insert(argumentStorage.end(), arguments.begin(), arguments.end());
    std::vector<std::string> environmentStorage = environmentWith(options.environmentOverrides);
    const std::vector<char*> argv = pointersTo(argumentStorage);
    const std::vector<char*> envp = pointersTo(environmentStorage);

    // Both ends close on exec, so no other child of the host inherits them; dup2 gives the
    // child its stdout without the flag. Only our end is non-blocking: the dialog writes
    // normally.
    int pipeFds[2] = {-1, -1};
    if (options.captureOutput) {
        if (pipe2(pipeFds, O_CLOEXEC) != 0) {
            return std::nullopt;
        }
        fcntl(pipeFds[0], F_SETFL, fcntl(pipeFds[0], F_GETFL) | O_NONBLOCK);
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (options.captureOutput) {
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    // The host's own descriptors without close-on-exec stay out of the child as well.
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
#endif

    // Signal state as a freshly started program expects it, whatever the host blocks or
    // ignores; a process group of its own so that closing a dialog also ends its helpers and a
    // Ctrl+C in the host's terminal leaves a launched editor alone.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t noSignals;
    sigemptyset(&noSignals);
    posix_spawnattr_setsigmask(&attributes, &noSignals);
    sigset_t allSignals;
    sigfillset(&allSignals);
    posix_spawnattr_setsigdefault(&attributes, &allSignals);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);

    pid_t pid = -1;
    const int error = posix_spawn(&pid, path.c_str(), &actions, &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (options.captureOutput) {
        close(pipeFds[1]);
    }
    if (error != 0) {
        if (options.captureOutput) {
            close(pipeFds[0]);
        }
        return std::nullopt;
    }
    return ChildProcess(pid, pipeFds[0]);
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)),
      outputFd_(std::exchange(other.outputFd_, -1)),
      exited_(other.exited_),
      exitCode_(other.exitCode_) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        release();
        pid_ = std::exchange(other.pid_, -1);
        outputFd_ = std::exchange(other.outputFd_, -1);
        exited_ = other.exited_;
        exitCode_ = other.exitCode_;
    }
    return *this;
}

ChildProcess::~ChildProcess() {
    release();
}

void ChildProcess::release() {
    if (outputFd_ >= 0) {
        close(outputFd_);
        outputFd_ = -1;
    }
    if (pid_ > 0 && !exited_) {
        releasedChildren().add(pid_);
    }
    pid_ = -1;
}

void ChildProcess::readOutput(std::string& into) {
    char buffer[4096];
    while (outputFd_ >= 0) {
        const ssize_t count = read(outputFd_, buffer, sizeof buffer);
        if (count > 0) {
            const std::size_t room = maxOutputBytes - std::min(maxOutputBytes, into.size());
            into.append(buffer, std::min(room, static_cast<std::size_t>(count)));
        } else if (count < 0 && errno == EINTR) {
            continue;
        } else {
            if (count == 0 || errno != EAGAIN) {
                close(outputFd_);
                outputFd_ = -1;
            }
            return;
        }
    }
}

bool ChildProcess::hasExited() {
    if (!exited_ && pid_ > 0) {
        exited_ = endedWithoutWaiting(pid_, exitCode_);
    }
    return exited_;
}

void ChildProcess::terminate() {
    if (pid_ > 0 && !exited_) {
        kill(-pid_, SIGTERM);
    }
}

void reapReleasedChildren() {
    releasedChildren().reap();
}

}  // namespace vexo
