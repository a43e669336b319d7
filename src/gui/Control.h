// Controls: views with a value that a listener hears about.
#pragma once

#include <cstdint>

#include "gui/View.h"

namespace vexo {

class CControl;

class CControlListener {
public:
    virtual ~CControlListener() = default;
    // The control's value changed through the mouse or the keyboard.
    virtual void valueChanged(CControl* control) = 0;
    // A click with a modifier; non-zero when the listener took it (then the control ignores it).
    virtual std::int32_t controlModifierClicked(CControl* /*control*/, CButtonState /*buttons*/) { return 0; }
    // Around a drag: hosts record automation between the two.
    virtual void controlBeginEdit(CControl* /*control*/) {}
    virtual void controlEndEdit(CControl* /*control*/) {}
};

class CControl : public CView {
public:
    CControl(const CRect& size, CControlListener* listener = nullptr, std::int32_t tag = 0,
             SharedBitmap background = nullptr);

    // Any thread: stores the value and marks the control dirty when it changed (no clamping).
    virtual void setValue(float value);
    float getValue() const { return value_; }
    void setMin(float value) { min_ = value; }
    float getMin() const { return min_; }
    void setMax(float value) { max_ = value; }
    float getMax() const { return max_; }
    void setDefaultValue(float value) { default_ = value; }
    float getDefaultValue() const { return default_; }
    // Clamps the value into min..max.
    void bounceValue();

    void setTag(std::int32_t tag) { tag_ = tag; }
    std::int32_t getTag() const { return tag_; }
    void setListener(CControlListener* listener) { listener_ = listener; }
    CControlListener* getListener() const { return listener_; }

    // Tells the listener that the value changed.
    virtual void valueChanged();
    void beginEdit();
    void endEdit();
    // A click with Control held sets the default value (and notifies); true when it did.
    bool checkDefaultValue(CButtonState buttons);

    void setWheelInc(float increment) { wheelInc_ = increment; }
    float getWheelInc() const { return wheelInc_; }

    // True once since the value was last changed (drawing uses isDirty instead).
    bool isValueChanged() const { return oldValue_ != value_; }
    // Clearing the dirty flag (after a redraw) also ends isValueChanged.
    void setDirty(bool state = true) override;

protected:
    // A press with a modifier goes first to the listener's hook; true when the listener took
    // it and the control must ignore the press.
    bool modifierClickTaken(CButtonState buttons);
    // Sets the value from the mouse: stores it and tells the listener when it changed.
    void changeValueByMouse(float value);

    CControlListener* listener_;
    std::int32_t tag_;
    float value_ = 0.0f;
    float oldValue_ = 1.0f;
    float min_ = 0.0f;
    float max_ = 1.0f;
    float default_ = 0.5f;
    float wheelInc_ = 0.1f;
};

}  // namespace vexo
