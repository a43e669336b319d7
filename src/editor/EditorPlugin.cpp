#include "editor/EditorPlugin.h"

#include "editor/BassEditor.h"
#include "gui/Bitmap.h"
#include "gui/Frame.h"

namespace vexo {

namespace {
constexpr int kScreenshotIdleCalls = 3;
}

EditorPlugin::EditorPlugin(audioMasterCallback audioMaster, std::string pluginDirectory)
    : SynthPlugin(audioMaster, std::move(pluginDirectory)) {
    bassEditor_ = new BassEditor(*this);
    setEditor(bassEditor_);
}

EditorPlugin::~EditorPlugin() {
    // The editor writes its settings through this object: it goes while the object is whole.
    setEditor(nullptr);
    delete bassEditor_;
}

VstIntPtr EditorPlugin::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    if (opcode == effVendorSpecific && index == kScreenshotOpcodeIndex) {
        return ptr != nullptr && writeScreenshot(static_cast<const char*>(ptr), (value & kScreenshotLearn) != 0) ? 1
                                                                                                                 : 0;
    }
    return SynthPlugin::dispatcher(opcode, index, value, ptr, opt);
}

VstInt32 EditorPlugin::processEvents(VstEvents* events) {
    const VstInt32 result = SynthPlugin::processEvents(events);
    if (events == nullptr) {
        return result;
    }
    for (VstInt32 i = 0; i < events->numEvents; ++i) {
        const VstEvent* event = events->events[i];
        if (event == nullptr || event->type != kVstMidiType) {
            continue;
        }
        bassEditor_->showMidiActivity(true);
        const auto status = static_cast<unsigned char>(reinterpret_cast<const VstMidiEvent*>(event)->midiData[0]);
        if ((status & 0xF0) == 0xB0) {
            bassEditor_->controllerReceived();
        }
    }
    return result;
}

void EditorPlugin::parameterChanged(int index, float value) {
    bassEditor_->setParameter(index, value);
}

void EditorPlugin::programChanged() {
    requestEditorRefresh();
}

bool EditorPlugin::writeScreenshot(const std::string& path, bool showLearn) {
    BassEditor& editor = *bassEditor_;
    if (editor.getFrame() != nullptr && !editor.isOffscreen()) {
        editor.getFrame()->redrawAll();
        return editor.getFrame()->image().savePng(path);
    }
    const bool wasLearning = learn();
    setLearn(showLearn);
    editor.setOffscreen(true);
    bool written = false;
    if (editor.open(nullptr)) {
        for (int i = 0; i < kScreenshotIdleCalls; ++i) {
            editor.idle();
        }
        editor.refresh();
        editor.refreshLearnLabels();
        editor.getFrame()->redrawAll();
        written = editor.getFrame()->image().savePng(path);
        editor.close();
    }
    editor.setOffscreen(false);
    setLearn(wasLearning);
    return written;
}

}  // namespace vexo
