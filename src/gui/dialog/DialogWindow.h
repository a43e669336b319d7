// Presentations of a dialog frame: a top-level X11 window of its own, and the image of a
// dialog with its open drop-down list painted over it.
#pragma once

#include <memory>
#include <string>

#include "gui/Bitmap.h"
#include "gui/Frame.h"

namespace vexo {

class DialogFrame;

// A top-level window showing frame, on a display connection of its own: transient for the
// host's top-level window that holds parentWindow (an X window id; 0 or a window that is gone:
// no owner), typed as a dialog, centred over its owner, with a fixed size. Its events are
// handled when the frame's owner calls processEvents: pointer and keys go to the frame's dialog
// input, the window manager's close request presses the cancel button. Drop-down lists open
// inside the window. Null when no display can be opened. User-interface thread.
std::unique_ptr<FramePlatform> createDialogWindow(DialogFrame& frame, unsigned long parentWindow,
                                                  const std::string& title);

// Where the pop-ups of a dialog open: inside its frame, a little off the edges.
CRect dialogPopupBounds(const CFrame& frame);

// area of the frame image with the frame's open pop-up drawn over it (pop-ups of a dialog
// open inside its frame).
SharedBitmap composeDialogImage(const CFrame& frame, const CRect& area);

}  // namespace vexo
