// Subcommands of the vexo tool. Each lives in its own file and registers itself here.
#pragma once

#include <string>
#include <vector>

namespace vexo::cli {

struct Command {
    const char* name;
    const char* usage;    // arguments, for the help text
    const char* summary;  // one line
    int (*run)(const std::vector<std::string>& args);
};

std::vector<Command>& commands();

struct Registration {
    explicit Registration(const Command& command) { commands().push_back(command); }
};

// Default plug-in folder: build/VEXO beside the tool, else ./build/VEXO.
std::string defaultPluginDir();

// Small argument helpers: "--name value" options and plain arguments.
class Arguments {
public:
    explicit Arguments(const std::vector<std::string>& args) : args_(args), used_(args.size(), false) {}
    // True when --flag is present.
    bool flag(const std::string& name);
    // The value after --name, or fallback.
    std::string option(const std::string& name, const std::string& fallback = "");
    bool has(const std::string& name) const;
    // Every value of a repeatable option.
    std::vector<std::string> options(const std::string& name);
    // Arguments not consumed by options, in order.
    std::vector<std::string> positional() const;
    // Unknown "--" options left over; reports them on stderr and returns false.
    bool checkAllUsed(const char* command) const;

private:
    std::vector<std::string> args_;
    std::vector<bool> used_;
};

int usageError(const char* command, const std::string& message);

}  // namespace vexo::cli
