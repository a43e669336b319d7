// The look of the dialogs: a light system-dialog theme (grey window, white fields, blue
// accents and focus ring, 12-pixel sans text) and the painting helpers the widgets share.
// Strokes are placed on half pixels so that 1-pixel lines stay crisp at 1x.
#pragma once

#include <string>

#include "gui/DrawContext.h"
#include "gui/Geometry.h"

namespace vexo::theme {

constexpr CColor kWindow{240, 240, 241, 255};
constexpr CColor kText{28, 29, 33, 255};
constexpr CColor kDisabledText{150, 151, 156, 255};
constexpr CColor kFieldBackground{255, 255, 255, 255};
constexpr CColor kBorder{158, 160, 167, 255};
constexpr CColor kBorderHover{118, 120, 128, 255};
constexpr CColor kGroupLine{206, 207, 212, 255};
constexpr CColor kFaceTop{252, 252, 253, 255};
constexpr CColor kFaceBottom{232, 233, 236, 255};
constexpr CColor kFacePressed{214, 216, 221, 255};
constexpr CColor kAccent{47, 111, 214, 255};
constexpr CColor kAccentDark{33, 86, 176, 255};
constexpr CColor kAccentText{255, 255, 255, 255};
constexpr CColor kFocusRing{47, 111, 214, 140};
constexpr CColor kSelection{47, 111, 214, 255};
constexpr CColor kSelectionInactive{205, 214, 230, 255};
constexpr CColor kTrack{204, 206, 211, 255};
constexpr CColor kTooltipBackground{255, 255, 225, 255};
constexpr CColor kTooltipBorder{118, 118, 118, 255};

constexpr double kFontHeight = 12.0;
constexpr int kCornerRadius = 3;
// Height of one line of controls (check boxes, radio buttons, list rows).
constexpr int kRowHeight = 22;
constexpr int kButtonHeight = 26;
constexpr int kFieldHeight = 24;

// A rounded rectangle path inside rect, inset by inset pixels (0.5 for a crisp 1-pixel stroke).
void roundedPath(CDrawContext& context, const CRect& rect, double radius, double inset);
void fillRounded(CDrawContext& context, const CRect& rect, double radius, const CColor& color);
void strokeRounded(CDrawContext& context, const CRect& rect, double radius, const CColor& color,
                   double lineWidth = 1.0);
// A face shaded from top to bottom with a border (push buttons, arrows, thumbs).
void drawFace(CDrawContext& context, const CRect& rect, bool pressed, bool hovered, bool enabled);
// The keyboard focus: a soft two-pixel ring just outside rect.
void drawFocusRing(CDrawContext& context, const CRect& rect, double radius = kCornerRadius);
// A white field with a border (edit fields, lists, drop-down lists).
void drawField(CDrawContext& context, const CRect& rect, bool enabled);
void drawText(CDrawContext& context, const std::string& text, const CRect& rect, const CColor& color,
              CHoriTxtAlign align = CHoriTxtAlign::kLeftText, bool bold = false);
// A small chevron pointing down (up when up is true) centred in rect.
void drawChevron(CDrawContext& context, const CRect& rect, bool up, const CColor& color);
double textWidth(const std::string& text, bool bold = false);

}  // namespace vexo::theme
