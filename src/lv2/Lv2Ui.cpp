#include "lv2/Lv2Ui.h"

#include <cstdint>

#include "editor/BassEditor.h"
#include "editor/EditorPlugin.h"
#include "gui/Frame.h"
#include "lv2/Lv2Plugin.h"

namespace vexo::lv2 {

Lv2Ui::Lv2Ui(Lv2Plugin& instance, LV2UI_Write_Function write, LV2UI_Controller controller, const LV2UI_Touch* touch)
    : instance_(instance), write_(write), controller_(controller), touch_(touch) {}

Lv2Ui::~Lv2Ui() {
    BassEditor& editor = *instance_.plugin().bassEditor();
    if (editor.isOpen()) {
        editor.close();
    }
    instance_.releaseUi();
}

bool Lv2Ui::open(unsigned long parent, LV2UI_Widget* widget, const LV2UI_Resize* resize) {
    BassEditor& editor = *instance_.plugin().bassEditor();
    // Edits from an earlier UI that never reached the host are not this one's to send.
    instance_.edits().take([](int, bool, bool, float, bool) {});
    if (!editor.open(reinterpret_cast<void*>(static_cast<std::uintptr_t>(parent)))) {
        return false;
    }
    const FramePlatform* platform = editor.getFrame() != nullptr ? editor.getFrame()->getPlatform() : nullptr;
    if (widget != nullptr && platform != nullptr) {
        *widget = reinterpret_cast<LV2UI_Widget>(static_cast<std::uintptr_t>(platform->nativeWindow()));
    }
    ERect* rect = nullptr;
    if (resize != nullptr && editor.getRect(&rect)) {
        resize->ui_resize(resize->handle, rect->right - rect->left, rect->bottom - rect->top);
    }
    return true;
}

int Lv2Ui::idle() {
    BassEditor& editor = *instance_.plugin().bassEditor();
    passEditsToHost();
    editor.idle();
    passEditsToHost();
    const CFrame* frame = editor.getFrame();
    return frame != nullptr && frame->getPlatform() != nullptr && frame->getPlatform()->isAlive() ? 0 : 1;
}

void Lv2Ui::passEditsToHost() {
    instance_.edits().take([this](int index, bool began, bool changed, float value, bool ended) {
        const auto port = static_cast<std::uint32_t>(kFirstParameterPort + index);
        if (began && touch_ != nullptr) {
            touch_->touch(touch_->handle, port, true);
        }
        if (changed) {
            write_(controller_, port, sizeof value, 0, &value);
        }
        if (ended && touch_ != nullptr) {
            touch_->touch(touch_->handle, port, false);
        }
    });
}

}  // namespace vexo::lv2
