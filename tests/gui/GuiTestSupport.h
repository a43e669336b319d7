// Helpers of the toolkit tests: images of solid stacked states, a listener that records what
// controls tell it, and a frame rendering offscreen.
#pragma once

#include <cairo.h>

#include <memory>
#include <ostream>
#include <vector>

#include "gui/Control.h"
#include "gui/Frame.h"

namespace vexo {

inline std::ostream& operator<<(std::ostream& out, const CColor& c) {
    return out << "rgba(" << int(c.red) << "," << int(c.green) << "," << int(c.blue) << "," << int(c.alpha) << ")";
}
inline std::ostream& operator<<(std::ostream& out, const CRect& r) {
    return out << "[" << r.left << "," << r.top << " - " << r.right << "," << r.bottom << ")";
}

}  // namespace vexo

namespace vexo::test {

// An image of count states stacked vertically, each width x stateHeight in one solid colour.
inline SharedBitmap stackedImage(int width, int stateHeight, const std::vector<CColor>& states) {
    auto image = std::make_shared<CBitmap>(width, stateHeight * static_cast<int>(states.size()));
    cairo_t* cr = cairo_create(image->surface());
    for (std::size_t i = 0; i < states.size(); ++i) {
        const CColor& c = states[i];
        cairo_set_source_rgba(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0);
        cairo_rectangle(cr, 0, static_cast<double>(i) * stateHeight, width, stateHeight);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    return image;
}

struct RecordingListener : CControlListener {
    std::vector<float> values;
    std::vector<CControl*> controls;
    int begins = 0;
    int ends = 0;
    std::int32_t modifierAnswer = 0;

    void valueChanged(CControl* control) override {
        values.push_back(control->getValue());
        controls.push_back(control);
    }
    std::int32_t controlModifierClicked(CControl*, CButtonState) override { return modifierAnswer; }
    void controlBeginEdit(CControl*) override { ++begins; }
    void controlEndEdit(CControl*) override { ++ends; }
};

// A frame of the given size on the offscreen back-end, with a grey background.
struct OffscreenFrame {
    explicit OffscreenFrame(int width, int height, CRect screen = {-400, -400, 1600, 1200})
        : frame(std::make_unique<CFrame>(CRect(0, 0, width, height), nullptr)) {
        auto owned = std::make_unique<OffscreenPlatform>(screen);
        platform = owned.get();
        frame->setPlatform(std::move(owned));
        frame->setBackgroundColor(kGrey);
    }
    void click(CPoint where, CButtonState buttons = kLButton) {
        frame->handleMouseDown(where, buttons);
        frame->handleMouseUp(where, buttons);
    }
    CColor pixel(int x, int y) {
        frame->updateDirty();
        return frame->image().pixel(x, y);
    }

    static constexpr CColor kGrey{90, 90, 90, 255};
    std::unique_ptr<CFrame> frame;
    OffscreenPlatform* platform;
};

constexpr CColor kRed{220, 30, 30, 255};
constexpr CColor kGreen{30, 200, 60, 255};
constexpr CColor kBlue{30, 60, 220, 255};

}  // namespace vexo::test
