#include "XTestDriver.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace vexo::test {

XTestDriver::XTestDriver() : display_(XOpenDisplay(nullptr)) {}

XTestDriver::~XTestDriver() {
    if (display_ == nullptr) {
        return;
    }
    for (unsigned long window : windows_) {
        XDestroyWindow(display_, window);
    }
    XCloseDisplay(display_);
}

unsigned long XTestDriver::createWindow(int width, int height, unsigned long rgb) {
    const Window window = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, static_cast<unsigned>(width),
                                              static_cast<unsigned>(height), 0, 0, rgb);
    XMapWindow(display_, window);
    XSync(display_, False);
    windows_.push_back(window);
    return window;
}

unsigned long XTestDriver::destroyedWindowId() {
    const Window window = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 10, 10, 0, 0, 0);
    XDestroyWindow(display_, window);
    XSync(display_, False);
    return window;
}

bool XTestDriver::hasViewableChild(unsigned long window) {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    bool viewable = false;
    if (XQueryTree(display_, window, &root, &parent, &children, &count) != 0 && count == 1) {
        XWindowAttributes attributes;
        viewable = XGetWindowAttributes(display_, children[0], &attributes) != 0 && attributes.map_state == IsViewable;
    }
    if (children != nullptr) {
        XFree(children);
    }
    return viewable;
}

unsigned long XTestDriver::screenPixel(int x, int y) {
    XImage* image = XGetImage(display_, DefaultRootWindow(display_), x, y, 1, 1, AllPlanes, ZPixmap);
    const unsigned long pixel = XGetPixel(image, 0, 0) & 0xffffff;
    XDestroyImage(image);
    return pixel;
}

void XTestDriver::pointerTo(int x, int y) {
    XTestFakeMotionEvent(display_, DefaultScreen(display_), x, y, CurrentTime);
    XSync(display_, False);
}

void XTestDriver::button(unsigned number, bool down) {
    XTestFakeButtonEvent(display_, number, down ? True : False, CurrentTime);
    XSync(display_, False);
}

}  // namespace vexo::test
