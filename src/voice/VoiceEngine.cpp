// Placeholder until the voice lands: renders silence.
#include "voice/VoiceEngine.h"

namespace vexo {

VoiceEngine::VoiceEngine() {}

void VoiceEngine::setRelativeTuning(float) {}

bool VoiceEngine::beginBlock(float sampleRate, const VoiceControls&, const VoiceOptions&) {
    return sampleRate > 0.0f;
}

double VoiceEngine::renderFrame(NoteState& note) {
    note.envTrigger = 0;
    return 0.0;
}

void VoiceEngine::resetEnvelopes() {}

bool VoiceEngine::toggleAsymmetry() {
    asymmetry_ = asymmetry_ ? 0 : 1;
    return asymmetry_ != 0;
}

}  // namespace vexo
