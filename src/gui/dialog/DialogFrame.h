// The root view of a dialog: a frame that adds what dialogs need to the panel's frame, a
// keyboard focus moved with Tab and Shift+Tab, default and cancel buttons for Return and
// Escape, hover tracking and tooltips. The widgets are direct children of the frame (group
// boxes only draw); the focus order is the order in which they were added. Views of a dialog
// stay for its whole life (hidden rather than removed). User-interface thread.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "gui/Frame.h"

namespace vexo {

class PushButton;
class TooltipView;

// A widget that can hold the keyboard focus.
class Focusable {
public:
    virtual ~Focusable() = default;
    // False while hidden or disabled: Tab passes it by.
    virtual bool acceptsFocus() const = 0;
    // A key while this widget has the focus; true when it used it. Tab, Return and Escape go
    // to the dialog when unused.
    virtual bool focusedKeyDown(const VstKeyCode& /*key*/) { return false; }
    // The focus came or went (widgets redraw their ring).
    virtual void focusChanged(bool focused) = 0;
};

class DialogFrame : public CFrame {
public:
    // Hovering this long shows a control's tooltip.
    static constexpr std::uint32_t kTooltipDelayMs = 500;

    explicit DialogFrame(const CRect& size);
    ~DialogFrame() override;

    // Input in frame coordinates, from the window or from tests. While input is off (another
    // dialog lies above this one) it is dropped.
    void pointerDown(CPoint where, CButtonState buttons);
    void pointerMoved(CPoint where, CButtonState buttons);
    void pointerUp(CPoint where, CButtonState buttons);
    void pointerLeft();
    void wheel(CPoint where, float distance, CButtonState buttons);
    // An open drop-down list takes the keys first, then the focused widget; unused, Tab and
    // Shift+Tab move the focus, Return presses the focused push button or else the default
    // button, Escape presses the cancel button. True when the key was used.
    bool keyDown(VstKeyCode key);
    void setInputEnabled(bool enabled) { inputEnabled_ = enabled; }
    bool inputEnabled() const { return inputEnabled_; }

    // The focus: a Focusable child that accepts it, or null.
    void setFocus(CView* view);
    CView* focusedView() const { return focused_; }
    // Tab order: the next (or previous) child that accepts the focus, wrapping around.
    void focusNext(bool backwards);

    void setDefaultButton(PushButton* button) { default_ = button; }
    void setCancelButton(PushButton* button) { cancel_ = button; }
    PushButton* defaultButton() const { return default_; }
    PushButton* cancelButton() const { return cancel_; }
    // Escape and the window's close box: presses the cancel button (not while input is off).
    void cancel();

    // The view under the pointer (null outside every child).
    CView* hoveredView() const { return hovered_; }
    // A tooltip shown after hovering over view.
    void setTooltip(const CView* view, std::string text);
    std::string tooltipOf(const CView* view) const;
    // Shows text under owner at once (drags) until hideTooltip.
    void showTooltip(const CView& owner, const std::string& text);
    void hideTooltip();
    // The text of the tooltip on screen, "" when none.
    std::string visibleTooltip() const;
    // Time for hover tooltips, from the dialog's idle.
    void tick(std::uint32_t nowMs);

private:
    void updateHover(const CPoint& where);
    void repaintAfterPopup(bool popupWasOpen);
    Focusable* focusableAt(int index) const;

    bool inputEnabled_ = true;
    CView* focused_ = nullptr;
    CView* hovered_ = nullptr;
    PushButton* default_ = nullptr;
    PushButton* cancel_ = nullptr;
    std::map<const CView*, std::string> tooltips_;
    TooltipView* tooltip_ = nullptr;
    const CView* tooltipOwner_ = nullptr;
    bool tooltipFromDrag_ = false;
    bool hoverRestarted_ = true;
    std::uint32_t hoverStartMs_ = 0;
};

// The dialog frame that holds view, or null.
DialogFrame* dialogFrameOf(const CView& view);

}  // namespace vexo
