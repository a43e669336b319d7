// The LV2 X11 UI: the editor of the plug-in instance the host hands over through
// instance-access, opened in the host's ui:parent window. The host's idle calls serve it;
// parameter edits made in it reach the host through the UI's write function on the
// control ports (and ui:touch around drags where the host offers it). Everything here runs
// on the host's user-interface thread.
#pragma once

#include <lv2/ui/ui.h>

namespace vexo::lv2 {

class Lv2Plugin;

class Lv2Ui {
public:
    Lv2Ui(Lv2Plugin& instance, LV2UI_Write_Function write, LV2UI_Controller controller, const LV2UI_Touch* touch);
    // Closes the editor and gives the instance free for another UI.
    ~Lv2Ui();
    Lv2Ui(const Lv2Ui&) = delete;
    Lv2Ui& operator=(const Lv2Ui&) = delete;

    // Opens the editor in parent (0: a window of its own); widget receives the editor's
    // window, resize (if any) its size. False when no window could be made.
    bool open(unsigned long parent, LV2UI_Widget* widget, const LV2UI_Resize* resize);
    // Non-zero once the editor's window is gone.
    int idle();

private:
    void passEditsToHost();

    Lv2Plugin& instance_;
    LV2UI_Write_Function write_;
    LV2UI_Controller controller_;
    const LV2UI_Touch* touch_;
};

}  // namespace vexo::lv2
