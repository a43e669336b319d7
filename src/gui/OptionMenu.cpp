#include "gui/OptionMenu.h"

#include "gui/Frame.h"
#include "gui/MenuPopup.h"

namespace vexo {
namespace {

constexpr const char* kSeparatorText = "-";

}  // namespace

COptionMenu::COptionMenu(const CRect& size, CControlListener* listener, std::int32_t tag, SharedBitmap background)
    : CControl(size, listener, tag, std::move(background)) {
    default_ = 0.0f;
}

COptionMenu::~COptionMenu() {
    // Submenus go with their parent, which closed the pop-up first (removeAllEntry or its own
    // destruction); asking through a parent under destruction would not be safe.
    if (parentMenu_ == nullptr) {
        closeOpenPopup();
    }
}

bool COptionMenu::addEntry(const std::string& text) {
    entries_.push_back(Entry{text, nullptr, false});
    max_ = static_cast<float>(entries_.size() - 1);
    return true;
}

bool COptionMenu::addEntry(COptionMenu* submenu, const std::string& text) {
    std::unique_ptr<COptionMenu> owned(submenu);
    if (!addEntry(text)) {
        return false;
    }
    if (owned) {
        owned->parentMenu_ = this;
        entries_.back().submenu = std::move(owned);
    }
    return true;
}

void COptionMenu::setEntry(int index, const std::string& text) {
    if (index >= 0 && index < getNbEntries()) {
        entries_[static_cast<std::size_t>(index)].text = text;
    }
}

void COptionMenu::removeAllEntry() {
    // An open pop-up shows these entries (or submenus about to be destroyed).
    closeOpenPopup();
    entries_.clear();
    current_ = -1;
    lastResult_ = -1;
    lastMenu_ = nullptr;
    max_ = 0.0f;
}

std::string COptionMenu::getEntry(int index) const {
    return index >= 0 && index < getNbEntries() ? entries_[static_cast<std::size_t>(index)].text : std::string();
}

bool COptionMenu::isSeparator(int index) const {
    return index >= 0 && index < getNbEntries() && entries_[static_cast<std::size_t>(index)].text == kSeparatorText;
}

COptionMenu* COptionMenu::getSubMenu(int index) const {
    return index >= 0 && index < getNbEntries() ? entries_[static_cast<std::size_t>(index)].submenu.get() : nullptr;
}

void COptionMenu::setCurrent(int index) {
    current_ = index >= 0 && index < getNbEntries() ? index : -1;
    if (current_ >= 0) {
        setValue(static_cast<float>(current_));
    }
}

void COptionMenu::checkEntry(int index, bool state) {
    if (index >= 0 && index < getNbEntries()) {
        entries_[static_cast<std::size_t>(index)].checked = state;
    }
}

bool COptionMenu::isChecked(int index) const {
    return index >= 0 && index < getNbEntries() && entries_[static_cast<std::size_t>(index)].checked;
}

void COptionMenu::popup() {
    if (CFrame* frame = getFrame()) {
        frame->popupMenu(this, getViewSize());
    }
}

void COptionMenu::choose(int index) {
    if (index < 0 || index >= getNbEntries() || isSeparator(index) || getSubMenu(index) != nullptr) {
        return;
    }
    current_ = index;
    setValue(static_cast<float>(index));
    recordChoice(this, index);
    for (COptionMenu* menu = this; menu != nullptr; menu = menu->parentMenu_) {
        if (menu->listener_ != nullptr) {
            menu->listener_->valueChanged(menu);
            return;
        }
    }
}

void COptionMenu::recordChoice(COptionMenu* menu, int index) {
    for (COptionMenu* level = this; level != nullptr; level = level->parentMenu_) {
        level->lastMenu_ = menu;
        level->lastResult_ = index;
    }
}

COptionMenu* COptionMenu::getLastItemMenu(int& index) const {
    index = lastResult_;
    return lastMenu_;
}

CMouseEventResult COptionMenu::onMouseDown(CPoint& /*where*/, const CButtonState& buttons) {
    if ((buttons & (kLButton | kRButton)) == 0) {
        return CMouseEventResult::kMouseEventNotHandled;
    }
    popup();
    return CMouseEventResult::kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

void COptionMenu::draw(CDrawContext& context) {
    // The panel's menu buttons carry their own pictures: only the background is drawn, the
    // entries appear in the pop-up.
    CView::draw(context);
}

const COptionMenu& COptionMenu::rootMenu() const {
    const COptionMenu* root = this;
    while (root->parentMenu_ != nullptr) {
        root = root->parentMenu_;
    }
    return *root;
}

void COptionMenu::closeOpenPopup() {
    CFrame* frame = rootMenu().getFrame();
    if (frame != nullptr && frame->openPopup() != nullptr && frame->openPopup()->showsMenu(this)) {
        frame->closePopup();
    }
}

}  // namespace vexo
