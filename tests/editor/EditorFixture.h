// An EditorPlugin in a copy of the built plug-in folder, its editor open offscreen, with a
// clock and a desktop that the test drives.
#pragma once

#include <cstdint>

#include "PluginFixture.h"
#include "editor/BassEditor.h"
#include "editor/EditorPlugin.h"
#include "gui/Frame.h"
#include "platform/ScriptedDesktop.h"

namespace vexo::test {

class EditorFixture : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        copyPluginFolder(folder.dir());
    }

    // Creates the plug-in and opens its editor offscreen.
    BassEditor& openEditor() {
        auto& made = create<EditorPlugin>();
        editor = made.bassEditor();
        editor->setTickSource([this] { return clock; });
        auto scripted = std::make_unique<ScriptedDesktop>();
        desktop = scripted.get();
        editor->setDesktop(std::move(scripted));
        editor->setOffscreen(true);
        EXPECT_TRUE(editor->open(nullptr));
        editor->idle();
        return *editor;
    }

    SynthPlugin& synth() { return *plugin; }
    CFrame& frame() { return *editor->getFrame(); }

    // Advances the clock in idle-sized steps, calling idle after each.
    void advance(std::uint32_t milliseconds, std::uint32_t stepMs = 10) {
        for (std::uint32_t done = 0; done < milliseconds; done += stepMs) {
            clock += stepMs;
            editor->idle();
        }
    }

    CPoint centre(int tag) {
        const CRect r = editor->control<CControl>(tag)->getViewSize();
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }

    void click(CPoint where) {
        frame().handleMouseDown(where, kLButton);
        frame().handleMouseUp(where, kLButton);
    }

    BassEditor* editor = nullptr;
    ScriptedDesktop* desktop = nullptr;
    std::uint32_t clock = 1000;
};

}  // namespace vexo::test
