#include "editor/controls/PatchDisplay.h"

#include <utility>

namespace vexo {

namespace {

constexpr CColor kPatchTextColor{236, 236, 230, 255};

}  // namespace

PatchDisplay::PatchDisplay(const CRect& size, CControlListener* listener, std::int32_t tag, const std::string& text,
                           SharedBitmap background)
    : CTextEdit(size, listener, tag, text, std::move(background)) {
    setMouseEnabled(false);
    setFontColor(kPatchTextColor);
    setBackColor(kTransparentCColor);
    setHoriAlign(CHoriTxtAlign::kLeftText);
}

}  // namespace vexo
