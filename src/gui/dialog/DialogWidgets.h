// The widgets of the dialogs: push buttons, check boxes, radio buttons, a horizontal slider,
// an edit field, a drop-down list, a number with up-down arrows, a vertical scroll bar, a
// list, group boxes, labels and the tooltip. They are controls of the toolkit: a listener
// hears of every change the user makes (valueChanged), tags carry the dialog's control ids,
// and the dialog frame gives them the focus and the keys. User-interface thread.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/Control.h"
#include "gui/OptionMenu.h"
#include "gui/dialog/DialogFrame.h"

namespace vexo {

// A control that can be disabled and can hold the focus.
class DialogControl : public CControl, public Focusable {
public:
    DialogControl(const CRect& size, CControlListener* listener, std::int32_t tag);

    void setEnabled(bool enabled);
    bool isEnabled() const { return enabled_; }
    bool acceptsFocus() const override { return isVisible() && enabled_ && focusable_; }
    void focusChanged(bool focused) override;
    bool hasFocus() const;
    bool isHovered() const;

protected:
    void takeFocus();
    // Stores value and tells the listener, also when the value did not change (a click on a
    // checked radio button is still a click).
    void notify(float value);

    bool focusable_ = true;

private:
    bool enabled_ = true;
};

// A push button: a click (press and release inside), Space while focused, or Return as the
// focused or default button tells the listener, with the value 1 during the call.
class PushButton : public DialogControl {
public:
    PushButton(const CRect& size, CControlListener* listener, std::int32_t tag, std::string title);
    void setTitle(std::string title);
    const std::string& title() const { return title_; }
    // The default button is drawn in the accent colour.
    void setDefault(bool state);
    // What a click does.
    void activate();

    void draw(CDrawContext& context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    bool focusedKeyDown(const VstKeyCode& key) override;

private:
    std::string title_;
    bool default_ = false;
    bool pressed_ = false;
    bool tracking_ = false;
};

// A check box with its label: the value 0 or 1, swapped by a click or Space.
class CheckBox : public DialogControl {
public:
    CheckBox(const CRect& size, CControlListener* listener, std::int32_t tag, std::string title);
    bool isChecked() const { return getValue() >= 0.5f; }
    void setChecked(bool state);

    void draw(CDrawContext& context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    bool focusedKeyDown(const VstKeyCode& key) override;

private:
    std::string title_;
    bool tracking_ = false;
};

class RadioButton;

// The radio buttons of which at most one is selected; shared by its buttons.
class RadioGroup {
public:
    void add(RadioButton* button) { buttons_.push_back(button); }
    // Selects button (null: none) and clears the others, without telling anybody.
    void select(RadioButton* button);
    RadioButton* selected() const;
    const std::vector<RadioButton*>& buttons() const { return buttons_; }

private:
    std::vector<RadioButton*> buttons_;
};

// A radio button: a click, Space or an arrow key (which moves to the next button of the
// group) selects it, clears the others of its group and tells the listener.
class RadioButton : public DialogControl {
public:
    RadioButton(const CRect& size, CControlListener* listener, std::int32_t tag, std::string title,
                std::shared_ptr<RadioGroup> group);
    bool isSelected() const { return getValue() >= 0.5f; }
    // Selected by the program: the group follows, nobody is told.
    void setSelected(bool state);
    // What a click does.
    void choose();
    RadioGroup& group() const { return *group_; }

    void draw(CDrawContext& context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    bool focusedKeyDown(const VstKeyCode& key) override;

private:
    std::string title_;
    std::shared_ptr<RadioGroup> group_;
    bool tracking_ = false;
};

// A horizontal slider over the whole positions min..max (0..100 unless set otherwise). The
// thumb follows a drag, a click on the track jumps there and drags on; arrow keys move by 1,
// Page Up/Down by a tenth of the range, Home/End to the ends. While dragging, the frame's
// tooltip for the slider shows with the position.
class Slider : public DialogControl {
public:
    Slider(const CRect& size, CControlListener* listener, std::int32_t tag, int minimum = 0, int maximum = 100);
    int position() const { return static_cast<int>(getValue()); }
    // Set by the program, clamped to the range; nobody is told.
    void setPosition(int position);

