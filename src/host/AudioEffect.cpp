#include "host/AudioEffect.h"

#include <cstring>

void copyHostText(char* destination, const char* source, std::size_t capacity) {
    if (destination == nullptr || capacity == 0) {
        return;
    }
    std::size_t length = source == nullptr ? 0 : std::strlen(source);
    if (length > capacity - 1) {
        length = capacity - 1;
    }
    if (length > 0) {
        std::memcpy(destination, source, length);
    }
    destination[length] = 0;
}

AudioEffect::AudioEffect(audioMasterCallback master, VstInt32 programs, VstInt32 params)
    : audioMaster(master), numPrograms(programs), numParams(params) {
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = &AudioEffect::dispatchEffClass;
    cEffect.process = &AudioEffect::processClass;
    cEffect.setParameter = &AudioEffect::setParameterClass;
    cEffect.getParameter = &AudioEffect::getParameterClass;
    cEffect.numPrograms = programs;
    cEffect.numParams = params;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.version = 1;
    cEffect.processReplacing = &AudioEffect::processClassReplacing;
}

AudioEffect::~AudioEffect() {
    delete editor;
}

void AudioEffect::setEditor(AEffEditor* newEditor) {
    editor = newEditor;
    setFlag(effFlagsHasEditor, editor != nullptr);
}

void AudioEffect::setFlag(VstInt32 flag, bool state) {
    if (state) {
        cEffect.flags |= flag;
    } else {
        cEffect.flags &= ~flag;
    }
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    if (audioMaster == nullptr) {
        return 0;
    }
    return audioMaster(&cEffect, opcode, index, value, ptr, opt);
}

void AudioEffect::process(float** /*inputs*/, float** /*outputs*/, VstInt32 /*sampleFrames*/) {
    // The accumulating entry produces nothing: hosts use processReplacing.
}

void AudioEffect::setParameter(VstInt32 /*index*/, float /*value*/) {}

