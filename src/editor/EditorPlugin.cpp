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
    if (opcode == effVendorSpecific && index == kScreenshotRequest) {
        const auto* request = static_cast<const ScreenshotRequest*>(ptr);
        const bool usable = request != nullptr &&
                            request->size >= static_cast<std::int32_t>(sizeof(ScreenshotRequest)) &&
                            request->path != nullptr;
        return usable && writeScreenshot(*request) ? 1 : 0;
    }
    if (opcode == effVendorSpecific && index == kEditorWindowAliveRequest) {
        const CFrame* frame = bassEditor_->getFrame();
        return frame != nullptr && frame->getPlatform() != nullptr && frame->getPlatform()->isAlive() ? 1 : 0;
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

bool EditorPlugin::writeScreenshot(const ScreenshotRequest& request) {
    BassEditor& editor = *bassEditor_;
    if (editor.getFrame() != nullptr) {
        return false;  // the editor is on screen: leave it alone
    }
    const std::string configuredSkin = editor.guiSettings().skin;
    if (request.skin != nullptr) {
        editor.selectSkin(request.skin);
    }
    if (request.editStep >= 0) {
        setProgrammingPosition(request.editStep);
    }
    const bool wasLearning = learn();
    setLearn(request.learn != 0);
    editor.setOffscreen(true);
    bool written = false;
    if (editor.open(nullptr)) {
        for (int i = 0; i < kScreenshotIdleCalls; ++i) {
            editor.idle();
        }
        editor.refresh();
        editor.refreshLearnLabels();
        editor.showRunState();
        if (request.dialog != nullptr) {
            written = editor.writeDialogScreenshot(request.dialog, request.path);
        } else {
            editor.getFrame()->redrawAll();
            written = editor.getFrame()->image().savePng(request.path);
        }
        editor.close();
    }
    editor.setOffscreen(false);
    setLearn(wasLearning);
    if (request.skin != nullptr) {
        editor.selectSkin(configuredSkin);
    }
    return written;
}

}  // namespace vexo
