// The plug-in as hosts load it: the engine with its editor, which it tells of parameter,
// program and MIDI activity, and an offscreen screenshot request for the command-line tool.
#pragma once

#include <string>

#include "host/SynthPlugin.h"
#include "host/VendorRequests.h"

namespace vexo {

class BassEditor;

class EditorPlugin : public SynthPlugin {
public:
    EditorPlugin(audioMasterCallback audioMaster, std::string pluginDirectory);
    ~EditorPlugin() override;

    // Any thread the host chooses.
    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;
    // Audio thread: the engine first, then the MIDI LED (and a refresh for controllers).
    VstInt32 processEvents(VstEvents* events) override;

    BassEditor* bassEditor() const { return bassEditor_; }
    // Renders the panel offscreen into a PNG file; false when it cannot be written.
    bool writeScreenshot(const ScreenshotRequest& request);

protected:
    void parameterChanged(int index, float value) override;
    void programChanged() override;

private:
    BassEditor* bassEditor_ = nullptr;  // owned through the base's editor pointer
};

}  // namespace vexo
