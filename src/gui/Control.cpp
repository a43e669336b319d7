#include "gui/Control.h"

#include <algorithm>

namespace vexo {

CControl::CControl(const CRect& size, CControlListener* listener, std::int32_t tag, SharedBitmap background)
    : CView(size), listener_(listener), tag_(tag) {
    setBackground(std::move(background));
}

void CControl::setValue(float value) {
    if (value != value_) {
        value_ = value;
        setDirty(true);
    }
}

void CControl::bounceValue() {
    setValue(std::clamp(value_, std::min(min_, max_), std::max(min_, max_)));
}

void CControl::valueChanged() {
    if (listener_ != nullptr) {
        listener_->valueChanged(this);
    }
}

void CControl::beginEdit() {
    if (listener_ != nullptr) {
        listener_->controlBeginEdit(this);
    }
}

void CControl::endEdit() {
    if (listener_ != nullptr) {
        listener_->controlEndEdit(this);
    }
}

bool CControl::checkDefaultValue(CButtonState buttons) {
    // Exactly Control with the left button: Control with Shift or Alt is left to the controls.
    if ((buttons & (kLButton | kModifierMask)) != (kLButton | kControl)) {
        return false;
    }
    beginEdit();
    changeValueByMouse(default_);
    endEdit();
    return true;
}

void CControl::setDirty(bool state) {
    if (!state) {
        oldValue_ = value_;
    }
    CView::setDirty(state);
}

bool CControl::modifierClickTaken(CButtonState buttons) {
    return (buttons & kModifierMask) != 0 && listener_ != nullptr &&
           listener_->controlModifierClicked(this, buttons) != 0;
}

void CControl::changeValueByMouse(float value) {
    if (value == value_) {
        return;
    }
    setValue(value);
    // Mouse changes come on the user-interface thread: the rectangle goes to the frame now
    // rather than at the next collection of dirty flags.
    invalid();
    valueChanged();
}

}  // namespace vexo