float AudioEffect::getParameter(VstInt32 /*index*/) {
    return 0.0f;
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value) {
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    switch (opcode) {
        case effOpen:
        case effClose:
            return 0;
        case effSetProgram:
            if (value < numPrograms) {
                setProgram(value < 0 ? -1 : static_cast<VstInt32>(value));
            }
            return 0;
        case effGetProgram:
            return getProgram();
        case effSetProgramName:
            if (ptr != nullptr) {
                setProgramName(static_cast<char*>(ptr));
            }
            return 0;
        case effGetProgramName:
            if (ptr != nullptr) {
                getProgramName(static_cast<char*>(ptr));
            }
            return 0;
        case effGetParamLabel:
            if (ptr != nullptr) {
                getParameterLabel(index, static_cast<char*>(ptr));
            }
            return 0;
        case effGetParamDisplay:
            if (ptr != nullptr) {
                getParameterDisplay(index, static_cast<char*>(ptr));
            }
            return 0;
        case effGetParamName:
            if (ptr != nullptr) {
                getParameterName(index, static_cast<char*>(ptr));
            }
            return 0;
        case effSetSampleRate:
            setSampleRate(opt);
            return 0;
        case effSetBlockSize:
            setBlockSize(static_cast<VstInt32>(value));
            return 0;
        case effMainsChanged:
            if (value != 0) {
                resume();
            } else {
                suspend();
            }
            return 0;
        case effEditGetRect:
            if (editor != nullptr && ptr != nullptr) {
                return editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
            }
            return 0;
        case effEditOpen:
            return editor != nullptr && editor->open(ptr) ? 1 : 0;
        case effEditClose:
            if (editor != nullptr) {
                editor->close();
            }
            return 0;
        case effEditIdle:
            if (editor != nullptr) {
                editor->idle();
            }
            return 0;
        case effIdentify:
            return fourCharCode("NvEf");
        case effGetChunk:
            if (ptr == nullptr) {
                return 0;
            }
            return getChunk(static_cast<void**>(ptr), index != 0);
        case effSetChunk:
            return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
        default:
            return 0;
    }
}

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    switch (opcode) {
        case effProcessEvents:
            if (ptr != nullptr) {
                processEvents(static_cast<VstEvents*>(ptr));
            }
            return 1;
        case effCanBeAutomated:
            return canParameterBeAutomated(index) ? 1 : 0;
        case effGetProgramNameIndexed:
            if (ptr == nullptr) {
                return 0;
            }
            return getProgramNameIndexed(static_cast<VstInt32>(value), index, static_cast<char*>(ptr)) ? 1 : 0;
        case effGetInputProperties:
            if (ptr == nullptr) {
                return 0;
            }
            return getInputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
        case effGetOutputProperties:
            if (ptr == nullptr) {
                return 0;
            }
            return getOutputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
        case effGetPlugCategory:
            return getPlugCategory();
        case effGetEffectName:
            return ptr != nullptr && getEffectName(static_cast<char*>(ptr)) ? 1 : 0;
        case effGetVendorString:
            return ptr != nullptr && getVendorString(static_cast<char*>(ptr)) ? 1 : 0;
        case effGetProductString:
            return ptr != nullptr && getProductString(static_cast<char*>(ptr)) ? 1 : 0;
        case effGetVendorVersion:
            return getVendorVersion();
        case effCanDo:
            return ptr != nullptr ? canDo(static_cast<const char*>(ptr)) : -1;
        case effGetTailSize:
            return getGetTailSize();
        case effGetVstVersion:
            return getVstVersion();
        case effEditKeyDown:
            if (editor != nullptr) {
                return editor->onKeyDown(index, static_cast<VstInt32>(value), static_cast<VstInt32>(opt));
            }
            return 0;
        case effEditKeyUp:
            if (editor != nullptr) {
                return editor->onKeyUp(index, static_cast<VstInt32>(value), static_cast<VstInt32>(opt));
            }
            return 0;
        case effSetEditKnobMode:
            if (editor != nullptr) {
                return editor->setKnobMode(static_cast<VstInt32>(value)) ? 1 : 0;
            }
            return 0;
        case effGetCurrentMidiProgram:
            return getCurrentMidiProgram(index);
        case effHasMidiProgramsChanged:
            return hasMidiProgramsChanged(index) ? 1 : 0;
        case effGetMidiKeyName:
            if (ptr == nullptr) {
                return 0;
            }
            return getMidiKeyName(index, static_cast<MidiKeyName*>(ptr));
        case effSetTotalSampleToProcess:
            return setTotalSampleToProcess(static_cast<VstInt32>(value));
        case effGetNumMidiInputChannels:
            return getNumMidiInputChannels();
        case effGetNumMidiOutputChannels:
            return getNumMidiOutputChannels();
        default:
            return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}

VstTimeInfo* AudioEffectX::getTimeInfo(VstInt32 filter) {
    return reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime, 0, filter));
}

bool AudioEffectX::sendVstEventsToHost(VstEvents* events) {
    return callHost(audioMasterProcessEvents, 0, 0, events) == 1;
}

VstIntPtr AudioEffect::dispatchEffClass(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                        float opt) {
    auto* object = static_cast<AudioEffect*>(effect->object);
    if (opcode == effClose) {
        // The host's only way to destroy the plug-in: handle the request, then delete.
        object->dispatcher(opcode, index, value, ptr, opt);
        delete object;
        return 1;
    }
    return object->dispatcher(opcode, index, value, ptr, opt);
}

void AudioEffect::processClass(AEffect* effect, float** inputs, float** outputs, VstInt32 sampleFrames) {
    static_cast<AudioEffect*>(effect->object)->process(inputs, outputs, sampleFrames);
}

void AudioEffect::processClassReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 sampleFrames) {
    static_cast<AudioEffect*>(effect->object)->processReplacing(inputs, outputs, sampleFrames);
}

void AudioEffect::setParameterClass(AEffect* effect, VstInt32 index, float value) {
    static_cast<AudioEffect*>(effect->object)->setParameter(index, value);
}

float AudioEffect::getParameterClass(AEffect* effect, VstInt32 index) {
    return static_cast<AudioEffect*>(effect->object)->getParameter(index);
}
