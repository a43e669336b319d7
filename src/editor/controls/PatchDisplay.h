// The read-only line that shows the current pattern file's name.
#pragma once

#include <string>

#include "gui/Controls.h"

namespace vexo {

class PatchDisplay : public CTextEdit {
public:
    // Takes no mouse input, so clicks reach the pattern library menu below it. Light text on
    // a transparent background, left-aligned.
    PatchDisplay(const CRect& size, CControlListener* listener, std::int32_t tag, const std::string& text = {},
                 SharedBitmap background = nullptr);
};

}  // namespace vexo
