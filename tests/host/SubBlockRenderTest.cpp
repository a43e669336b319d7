// The plug-in's sub-block renderer against a plain frame-by-frame path: random patterns,
// settings, knob moves, MIDI and block sizes. The float outputs and, after every block, the
// voice's double states are compared bit for bit (a difference in the last bit of a double
// rarely survives the rounding to float).
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "PluginFixture.h"

namespace vexo {
namespace {

// The reference: the step clock ticked, the voice rendered and the wave preview added, one
// frame at a time.
class FrameByFramePlugin : public SynthPlugin {
public:
    using SynthPlugin::SynthPlugin;

    int renderVoice(float* outL, float* outR, int frames, bool replacing) override {
        const float rate = sampleRate;
        if (stepClock().tempo > 0.0) {
            stepClock().updateSamplesPerStep(rate);
        }
        if (replacing) {
            std::fill(outL, outL + frames, 0.0f);
            std::fill(outR, outR + frames, 0.0f);
        }
        if (frames <= 0 || !voice().beginBlock(rate, voiceControls(), voiceOptions())) {
            return frames <= 0 ? 1 : 0;
        }
        for (int i = 0; i < frames; ++i) {
            if (settings().midiMode != 2) {
                stepClock().tick();
            }
            double sample = voice().renderFrame(noteState());
            if (wavePreview().playing()) {
                sample += wavePreview().nextSample(stepClock());
            }
            outL[i] += static_cast<float>(sample);
            outR[i] += static_cast<float>(sample);
        }
        return 1;
    }
};

class SubBlockRender : public test::PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        test::copyPluginFolder(folder.path());
    }

    // One random session, the same for every seed: the outputs, and after every block the
    // voice's filter, accent and distortion states.
    void play(unsigned seed, std::vector<float>& out, std::vector<double>& states) {
        std::mt19937 random(seed);
        auto pick = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(random); };
        auto unit = [&] { return std::uniform_real_distribution<float>(0.0f, 1.0f)(random); };
        Settings& s = plugin->settings();
        s.filterMode = pick(0, 2);
        s.vcaNoise = pick(0, 1);
        s.vcaLeveling = pick(0, 1);
        s.outputClipping = pick(0, 1);
        s.envmodKnob = pick(0, 1);
        s.midiMode = pick(0, 3) == 0 ? 2 : 0;
        s.resetOscillator = pick(0, 1);
        s.activeClocks = pick(0, 1) ? 88200 : pick(300, 5000);
        for (int i = 0; i < kNumParameters; ++i) {
            plugin->setParameter(i, i == kDistortion && pick(0, 2) == 0 ? 0.0f : unit());
        }
        for (int p = 36; p < 40; ++p) {
            Pattern& pattern = plugin->bank().pattern(p);
            pattern.setLength(pick(1, 20));
            pattern.setShuffle(pick(0, 1) ? pick(0, 127) : 0);
            pattern.setTriplet(pick(0, 4) == 0);
            for (int i = 0; i < kMaxSteps; ++i) {
                pattern.setStep(i,
                                Step{static_cast<std::uint8_t>(pick(0, 31)), static_cast<std::uint8_t>(pick(0, 63))});
            }
        }
        const float rates[] = {22050.0f, 44100.0f, 48000.0f, 96000.0f, 192000.0f};
        plugin->setSampleRate(rates[pick(0, 4)]);
        plugin->resume();
        for (int frames = 0; frames < 30000;) {
            const int block = pick(0, 3) == 0 ? pick(1, 40) : pick(100, 2048);
            if (pick(0, 15) == 0) {
                plugin->setParameter(pick(0, kNumParameters - 1), unit());
            }
            if (pick(0, 4) == 0) {
                const int key = s.midiMode == 2 ? pick(30, 70) : pick(36, 39);
                sendMidi(
                    {{pick(0, block - 1), pick(0, 2) ? 0x90 : 0x80, key, 100}, {block - 1, 0xB0, pick(0, 119), 64}});
            }
            process(block);
            EXPECT_EQ(left, right);
            out.insert(out.end(), left.begin(), left.end());
            const VoiceEngine& voice = plugin->voice();
            for (int n = 1; n <= 8; ++n) {
                states.push_back(voice.filter().stage(n).value);
            }
            states.push_back(voice.envelopes().accentCapSmoothed());
            states.push_back(voice.outputStage().preFilter());
            states.push_back(voice.outputStage().decimator().entry(1));
            frames += block;
        }
    }
};

TEST_F(SubBlockRender, MatchesFrameByFrameRenderingBitForBit) {
    for (unsigned seed = 1; seed <= 16; ++seed) {
        std::vector<float> a, b;
        std::vector<double> statesA, statesB;
        create<SynthPlugin>();
        play(seed, a, statesA);
        create<FrameByFramePlugin>();
        play(seed, b, statesB);
        ASSERT_EQ(a.size(), b.size());
        ASSERT_EQ(statesA.size(), statesB.size());
        EXPECT_EQ(std::memcmp(a.data(), b.data(), sizeof(float) * a.size()), 0) << "seed " << seed;
        EXPECT_EQ(std::memcmp(statesA.data(), statesB.data(), sizeof(double) * statesA.size()), 0) << "seed " << seed;
        EXPECT_NE(std::count(a.begin(), a.end(), 0.0f), static_cast<long>(a.size())) << "seed " << seed;
    }
}

}  // namespace
}  // namespace vexo
