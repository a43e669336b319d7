// vexo: renders, converts and analyses patterns, loading the plug-in as a host does.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Command.h"

namespace vexo::cli {

std::vector<Command>& commands() {
    static std::vector<Command> all;
    return all;
}

std::string defaultPluginDir() {
    char self[4096] = {};
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
        std::string dir(self, static_cast<std::size_t>(n));
        dir = dir.substr(0, dir.find_last_of('/'));
        if (access((dir + "/VEXO/VEXO.so").c_str(), R_OK) == 0) {
            return dir + "/VEXO";
        }
    }
    return "build/VEXO";
}

bool Arguments::flag(const std::string& name) {
    for (std::size_t i = 0; i < args_.size(); ++i) {
        if (!used_[i] && args_[i] == "--" + name) {
            used_[i] = true;
            return true;
        }
    }
    return false;
}

bool Arguments::has(const std::string& name) const {
    for (const std::string& a : args_) {
        if (a == "--" + name) {
            return true;
        }
    }
    return false;
}

std::string Arguments::option(const std::string& name, const std::string& fallback) {
    std::string value = fallback;
    for (std::size_t i = 0; i + 1 < args_.size(); ++i) {
        if (!used_[i] && args_[i] == "--" + name) {
            used_[i] = used_[i + 1] = true;
            value = args_[i + 1];
        }
    }
    return value;
}

std::vector<std::string> Arguments::options(const std::string& name) {
    std::vector<std::string> values;
    for (std::size_t i = 0; i + 1 < args_.size(); ++i) {
        if (!used_[i] && args_[i] == "--" + name) {
            used_[i] = used_[i + 1] = true;
            values.push_back(args_[i + 1]);
            ++i;
        }
    }
    return values;
}

std::vector<std::string> Arguments::positional() const {
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args_.size(); ++i) {
        if (!used_[i] && args_[i].rfind("--", 0) != 0) {
            rest.push_back(args_[i]);
        }
    }
    return rest;
}

bool Arguments::checkAllUsed(const char* command) const {
    bool ok = true;
    for (std::size_t i = 0; i < args_.size(); ++i) {
        if (!used_[i] && args_[i].rfind("--", 0) == 0) {
            std::fprintf(stderr, "vexo %s: unknown option %s\n", command, args_[i].c_str());
            ok = false;
        }
    }
    return ok;
}

int usageError(const char* command, const std::string& message) {
    std::fprintf(stderr, "vexo %s: %s\n", command, message.c_str());
    for (const Command& c : commands()) {
        if (std::strcmp(c.name, command) == 0) {
            std::fprintf(stderr, "usage: vexo %s %s\n", c.name, c.usage);
        }
    }
    return 2;
}

}  // namespace vexo::cli

namespace {

void printHelp() {
    std::printf("usage: vexo COMMAND [ARGUMENTS]\n\ncommands:\n");
    std::vector<vexo::cli::Command> sorted = vexo::cli::commands();
    std::sort(sorted.begin(), sorted.end(),
              [](const vexo::cli::Command& a, const vexo::cli::Command& b) { return std::strcmp(a.name, b.name) < 0; });
    for (const vexo::cli::Command& c : sorted) {
        std::printf("  %-12s %s\n      vexo %s %s\n", c.name, c.summary, c.name, c.usage);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "help") == 0 ||
        std::strcmp(argv[1], "-h") == 0) {
        printHelp();
        return argc < 2 ? 2 : 0;
    }
    const std::vector<std::string> args(argv + 2, argv + argc);
    for (const vexo::cli::Command& c : vexo::cli::commands()) {
        if (std::strcmp(c.name, argv[1]) == 0) {
            return c.run(args);
        }
    }
    std::fprintf(stderr, "vexo: unknown command '%s' (try vexo help)\n", argv[1]);
    return 2;
}
