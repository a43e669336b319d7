#include "editor/dialogs/DialogHost.h"

#include <algorithm>

#include "gui/Frame.h"

namespace vexo {

namespace {

// Lies over the whole panel, draws nothing and takes every click and wheel turn; keys pass
// on to the host.
class InputShield : public CView {
public:
    explicit InputShield(const CRect& size) : CView(size) { setTransparency(true); }
    void draw(CDrawContext& /*context*/) override {}
    CMouseEventResult onMouseDown(CPoint& /*where*/, const CButtonState& /*buttons*/) override {
        return CMouseEventResult::kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }
    bool onWheel(const CPoint& /*where*/, float /*distance*/, const CButtonState& /*buttons*/) override { return true; }
};

}  // namespace

DialogHost::~DialogHost() {
    detach();
}

void DialogHost::attach(CFrame& panel, unsigned long parentWindow, bool offscreen) {
    detach();
    panel_ = &panel;
    parentWindow_ = parentWindow;
    offscreen_ = offscreen;
}

void DialogHost::detach() {
    // Cancelled first, destroyed after: a dialog's answer may still reach another one.
    for (std::size_t i = 0; i < dialogs_.size(); ++i) {
        Dialog& dialog = *dialogs_[i];
        if (!dialog.isClosed()) {
            dialog.frame().setInputEnabled(true);
            dialog.frame().cancel();
        }
    }
    dialogs_.clear();
    shieldPanel(false);
    panel_ = nullptr;
}

bool DialogHost::show(std::unique_ptr<Dialog> dialog) {
    if (panel_ == nullptr || !dialog) {
        return false;
    }
    if (offscreen_) {
        dialog->showOffscreen();
    } else if (!dialog->showInWindow(parentWindow_)) {
        return false;
    }
    for (const auto& below : dialogs_) {
        below->frame().setInputEnabled(false);
    }
    dialogs_.push_back(std::move(dialog));
    shieldPanel(true);
    return true;
}

void DialogHost::idle(std::uint32_t nowMs) {
    // By index: a dialog may open another one (a question) while it is served.
    for (std::size_t i = 0; i < dialogs_.size(); ++i) {
        dialogs_[i]->frame().setInputEnabled(i + 1 == dialogs_.size());
        dialogs_[i]->idle(nowMs);
    }
    dropClosed();
}

void DialogHost::dropClosed() {
    std::erase_if(dialogs_, [](const std::unique_ptr<Dialog>& dialog) { return dialog->isClosed(); });
    if (!dialogs_.empty()) {
        dialogs_.back()->frame().setInputEnabled(true);
    } else {
        shieldPanel(false);
    }
}

void DialogHost::shieldPanel(bool on) {
    if (panel_ == nullptr || on == (shield_ != nullptr)) {
        return;
    }
    if (on) {
        panel_->closePopup();
        shield_ = new InputShield(panel_->getViewSize());
        panel_->addView(shield_);
    } else {
        panel_->removeView(shield_);
        shield_ = nullptr;
    }
}

}  // namespace vexo
