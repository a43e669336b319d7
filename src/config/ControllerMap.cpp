#include "config/ControllerMap.h"

#include "config/ConfigurationFile.h"
#include "config/TextScanner.h"

namespace vexo {
namespace {

bool isController(int controller) {
    return controller >= 0 && controller < kControllerCount;
}

struct DefaultMapping {
    int controller;
    int parameter;
};

constexpr DefaultMapping kDefaultControllers[] = {
    {7, 8}, {70, 10}, {71, 0}, {74, 1}, {76, 2}, {77, 3}, {78, 4}, {79, 5}, {80, 11}, {91, 7}, {92, 6},
};

struct DefaultKey {
    int entry;
    int note;
};

// Assigned one by one in this order, as a learned map would be.
constexpr DefaultKey kDefaultKeys[] = {
    {KeyMap::PitchKeys, 48}, {KeyMap::Down, 72}, {KeyMap::Up, 74},        {KeyMap::Accent, 76},
    {KeyMap::Slide, 77},     {KeyMap::Gate, 78}, {KeyMap::RunStop, 36},   {KeyMap::AutoAdvance, 38},
    {KeyMap::Next, 84},      {KeyMap::Back, 83}, {KeyMap::FirstStep, 82}, {KeyMap::PatternChange, 37},
    {KeyMap::Clear, 39},
};

const char* const kParameterKeys[] = {
    "MidiCC.Tune",     "MidiCC.Cutoff",         "MidiCC.Resonance",      "MidiCC.Envmod", "MidiCC.Decay",
    "MidiCC.Accent",   "MidiCC.Drive",          "MidiCC.Distortion",     "MidiCC.Volume", "MidiCC.Tempo",
    "MidiCC.Waveform", "MidiCC.DistortionType", "MidiCC.HighpassFilter",
};

}  // namespace

ControllerMap::ControllerMap() {
    clear();
    for (const DefaultMapping& m : kDefaultControllers) {
        entries_[static_cast<std::size_t>(m.controller)] = m.parameter;
    }
}

void ControllerMap::clear() {
    for (auto& entry : entries_) {
        entry = kNoParameter;
    }
}

int ControllerMap::parameterFor(int controller) const {
    return isController(controller) ? entries_[static_cast<std::size_t>(controller)].load() : kNoParameter;
}

int ControllerMap::controllerForParameter(int parameter) const {
    for (int c = 0; c < kControllerCount; ++c) {
        if (entries_[static_cast<std::size_t>(c)] == parameter) {
            return c;
        }
    }
    return -1;
}

void ControllerMap::assignController(int controller, int parameter) {
    if (!isController(controller)) {
        return;
    }
    for (auto& entry : entries_) {
        if (entry == parameter) {
            entry = kNoParameter;
            break;
        }
    }
    entries_[static_cast<std::size_t>(controller)] = parameter;
}

void ControllerMap::setEntry(int controller, int parameter) {
    if (isController(controller)) {
        entries_[static_cast<std::size_t>(controller)] = parameter;
    }
}

KeyMap::KeyMap() {
    clear();
    for (const DefaultKey& k : kDefaultKeys) {
        assignKey(k.entry, k.note);
    }
}

void KeyMap::clear() {
    for (auto& entry : entries_) {
        entry = -1;
    }
}

void KeyMap::assignKey(int entry, int note) {
    if (entry < 0 || entry >= Count) {
        return;
    }
    for (auto& e : entries_) {
        if (e == note) {
            e = -1;
            break;
        }
    }
    entries_[static_cast<std::size_t>(entry)] = note;
}

void KeyMap::setEntry(int entry, int note) {
    if (entry >= 0 && entry < Count) {
        entries_[static_cast<std::size_t>(entry)] = note;
    }
}

void applyControllerMapText(std::string_view text, ControllerMap& controllers, KeyMap& keys) {
    TextScanner in(text);
    // Items are whitespace-separated; ";" starts a comment wherever an item could start.
    auto skipSpaceAndComments = [&in] {
        for (;;) {
            in.skipSpace();
            if (in.peek() != ';') {
                return;
            }
            in.skipLine();
        }
    };
    auto nextInteger = [&](int& value) {
        skipSpaceAndComments();
        if (in.atEnd()) {
            return false;
        }
        value = parseIntAutoBase(in.token(kConfigTokenLength));
        return true;
    };

    for (;;) {
        skipSpaceAndComments();
        if (in.atEnd()) {
            return;
        }
        // Map files allow the "=" right after the key.
        const std::string_view key = in.tokenUntil(kConfigTokenLength, '=');
        in.literal('=');
        const int value = parseIntAutoBase(in.token(kConfigTokenLength));

        if (equalsIgnoreCase(key, "MidiMapSize")) {
            if (value >= 1 && value <= kControllerCount) {
                for (int c = 0; c < value; ++c) {
                    int entry = 0;
                    if (!nextInteger(entry)) {
                        return;
                    }
                    controllers.setEntry(c, entry);
                }
            }
            continue;
        }
        if (equalsIgnoreCase(key, "MidiKeyMapping")) {
            if (value >= 0 && value <= KeyMap::Count) {
                for (int e = 0; e < value; ++e) {
                    int note = 0;
                    if (!nextInteger(note)) {
                        return;
                    }
                    keys.setEntry(e, note);
                }
            }
            continue;
        }
        for (int parameter = 0; parameter < 13; ++parameter) {
            if (equalsIgnoreCase(key, kParameterKeys[parameter])) {
                controllers.assignController(value, parameter);
            }
        }
    }
}

bool readControllerMap(const std::string& path, ControllerMap& controllers, KeyMap& keys) {
    std::string text;
    if (!readWholeFile(path, text)) {
        return false;
    }
    applyControllerMapText(text, controllers, keys);
    return true;
}

std::string controllerMapText(const ControllerMap& controllers, const KeyMap& keys) {
    std::string out = "MidiMapSize = " + std::to_string(kControllerCount) + "\n";
    for (int c = 0; c < kControllerCount; ++c) {
        out += std::to_string(controllers.parameterFor(c)) + "\n";
    }
    out += "MidiKeyMapping = " + std::to_string(static_cast<int>(KeyMap::Count)) + "\n";
    for (int e = 0; e < KeyMap::Count; ++e) {
        out += std::to_string(keys.key(e)) + "\n";
    }
    return out;
}

bool writeControllerMap(const std::string& path, const ControllerMap& controllers, const KeyMap& keys) {
    return writeFileAtomically(path, controllerMapText(controllers, keys));
}

}  // namespace vexo
