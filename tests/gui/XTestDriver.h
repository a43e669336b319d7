// A user at a real X server, for the X11 tests: the test's own connection makes a parent
// window, moves the pointer and presses buttons through XTest, and reads the screen. Keeps
// the X headers (and their macros) out of the test sources.
#pragma once

#include <vector>

struct _XDisplay;

namespace vexo::test {

class XTestDriver {
public:
    // Connects to $DISPLAY.
    XTestDriver();
    ~XTestDriver();
    XTestDriver(const XTestDriver&) = delete;
    XTestDriver& operator=(const XTestDriver&) = delete;

    bool connected() const { return display_ != nullptr; }
    // A mapped top-level window at 0,0 of the screen in a solid 0xRRGGBB colour.
    unsigned long createWindow(int width, int height, unsigned long rgb);
    // The id of a window that existed once and is destroyed.
    unsigned long destroyedWindowId();
    // True when window has exactly one child and it is viewable.
    bool hasViewableChild(unsigned long window);
    // 0xRRGGBB of the screen as the user sees it.
    unsigned long screenPixel(int x, int y);
    void pointerTo(int x, int y);
    void button(unsigned number, bool down);

private:
    _XDisplay* display_ = nullptr;
    std::vector<unsigned long> windows_;
};

}  // namespace vexo::test
