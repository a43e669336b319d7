// The LV2 bundle as hosts find it: valid Turtle, listed by lilv's tools, and ports that
// carry the plug-in's own parameter table.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "Lv2Host.h"
#include "TestSupport.h"
#include "host/Parameters.h"
#include "lv2/Lv2Ports.h"

namespace vexo::test {
namespace {

struct CommandResult {
    int status;
    std::string output;
};

CommandResult run(const std::string& command) {
    std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    std::string output;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        output.append(buffer, n);
    }
    return {pclose(pipe), output};
}

bool installed(const char* program) {
    return run(std::string("command -v ") + program).status == 0;
}

TEST(Lv2Bundle, IsValidTurtleThatLilvsToolsList) {
    if (!installed("serdi") || !installed("lv2info")) {
        GTEST_SKIP() << "serdi or lv2info (Debian serdi, lilv-utils) is not installed";
    }
    for (const char* file : {"manifest.ttl", lv2::kPluginTtlFile}) {
        const CommandResult check = run(std::string("serdi -i turtle -o ntriples '") + VEXO_LV2_DIR + "/" + file + "'");
        EXPECT_EQ(check.status, 0) << file << ": " << check.output.substr(0, 400);
    }
    // lilv's tools look through every folder of LV2_PATH: one that holds only the bundle.
    TempDir dir;
    std::filesystem::create_directory_symlink(VEXO_LV2_DIR, dir.file(lv2::kBundleName));
    const std::string path = "LV2_PATH='" + dir.path() + "' ";
    EXPECT_EQ(run(path + "lv2ls").output, std::string(lv2::kPluginUri) + "\n");
    const CommandResult info = run(path + "lv2info " + lv2::kPluginUri);
    ASSERT_EQ(info.status, 0) << info.output;
    for (const char* expected : {"ui#X11UI", "state#interface", "Symbol:      highpass_filter", "lv2core#toggled",
                                 "0.0 = \"Sawtooth\"", "1.0 = \"Foldback\""}) {
        EXPECT_NE(info.output.find(expected), std::string::npos) << expected;
    }
}

TEST(Lv2Bundle, ControlPortsCarryTheParameterTable) {
    Lv2Host host;
    std::string error;
    ASSERT_TRUE(host.load(VEXO_LV2_DIR, lv2::kPluginUri, error)) << error;
    const std::vector<Lv2PortInfo>& ports = host.description().ports;
    ASSERT_EQ(ports.size(), std::size_t{lv2::kPortCount});
    for (int i = 0; i < kNumParameters; ++i) {
        const Lv2PortInfo& port = ports[lv2::kFirstParameterPort + static_cast<std::uint32_t>(i)];
        std::string name = kParameterInfo[i].name;
        name.erase(name.find_last_not_of(' ') + 1);
        EXPECT_EQ(port.name, name);
        EXPECT_EQ(port.kind, "control");
        // Exactly the plug-in's default, so that a host's first values change nothing.
        EXPECT_EQ(port.defaultValue, kParameterInfo[i].defaultValue) << name;
        EXPECT_EQ(port.minimum, 0.0f);
        EXPECT_EQ(port.maximum, 1.0f);
    }
    EXPECT_EQ(ports[lv2::kFirstParameterPort + kEnvMod].symbol, "env_mod");
}

}  // namespace
}  // namespace vexo::test
