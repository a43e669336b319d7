// The open pop-up of an option menu, independent of the window system: the layout of each open
// menu level (split into columns when it would not fit on the screen), the submenus opened
// beside their entries, the highlighted entry, hit-testing, keyboard navigation and drawing.
// Back-ends show each level (an X11 window per level, or an image) and feed input back
// through the frame. All rectangles are in frame coordinates.
#pragma once

#include <vector>

#include "gui/DrawContext.h"
#include "gui/View.h"

namespace vexo {

class COptionMenu;

class MenuPopup {
public:
    static constexpr int kEntryHeight = 18;
    static constexpr int kSeparatorHeight = 7;
    static constexpr int kBorder = 1;
    static constexpr double kFontHeight = 12.0;

    // What the frame does after an input event. Choosing closes (and destroys) the pop-up, so
    // it is carried out by the frame, never from inside the pop-up.
    struct Action {
        enum Kind { kNone, kClose, kChoose };
        Kind kind = kNone;
        COptionMenu* menu = nullptr;
        int index = -1;
    };

    // Opens menu below anchor (at its top-left when anchor has no height), kept inside screen.
    MenuPopup(COptionMenu& menu, const CRect& anchor, const CRect& screen);

    Action mouseDown(const CPoint& where, CButtonState buttons);
    Action mouseMoved(const CPoint& where, CButtonState buttons);
    Action mouseUp(const CPoint& where, CButtonState buttons);
    // Up/Down move the highlight, Right/Return open a submenu, Left/Escape close one level,
    // Return chooses, Escape on the first level closes the pop-up.
    Action keyDown(const VstKeyCode& key);

    int levelCount() const { return static_cast<int>(levels_.size()); }
    COptionMenu* levelMenu(int level) const { return levels_[static_cast<std::size_t>(level)].menu; }
    const CRect& levelRect(int level) const { return levels_[static_cast<std::size_t>(level)].rect; }
    // Where entry index of a level is drawn; empty outside the level.
    CRect entryRect(int level, int index) const;
    int columnCount(int level) const { return levels_[static_cast<std::size_t>(level)].columns; }
    // The highlighted entry of a level, -1 when none.
    int highlighted(int level) const { return levels_[static_cast<std::size_t>(level)].highlighted; }
    // All open levels together.
    CRect area() const;

    COptionMenu& rootMenu() const { return *levels_.front().menu; }
    // True when one of the open levels is menu or one of its submenus.
    bool showsMenu(const COptionMenu* menu) const;

    // Paints one level at its rectangle.
    void drawLevel(CDrawContext& context, int level) const;
    // Grows with every change that needs a repaint, so back-ends repaint only then.
    unsigned revision() const { return revision_; }

private:
    struct Level {
        COptionMenu* menu = nullptr;
        CRect rect;
        std::vector<CRect> entries;
        int columns = 1;
        int columnWidth = 0;
        int highlighted = -1;
    };
    struct Hit {
        int level = -1;
        int index = -1;
    };

    Level layout(COptionMenu& menu) const;
    // Moves a laid-out level below the anchor (parent null) or beside the entry rectangle
    // beside of the parent level, keeping it inside the screen.
    void place(Level& level, const CRect& beside, const Level* parent) const;
    Hit hitTest(const CPoint& where) const;
    bool selectable(const Level& level, int index) const;
    void highlight(int level, int index);
    void closeLevelsAfter(int level);
    void openSubmenu(int level, int index);
    // The deepest level that holds a highlight (keyboard focus), 0 when none does.
    int activeLevel() const;
    int nextSelectable(const Level& level, int from, int step) const;
    Action chooseOrOpen(int level, int index);

    std::vector<Level> levels_;
    CRect anchor_;
    CRect screen_;
    unsigned revision_ = 0;
    // A press inside the pop-up, or a drag over its entries with the button held, lets the
    // release choose; the release of the click that opened the pop-up does not.
    bool pressedInside_ = false;
    bool draggedOverEntry_ = false;
};

}  // namespace vexo
