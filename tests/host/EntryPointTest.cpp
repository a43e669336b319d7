// The built module as a host finds it: its exports and its entry point.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>

#include "PluginHost.h"
#include "TestSupport.h"

namespace vexo {
namespace {

const std::string kModule = std::string(VEXO_PLUGIN_DIR) + "/VEXO.so";

TEST(EntryPoint, ModuleExportsOnlyTheEntryPoint) {
    std::FILE* pipe = popen(("nm -D --defined-only " + kModule + " 2>/dev/null").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> symbols;
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        std::istringstream fields(line);
        std::string address, type, name;
        if (fields >> address >> type >> name) {
            symbols.insert(name);
        }
    }
    pclose(pipe);
    EXPECT_EQ(symbols, (std::set<std::string>{"VSTPluginMain", "main"}));
}

// Answers 0 to everything, audioMasterVersion included: not a VST 2 host.
VstIntPtr refusingHost(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) {
    return 0;
}

TEST(EntryPoint, RefusesAHostWithoutVersion) {
    void* module = dlopen(kModule.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    using Entry = AEffect* (*)(audioMasterCallback);
    auto entry = reinterpret_cast<Entry>(dlsym(module, "VSTPluginMain"));
    auto alias = reinterpret_cast<Entry>(dlsym(module, "main"));
    ASSERT_NE(entry, nullptr);
    ASSERT_NE(alias, nullptr);
    EXPECT_EQ(entry(&refusingHost), nullptr);
    EXPECT_EQ(alias(&refusingHost), nullptr);
    EXPECT_EQ(entry(nullptr), nullptr);
    dlclose(module);
}

TEST(EntryPoint, HostLoadsFromACopiedFolderAndReadsItsSettings) {
    test::TempDir dir;
    test::copyPluginFolder(dir.path());
    test::writeFile(dir.file("Config.ini"), "; test\nMidiMode = 2\n");
    PluginHost host;
    std::string error;
    ASSERT_TRUE(host.load(dir.path(), error)) << error;
    EXPECT_EQ(host.effect()->uniqueID, fourCharCode("VEXO"));
    // The plug-in found its own folder: MidiMode 2 from that Config.ini is in the chunk.
    const std::vector<std::uint8_t> chunk = host.getChunk();
    ASSERT_EQ(chunk.size(), 20128u);
    EXPECT_EQ(chunk[20040], 2);
    host.close();
}

}  // namespace
}  // namespace vexo
