// Which MIDI controller drives which parameter, and which MIDI keys are the keyboard-
// programming keys. Both travel together in "MidiCC.ini" and "*.map" files.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "host/Shared.h"

namespace vexo {

constexpr int kControllerCount = 128;
constexpr int kNoParameter = -1;

class ControllerMap {
public:
    ControllerMap();  // the built-in defaults

    int parameterFor(int controller) const;
    // Lowest controller mapped to the parameter, or -1.
    int controllerForParameter(int parameter) const;
    // Takes the parameter away from any controller that had it, then maps the controller
    // to it. A controller outside 0..127 is ignored.
    void assignController(int controller, int parameter);
    // Writes an entry as it stands, as a "MidiMapSize" block does.
    void setEntry(int controller, int parameter);
    void clear();

private:
    std::array<Shared<int>, kControllerCount> entries_;
};

// The thirteen programming keys: entry 0 is the first of thirteen pitch keys, the others
// are single function keys. Each holds a MIDI note or -1.
class KeyMap {
public:
    enum Entry {
        PitchKeys = 0,
        Down = 1,
        Up = 2,
        Accent = 3,
        Slide = 4,
        RunStop = 5,
        AutoAdvance = 6,
        Next = 7,
        Back = 8,
        FirstStep = 9,
        PatternChange = 10,
        Clear = 11,
        Gate = 12,
        Count = 13,
    };

    KeyMap();  // the built-in defaults

    int key(int entry) const { return entries_[static_cast<std::size_t>(entry)]; }
    // The first entry holding the note loses it; then the entry takes the note.
    void assignKey(int entry, int note);
    void setEntry(int entry, int note);
    void clear();

private:
    std::array<Shared<int>, Count> entries_;
};

// The MIDI key that triggers a programming learn target (13 + function code), or -1: the
// pitch targets 13..25 map to the thirteen keys from the first pitch key on.
int keyForLearnTarget(const KeyMap& keys, int target);

// Applies the items of a map file's text in order.
void applyControllerMapText(std::string_view text, ControllerMap& controllers, KeyMap& keys);
bool readControllerMap(const std::string& path, ControllerMap& controllers, KeyMap& keys);
// The written form: "MidiMapSize = 128", 128 entries, "MidiKeyMapping = 13", 13 entries.
std::string controllerMapText(const ControllerMap& controllers, const KeyMap& keys);
bool writeControllerMap(const std::string& path, const ControllerMap& controllers, const KeyMap& keys);

}  // namespace vexo
