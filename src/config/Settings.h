// Every setting of the plug-in, with its built-in default. The configuration files set
// them at start; the editor may change them while the audio thread reads them, so each
// one is a single shared word.
#pragma once

#include "host/Shared.h"

namespace vexo {

struct Settings {
    // Voice
    Shared<int> filterMode{1};     // 0 24 dB, 1 18 dB emulated, 2 18 dB pure
    Shared<int> filterSlope18{0};  // the 18 dB flag set by "Filterslope"; stored in the chunk only
    Shared<int> vcaLeveling{0};
    Shared<int> vcaNoise{1};
    Shared<float> vcoGain{2.0f};
    Shared<float> tm6{0.25f};
    Shared<float> tm3{0.5f};
    Shared<float> tm4{3.985f};
    Shared<float> tm2{0.52f};
    Shared<float> relativeTuning{1.0015f};
    Shared<float> smoothSpeed{0.002f};
    Shared<float> vcaDecaySeconds{5.0f};
    Shared<int> activeClocks{88200};
    Shared<int> envmodKnob{1};
    Shared<int> tuningMode{0};
    Shared<int> outputClipping{0};
    Shared<int> resetOscillator{0};
    Shared<int> filterTuning{0};

    // Sequencer and MIDI
    Shared<int> syncMode{0};  // 0 internal tempo, 1 host tempo
    Shared<int> midiMode{0};  // 0 pattern, 2 note
    Shared<int> clockSync{0};
    Shared<double> tripletScale{0.75};
    Shared<int> capNotes{0};
    Shared<int> accentVelocity{100};
    Shared<int> midiOutput{0};
    Shared<int> midiOutputChannel{-1};
    Shared<int> midiTransmitKnobs{0};
    Shared<int> midiKeyProgramming{0};
    Shared<int> programmingMode{0};
    Shared<int> clearNotes{1};
    Shared<int> firstStep{1};

    // Start-up and files
    Shared<int> highpass{0};  // chunk switch bit 2
    Shared<int> distortionLinear{0};
    Shared<int> loadKnobPositions{1};
    Shared<int> saveKnobPositions{1};
    Shared<int> loadDefaultBank{1};

    // Stored and written back or kept for compatibility; nothing else reads them.
    Shared<int> guiKnobMode{2};
    Shared<int> eggs{1};
    Shared<int> emulationMode{3};
    Shared<int> parameterSmoothing{1048575};
    Shared<int> deltaFrames{1};
    Shared<int> waveformExclusive{0};
    Shared<int> bassBoostSaw{100};
    Shared<int> bassBoostSqu{20};
    Shared<float> bassBoostFreq{0.2f};
    Shared<int> volumeSaw{100};
    Shared<int> volumeSqu{127};
    Shared<int> guiUpdate{1};
    Shared<int> resonanceKnob{1};
    Shared<int> antiLogVolume{1};
    Shared<int> cutoffKnob{1};
};

}  // namespace vexo
