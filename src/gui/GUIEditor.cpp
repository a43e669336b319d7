#include "gui/GUIEditor.h"

#include <cstdint>

#include "gui/Frame.h"

namespace vexo {
namespace {

// Virtual key codes and modifier bits of effEditKeyDown/effEditKeyUp.
enum VstVirtualKey : VstInt32 {
    kVstKeyBack = 1,
    kVstKeyTab = 2,
    kVstKeyReturn = 4,
    kVstKeyEscape = 6,
    kVstKeySpace = 7,
    kVstKeyEnd = 9,
    kVstKeyHome = 10,
    kVstKeyLeft = 11,
    kVstKeyUp = 12,
    kVstKeyRight = 13,
    kVstKeyDown = 14,
    kVstKeyPageUp = 15,
    kVstKeyPageDown = 16,
    kVstKeyEnter = 19,
    kVstKeyDelete = 22,
};
constexpr VstInt32 kVstModifierShift = 1;
constexpr VstInt32 kVstModifierAlternate = 2;
// Control is "command" (4) on Windows hosts and "control" (8) on others: both count.
constexpr VstInt32 kVstModifierCommand = 4;
constexpr VstInt32 kVstModifierControl = 8;

std::uint8_t toVirtualKey(VstInt32 vstKey) {
    switch (vstKey) {
        case kVstKeyBack:
            return kVirtKeyBack;
        case kVstKeyTab:
            return kVirtKeyTab;
        case kVstKeyReturn:
        case kVstKeyEnter:
            return kVirtKeyReturn;
        case kVstKeyEscape:
            return kVirtKeyEscape;
        case kVstKeySpace:
            return kVirtKeySpace;
        case kVstKeyEnd:
            return kVirtKeyEnd;
        case kVstKeyHome:
            return kVirtKeyHome;
        case kVstKeyLeft:
            return kVirtKeyLeft;
        case kVstKeyUp:
            return kVirtKeyUp;
        case kVstKeyRight:
            return kVirtKeyRight;
        case kVstKeyDown:
            return kVirtKeyDown;
        case kVstKeyPageUp:
            return kVirtKeyPageUp;
        case kVstKeyPageDown:
            return kVirtKeyPageDown;
        case kVstKeyDelete:
            return kVirtKeyDelete;
        default:
            return kVirtKeyNone;
    }
}

VstKeyCode toKeyCode(VstInt32 character, VstInt32 virtualKey, VstInt32 modifiers) {
    VstKeyCode key;
    key.character = character;
    key.virt = toVirtualKey(virtualKey);
    std::uint32_t buttons = 0;
    if ((modifiers & kVstModifierShift) != 0) {
        buttons |= kShift;
    }
    if ((modifiers & kVstModifierAlternate) != 0) {
        buttons |= kAlt;
    }
    if ((modifiers & (kVstModifierCommand | kVstModifierControl)) != 0) {
        buttons |= kControl;
    }
    key.modifier = static_cast<std::uint8_t>(buttons);
    return key;
}

}  // namespace

AEffGUIEditor::AEffGUIEditor(AudioEffect* effect) : effect_(effect) {}

AEffGUIEditor::~AEffGUIEditor() {
    destroyFrame();
}

bool AEffGUIEditor::getRect(ERect** rect) {
    if (rect == nullptr) {
        return false;
    }
    *rect = &rect_;
    return true;
}

bool AEffGUIEditor::open(void* parentWindow) {
    parentWindow_ = parentWindow;
    return true;
}

void AEffGUIEditor::close() {
    destroyFrame();
    parentWindow_ = nullptr;
}

void AEffGUIEditor::idle() {
    if (frame_) {
        frame_->idle();
    }
}

VstInt32 AEffGUIEditor::onKeyDown(VstInt32 character, VstInt32 virtualKey, VstInt32 modifiers) {
    return frame_ && frame_->handleKeyDown(toKeyCode(character, virtualKey, modifiers)) ? 1 : 0;
}

VstInt32 AEffGUIEditor::onKeyUp(VstInt32 character, VstInt32 virtualKey, VstInt32 modifiers) {
    return frame_ && frame_->handleKeyUp(toKeyCode(character, virtualKey, modifiers)) ? 1 : 0;
}

bool AEffGUIEditor::setKnobMode(VstInt32 mode) {
    knobMode_ = mode;
    if (frame_) {
        frame_->setKnobMode(mode);
    }
    return true;
}

void AEffGUIEditor::beginEdit(VstInt32 index) {
    if (effect_ != nullptr && effect_->getAudioMaster() != nullptr) {
        effect_->getAudioMaster()(effect_->getAeffect(), audioMasterBeginEdit, index, 0, nullptr, 0.0f);
    }
}

void AEffGUIEditor::endEdit(VstInt32 index) {
    if (effect_ != nullptr && effect_->getAudioMaster() != nullptr) {
        effect_->getAudioMaster()(effect_->getAeffect(), audioMasterEndEdit, index, 0, nullptr, 0.0f);
    }
}

bool AEffGUIEditor::attachFrame(std::unique_ptr<CFrame> frame, const char* title) {
    destroyFrame();
    if (!frame) {
        return false;
    }
    std::unique_ptr<FramePlatform> platform;
    if (offscreen_) {
        platform = std::make_unique<OffscreenPlatform>();
    } else {
        const CRect& size = frame->getViewSize();
        platform = createX11Platform(reinterpret_cast<std::uintptr_t>(parentWindow_), size.width(), size.height(),
                                     title != nullptr ? title : "");
    }
    if (!platform) {
        return false;
    }
    frame->setPlatform(std::move(platform));
    frame->setKnobMode(knobMode_);
    frame_ = std::move(frame);
    // Shown at once: hosts may wait a while before their first idle call.
    frame_->redrawAll();
    return true;
}

void AEffGUIEditor::destroyFrame() {
    frame_.reset();
}

}  // namespace vexo
