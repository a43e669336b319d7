#include "XvfbServer.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

extern char** environ;

namespace vexo::test {
namespace {

constexpr int kFirstDisplay = 50;
constexpr int kDisplaysToTry = 50;
constexpr auto kStartTimeout = std::chrono::seconds(15);
constexpr auto kStopTimeout = std::chrono::seconds(5);
constexpr auto kPollInterval = std::chrono::milliseconds(20);

// ":N". Built by appending: GCC 12 warns falsely (-Wrestrict) about a literal + std::string.
std::string displayNameOf(int display) {
    std::string name = ":";
    name += std::to_string(display);
    return name;
}

std::string lockPath(int display) {
    std::string path = "/tmp/.X";
    path += std::to_string(display);
    path += "-lock";
    return path;
}

// The pid written into a display's lock file, -1 when there is none.
pid_t lockOwner(int display) {
    std::ifstream lock(lockPath(display));
    long pid = -1;
    return lock >> pid ? static_cast<pid_t>(pid) : -1;
}

// True once the server listens on its local socket.
bool acceptsConnections(int display) {
    std::string path = "/tmp/.X11-unix/X";
    path += std::to_string(display);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    const bool connected = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return connected;
}

bool reap(pid_t pid, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            return true;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    return false;
}

}  // namespace

XvfbServer::~XvfbServer() {
    stop();
}

bool XvfbServer::available() {
    const char* path = std::getenv("PATH");
    std::string directories = path != nullptr ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= directories.size()) {
        const std::size_t end = std::min(directories.find(':', start), directories.size());
        const std::string candidate = directories.substr(start, end - start) + "/Xvfb";
        if (access(candidate.c_str(), X_OK) == 0) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

bool XvfbServer::start(const std::string& screen, std::string* error) {
    stop();
    auto fail = [error](const std::string& reason) {
        if (error != nullptr) {
            *error = reason;
        }
        return false;
    };
    for (int display = kFirstDisplay; display < kFirstDisplay + kDisplaysToTry; ++display) {
        if (std::filesystem::exists(lockPath(display))) {
            continue;
        }
        const std::string name = displayNameOf(display);
        std::vector<std::string> arguments = {"Xvfb", name, "-screen", "0", screen, "-nolisten", "tcp", "-noreset"};
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        pid_t pid = -1;
        const int spawned = posix_spawnp(&pid, "Xvfb", &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            return fail(std::string("cannot start Xvfb: ") + std::strerror(spawned));
        }

        // Ours once the lock names our process (another test run may have taken the number
        // at the same moment) and the server accepts connections.
        const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
        bool exited = false;
        while (std::chrono::steady_clock::now() < deadline) {
            if (waitpid(pid, nullptr, WNOHANG) == pid) {
                exited = true;
                break;
            }
            if (lockOwner(display) == pid && acceptsConnections(display)) {
                pid_ = pid;
                display_ = display;
                const char* previous = std::getenv("DISPLAY");
                hadDisplay_ = previous != nullptr;
                previousDisplay_ = hadDisplay_ ? previous : "";
                setenv("DISPLAY", name.c_str(), 1);
                return true;
            }
            std::this_thread::sleep_for(kPollInterval);
        }
        if (!exited) {
            kill(pid, SIGKILL);
            reap(pid, std::chrono::duration_cast<std::chrono::milliseconds>(kStopTimeout));
            return fail("Xvfb " + name + " did not come up");
        }
    }
    return fail("no free display number from " + displayNameOf(kFirstDisplay));
}

void XvfbServer::stop() {
    if (pid_ <= 0) {
        return;
    }
    kill(pid_, SIGTERM);
    if (!reap(pid_, std::chrono::duration_cast<std::chrono::milliseconds>(kStopTimeout))) {
        kill(pid_, SIGKILL);
        reap(pid_, std::chrono::duration_cast<std::chrono::milliseconds>(kStopTimeout));
    }
    pid_ = -1;
    display_ = -1;
    if (hadDisplay_) {
        setenv("DISPLAY", previousDisplay_.c_str(), 1);
    } else {
        unsetenv("DISPLAY");
    }
}

std::string XvfbServer::displayName() const {
    return running() ? displayNameOf(display_) : std::string();
}

}  // namespace vexo::test
