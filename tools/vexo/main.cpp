// vexo: renders, converts and analyses patterns, loading the plug-in as a host does.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "Command.h"

namespace vexo::cli {

std::vector<CommandSetup>& commandSetups() {
    static std::vector<CommandSetup> all;
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

int fail(const std::string& command, const std::string& message) {
    std::fprintf(stderr, "vexo %s: %s\n", command.c_str(), message.c_str());
    return kExitFailed;
}

void warn(const std::string& command, const std::string& message) {
    std::fprintf(stderr, "vexo %s: warning: %s\n", command.c_str(), message.c_str());
}

int usageError(const std::string& command, const std::string& message) {
    const std::string prefix = command.empty() ? "vexo" : "vexo " + command;
    std::fprintf(stderr, "%s: %s\nRun '%s --help' for the options and their ranges.\n", prefix.c_str(), message.c_str(),
                 prefix.c_str());
    return kExitUsage;
}

}  // namespace vexo::cli

namespace {

using vexo::cli::Command;

// The last subcommand chosen so far, and its name with its parents' ("pattern edit").
const CLI::App& chosenCommand(const CLI::App& tool, std::string& name) {
    const CLI::App* app = &tool;
    while (!app->get_subcommands().empty()) {
        app = app->get_subcommands().front();
        name += (name.empty() ? "" : " ") + app->get_name();
    }
    return *app;
}

int parseError(const CLI::App& tool, const CLI::ParseError& error) {
    std::string name;
    const CLI::App& command = chosenCommand(tool, name);
    // A word where a subcommand is required reads as an unknown command, not as a
    // missing one.
    const std::vector<std::string> rest = command.remaining();
    if (dynamic_cast<const CLI::RequiredError*>(&error) != nullptr && !rest.empty() && rest[0][0] != '-') {
        return vexo::cli::usageError(name, "no command '" + rest[0] + "'");
    }
    return vexo::cli::usageError(name, error.what());
}

// "vexo help": every command with its options; "vexo help COMMAND": that one.
int printHelp(const CLI::App& tool, const std::string& topic) {
    if (topic.empty()) {
        // Not tool.help(): that describes the chosen subcommand, here "help" itself.
        std::fputs(tool.get_formatter()->make_help(&tool, "vexo", CLI::AppFormatMode::All).c_str(), stdout);
        return vexo::cli::kExitSuccess;
    }
    for (const CLI::App* command : tool.get_subcommands(std::function<bool(const CLI::App*)>{})) {
        if (command->get_name() == topic) {
            std::fputs(command->help("vexo").c_str(), stdout);
            return vexo::cli::kExitSuccess;
        }
    }
    return vexo::cli::usageError("help", "no command '" + topic + "'");
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App tool("Renders, converts and analyses patterns, loading the VEXO plug-in as a host does.", "vexo");
    tool.set_version_flag("--version", "vexo " VEXO_VERSION);
    tool.set_help_all_flag("--help-all", "Print every command with its options and exit");
    tool.require_subcommand(1);

    std::vector<Command> commands;
    for (vexo::cli::CommandSetup setup : vexo::cli::commandSetups()) {
        commands.push_back(setup(tool));
    }
    std::string helpTopic;
    CLI::App* help = tool.add_subcommand("help", "Print every command with its options, or one command's");
    help->add_option("COMMAND", helpTopic, "The command to describe")->type_name("");

    if (argc < 2) {
        std::fputs(tool.help().c_str(), stderr);
        return vexo::cli::kExitUsage;
    }
    try {
        tool.parse(argc, argv);
    } catch (const CLI::Success& e) {  // --help, --help-all, --version
        return tool.exit(e);
    } catch (const CLI::ParseError& e) {
        return parseError(tool, e);
    }
    if (help->parsed()) {
        return printHelp(tool, helpTopic);
    }
    for (const Command& command : commands) {
        if (command.app->parsed()) {
            try {
                return command.run();
            } catch (const std::exception& e) {
                return vexo::cli::fail(command.app->get_name(), std::string("unexpected failure: ") + e.what());
            }
        }
    }
    return vexo::cli::kExitUsage;
}
