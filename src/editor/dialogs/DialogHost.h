// The editor's open dialogs: shown as windows transient for the host's window (or offscreen
// when the editor renders offscreen), served from the editor's idle calls, the topmost one
// taking the input. While any is open the panel takes no input (a transparent shield over
// it eats the clicks), so the dialogs are modal to the editor but never to the host.
// User-interface thread.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "gui/dialog/Dialog.h"

namespace vexo {

class CFrame;
class CView;

class DialogHost {
public:
    DialogHost() = default;
    ~DialogHost();
    DialogHost(const DialogHost&) = delete;
    DialogHost& operator=(const DialogHost&) = delete;

    // The editor opened its panel. parentWindow: the host's X window id that holds it.
    void attach(CFrame& panel, unsigned long parentWindow, bool offscreen);
    // The editor closes: every dialog is cancelled as if its window were closed, and goes.
    void detach();

    // Shows dialog and keeps it until it closes. False when it cannot be shown (no panel,
    // no window could be made); the dialog is dropped then.
    bool show(std::unique_ptr<Dialog> dialog);
    // From the editor's idle: serves every dialog, drops the closed ones, lifts the shield
    // from the panel when none is left.
    void idle(std::uint32_t nowMs);

    bool active() const { return !dialogs_.empty(); }
    // The topmost dialog, null when none is open.
    Dialog* top() const { return dialogs_.empty() ? nullptr : dialogs_.back().get(); }
    // The topmost open dialog of type T.
    template <class T>
    T* find() const {
        for (auto it = dialogs_.rbegin(); it != dialogs_.rend(); ++it) {
            if (auto* dialog = dynamic_cast<T*>(it->get()); dialog != nullptr && !dialog->isClosed()) {
                return dialog;
            }
        }
        return nullptr;
    }

private:
    void shieldPanel(bool on);
    void dropClosed();

    CFrame* panel_ = nullptr;
    unsigned long parentWindow_ = 0;
    bool offscreen_ = false;
    std::vector<std::unique_ptr<Dialog>> dialogs_;
    CView* shield_ = nullptr;  // owned by the panel while it is there
};

}  // namespace vexo
