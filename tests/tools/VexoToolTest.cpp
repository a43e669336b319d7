// The vexo tool end to end: it loads the built plug-in as a host does.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "TestSupport.h"

namespace vexo {
namespace {

struct Output {
    int status;
    std::string text;
};

Output vexo(const std::string& arguments) {
    const std::string command = std::string(VEXO_TOOL) + " " + arguments + " 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    std::string text;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        text.append(buffer, n);
    }
    const int status = pclose(pipe);
    return {WEXITSTATUS(status), text};
}

std::string pluginArgument() {
    return std::string("--plugin ") + VEXO_PLUGIN_DIR;
}

TEST(VexoTool, InfoShowsWhatAHostSees) {
    const Output out = vexo(std::string("info ") + VEXO_PLUGIN_DIR);
    ASSERT_EQ(out.status, 0) << out.text;
    EXPECT_NE(out.text.find("effect name: VEXO"), std::string::npos);
    EXPECT_NE(out.text.find("vendor:      Fernwave"), std::string::npos);
    EXPECT_NE(out.text.find("unique id:   VEXO"), std::string::npos);
    EXPECT_NE(out.text.find("'DistortionType'"), std::string::npos);
    EXPECT_NE(out.text.find("receiveVstMidiEvent  1"), std::string::npos);
    EXPECT_NE(out.text.find("chunk size:  20128"), std::string::npos);
}

TEST(VexoTool, PlayShowsNotesAStepApartAt120Bpm) {
    test::TempDir dir;
    test::writeFile(dir.file("gated.pat"), "; VEXO Meta tag: 4\nc-3 1 0 0\nd-3 1 0 0\ne-3 1 0 1\ng-3 1 0 0\n");
    const Output out =
        vexo("play " + pluginArgument() + " --pattern 3 --pattern-file " + dir.file("gated.pat") + " --bars 1");
    ASSERT_EQ(out.status, 0) << out.text;
    std::istringstream lines(out.text);
    std::vector<long long> noteOns;
    std::vector<int> keys, velocities;
    for (std::string line; std::getline(lines, line);) {
        long long frame;
        char gap[32];
        int key, velocity;
        if (std::sscanf(line.c_str(), " %lld %31s note-on %d vel %d", &frame, gap, &key, &velocity) == 4 ||
            std::sscanf(line.c_str(), " %lld note-on %d vel %d", &frame, &key, &velocity) == 3) {
            noteOns.push_back(frame);
            keys.push_back(key);
            velocities.push_back(velocity);
        }
    }
    ASSERT_EQ(noteOns.size(), 16u) << out.text;
    for (std::size_t i = 1; i < noteOns.size(); ++i) {
        const long long gap = noteOns[i] - noteOns[i - 1];
        EXPECT_TRUE(gap == 5512 || gap == 5513) << gap;
    }
    EXPECT_EQ(std::vector<int>(keys.begin(), keys.begin() + 4), (std::vector<int>{36, 38, 40, 43}));
    EXPECT_EQ(velocities[2], 127);
    EXPECT_EQ(velocities[3], 99);
    EXPECT_NE(out.text.find("control  123"), std::string::npos);  // all notes off at the release
}

TEST(VexoTool, ProgramPrintsTheProgrammedPattern) {
    // Auto advance on, c, next, e, next, g, slide, next, c one octave up, accent.
    const Output out = vexo("program " + pluginArgument() + " --notes 38,48,84,52,84,55,77,84,60,76");
    ASSERT_EQ(out.status, 0) << out.text;
    EXPECT_NE(out.text.find("   1  c-3"), std::string::npos) << out.text;
    EXPECT_NE(out.text.find("   3  e-3"), std::string::npos);
    EXPECT_NE(out.text.find("   5  g-3"), std::string::npos);
    EXPECT_NE(out.text.find("   6  c-3  rest slide"), std::string::npos);
    EXPECT_NE(out.text.find("   7  c-4"), std::string::npos);
    EXPECT_NE(out.text.find("   8  c-3  rest accent"), std::string::npos);
}

TEST(VexoTool, UnknownCommandsAndOptionsFail) {
    EXPECT_EQ(vexo("no-such-command").status, 2);
    EXPECT_EQ(vexo("play --no-such-option 1").status, 2);
    EXPECT_EQ(vexo("info /nonexistent-folder").status, 1);
}

}  // namespace
}  // namespace vexo
