// The vexo tool end to end: it loads the built plug-in as a host does.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <sstream>
#include <thread>

#include "../patterns/ImportFileWriters.h"
#include "PluginHost.h"
#include "TestSupport.h"
#include "host/StateFile.h"
#include "patterns/PatternText.h"
#include "patterns/WaveFile.h"

namespace vexo {
namespace {

struct Output {
    int status;  // exit status, or -1 when a signal ended the tool
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
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text};
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
    // The LV2 bundle beside the folder, as lilv reads it, with the state its instance saves.
    EXPECT_NE(out.text.find("plug-in:     https://fernwave.example/vexo \"VEXO\""), std::string::npos) << out.text;
    EXPECT_NE(out.text.find("16  highpass_filter  control input  'HighpassFilter' 0..1, default 0"), std::string::npos);
    EXPECT_NE(out.text.find("#stateChunk (http://lv2plug.in/ns/ext/atom#Chunk, 20128 bytes)"), std::string::npos);
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

std::vector<std::string> filesIn(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Every command with wrong, extreme and hostile arguments: exit 2 for wrong usage, 1 for
// a file or plug-in that fails, each with a message naming what was wrong; never a signal,
// and no output file left behind.
TEST(VexoTool, WrongArgumentsFailWithAMessage) {
    test::TempDir dir;
    const std::string bank = dir.file("bank.pat");
    std::filesystem::copy_file(std::string(VEXO_PLUGIN_DIR) + "/DefaultPatternBank.pat", bank);
    const std::string out = " --out " + dir.file("out");
    const std::string missing = dir.file("missing");
    struct Case {
        std::string arguments;
        int status;
        std::string named;  // in the message
    };
    const Case cases[] = {
        {"render --bars abc" + out, 2, "--bars: 'abc' is no number; expected one in 0.0625..100000"},
        {"render --bars -3" + out, 2, "--bars: -3 is outside"},
        {"render --bars nan" + out, 2, "--bars"},
        {"render --seconds 1e12" + out, 2, "--seconds: 1e12 is outside 0.001..86400"},
        {"render --bars 100000 --tempo 1" + out, 2, "at most 86400 s"},
        {"render --seconds 40000" + out, 2, "4 GiB"},
        {"render --bars 1 --seconds 1" + out, 2, "--bars"},
        {"render --bars" + out, 2, "--bars"},
        {"render --set Cutoff=abc" + out, 2, "--set: the value of Cutoff must be a number in 0..1"},
        {"render --set Cutoff=2" + out, 2, "--set"},
        {"render --set Nothing=0.5" + out, 2, "'Nothing' is no parameter"},
        {"render --rate 1" + out, 2, "--rate: 1 is outside 8000..384000"},
        {"render --block 0" + out, 2, "--block"},
        {"render --block 99999999999999999999999" + out, 2, "--block"},
        {"render --tempo 0" + out, 2, "--tempo"},
        {"render --pattern 128" + out, 2, "--pattern"},
        {"render --tail -5" + out, 2, "--tail: -5 is outside 0..60"},
        {"render --format mp3" + out, 2, "--format"},
        {"render --config NoEquals" + out, 2, "--config"},
        {"render", 2, "--out"},
        {"render --no-such-option 1" + out, 2, "--no-such-option"},
        {"render --out " + missing + "/x.wav", 1, "cannot write " + missing + "/x.wav: the folder"},
        {"render --out " + dir.path(), 1, "it is a folder"},
        {"render --out /dev/null", 1, "no regular file"},
        {"render --pattern-file " + missing + out, 1, "cannot read " + missing},
        {"render --plugin " + missing + out, 1, missing},
        {"play --pattern 3 --seconds -1", 2, "--seconds"},
        {"play --config \"Key = 1\" --plugin " + missing, 1, missing},
        {"program --notes 1,x", 2, "--notes: 'x' is no whole number"},
        {"program --notes 200", 2, "--notes: 200 is outside 0..127"},
        {"program --notes 1 --mode 2", 2, "--mode"},
        {"program", 2, "--notes"},
        {"info " + missing, 1, missing},
        {"pattern", 2, "subcommand"},
        {"pattern print", 2, "FILE"},
        {"pattern print " + bank + " --slot 128", 2, "--slot"},
        {"pattern print " + dir.path(), 1, "it is a folder"},
        {"pattern extract " + bank + " -1 " + dir.file("out"), 2, "SLOT"},
        {"pattern extract " + bank + " 5 /proc/out.pat", 1, "cannot write /proc/out.pat"},
        {"pattern insert " + missing + " " + bank + " 5", 1, "cannot read " + missing},
        {"pattern edit " + bank + " transpose", 2, "needs an AMOUNT"},
        {"pattern edit " + bank + " clear 3", 2, "takes no AMOUNT"},
        {"pattern edit " + bank + " transpose 9999", 2, "AMOUNT"},
        {"pattern edit " + bank + " frob", 2, "OPERATION"},
        {"pattern edit " + bank + " clear --seed -1", 2, "--seed"},
        {"export-midi " + bank + " --slot 5 --accent-velocity 500" + out, 2,
         "--accent-velocity: 500 is outside 0..127"},
        {"export-midi " + bank + " --slot abc" + out, 2, "--slot"},
        {"export-midi " + bank + " --slot 5 --out " + dir.path(), 1, "it is a folder"},
        {"import " + bank + out, 2, ".rbs"},
        {"import " + missing + ".rbs" + out, 1, "cannot read " + missing + ".rbs"},
        {"detect " + missing, 1, "cannot read " + missing},
        {"detect " + bank, 1, "Unsupported wave format"},
        {"detect " + bank + " --steps 65", 2, "--steps"},
        {"detect " + bank + " --bank " + bank, 2, "--slot"},
        {"no-such-command", 2, "no-such-command"},
        {"help no-such-command", 2, "no-such-command"},
        {"", 2, "Usage"},
    };
    for (const Case& c : cases) {
        const Output result = vexo(c.arguments);
        EXPECT_EQ(result.status, c.status) << c.arguments << "\n" << result.text;
        EXPECT_NE(result.text.find(c.named), std::string::npos) << c.arguments << "\n" << result.text;
    }
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"bank.pat"});
    EXPECT_EQ(test::readFile(bank), test::readFile(std::string(VEXO_PLUGIN_DIR) + "/DefaultPatternBank.pat"));
}

TEST(VexoTool, RenderStreamsEveryFrameWhateverTheBlockSize) {
    test::TempDir dir;
    // One bar at 120 BPM and 44100 Hz, no tail: 16 steps of 5512.5 frames.
    const std::string common = "render " + pluginArgument() + " --pattern 5 --bars 1 --tail 0 --format pcm16 --out ";
    const Output whole = vexo(common + dir.file("512.wav"));
    ASSERT_EQ(whole.status, 0) << whole.text;
    EXPECT_NE(whole.text.find("88200 frames"), std::string::npos) << whole.text;
    ASSERT_EQ(vexo(common + dir.file("100.wav") + " --block 100 --quiet").text, "");
    WaveBuffer big, small;
    ASSERT_TRUE(loadWave(big, dir.file("512.wav")));
    ASSERT_TRUE(loadWave(small, dir.file("100.wav")));
    EXPECT_EQ(big.count(), 88200u);
    EXPECT_EQ(big.samples, small.samples);
}

TEST(VexoTool, InterruptedRenderLeavesNoFile) {
    test::TempDir dir;
    const std::string tool = VEXO_TOOL;
    const std::string plugin = VEXO_PLUGIN_DIR;
    const std::string out = dir.file("long.wav");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        execl(tool.c_str(), tool.c_str(), "render", "--plugin", plugin.c_str(), "--seconds", "3600", "--quiet", "--out",
              out.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    // The unfinished file appears once the render runs.
    for (int i = 0; i < 3000 && filesIn(dir.path()).empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(filesIn(dir.path()).empty());
    kill(child, SIGINT);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_TRUE(filesIn(dir.path()).empty());
}

TEST(VexoTool, TextWithoutAPatternIsReadWithAWarning) {
    test::TempDir dir;
    test::writeFile(dir.file("notes.txt"), "root:x:0:0:root:/root:/bin/bash\n");
    const Output odd = vexo("pattern print " + dir.file("notes.txt"));
    EXPECT_EQ(odd.status, 0);
    EXPECT_NE(odd.text.find("warning: " + dir.file("notes.txt") + " holds no pattern text"), std::string::npos)
        << odd.text;
    const Output shipped = vexo(std::string("pattern print ") + VEXO_PLUGIN_DIR + "/DefaultPatternBank.pat --slot 5");
    EXPECT_EQ(shipped.status, 0);
    EXPECT_EQ(shipped.text.find("warning"), std::string::npos) << shipped.text;
}

// A new plug-in's state with a pattern of our own in slot 3, the current pattern, as a bank file.
std::vector<std::uint8_t> stateWithPattern(const std::string& patternText) {
    PluginHost host;
    std::string error;
    EXPECT_TRUE(host.load(VEXO_PLUGIN_DIR, error)) << error;
    std::vector<std::uint8_t> chunk = host.getChunk();
    ChunkContents contents;
    EXPECT_EQ(readStateChunk(chunk.data(), chunk.size(), contents), ChunkReadResult::Read);
    readPatternText(contents.patterns[3], patternText);
    contents.settings[kChunkCurrentPatternWord] = 3;
    writeStateChunk(contents, chunk.data());
    return encodeStateFile(StateFormat::Bank, chunk, 1);
}

TEST(VexoTool, StateFilesConvertPrintAndFeedTheCommands) {
    test::TempDir dir;
    const std::string pattern = "; VEXO Meta tag: 4\nc-3 1 0 0\nd#3 1 1 0\ng-3 1 0 1\na#2 1 0 0\n";
    test::writeFile(dir.file("p.pat"), pattern);
    const std::vector<std::uint8_t> bank = stateWithPattern(pattern);
    const std::string state = dir.file("s.fxb");
    test::writeFile(state, std::string(bank.begin(), bank.end()));

    const Output printed = vexo("state print " + state);
    ASSERT_EQ(printed.status, 0) << printed.text;
    EXPECT_NE(printed.text.find("bank file (.fxb), format version 2, plug-in 'VEXO' version 1"), std::string::npos);
    EXPECT_NE(printed.text.find("current pattern: 3 (4 steps, 4 with notes)"), std::string::npos) << printed.text;

    // .fxb -> .fxp -> bare chunk -> .fxb gives the same bytes back.
    ASSERT_EQ(vexo("state convert " + state + " --out " + dir.file("s.fxp")).status, 0);
    ASSERT_EQ(vexo("state convert " + dir.file("s.fxp") + " --out " + dir.file("s.chunk")).status, 0);
    EXPECT_EQ(test::readFile(dir.file("s.chunk")).size(), kChunkBytes);
    ASSERT_EQ(vexo("state convert " + dir.file("s.chunk") + " --format bank --out " + dir.file("back")).status, 0);
    EXPECT_EQ(test::readFile(dir.file("back")), test::readFile(state));

    // The state's patterns play and export as the pattern file does in their slot.
    const std::string render = "render " + pluginArgument() + " --pattern 3 --bars 1 --tail 0 --quiet --out ";
    ASSERT_EQ(vexo(render + dir.file("state.wav") + " --state " + dir.file("s.fxp")).status, 0);
    ASSERT_EQ(vexo(render + dir.file("file.wav") + " --pattern-file " + dir.file("p.pat")).status, 0);
    EXPECT_EQ(test::readFile(dir.file("state.wav")), test::readFile(dir.file("file.wav")));
    ASSERT_EQ(vexo("export-midi --state " + state + " --out " + dir.file("state.mid")).status, 0);
    ASSERT_EQ(vexo("export-midi " + dir.file("p.pat") + " --out " + dir.file("file.mid")).status, 0);
    EXPECT_EQ(test::readFile(dir.file("state.mid")), test::readFile(dir.file("file.mid")));

    // An import into the state writes it back, in its own form, with the bank an import
    // into a bank file gives.
    test::writeFile(dir.file("song.ph"), test::phText([](int b) { return 4 + b % 12; }));
    ASSERT_EQ(vexo("import " + dir.file("song.ph") + " --state " + dir.file("s.chunk")).status, 0);
    ASSERT_EQ(vexo("import " + dir.file("song.ph") + " --out " + dir.file("bank.pat")).status, 0);
    for (const char* slot : {"0", "20"}) {
        ASSERT_EQ(
            vexo("export-midi --state " + dir.file("s.chunk") + " --slot " + slot + " --out " + dir.file("state.mid"))
                .status,
            0);
        ASSERT_EQ(
            vexo("export-midi " + dir.file("bank.pat") + " --slot " + slot + " --out " + dir.file("file.mid")).status,
            0);
        EXPECT_EQ(test::readFile(dir.file("state.mid")), test::readFile(dir.file("file.mid"))) << slot;
    }
    EXPECT_EQ(test::readFile(dir.file("s.chunk")).size(), kChunkBytes);

    // A foreign state is refused by every command and stays as it was.
    std::vector<std::uint8_t> foreign = bank;
    foreign[19] = 'X';
    test::writeFile(dir.file("foreign.fxb"), std::string(foreign.begin(), foreign.end()));
    for (const std::string& command :
         {render + dir.file("x.wav") + " --state ", "import " + dir.file("song.ph") + " --state ",
          "export-midi --out " + dir.file("x.mid") + " --state ", std::string("state print ")}) {
        const Output refused = vexo(command + dir.file("foreign.fxb"));
        EXPECT_EQ(refused.status, 1) << command;
        EXPECT_NE(refused.text.find(dir.file("foreign.fxb") + " belongs to another plug-in (id 'VEXX', not 'VEXO')"),
                  std::string::npos)
            << refused.text;
    }
    EXPECT_EQ(test::readFile(dir.file("foreign.fxb")), std::string(foreign.begin(), foreign.end()));
    EXPECT_EQ(vexo("export-midi " + dir.file("p.pat") + " --state " + state + " --out " + dir.file("x.mid")).status, 2);
}

}  // namespace
}  // namespace vexo
