// Editor costs on the host's user-interface thread: opening the panel (skin images are
// already loaded with the plug-in; the build creates every control and paints the frame)
// and an idle call when nothing changed (only tick comparisons, no drawing). Offscreen, so
// the figures hold without a display; a window adds one image copy per redraw.
#include <benchmark/benchmark.h>

#include <memory>

#include "editor/BassEditor.h"
#include "editor/EditorPlugin.h"

namespace vexo {
namespace {

VstIntPtr benchHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

void EditorOpen(benchmark::State& state) {
    EditorPlugin plugin(&benchHost, VEXO_PLUGIN_DIR "/");
    BassEditor& editor = *plugin.bassEditor();
    editor.setOffscreen(true);
    for (auto _ : state) {
        editor.open(nullptr);
        state.PauseTiming();
        editor.close();
        state.ResumeTiming();
    }
}
BENCHMARK(EditorOpen)->Unit(benchmark::kMillisecond);

void EditorIdleUnchanged(benchmark::State& state) {
    EditorPlugin plugin(&benchHost, VEXO_PLUGIN_DIR "/");
    BassEditor& editor = *plugin.bassEditor();
    editor.setOffscreen(true);
    editor.open(nullptr);
    for (int i = 0; i < 100; ++i) {
        editor.idle();  // past the first refresh
    }
    for (auto _ : state) {
        editor.idle();
    }
    editor.close();
}
BENCHMARK(EditorIdleUnchanged)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vexo
