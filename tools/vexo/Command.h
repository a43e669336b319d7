// Subcommands of the vexo tool. Each lives in its own file with one setup function that
// adds the subcommand, its options and their checks to the tool's command line, and
// registers that function here.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace vexo::cli {

// Exit statuses, the same for every command.
constexpr int kExitSuccess = 0;
constexpr int kExitFailed = 1;  // the work failed: a file, the plug-in, an interrupted render
constexpr int kExitUsage = 2;   // wrong arguments

// A subcommand once set up: parsing fills the options that run reads.
struct Command {
    CLI::App* app;
    std::function<int()> run;
};
using CommandSetup = Command (*)(CLI::App& tool);

std::vector<CommandSetup>& commandSetups();

struct Registration {
    explicit Registration(CommandSetup setup) { commandSetups().push_back(setup); }
};

// Default plug-in folder: build/VEXO beside the tool, else ./build/VEXO.
std::string defaultPluginDir();

// "vexo COMMAND: message" on stderr; returns kExitFailed.
int fail(const std::string& command, const std::string& message);
// "vexo COMMAND: warning: message" on stderr.
void warn(const std::string& command, const std::string& message);
// A wrong combination of arguments found after parsing: the message and where to find
// the options on stderr; returns kExitUsage.
int usageError(const std::string& command, const std::string& message);

}  // namespace vexo::cli
