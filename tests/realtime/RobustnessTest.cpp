// Whatever blocks, rates and values a host delivers, the plug-in renders the same music
// and never anything that is not a number.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "PluginFixture.h"

namespace vexo {
namespace {

class Robustness : public test::PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        test::copyPluginFolder(folder.path());
        fresh();
    }
    void fresh() {
        create();
        Pattern& p = plugin->bank().pattern(0);
        p.setLength(8);
        for (int i = 0; i < 8; ++i) {
            p.setStep(i, Step{static_cast<std::uint8_t>(i * 3 % 13),
                              static_cast<std::uint8_t>(StepFlags::Gate | (i % 3 == 1 ? StepFlags::Slide : 0) |
                                                        (i % 4 == 0 ? StepFlags::Accent : 0))});
        }
        plugin->setParameter(kResonance, 0.7f);
        plugin->setSampleRate(44100.0f);
        plugin->resume();
    }
    // Renders frames with the pattern's key held, in blocks whose sizes come from next().
    template <class Sizes>
    std::vector<float> renderHeld(long long frames, Sizes next) {
        std::vector<float> all;
        bool first = true;
        while (static_cast<long long>(all.size()) < frames) {
            const int size = static_cast<int>(std::min<long long>(next(), frames - static_cast<long long>(all.size())));
            if (first) {
                sendMidi({{0, 0x90, 0, 100}});
                first = false;
            }
            process(size);
            all.insert(all.end(), left.begin(), left.end());
        }
        return all;
    }
};

TEST_F(Robustness, BlockSizesDoNotChangeTheSound) {
    const long long frames = 3 * 44100;
    const std::vector<float> reference = renderHeld(frames, [] { return 512; });
    double peak = 0.0;
    for (float v : reference) {
        peak = std::max(peak, static_cast<double>(std::fabs(v)));
    }
    ASSERT_GT(peak, 0.05);
    std::mt19937 random(3);
    const std::vector<std::pair<const char*, std::function<int()>>> sizes = {
        {"1", [] { return 1; }},
        {"7", [] { return 7; }},
        {"64", [] { return 64; }},
        {"4096", [] { return 4096; }},
        {"changing", [&] { return 1 + static_cast<int>(random() % 3000); }},
    };
    for (const auto& [name, next] : sizes) {
        fresh();
        const std::vector<float> rendered = renderHeld(frames, next);
        ASSERT_EQ(rendered.size(), reference.size());
        std::size_t firstDifference = rendered.size();
        for (std::size_t i = 0; i < rendered.size(); ++i) {
            if (rendered[i] != reference[i]) {
                firstDifference = i;
                break;
            }
        }
        EXPECT_EQ(firstDifference, rendered.size()) << "blocks of " << name;
    }
}

// Frequency of a steady tone from its upward zero crossings.
double frequency(const std::vector<float>& samples, std::size_t from, std::size_t to, double rate) {
    std::vector<double> crossings;
    for (std::size_t i = from + 1; i < to; ++i) {
        if (samples[i - 1] < 0.0f && samples[i] >= 0.0f) {
            crossings.push_back(static_cast<double>(i - 1) + samples[i - 1] / (samples[i - 1] - samples[i]));
        }
    }
    if (crossings.size() < 3) {
        return 0.0;
    }
    return rate * static_cast<double>(crossings.size() - 1) / (crossings.back() - crossings.front());
}

TEST_F(Robustness, SampleRateChangesTakeEffectAtTheNextBlock) {
    plugin->settings().midiMode = 2;      // a held note, no sequencer
    plugin->setParameter(kCutoff, 0.3f);  // a dark, steady tone: one crossing per cycle
    plugin->setParameter(kResonance, 0.0f);
    plugin->setParameter(kEnvMod, 0.0f);
    sendMidi({{0, 0x90, 45, 100}});  // 110 Hz
    render(22050, 512);
    EXPECT_NEAR(frequency(left, 5000, 22050, 44100.0), 110.0, 1.0);
    for (float rate : {96000.0f, 48000.0f, 22050.0f}) {
        plugin->setSampleRate(rate);
        render(static_cast<long long>(rate / 2), 512);
        // From the first block at the new rate, the pitch is right.
        EXPECT_NEAR(frequency(left, 0, left.size(), rate), 110.0, 1.0) << rate;
    }
}

TEST_F(Robustness, NoRateOrABadRateGivesSilenceNotNumbersThatAreNot) {
    for (float rate : {0.0f, -44100.0f, std::numeric_limits<float>::quiet_NaN()}) {
        plugin->setSampleRate(rate);
        sendMidi({{0, 0x90, 0, 100}});
        process(256);
        for (float v : left) {
            ASSERT_EQ(v, 0.0f) << rate;
        }
    }
}

TEST_F(Robustness, ExtremeParameterValuesKeepTheOutputFinite) {
    const float values[] = {0.0f,
                            1.0f,
                            std::numeric_limits<float>::quiet_NaN(),
                            std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity(),
                            1e30f,
                            -1e30f};
    sendMidi({{0, 0x90, 0, 127}});
    std::mt19937 random(5);
    for (int block = 0; block < 400; ++block) {
        plugin->setParameter(static_cast<int>(random() % 13), values[random() % 7]);
        process(128);
        for (float v : left) {
            ASSERT_TRUE(std::isfinite(v)) << "block " << block;
        }
    }
}

TEST_F(Robustness, ExtremeSettingsFromAFileKeepTheOutputFinite) {
    for (int mode = 0; mode < 4; ++mode) {
        writeConfig("Config.ini",
                    "; extremes\nTM4 = 1e9\nVcoGain = 1e9\nTM6 = 5\nTM3 = 5\nSmoothSpeed = 9\n"
                    "VcaDecay = 0\nRelativeTuning = 40\nOutputClipping = 0\nFilterMode = " +
                        std::to_string(mode) + "\n");
        fresh();
        plugin->setParameter(kResonance, 1.0f);
        plugin->setParameter(kCutoff, 1.0f);
        plugin->setParameter(kEnvMod, 1.0f);
        plugin->setParameter(kAccent, 1.0f);
        plugin->setParameter(kDistortion, 1.0f);
        plugin->setParameter(kDrive, 1.0f);
        plugin->setParameter(kVolume, 1.0f);
        const std::vector<float> rendered = renderHeld(4 * 44100, [] { return 512; });
        for (std::size_t i = 0; i < rendered.size(); ++i) {
            ASSERT_TRUE(std::isfinite(rendered[i])) << "filter mode " << mode << ", frame " << i;
        }
    }
}

}  // namespace
}  // namespace vexo
