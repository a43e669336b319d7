#include "host/SynthPlugin.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "config/ConfigurationFile.h"
#include "patterns/PatternText.h"
#include "platform/TickCount.h"
#include "voice/WaveTables.h"

namespace vexo {
namespace {

constexpr const char* kSawTableFile = "Data/1ca37741f.dat";
constexpr const char* kSquareTableFile = "Data/3c2a6627a.dat";
constexpr const char* kControllerMapFile = "MidiCC.ini";
constexpr const char* kDefaultBankFile = "DefaultPatternBank.pat";
constexpr int kMaxProgramNameLength = static_cast<int>(kProgramNameBytes) - 1;

// The capabilities answered with 1; every other string gets -1.
constexpr const char* kCanDo[] = {
    "receiveVstEvents", "receiveVstMidiEvent", "receiveVstTimeInfo",
    "sendVstEvents",    "sendVstMidiEvent",    "sendVstTimeInfo",
};

// Names of the programming keys a host may show, by MIDI key.
struct KeyName {
    int key;
    const char* name;
};

constexpr KeyName kProgrammingKeyNames[] = {
    {36, "Run/Stop"}, {37, "Pattern"}, {38, "C"},    {39, "Clear"}, {40, "D"},  {41, "D#"},
    {42, "E"},        {43, "F"},       {44, "F#"},   {45, "G"},     {46, "G#"}, {47, "A"},
    {48, "Start"},    {49, "B"},       {50, "C"},    {72, "Down"},  {74, "Up"}, {76, "Accent"},
    {77, "Slide"},    {82, "Zero"},    {83, "Back"}, {84, "Next"},
};

// A program name is at most 23 characters, whatever the 24 stored bytes hold.
std::size_t programNameLength(const ProgramRecord& program) {
    std::size_t length = 0;
    while (length < static_cast<std::size_t>(kMaxProgramNameLength) && program.name[length] != 0) {
        ++length;
    }
    return length;
}

void copyProgramName(char* destination, const ProgramRecord& program) {
    const std::size_t length = programNameLength(program);
    std::memcpy(destination, program.name, length);
    destination[length] = 0;
}

ProgramRecord defaultProgram() {
    ProgramRecord program{};
    std::strcpy(program.name, "Default");
    for (const ParameterInfo& info : kParameterInfo) {
        program.slots[info.programSlot] = info.defaultValue;
    }
    return program;
}

}  // namespace

SynthPlugin::SynthPlugin(audioMasterCallback master, std::string pluginDirectory)
    : AudioEffectX(master, kProgramCount, kNumParameters),
      directory_(std::move(pluginDirectory)),
      chunk_(std::make_unique<std::array<std::uint8_t, kChunkBytes>>()),
      clock_(bank_, settings_, note_, *this) {
    if (!directory_.empty() && directory_.back() != '/') {
        directory_ += '/';
    }
    currentPatternPath_ = directory_ + "Patterns/*.pat";
    programs_.fill(defaultProgram());
    programsAreChunks(true);
    setProgram(0);
    if (master != nullptr) {
        setNumInputs(0);
        setNumOutputs(2);
        canProcessReplacing(true);
        isSynth(true);
        setUniqueID(kUniqueId);
    }

    // Start-up: settings, wavetables, MIDI maps, patterns, tempo.
    std::srand(tickCountMilliseconds());
    readConfiguration("Config.ini");
    readConfiguration("User.ini");
    if (settings_.midiTransmitKnobs < 0) {
        settings_.midiTransmitKnobs = 0;
    }
    voice_.setRelativeTuning(settings_.relativeTuning);
    waveTables_ = &acquireWaveTables();
    loadWaveTables(*waveTables_, configPath(kSawTableFile), configPath(kSquareTableFile));
    voice_.setWaveTables(waveTables_);
    readControllerMap(configPath(kControllerMapFile), controllerMap_, keyMap_);
    bank_.clearAll(settings_.clearNotes != 0);
    if (settings_.loadDefaultBank != 0) {
        readBank(bank_, configPath(kDefaultBankFile));
    }
    clock_.setTempo(StepClock::kDefaultTempo, sampleRate);
    setUniqueID(kUniqueId);
}

SynthPlugin::~SynthPlugin() {
    // The map in force when an instance closes is the one the next instance starts with.
    writeControllerMap(configPath(kControllerMapFile), controllerMap_, keyMap_);
}

std::string SynthPlugin::configPath(const std::string& name) const {
    return directory_ + name;
}

int SynthPlugin::readConfiguration(const std::string& name) {
    readConfigurationFile(configPath(name), settings_, [this](int index, float value) { setParameter(index, value); });
    return 1;
}

int SynthPlugin::writeConfiguration(const std::string& name) {
    return writeConfigurationFile(configPath(name), settings_) ? 1 : 0;
}

// --- Parameters

void SynthPlugin::setParameter(VstInt32 index, float value) {
    learnTarget_ = index;
    programmingLearnTarget_ = -1;
    // A host may hand over anything; the voice must never see a value outside 0..1.
    if (!std::isfinite(value)) {
        return;
    }
    const float stored = storedParameterValue(index, value);
    if (index >= 0 && index < kNumParameters && index != kReserved) {
        parameters_[static_cast<std::size_t>(index)] = stored;
        programs_[static_cast<std::size_t>(curProgram)].slots[kParameterInfo[index].programSlot] = stored;
    }

    if (settings_.midiOutput != 0 && settings_.midiTransmitKnobs != 0) {
        const int controller = controllerMap_.controllerForParameter(index);
        if (controller >= 0) {
            sendMidiNow(0, 0xB0 + outputChannel(), controller, static_cast<int>(stored * 127.0f));
        }
    }
    parameterChanged(index, stored);
}

float SynthPlugin::getParameter(VstInt32 index) {
    if (index < 0 || index >= kNumParameters || index == kReserved) {
        return 0.0f;
    }
    return parameters_[static_cast<std::size_t>(index)];
}

void SynthPlugin::getParameterName(VstInt32 index, char* text) {
    if (index >= 0 && index < kNumParameters) {
        copyHostText(text, kParameterInfo[index].name);
    }
}

void SynthPlugin::getParameterDisplay(VstInt32 index, char* text) {
    copyHostText(text, parameterDisplay(index, getParameter(index)).c_str());
}

void SynthPlugin::getParameterLabel(VstInt32 /*index*/, char* label) {
    copyHostText(label, " ");
}

// --- Programs

void SynthPlugin::setProgram(VstInt32 index) {
    curProgram = std::clamp(index, 0, kProgramCount - 1);
    // Copy first: each setParameter writes back into the same program.
    const ProgramRecord program = programs_[static_cast<std::size_t>(curProgram)];
    for (int parameter : kProgramApplyOrder) {
        setParameter(parameter, program.slots[kParameterInfo[parameter].programSlot]);
    }
    programChanged();
}

void SynthPlugin::setProgramName(char* name) {
    ProgramRecord& program = programs_[static_cast<std::size_t>(curProgram)];
    std::memset(program.name, 0, sizeof program.name);
    if (name != nullptr) {
        std::strncpy(program.name, name, kMaxProgramNameLength);
    }
}

void SynthPlugin::getProgramName(char* name) {
    copyProgramName(name, programs_[static_cast<std::size_t>(curProgram)]);
}

bool SynthPlugin::getProgramNameIndexed(VstInt32 /*category*/, VstInt32 index, char* text) {
    if (index < 0 || index >= kProgramCount) {
        return false;
    }
    copyProgramName(text, programs_[static_cast<std::size_t>(index)]);
    return true;
}

VstInt32 SynthPlugin::copyProgram(VstInt32 destination) {
    if (destination < 0 || destination >= kProgramCount) {
        return 0;
    }
    programs_[static_cast<std::size_t>(destination)] = programs_[static_cast<std::size_t>(curProgram)];
    return 1;
}

void SynthPlugin::setMidiOutput(VstInt32 on) {
    settings_.midiOutput = on;
    if (on == 0) {
        releaseCarriedMidi();
        sendMidiNow(0, 0xB0 + outputChannel(), 123, 0);
    }
}

// --- State chunk

ChunkSettings SynthPlugin::collectChunkSettings() const {
    ChunkSettings words{};
    words[0] = settings_.midiMode;
    words[1] = settings_.syncMode;
    words[2] = programmingPosition_;
    words[3] = bank_.currentPattern();
    words[4] = programmingAdvance_;
    words[5] = curProgram;
    std::int32_t switches = 0;
    switches |= (settings_.filterSlope18 != 0 ? 1 : 0) << 0;
    switches |= (settings_.tuningMode != 0 ? 1 : 0) << 1;
    switches |= (settings_.highpass != 0 ? 1 : 0) << 2;
    switches |= (settings_.filterMode & 3) << 3;
    switches |= (settings_.midiOutput != 0 ? 1 : 0) << 5;
    switches |= (bank_.selectLock() ? 1 : 0) << 6;
    switches |= (settings_.clockSync != 0 ? 1 : 0) << 7;
    switches |= (settings_.midiTransmitKnobs != 0 ? 1 : 0) << 8;
    words[6] = switches;
    return words;
}

void SynthPlugin::applyChunkSettings(const ChunkSettings& words) {
    settings_.midiMode = words[0];
    settings_.syncMode = words[1];
    setProgrammingPosition(words[2]);
    // Indices from a stored project are brought into range before any use.
    selectPattern(words[3]);
    programmingAdvance_ = words[4] & 1;
    curProgram = std::clamp(words[5], 0, kProgramCount - 1);
    const std::int32_t switches = words[6];
    settings_.highpass = (switches >> 2) & 1;
    settings_.filterMode = (switches >> 3) & 3;
    settings_.midiOutput = (switches >> 5) & 1;
    bank_.setSelectLock(((switches >> 6) & 1) != 0);
    settings_.clockSync = (switches >> 7) & 1;
    settings_.midiTransmitKnobs = (switches >> 8) & 1;
}

VstInt32 SynthPlugin::getChunk(void** data, bool /*isPreset*/) {
    auto contents = std::make_unique<ChunkContents>();
    contents->patterns = bank_.patterns();
    contents->programs = programs_;
    contents->settings = collectChunkSettings();
    writeStateChunk(*contents, chunk_->data());
    *data = chunk_->data();
    return static_cast<VstInt32>(kChunkBytes);
}

VstInt32 SynthPlugin::setChunk(void* data, VstInt32 byteSize, bool /*isPreset*/) {
    auto contents = std::make_unique<ChunkContents>();
    const std::size_t size = byteSize > 0 ? static_cast<std::size_t>(byteSize) : 0;
    const ChunkReadResult result = readStateChunk(data, size, *contents);
    if (result == ChunkReadResult::Read || result == ChunkReadResult::ReadSwapped) {
        bank_.patterns() = contents->patterns;
        programs_ = contents->programs;
        applyChunkSettings(contents->settings);
    }
    setProgram(curProgram);
    return byteSize;
}

// --- Identity

bool SynthPlugin::getOutputProperties(VstInt32 index, VstPinProperties* properties) {
    if (index < 0 || index > 1) {
        return false;
    }
    std::memset(properties, 0, sizeof *properties);
    std::snprintf(properties->label, sizeof properties->label, "VEXO %1d", index + 1);
    properties->flags = kVstPinIsActive | kVstPinIsStereo;
    return true;
}

bool SynthPlugin::getEffectName(char* name) {
    copyHostText(name, kEffectName);
    return true;
}

bool SynthPlugin::getVendorString(char* text) {
    copyHostText(text, kVendorName);
    return true;
}

bool SynthPlugin::getProductString(char* text) {
    copyHostText(text, kProductName);
    return true;
}

VstInt32 SynthPlugin::canDo(const char* text) {
    for (const char* capability : kCanDo) {
        if (std::strcmp(text, capability) == 0) {
            return 1;
        }
    }
    return -1;
}

VstInt32 SynthPlugin::getMidiKeyName(VstInt32 /*channel*/, MidiKeyName* keyName) {
    if (settings_.midiMode != 0) {
        return 1;
    }
    if (settings_.midiKeyProgramming == 0) {
        std::snprintf(keyName->keyName, sizeof keyName->keyName, "Pattern %d", keyName->thisKeyNumber);
        return 1;
    }
    for (const KeyName& entry : kProgrammingKeyNames) {
        if (entry.key == keyName->thisKeyNumber) {
            copyHostText(keyName->keyName, entry.name, sizeof keyName->keyName);
            break;
        }
    }
    return 1;
}

// --- Patterns

void SynthPlugin::selectPattern(int index) {
    if (bank_.selectPattern(index)) {
        requestEditorRefresh();
    }
}

void SynthPlugin::selectPatternFromMidi(int index) {
    if (bank_.selectPatternFromMidi(index)) {
        requestEditorRefresh();
    }
}

void SynthPlugin::setProgrammingPosition(int step) {
    programmingPosition_ = std::clamp(step, 0, kMaxSteps - 1);
}

// --- MIDI learn

void SynthPlugin::setLearn(bool on) {
    learn_ = on;
    learnTarget_ = -1;
    programmingLearnTarget_ = -1;
}

void SynthPlugin::handleControlChange(int controller, int value) {
    const int target = learnTarget_;
    if (learn_ && target >= 0) {
        controllerMap_.assignController(controller, target);
        if (target < kNumParameters) {
            setParameter(target, static_cast<float>(value) / 127.0f);
        }
        learnTarget_ = -1;
        return;
    }
    const int parameter = controllerMap_.parameterFor(controller);
    if (parameter >= 0 && parameter < kNumParameters) {
        setParameter(parameter, static_cast<float>(value) / 127.0f);
    }
}

}  // namespace vexo
