// Skin files and the editor's settings file: any text into the readers, then the bounds
// they promise and the settings written back.
#include <string>
#include <string_view>

#include "editor/GuiConfig.h"
#include "editor/skin/SkinDefinition.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    vexo::SkinDefinition skin;
    // INCLUDE names resolve below a folder that does not exist: no file is ever read.
    skin.setSkinDirectory("/nonexistent-vexo-skin-folder/");
    skin.parseText(text);
    if (skin.elements().size() > vexo::kMaxSkinElements || skin.name().size() > vexo::kSkinTextLength) {
        __builtin_trap();
    }
    for (const vexo::SkinElement& element : skin.elements()) {
        const vexo::CRect rect = skin.elementRect(element.id);
        if (element.file.size() > vexo::kSkinTextLength || element.label.size() > vexo::kSkinTextLength ||
            rect.left > rect.right || rect.top > rect.bottom || skin.elementIndex(element.id) < 0) {
            __builtin_trap();
        }
    }

    vexo::GuiSettings settings;
    vexo::readGuiConfigText(settings, text);
    const std::string written = vexo::guiConfigText(settings);
    vexo::GuiSettings again;
    vexo::readGuiConfigText(again, written);
    if (vexo::guiConfigText(again) != written) {
        __builtin_trap();  // what is written must read back the same
    }
    return 0;
}
