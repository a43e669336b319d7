// Option menus and their pop-up: choices in submenus, columns for long menus, and choosing
// with synthetic clicks and keys through the frame.
#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "gui/MenuPopup.h"
#include "gui/OptionMenu.h"

namespace vexo {
namespace {

CPoint centre(const CRect& r) {
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

TEST(OptionMenu, ChoiceSetsTheHoldingMenuAndTellsTheNearestListener) {
    test::RecordingListener listener;
    COptionMenu root(CRect(0, 0, 80, 20), &listener, 10);
    auto* sub = new COptionMenu(CRect(), nullptr, 11);
    root.addEntry("One");
    root.addSeparator();
    root.addEntry(sub, "More");
    sub->addEntry("x");
    sub->addEntry("y");

    sub->choose(1);
    EXPECT_EQ(sub->getValue(), 1.0f);
    EXPECT_EQ(sub->getCurrent(), 1);
    ASSERT_EQ(listener.controls.size(), 1u);
    EXPECT_EQ(listener.controls[0], &root);
    int index = -1;
    EXPECT_EQ(root.getLastItemMenu(index), sub);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(root.getValue(), 0.0f);

    // Separators and submenu entries are no choices; out of range neither.
    root.choose(1);
    root.choose(2);
    root.choose(9);
    EXPECT_EQ(listener.controls.size(), 1u);

    root.choose(0);
    EXPECT_EQ(root.getLastItemMenu(index), &root);
    EXPECT_EQ(index, 0);

    // A submenu with a listener of its own hears of its choices itself.
    test::RecordingListener subListener;
    sub->setListener(&subListener);
    sub->choose(0);
    EXPECT_EQ(subListener.controls.size(), 1u);
    EXPECT_EQ(listener.controls.size(), 2u);

    EXPECT_TRUE(root.isSeparator(1));
    EXPECT_EQ(root.getSubMenu(2), sub);
    EXPECT_EQ(root.getEntry(7), "");
    root.checkEntry(0, true);
    EXPECT_TRUE(root.isChecked(0));
    EXPECT_FALSE(root.isChecked(2));
}

class PopupTest : public ::testing::Test {
protected:
    PopupTest() {
        menu = new COptionMenu(CRect(10, 10, 110, 30), &listener, 1);
        menu->addEntry("One");
        menu->addEntry("Two");
        menu->addSeparator();
        sub = new COptionMenu(CRect(), nullptr, 2);
        sub->addEntry("Alpha");
        sub->addEntry("Beta");
        menu->addEntry(sub, "More");
        offscreen.frame->addView(menu);
    }
    MenuPopup* popup() const { return offscreen.frame->openPopup(); }

    test::OffscreenFrame offscreen{300, 200, CRect(-100, -100, 700, 500)};
    test::RecordingListener listener;
    COptionMenu* menu;
    COptionMenu* sub;
};

TEST_F(PopupTest, ClicksOpenTheMenuOpenSubmenusAndChoose) {
    CFrame& frame = *offscreen.frame;
    offscreen.click({20, 20});
    ASSERT_NE(popup(), nullptr);
    EXPECT_TRUE(offscreen.platform->popupShown());
    EXPECT_EQ(popup()->levelRect(0).topLeft(), CPoint(10, 30));
    EXPECT_EQ(popup()->entryRect(0, 0).height(), MenuPopup::kEntryHeight);
    EXPECT_LT(popup()->entryRect(0, 2).height(), MenuPopup::kEntryHeight);

    // Hovering the submenu entry opens it beside the entry.
    frame.handleMouseMoved(centre(popup()->entryRect(0, 3)), 0);
    ASSERT_EQ(popup()->levelCount(), 2);
    EXPECT_EQ(popup()->levelMenu(1), sub);
    EXPECT_GE(popup()->levelRect(1).left, popup()->entryRect(0, 3).right);

    // The composed screenshot shows the frame with the pop-up over it.
    CPoint origin;
    SharedBitmap shot = offscreen.platform->composeWithPopup(frame.image(), &origin);
    const CRect level = popup()->levelRect(1);
    EXPECT_EQ(shot->getWidth(), std::max(300, level.right));
    EXPECT_EQ(shot->pixel(origin.x + level.left, origin.y + level.top + 5), (CColor{146, 148, 155, 255}));

    const CPoint beta = centre(popup()->entryRect(1, 1));
    frame.handleMouseMoved(beta, 0);
    offscreen.click(beta);
    EXPECT_EQ(popup(), nullptr);
    EXPECT_FALSE(offscreen.platform->popupShown());
    ASSERT_EQ(listener.controls.size(), 1u);
    int index = -1;
    EXPECT_EQ(menu->getLastItemMenu(index), sub);
    EXPECT_EQ(index, 1);

    // A click outside closes without a choice, and goes to no view.
    offscreen.click({20, 20});
    offscreen.click({250, 190});
    EXPECT_EQ(popup(), nullptr);
    EXPECT_EQ(listener.controls.size(), 1u);
}

TEST_F(PopupTest, ReleaseOfTheOpeningClickChoosesNothingButADragOntoAnEntryDoes) {
    CFrame& frame = *offscreen.frame;
    frame.handleMouseDown({20, 20}, kLButton);
    ASSERT_NE(popup(), nullptr);
    const CPoint two = centre(popup()->entryRect(0, 1));
    frame.handleMouseUp(two, kLButton);
    EXPECT_NE(popup(), nullptr);

    frame.handleMouseDown({20, 20}, kLButton);  // outside: closes
    frame.handleMouseUp({20, 20}, kLButton);
    frame.handleMouseDown({20, 20}, kLButton);
    frame.handleMouseMoved(two, kLButton);
    frame.handleMouseUp(two, kLButton);
    EXPECT_EQ(popup(), nullptr);
    EXPECT_EQ(menu->getCurrent(), 1);
}

TEST_F(PopupTest, KeysNavigateSkippingSeparatorsAndChoose) {
    CFrame& frame = *offscreen.frame;
    offscreen.click({20, 20});
    auto key = [&frame](std::uint8_t virt) { EXPECT_TRUE(frame.handleKeyDown(VstKeyCode{0, virt, 0})); };
    key(kVirtKeyDown);
    EXPECT_EQ(popup()->highlighted(0), 0);
    key(kVirtKeyDown);
    key(kVirtKeyDown);
    EXPECT_EQ(popup()->highlighted(0), 3);
    key(kVirtKeyRight);
    ASSERT_EQ(popup()->levelCount(), 2);
    EXPECT_EQ(popup()->highlighted(1), 0);
    key(kVirtKeyEscape);
    EXPECT_EQ(popup()->levelCount(), 1);
    key(kVirtKeyUp);
    key(kVirtKeyReturn);
    EXPECT_EQ(popup(), nullptr);
    EXPECT_EQ(menu->getCurrent(), 1);

    offscreen.click({20, 20});
    key(kVirtKeyEscape);
    EXPECT_EQ(popup(), nullptr);
}

TEST_F(PopupTest, LongMenusSplitIntoColumnsThatFitTheScreen) {
    COptionMenu* longMenu = new COptionMenu(CRect(250, 150, 290, 170), nullptr, 3);
    for (int i = 0; i < 60; ++i) {
        longMenu->addEntry("Pattern " + std::to_string(i));
    }
    offscreen.frame->addView(longMenu);
    longMenu->popup();
    ASSERT_NE(popup(), nullptr);
    const CRect screen(-100, -100, 700, 500);
    const CRect level = popup()->levelRect(0);
    // 598 usable pixels hold 33 entries of 18: two columns.
    EXPECT_EQ(popup()->columnCount(0), 2);
    EXPECT_EQ(level.intersection(screen), level);
    for (int i = 0; i < 60; ++i) {
        const CRect entry = popup()->entryRect(0, i);
        EXPECT_EQ(entry.intersection(level), entry) << i;
        if (i > 0) {
            EXPECT_FALSE(entry.intersects(popup()->entryRect(0, i - 1))) << i;
        }
    }
    offscreen.click(centre(popup()->entryRect(0, 45)));
    EXPECT_EQ(longMenu->getCurrent(), 45);

    // Removing the open menu from the frame closes its pop-up.
    longMenu->popup();
    offscreen.frame->removeView(longMenu);
    EXPECT_EQ(popup(), nullptr);
}

}  // namespace
}  // namespace vexo
