// The dialog widgets driven through synthetic pointer and key events on an offscreen frame.
#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "gui/dialog/Dialog.h"
#include "gui/dialog/DialogTheme.h"
#include "gui/dialog/DialogWidgets.h"

namespace vexo::test {
namespace {

VstKeyCode key(std::uint8_t virt, std::uint8_t modifier = 0) {
    return VstKeyCode{0, virt, modifier};
}

VstKeyCode character(char c) {
    return VstKeyCode{c, 0, 0};
}

CPoint centre(const CView& view) {
    const CRect& r = view.getViewSize();
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

class DialogWidgetsTest : public ::testing::Test {
protected:
    DialogWidgetsTest() { frame.setPlatform(std::make_unique<OffscreenPlatform>(CRect(0, 0, 400, 300))); }

    template <class T>
    T* add(T* view) {
        frame.addView(view);
        return view;
    }

    void click(const CView& view, CButtonState buttons = kLButton) {
        frame.pointerDown(centre(view), buttons);
        frame.pointerUp(centre(view), buttons);
    }

    DialogFrame frame{CRect(0, 0, 400, 300)};
    RecordingListener listener;
};

TEST_F(DialogWidgetsTest, CheckBoxTogglesByClickAndSpaceButNotWhenDisabledOrReleasedOutside) {
    auto* box = add(new CheckBox(CRect(10, 10, 200, 32), &listener, 7, "Clear confirm"));
    click(*box);
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(frame.focusedView(), box);
    frame.keyDown(key(kVirtKeySpace));
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(listener.values, (std::vector<float>{1.0f, 0.0f}));

    frame.pointerDown(centre(*box), kLButton);
    frame.pointerUp({300, 200}, kLButton);
    EXPECT_FALSE(box->isChecked());

    box->setEnabled(false);
    click(*box);
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(listener.values.size(), 2u);
}

TEST_F(DialogWidgetsTest, RadioButtonsOfAGroupAreExclusiveAndArrowsMoveTheChoice) {
    auto group = std::make_shared<RadioGroup>();
    auto* a = add(new RadioButton(CRect(10, 10, 200, 32), &listener, 1, "A", group));
    auto* b = add(new RadioButton(CRect(10, 32, 200, 54), &listener, 2, "B", group));
    auto* c = add(new RadioButton(CRect(10, 54, 200, 76), &listener, 3, "C", group));
    auto other = std::make_shared<RadioGroup>();
    auto* d = add(new RadioButton(CRect(10, 80, 200, 102), &listener, 4, "D", other));
    d->setSelected(true);

    a->setSelected(true);
    click(*c);
    EXPECT_FALSE(a->isSelected());
    EXPECT_FALSE(b->isSelected());
    EXPECT_TRUE(c->isSelected());
    EXPECT_TRUE(d->isSelected());  // another group
    ASSERT_EQ(listener.controls.size(), 1u);
    EXPECT_EQ(listener.controls.back(), c);

    frame.keyDown(key(kVirtKeyDown));  // wraps around to the first of the group
    EXPECT_TRUE(a->isSelected());
    EXPECT_FALSE(c->isSelected());
    EXPECT_EQ(frame.focusedView(), a);
    EXPECT_EQ(group->selected(), a);
}

TEST_F(DialogWidgetsTest, SliderFollowsADragShowsItsTooltipAndTakesKeys) {
    auto* slider = add(new Slider(CRect(20, 10, 224, 32), &listener, 9));
    frame.setTooltip(slider, "Sets the voltage feed to filter");
    // The thumb's travel: from left + 2 + radius to right - 2 - radius, 184 pixels for 0..100.
    const int from = 20 + 2 + Slider::kThumbDiameter / 2;
    const int to = 224 - 2 - Slider::kThumbDiameter / 2;
    frame.pointerDown({from, 20}, kLButton);
    EXPECT_EQ(slider->position(), 0);
    frame.pointerMoved({from + (to - from) / 4, 20}, kLButton);
    EXPECT_EQ(slider->position(), 25);
    EXPECT_EQ(frame.visibleTooltip(), "Sets the voltage feed to filter: 25");
    frame.pointerMoved({to + 50, 20}, kLButton);
    EXPECT_EQ(slider->position(), 100);
    frame.pointerUp({to + 50, 20}, kLButton);
    EXPECT_EQ(frame.visibleTooltip(), "");
    EXPECT_EQ(listener.values, (std::vector<float>{25.0f, 100.0f}));

    frame.keyDown(key(kVirtKeyPageDown));
    EXPECT_EQ(slider->position(), 90);
    frame.keyDown(key(kVirtKeyHome));
    EXPECT_EQ(slider->position(), 0);
    frame.keyDown(key(kVirtKeyLeft));
    EXPECT_EQ(slider->position(), 0);

    // Hovering shows the tooltip after the delay.
    frame.pointerMoved(centre(*slider), 0);
    frame.tick(1000);
    frame.tick(1000 + DialogFrame::kTooltipDelayMs - 1);
    EXPECT_EQ(frame.visibleTooltip(), "");
    frame.tick(1000 + DialogFrame::kTooltipDelayMs);
    EXPECT_EQ(frame.visibleTooltip(), "Sets the voltage feed to filter");
}

TEST_F(DialogWidgetsTest, EditFieldTakesTypingWithSelectionCaretAndDigitsOnly) {
    auto* before = add(new CheckBox(CRect(10, 10, 200, 32), &listener, 1, "Before"));
    auto* field = add(new EditField(CRect(10, 40, 100, 66), &listener, 2, true, 4));
    field->setText("100");
    frame.setFocus(before);
    frame.keyDown(key(kVirtKeyTab));  // Tab in selects everything
    EXPECT_EQ(frame.focusedView(), field);
    EXPECT_TRUE(field->hasSelection());
    for (char c : std::string("3x0")) {
        frame.keyDown(character(c));
    }
    EXPECT_EQ(field->text(), "30");
    frame.keyDown(key(kVirtKeyHome));
    frame.keyDown(character('-'));
    frame.keyDown(key(kVirtKeyEnd));
    frame.keyDown(character('0'));
    frame.keyDown(character('7'));  // longer than four characters: refused
    EXPECT_EQ(field->text(), "-300");
    frame.keyDown(key(kVirtKeyLeft));
    frame.keyDown(key(kVirtKeyBack));
    frame.keyDown(key(kVirtKeyDelete));
    EXPECT_EQ(field->text(), "-3");
    EXPECT_EQ(field->caret(), 2u);
    // Every change told the listener, the refused keys did not.
    EXPECT_EQ(listener.controls.size(), 6u);

    // A click places the caret, a double click selects all.
    frame.pointerDown({12, 50}, kLButton);
    frame.pointerUp({12, 50}, kLButton);
    EXPECT_EQ(field->caret(), 0u);
    EXPECT_FALSE(field->hasSelection());
}

TEST_F(DialogWidgetsTest, TabOrderSkipsLabelsAndDisabledWidgetsReturnAndEscapePressTheirButtons) {
    add(new Label(CRect(10, 0, 100, 10), "Label"));
    auto* first = add(new CheckBox(CRect(10, 10, 200, 32), &listener, 1, "First"));
    auto* skipped = add(new CheckBox(CRect(10, 32, 200, 54), &listener, 2, "Disabled"));
    auto* list = add(new DropDownList(CRect(10, 60, 120, 88), &listener, 3));
    auto* ok = add(new PushButton(CRect(200, 250, 290, 280), &listener, 4, "OK"));
    auto* cancel = add(new PushButton(CRect(300, 250, 390, 280), &listener, 5, "Cancel"));
    skipped->setEnabled(false);
    frame.setDefaultButton(ok);
    frame.setCancelButton(cancel);

    std::vector<CView*> order;
    for (int i = 0; i < 5; ++i) {
        frame.keyDown(key(kVirtKeyTab));
        order.push_back(frame.focusedView());
    }
    EXPECT_EQ(order, (std::vector<CView*>{first, list, ok, cancel, first}));
    frame.keyDown(key(kVirtKeyTab, kShift));
    EXPECT_EQ(frame.focusedView(), cancel);

    frame.setFocus(first);
    frame.keyDown(key(kVirtKeyReturn));
    frame.keyDown(key(kVirtKeyEscape));
    frame.setFocus(cancel);
    frame.keyDown(key(kVirtKeyReturn));  // the focused push button, not the default one
    const std::vector<CControl*> pressed(listener.controls.begin(), listener.controls.end());
    EXPECT_EQ(pressed, (std::vector<CControl*>{ok, cancel, cancel}));
}

TEST_F(DialogWidgetsTest, DropDownListOpensInsideTheFrameAndChoosesByClickOrArrow) {
    auto* list = add(new DropDownList(CRect(10, 10, 100, 38), &listener, 3));
    for (const char* entry : {"None", "1", "2", "3"}) {
        list->addEntry(entry);
    }
    list->setCurrent(0);
    click(*list);
    const MenuPopup* popup = frame.openPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(CRect(0, 0, 400, 300).intersection(popup->area()) == popup->area());
    const CRect entry = popup->entryRect(0, 2);
    const CPoint at{(entry.left + entry.right) / 2, (entry.top + entry.bottom) / 2};
    frame.pointerMoved(at, 0);
    frame.pointerDown(at, kLButton);
    frame.pointerUp(at, kLButton);
    EXPECT_EQ(frame.openPopup(), nullptr);
    EXPECT_EQ(list->getCurrent(), 2);
    frame.keyDown(key(kVirtKeyDown));
    frame.keyDown(key(kVirtKeyDown));  // stays on the last entry
    EXPECT_EQ(list->getCurrent(), 3);
    EXPECT_EQ(listener.values, (std::vector<float>{2.0f, 3.0f}));
}

TEST_F(DialogWidgetsTest, ListSelectsWithCtrlAndShiftAndScrollsWithItsBar) {
    auto* list = add(new ListBox(CRect(10, 10, 210, 10 + 4 + 2 + 5 * ListBox::kItemHeight), &listener, 1));
    auto* bar = add(new ScrollBar(CRect(), nullptr, 0));
    list->setScrollBar(bar);
    list->setMultipleSelection(true);
    std::vector<ListBox::Item> items;
    for (int i = 0; i < 12; ++i) {
        items.push_back({"item " + std::to_string(i), i < 2});
    }
    list->setItems(items);
    EXPECT_EQ(list->visibleRows(), 5);
    EXPECT_EQ(bar->maxPosition(), 7);

    const auto rowPoint = [&](int visibleRow) { return CPoint(50, 10 + 3 + visibleRow * ListBox::kItemHeight + 5); };
    frame.pointerDown(rowPoint(1), kLButton);
    frame.pointerUp(rowPoint(1), kLButton);
    frame.pointerDown(rowPoint(3), kLButton | kShift);
    frame.pointerDown(rowPoint(2), kLButton | kControl);
    EXPECT_EQ(list->selection(), (std::vector<int>{1, 3}));

    // The bar's lower arrow scrolls by a row, the track below the thumb by a page.
    const CRect barRect = bar->getViewSize();
    frame.pointerDown({barRect.left + 4, barRect.bottom - 3}, kLButton);
    frame.pointerUp({barRect.left + 4, barRect.bottom - 3}, kLButton);
    EXPECT_EQ(list->firstVisibleRow(), 1);
    frame.pointerDown({barRect.left + 4, barRect.bottom - ScrollBar::kWidth - 2}, kLButton);
    frame.pointerUp({barRect.left + 4, barRect.bottom - ScrollBar::kWidth - 2}, kLButton);
    EXPECT_EQ(list->firstVisibleRow(), 6);
    EXPECT_EQ(list->rowAt(rowPoint(0)), 6);
    // Keys move a single selection and keep it in view.
    frame.setFocus(list);
    frame.keyDown(key(kVirtKeyHome));
    EXPECT_EQ(list->selection(), (std::vector<int>{0}));
    EXPECT_EQ(list->firstVisibleRow(), 0);
    EXPECT_EQ(bar->position(), 0);
}

TEST_F(DialogWidgetsTest, UpDownNumberStepsInsideItsRange) {
    auto* number = add(new UpDownNumber(CRect(10, 10, 90, 36), &listener, 1, 1, 16));
    number->setNumber(15);
    const CRect r = number->getViewSize();
    const CPoint up{r.right - 6, r.top + 6};
    for (int i = 0; i < 3; ++i) {
        frame.pointerDown(up, kLButton);
        frame.pointerUp(up, kLButton);
    }
    EXPECT_EQ(number->number(), 16);
    frame.keyDown(key(kVirtKeyDown));
    EXPECT_EQ(number->number(), 15);
    EXPECT_EQ(listener.values, (std::vector<float>{16.0f, 15.0f}));
}

// A dialog whose window is the offscreen one: closes by its buttons only.
class TwoButtonDialog : public Dialog {
public:
    TwoButtonDialog() : Dialog(200, 100, "Test") {
        ok = new PushButton(CRect(10, 60, 90, 90), this, 1, "OK");
        cancel = new PushButton(CRect(100, 60, 190, 90), this, 2, "Cancel");
        frame().addView(ok);
        frame().addView(cancel);
        frame().setDefaultButton(ok);
        frame().setCancelButton(cancel);
    }
    void valueChanged(CControl* control) override {
        result = control->getTag();
        close();
    }
    void timer() override { ++timerCalls; }
    PushButton* ok;
    PushButton* cancel;
    int result = 0;
    int timerCalls = 0;
};

TEST(DialogTest, IdleRunsTheTimerEveryFiftyMillisecondsAndEscapeCancels) {
    TwoButtonDialog dialog;
    dialog.showOffscreen();
    for (std::uint32_t now = 1000; now <= 1200; now += 10) {
        dialog.idle(now);
    }
    EXPECT_EQ(dialog.timerCalls, 4);
    dialog.frame().setInputEnabled(false);
    dialog.frame().keyDown(key(kVirtKeyEscape));
    EXPECT_FALSE(dialog.isClosed());
    dialog.frame().setInputEnabled(true);
    dialog.frame().keyDown(key(kVirtKeyEscape));
    EXPECT_TRUE(dialog.isClosed());
    EXPECT_EQ(dialog.result, 2);
    const SharedBitmap image = dialog.snapshot();
    ASSERT_EQ(image->getWidth(), 200);
    EXPECT_EQ(image->pixel(5, 5), theme::kWindow);
}

}  // namespace
}  // namespace vexo::test
