// The panel picture (the skin's background) and the logo lettering it shares with the
// logo shimmer.
#pragma once

#include "Canvas.h"
#include "Layout.h"

namespace skingen {

void drawPanel(Canvas& canvas, const SkinLayout& layout);

// "VEXO" filling box; highlight (0..1, negative for none) sweeps a sheen across the letters.
void drawLogoLettering(cairo_t* cr, const Rect& box, double highlight);

}  // namespace skingen
