// A dialog: its frame of widgets, shown in a window of its own (or offscreen), served from its
// owner's idle calls rather than from an event loop of its own, so that the host's interface
// never waits for it. Concrete dialogs build their widgets into frame(), listen to them and
// close() when done; the owner drops a closed dialog. User-interface thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "gui/Bitmap.h"
#include "gui/Control.h"
#include "gui/dialog/DialogFrame.h"

namespace vexo {

class Dialog : public CControlListener {
public:
    // The period of timer().
    static constexpr std::uint32_t kTimerMs = 50;

    Dialog(int width, int height, std::string title);
    ~Dialog() override;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Shows the dialog in a top-level window, transient for the host's window that holds
    // parentWindow (an X window id, 0 for none). False when no window could be made.
    bool showInWindow(unsigned long parentWindow);
    // Renders into the frame image only (tests, screenshots).
    void showOffscreen();

    // From the owner's idle calls: the window's events, the timer, the tooltip delay, redraws.
    // A window that went away (closed by the user, or its display lost) cancels the dialog.
    void idle(std::uint32_t nowMs);
    bool isClosed() const { return closed_; }

    DialogFrame& frame() { return *frame_; }
    const std::string& title() const { return title_; }
    // The dialog as it looks now, with an open drop-down list over it.
    SharedBitmap snapshot();

protected:
    // Ends the dialog; the window goes when the owner drops it.
    void close() { closed_ = true; }
    // Every kTimerMs while open.
    virtual void timer() {}

private:
    std::string title_;
    std::unique_ptr<DialogFrame> frame_;
    bool closed_ = false;
    bool timerStarted_ = false;
    std::uint32_t lastTimerMs_ = 0;
};

}  // namespace vexo
