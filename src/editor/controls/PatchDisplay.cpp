#include "editor/controls/PatchDisplay.h"

#include <algorithm>
#include <utility>

namespace vexo {

namespace {

constexpr CColor kPatchTextColor{236, 236, 230, 255};
// The file name fills about half the window's height, so it grows with larger skins.
constexpr double kTextShareOfHeight = 0.5;

}  // namespace

PatchDisplay::PatchDisplay(const CRect& size, CControlListener* listener, std::int32_t tag, const std::string& text,
                           SharedBitmap background)
    : CTextEdit(size, listener, tag, text, std::move(background)) {
    setMouseEnabled(false);
    setFontColor(kPatchTextColor);
    setBackColor(kTransparentCColor);
    setHoriAlign(CHoriTxtAlign::kLeftText);
    setFontHeight(std::max(kSmallFontHeight, size.height() * kTextShareOfHeight));
}

}  // namespace vexo