    void draw(CDrawContext& context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
    bool focusedKeyDown(const VstKeyCode& key) override;

    static constexpr int kThumbDiameter = 16;

private:
    int positionAt(int x) const;
    int thumbCentre() const;
    void moveTo(int position);
    void showDragTooltip();

    int minimum_;
    int maximum_;
    int grabOffset_ = 0;
    bool dragging_ = false;
};

// A one-line text entry with a caret: typed characters are inserted (numeric fields take
// digits and '-' only), Backspace, Delete, the arrows, Home and End edit and move; Tab into
// the field selects everything, typing then replaces it. Every change of the text tells the
// listener.
class EditField : public DialogControl {
public:
    EditField(const CRect& size, CControlListener* listener, std::int32_t tag, bool numeric = false,
              std::size_t maxLength = 255);
    const std::string& text() const { return text_; }
    // Set by the program: the caret goes to the end, nobody is told (nothing when unchanged).
    void setText(const std::string& text);
    std::size_t caret() const { return caret_; }
    bool hasSelection() const { return anchor_ != caret_; }
    void selectAll();

    void draw(CDrawContext& context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    bool focusedKeyDown(const VstKeyCode& key) override;
    void focusChanged(bool focused) override;

    static constexpr int kPadding = 5;

private:
    bool accepts(char c) const;
    void replaceSelection(const std::string& inserted);
    std::size_t caretAt(int x) const;
    // Text x of the caret so that the caret stays inside the field.
    void keepCaretVisible();

    std::string text_;
    std::size_t caret_ = 0;
    std::size_t anchor_ = 0;
    int scroll_ = 0;
    bool numeric_;
    std::size_t maxLength_;
    bool selecting_ = false;
};

// A drop-down list: shows the current entry; a click (or Space, Alt+Down) opens the list as a
// pop-up of the frame, Up/Down/Home/End pick an entry directly. Choosing tells the listener;
// getCurrent() is the index.
class DropDownList : public COptionMenu, public Focusable {
public:
    DropDownList(const CRect& size, CControlListener* listener, std::int32_t tag);
    void setEnabled(bool enabled);
    bool isEnabled() const { return enabled_; }
    bool acceptsFocus() const override { return isVisible() && enabled_; }
    void focusChanged(bool focused) override;
    bool focusedKeyDown(const VstKeyCode& key) override;

    void draw(CDrawContext& context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;

private:
    void openList();
    bool enabled_ = true;
};

// A read-only number with up and down arrows beside it: the arrows, Up/Down and the wheel
// step it by 1 inside minimum..maximum and tell the listener.
class UpDownNumber : public DialogControl {
public:
    UpDownNumber(const CRect& size, CControlListener* listener, std::int32_t tag, int minimum, int maximum);
    int number() const { return static_cast<int>(getValue()); }
    // Set by the program, clamped; nobody is told.
    void setNumber(int number);
    void step(int delta);

    void draw(CDrawContext& context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
    bool focusedKeyDown(const VstKeyCode& key) override;

    static constexpr int kArrowWidth = 17;

private:
    CRect arrowRect(bool up) const;
    int minimum_;
    int maximum_;
    int pressedArrow_ = 0;  // +1 up, -1 down
};

// A vertical scroll bar over total rows of which visible are shown: the arrows move by one
// row, a click on the track by a page, the thumb drags. The position (first row shown,
// 0..total-visible) is the value; the scroll handler and the listener hear of changes.
class ScrollBar : public DialogControl {
public:
    ScrollBar(const CRect& size, CControlListener* listener, std::int32_t tag);
    void setRange(int total, int visible);
    int total() const { return total_; }
    int visibleRows() const { return visible_; }
    int position() const { return static_cast<int>(getValue()); }
    int maxPosition() const;
    // Set by the program, clamped; nobody is told.
    void setPosition(int position);
    void setScrollHandler(std::function<void(int position)> handler) { handler_ = std::move(handler); }
    void scrollBy(int rows);

