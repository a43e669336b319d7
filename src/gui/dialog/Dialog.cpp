#include "gui/dialog/Dialog.h"

#include "gui/dialog/DialogWindow.h"

namespace vexo {

Dialog::Dialog(int width, int height, std::string title)
    : title_(std::move(title)), frame_(std::make_unique<DialogFrame>(CRect(0, 0, width, height))) {}

Dialog::~Dialog() = default;

bool Dialog::showInWindow(unsigned long parentWindow) {
    std::unique_ptr<FramePlatform> window = createDialogWindow(*frame_, parentWindow, title_);
    if (!window) {
        return false;
    }
    frame_->setPlatform(std::move(window));
    frame_->redrawAll();
    return true;
}

void Dialog::showOffscreen() {
    // Drop-down lists open inside the dialog, as they do in its window.
    frame_->setPlatform(std::make_unique<OffscreenPlatform>(dialogPopupBounds(*frame_)));
    frame_->redrawAll();
}

void Dialog::idle(std::uint32_t nowMs) {
    if (closed_) {
        return;
    }
    if (FramePlatform* platform = frame_->getPlatform()) {
        platform->processEvents(*frame_);
        if (!closed_ && !platform->isAlive()) {
            frame_->cancel();
            close();
        }
    }
    if (closed_) {
        return;
    }
    if (!timerStarted_) {
        timerStarted_ = true;
        lastTimerMs_ = nowMs;
    } else if (nowMs - lastTimerMs_ >= kTimerMs) {
        lastTimerMs_ = nowMs;
        timer();
    }
    frame_->tick(nowMs);
    frame_->updateDirty();
}

SharedBitmap Dialog::snapshot() {
    frame_->redrawAll();
    return composeDialogImage(*frame_, frame_->getViewSize());
}

}  // namespace vexo
