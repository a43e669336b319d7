// Pop-up menus: entries, "-" separators, submenus and a checked entry; the chosen entry's
// index becomes the value of the menu that holds it, and that menu's listener hears of it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gui/Control.h"

namespace vexo {

class COptionMenu : public CControl {
public:
    COptionMenu(const CRect& size, CControlListener* listener, std::int32_t tag, SharedBitmap background = nullptr);
    ~COptionMenu() override;

    // Appends an entry ("-" is a separator); false when the menu refuses it (full).
    virtual bool addEntry(const std::string& text);
    // Appends an entry that opens submenu (owned from now on).
    virtual bool addEntry(COptionMenu* submenu, const std::string& text);
    bool addSeparator() { return addEntry("-"); }
    void setEntry(int index, const std::string& text);
    void removeAllEntry();
    int getNbEntries() const { return static_cast<int>(entries_.size()); }
    // The text of entry index, or "" outside the menu.
    std::string getEntry(int index) const;
    bool isSeparator(int index) const;
    // The submenu that entry index opens, or null.
    COptionMenu* getSubMenu(int index) const;

    // The one checked entry (-1: none).
    void setCurrent(int index);
    int getCurrent() const { return current_; }
    void checkEntry(int index, bool state);
    bool isChecked(int index) const;

    // Shows the menu as a pop-up below the menu's rectangle (or at its top-left when it has
    // no height); the choice arrives later through choose(). Needs the menu in a frame.
    void popup();
    // A choice from the pop-up: entry index of this menu becomes its value and current entry,
    // and the listener (this menu's, else the nearest parent's) is told, with that menu as the
    // control; its getLastItemMenu names the menu and index chosen. Separators and submenu
    // entries cannot be chosen.
    void choose(int index);
    // The menu whose entry was chosen last among this menu and its submenus, and that index.
    COptionMenu* getLastItemMenu(int& index) const;
    int getLastResult() const { return lastResult_; }

    // Clicking the menu's own rectangle pops it up.
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    void draw(CDrawContext& context) override;

    COptionMenu* getParentMenu() const { return parentMenu_; }

protected:
    struct Entry {
        std::string text;
        std::unique_ptr<COptionMenu> submenu;
        bool checked = false;
    };
    std::vector<Entry> entries_;

private:
    void recordChoice(COptionMenu* menu, int index);
    const COptionMenu& rootMenu() const;
    // Closes the frame's pop-up when it shows this menu or one of its submenus.
    void closeOpenPopup();

    int current_ = -1;
    int lastResult_ = -1;
    COptionMenu* lastMenu_ = nullptr;
    COptionMenu* parentMenu_ = nullptr;
};

}  // namespace vexo