    void draw(CDrawContext& context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;

    static constexpr int kWidth = 16;

private:
    CRect trackRect() const;
    CRect thumbRect() const;
    void userScroll(int position);

    int total_ = 0;
    int visible_ = 1;
    int dragOffset_ = -1;  // pointer below the thumb's top while dragging, -1 otherwise
    std::function<void(int)> handler_;
};

// A list of rows (folders marked with an icon) with one or, when multiple, several selected
// rows: a click selects one, Ctrl+click adds or removes a row, Shift+click a range; a double
// click or Return runs the activate handler. The arrows, Page Up/Down, Home and End move the
// selection. Selection changes tell the listener.
class ListBox : public DialogControl {
public:
    struct Item {
        std::string text;
        bool folder = false;
    };
    static constexpr int kItemHeight = 20;

    ListBox(const CRect& size, CControlListener* listener, std::int32_t tag);
    void setItems(std::vector<Item> items);
    const std::vector<Item>& items() const { return items_; }
    void setMultipleSelection(bool state) { multiple_ = state; }
    // Selected rows in order.
    std::vector<int> selection() const;
    // Selects row alone (-1: nothing) and scrolls it into view; nobody is told.
    void select(int row);
    int caretRow() const { return caret_; }
    void setScrollBar(ScrollBar* bar);
    void setActivateHandler(std::function<void(int row)> handler) { activate_ = std::move(handler); }
    int rowAt(const CPoint& where) const;
    int firstVisibleRow() const { return top_; }
    int visibleRows() const;

    void draw(CDrawContext& context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
    bool focusedKeyDown(const VstKeyCode& key) override;

private:
    void clickRow(int row, CButtonState buttons);
    void moveCaret(int row);
    void scrollTo(int top);
    void scrollIntoView(int row);

    std::vector<Item> items_;
    std::vector<bool> selected_;
    bool multiple_ = false;
    int caret_ = -1;
    int anchor_ = -1;
    int top_ = 0;
    ScrollBar* bar_ = nullptr;
    std::function<void(int)> activate_;
};

// A titled frame around a group of controls; draws only.
class GroupBox : public CView {
public:
    GroupBox(const CRect& size, std::string title);
    void draw(CDrawContext& context) override;

private:
    std::string title_;
};

// Static text: one line, or several (split at '\n' and wrapped at the width) when wrap is set.
class Label : public CView {
public:
    Label(const CRect& size, std::string text, CHoriTxtAlign align = CHoriTxtAlign::kLeftText, bool wrap = false);
    void setText(std::string text);
    const std::string& text() const { return text_; }
    void setEnabled(bool state);
    void setBold(bool state) { bold_ = state; }
    void draw(CDrawContext& context) override;

    static constexpr int kLineHeight = 17;
    // The lines text takes at width pixels, split at '\n' and between words.
    static std::vector<std::string> wrapLines(const std::string& text, int width);

private:
    std::string text_;
    CHoriTxtAlign align_;
    bool wrap_;
    bool enabled_ = true;
    bool bold_ = false;
};

// The tooltip box drawn by the dialog frame over its widgets.
class TooltipView : public CView {
public:
    explicit TooltipView(const CRect& size) : CView(size) { setMouseEnabled(false); }
    void setText(std::string text) { text_ = std::move(text); }
    const std::string& text() const { return text_; }
    void draw(CDrawContext& context) override;

    static constexpr int kPadding = 6;
    static constexpr int kHeight = 20;

private:
    std::string text_;
};

}  // namespace vexo
