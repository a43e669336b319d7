// Replays reference renders made by an independent implementation through the built
// module, loaded through its entry point, and compares audio and outgoing MIDI.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "PluginHost.h"
#include "Scenario.h"
#include "TestSupport.h"

namespace vexo {
namespace {

namespace fs = std::filesystem;

constexpr double kMaxAbsoluteError = 2e-4;
constexpr double kMaxRmsError = 2e-5;

// The plug-in folder a reference scenario expects: our folder with the reference
// wavetables, no user files, and a configuration of the scenario's config lines.
void prepareFolder(const std::string& dir, const fs::path& golden, const Scenario& scenario) {
    test::copyPluginFolder(dir);
    fs::create_directories(fs::path(dir) / "Data");
    for (const char* table : {"1ca37741f.dat", "3c2a6627a.dat"}) {
        fs::copy_file(golden / "Data" / table, fs::path(dir) / "Data" / table, fs::copy_options::overwrite_existing);
    }
    for (const char* name : {"User.ini", "MidiCC.ini", "DefaultPatternBank.pat", "Config.bak"}) {
        fs::remove(fs::path(dir) / name);
    }
    std::string config = "; reference scenario\n";
    for (const std::string& line : scenario.configLines) {
        config += line + "\n";
    }
    test::writeFile(dir + "/Config.ini", config);
}

std::vector<float> readFloats(const std::string& path) {
    const std::string bytes = test::readFile(path);
    std::vector<float> values(bytes.size() / sizeof(float));
    std::memcpy(values.data(), bytes.data(), values.size() * sizeof(float));
    return values;
}

std::vector<std::string> readLines(const std::string& path) {
    std::vector<std::string> lines;
    std::istringstream in(test::readFile(path));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

class GoldenRender : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenRender, MatchesReference) {
    const fs::path golden = VEXO_GOLDEN_DIR;
    const fs::path folder = golden / GetParam();
    if (!fs::exists(folder / "scenario.scn")) {
        GTEST_SKIP() << "reference renders not found at " << folder;
    }
    Scenario scenario;
    std::string error;
    ASSERT_TRUE(parseScenario(test::readFile((folder / "scenario.scn").string()), scenario, error)) << error;

    test::TempDir dir;
    prepareFolder(dir.path(), golden, scenario);
    PluginHost host;
    ASSERT_TRUE(host.load(dir.path(), error)) << error;
    const ScenarioResult result = runScenario(host, scenario, test::readBytes((folder / scenario.chunkFile).string()));

    const std::vector<float> expected = readFloats((folder / "expected.f32").string());
    ASSERT_EQ(expected.size(), result.left.size());
    double maxError = 0.0;
    double sumSquares = 0.0;
    std::size_t worst = 0;
    std::size_t zeroMismatches = 0;
    std::size_t firstZeroMismatch = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const double difference = std::fabs(static_cast<double>(result.left[i]) - expected[i]);
        sumSquares += difference * difference;
        if (difference > maxError) {
            maxError = difference;
            worst = i;
        }
        if (expected[i] == 0.0f && result.left[i] != 0.0f && zeroMismatches++ == 0) {
            firstZeroMismatch = i;
        }
        ASSERT_EQ(result.left[i], result.right[i]) << "the outputs differ at frame " << i;
    }
    const double rms = std::sqrt(sumSquares / static_cast<double>(expected.size()));
    EXPECT_LE(maxError, kMaxAbsoluteError) << "largest difference at frame " << worst << ": got " << result.left[worst]
                                           << ", expected " << expected[worst];
    EXPECT_LE(rms, kMaxRmsError);
    EXPECT_EQ(zeroMismatches, 0u) << "first non-zero output where the reference is exactly 0: frame "
                                  << firstZeroMismatch;

    const fs::path midiLog = folder / "expected-midi.log";
    if (fs::exists(midiLog)) {
        EXPECT_EQ(readLines(midiLog.string()), result.midiLog);
    } else {
        EXPECT_TRUE(result.midiLog.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Reference, GoldenRender,
                         ::testing::Values("01-plain-120", "02-slide-accent-tie", "05-filtermode-0",
                                           "08-dist-saturate"),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) {
                                     c = '_';
                                 }
                             }
                             return name;
                         });

}  // namespace
}  // namespace vexo
