// The plug-in's MIDI file export and its Rebirth and Ph imports (user-interface thread).
#include <string>

#include "config/TextScanner.h"
#include "host/SynthPlugin.h"
#include "patterns/MidiFileExport.h"
#include "patterns/RebirthImport.h"

namespace vexo {

bool SynthPlugin::exportMidiFile(const std::string& path) {
    const std::string bytes = patternToMidiFile(bank_.current(), settings_.clockSync, settings_.accentVelocity);
    return writeFileAtomically(path, bytes);
}

int SynthPlugin::importRebirthSong(const std::string& path) {
    std::string bytes;
    if (!readWholeFile(path, bytes)) {
        return 0;
    }
    const RebirthSong song = parseRebirthSong(bytes);
    if (song.unitChunks == 0) {
        return 0;
    }
    const RebirthKnobs knobs = rebirthKnobs(song.units[0]);
    for (const ParameterSetting& knob : knobs.parameters) {
        setParameter(knob.index, knob.value);
    }
    selectPattern(knobs.patternNumber);
    applyPatternUpdates(rebirthPatterns(song), bank_);
    return song.unitChunks;
}

bool SynthPlugin::importPhFile(const std::string& path) {
    std::string text;
    if (!readWholeFile(path, text)) {
        return false;
    }
    applyPatternUpdates(parsePhFile(text), bank_);
    return true;
}

void SynthPlugin::importRebirthOrPh(const std::string& path) {
    switch (importFormatForPath(path)) {
        case ImportFormat::Rebirth:
            importRebirthSong(path);
            break;
        case ImportFormat::Ph:
            importPhFile(path);
            break;
        case ImportFormat::None:
            break;
    }
    requestEditorRefresh();
}

}  // namespace vexo
