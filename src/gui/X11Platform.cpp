// The X11 back-end: a window of our own Display connection showing the frame image, its
// events handled in the editor's idle calls, pop-up menus as override-redirect windows.
//
// Threads: everything runs on the thread that calls the editor (the host's user-interface
// thread). Our connection is never shared with another thread, so XInitThreads is not needed
// (libX11 1.8 enables thread support by itself anyway, and calling it from a plug-in after the
// host opened its own connections would be unsafe).
//
// X errors and a lost connection: see gui/X11Support.h. Every call on the connection runs
// under an X11ErrorTrap ending with a round trip; isAlive() turns false once the connection is
// broken, and the platform then makes no further requests except closing the connection.
//
// Drawing: the frame and the menus are painted into cairo images and copied to the windows with
// XPutImage, only the area that changed. (cairo's own xlib surfaces would upload through shared
// memory but keep a little memory of every display connection after it is closed.)
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo.h>

#include <bitset>
#include <cstdlib>
#include <vector>

#include "gui/Frame.h"
#include "gui/X11Support.h"

namespace vexo {
namespace {

constexpr long kFrameEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                                 KeyReleaseMask | EnterWindowMask | LeaveWindowMask | StructureNotifyMask;
constexpr long kPopupEventMask =
    ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask | KeyReleaseMask;
constexpr unsigned kPointerGrabMask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
constexpr Time kDoubleClickMilliseconds = 400;
constexpr int kDoubleClickSlopPixels = 4;

class X11Platform final : public FramePlatform {
public:
    static std::unique_ptr<FramePlatform> create(unsigned long parentWindow, int width, int height, const char* title);
    ~X11Platform() override;

    void present(const CBitmap& image, const CRect& area) override;
    void processEvents(CFrame& frame) override;
    void resize(int width, int height) override;
    void showPopup(MenuPopup& popup) override;
    void hidePopup() override;
    CRect popupBounds() const override;
    bool isAlive() const override { return !connection_->broken && window_ != 0; }
    unsigned long nativeWindow() const override { return window_; }

private:
    X11Platform() : connection_(std::make_unique<X11Connection>()) {}
    bool open(unsigned long parentWindow, int width, int height, const char* title);
    void handleEvent(CFrame& frame, XEvent& event);
    // Frame coordinates of a pointer event, whichever of our windows reported it.
    CPoint framePoint(Window window, int x, int y, int rootX, int rootY) const;
    CPoint frameOriginOnRoot() const;
    void paintPopupLevel(std::size_t level);
    void destroyPopupWindow();
    void forwardKeyToParent(const XEvent& event);

    Display* display() const { return connection_->display; }

    // Stable address: Xlib's exit handler keeps a pointer to it.
    std::unique_ptr<X11Connection> connection_;
    Window root_ = 0;
    int screen_ = 0;
    Window parent_ = 0;
    Window window_ = 0;
    bool topLevel_ = false;
    WindowTarget frameTarget_;
    Atom wmProtocols_ = 0;
    Atom wmDeleteWindow_ = 0;
    CRect exposed_;

    MenuPopup* popup_ = nullptr;
    std::vector<Window> popupWindows_;
    // The pop-ups are children of the root window, with its visual and depth.
    WindowTarget popupTarget_;
    CPoint popupOrigin_;
    bool grabbed_ = false;

    Time lastPressTime_ = 0;
    unsigned lastPressButton_ = 0;
    CPoint lastPressAt_;
    // Key codes whose press the frame used (X key codes are 8..255).
    std::bitset<256> keysTaken_;
};

std::unique_ptr<FramePlatform> X11Platform::create(unsigned long parentWindow, int width, int height,
                                                   const char* title) {
    std::unique_ptr<X11Platform> platform(new X11Platform());
    if (!platform->open(parentWindow, width, height, title)) {
        return nullptr;
    }
    return platform;
}

bool X11Platform::open(unsigned long parentWindow, int width, int height, const char* title) {
    if (!openX11Connection(*connection_, nullptr)) {
        return false;
    }
    X11ErrorTrap trap(*connection_);

    topLevel_ = parentWindow == 0;
    parent_ = topLevel_ ? DefaultRootWindow(display()) : static_cast<Window>(parentWindow);
    XWindowAttributes parentAttributes;
    // A round trip: a parent that does not exist fails here with BadWindow, caught by the trap.
    if (XGetWindowAttributes(display(), parent_, &parentAttributes) == 0 || connection_->errors > 0) {
        return false;
    }
    // The parent's screen, which need not be the default one.
    root_ = parentAttributes.root;
    screen_ = XScreenNumberOfScreen(parentAttributes.screen);
    frameTarget_.visual = parentAttributes.visual;
    frameTarget_.depth = parentAttributes.depth;
    popupTarget_.visual = DefaultVisual(display(), screen_);
    popupTarget_.depth = DefaultDepth(display(), screen_);

    XSetWindowAttributes attributes{};
    // No background: the server leaves exposed areas alone until we copy the frame image, so
    // nothing flashes.
    attributes.background_pixmap = None;
    attributes.bit_gravity = NorthWestGravity;
    attributes.event_mask = kFrameEventMask;
    window_ = XCreateWindow(display(), parent_, 0, 0, static_cast<unsigned>(std::max(width, 1)),
                            static_cast<unsigned>(std::max(height, 1)), 0, CopyFromParent, InputOutput, CopyFromParent,
                            CWBackPixmap | CWBitGravity | CWEventMask, &attributes);
    if (topLevel_) {
        XStoreName(display(), window_, title);
        wmProtocols_ = XInternAtom(display(), "WM_PROTOCOLS", False);
        wmDeleteWindow_ = XInternAtom(display(), "WM_DELETE_WINDOW", False);
        XSetWMProtocols(display(), window_, &wmDeleteWindow_, 1);
        XSizeHints* hints = XAllocSizeHints();
        hints->flags = PMinSize | PMaxSize;
        hints->min_width = hints->max_width = width;
        hints->min_height = hints->max_height = height;
        XSetWMNormalHints(display(), window_, hints);
        XFree(hints);
    }
    XMapWindow(display(), window_);
    frameTarget_.gc = XCreateGC(display(), window_, 0, nullptr);
    popupTarget_.gc = XCreateGC(display(), root_, 0, nullptr);
    XSync(display(), False);
    return connection_->errors == 0 && !connection_->broken;
}

X11Platform::~X11Platform() {
    if (display() == nullptr) {
        return;
    }
    {
        X11ErrorTrap trap(*connection_);
        hidePopup();
        // GCs are client memory too: freed even when the server is gone.
        for (GC gc : {frameTarget_.gc, popupTarget_.gc}) {
            if (gc != nullptr) {
                XFreeGC(display(), gc);
            }
        }
        if (window_ != 0 && !connection_->broken) {
            XDestroyWindow(display(), window_);
        }
    }
    closeX11Connection(*connection_);
}

void X11Platform::present(const CBitmap& image, const CRect& area) {
    if (!isAlive() || area.isEmpty()) {
        return;
    }
    X11ErrorTrap trap(*connection_);
    copyToWindow(display(), window_, frameTarget_, image, area, area.topLeft());
}

void X11Platform::processEvents(CFrame& frame) {
    if (!isAlive()) {
        return;
    }
    {
        X11ErrorTrap trap(*connection_);
        // XPending reads what has arrived without waiting; each event may change the frame.
        while (!connection_->broken && window_ != 0 && XPending(display()) > 0) {
            XEvent event;
            XNextEvent(display(), &event);
            if (event.type == MotionNotify) {
                // Only the latest of a run of moves matters; a different event ends the run.
                XEvent next;
                while (XEventsQueued(display(), QueuedAlready) > 0) {
                    XPeekEvent(display(), &next);
                    if (next.type != MotionNotify || next.xmotion.window != event.xmotion.window) {
                        break;
                    }
                    XNextEvent(display(), &event);
                }
            }
            handleEvent(frame, event);
        }
    }
    if (!exposed_.isEmpty()) {
        const CRect area = exposed_;
        exposed_ = {};
        present(frame.image(), area);
    }
}

CPoint X11Platform::framePoint(Window window, int x, int y, int rootX, int rootY) const {
    if (window == window_) {
        return {x, y};
    }
    // Reported to a pop-up window (the grab's): root coordinates relative to the frame.
    return {rootX - popupOrigin_.x, rootY - popupOrigin_.y};
}

void X11Platform::handleEvent(CFrame& frame, XEvent& event) {
    switch (event.type) {
        case Expose:
            if (event.xexpose.window == window_) {
                exposed_ = exposed_.united(
                    CRect::fromSize(event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height));
            } else {
                for (std::size_t level = 0; level < popupWindows_.size(); ++level) {
                    if (popupWindows_[level] == event.xexpose.window && event.xexpose.count == 0) {
                        paintPopupLevel(level);
                    }
                }
            }
            return;
        case ButtonPress: {
            const XButtonEvent& press = event.xbutton;
            const CPoint where = framePoint(press.window, press.x, press.y, press.x_root, press.y_root);
            if (press.button == Button4 || press.button == Button5) {
                frame.handleWheel(where, press.button == Button4 ? 1.0f : -1.0f, buttonsOf(press.state));
                return;
            }
            const CButtonState button = buttonBit(press.button);
            if (button == 0) {
                return;  // sideways wheel and extra buttons: nothing here uses them
            }
            CButtonState buttons = buttonsOf(press.state) | button;
            if (press.button == lastPressButton_ && press.time - lastPressTime_ <= kDoubleClickMilliseconds &&
                std::abs(where.x - lastPressAt_.x) <= kDoubleClickSlopPixels &&
                std::abs(where.y - lastPressAt_.y) <= kDoubleClickSlopPixels) {
                buttons |= kDoubleClick;
                lastPressButton_ = 0;
            } else {
                lastPressButton_ = press.button;
            }
            lastPressTime_ = press.time;
            lastPressAt_ = where;
            frame.handleMouseDown(where, buttons);
            return;
        }
        case ButtonRelease: {
            const XButtonEvent& release = event.xbutton;
            if (buttonBit(release.button) == 0) {
                return;
            }
            frame.handleMouseUp(framePoint(release.window, release.x, release.y, release.x_root, release.y_root),
                                buttonsOf(release.state) | buttonBit(release.button));
            return;
        }
        case MotionNotify: {
            const XMotionEvent& motion = event.xmotion;
            frame.handleMouseMoved(framePoint(motion.window, motion.x, motion.y, motion.x_root, motion.y_root),
                                   buttonsOf(motion.state));
            return;
        }
        case EnterNotify:
            // The pointer position decides where keys go; nothing in the frame tracks hovering,
            // so leaving needs no handling.
            if (event.xcrossing.window == window_ && popup_ == nullptr) {
                frame.handleMouseMoved({event.xcrossing.x, event.xcrossing.y}, buttonsOf(event.xcrossing.state));
            }
            return;
        case KeyPress:
        case KeyRelease: {
            const VstKeyCode key = keyCodeOf(event.xkey);
            const unsigned keycode = event.xkey.keycode % keysTaken_.size();
            if (event.type == KeyPress) {
                const bool used = frame.handleKeyDown(key);
                keysTaken_[keycode] = used;
                if (!used) {
                    forwardKeyToParent(event);
                }
                return;
            }
            // The release follows its press: the host hears of it only when it heard the press.
            const bool used = frame.handleKeyUp(key);
            if (!used && !keysTaken_[keycode]) {
                forwardKeyToParent(event);
            }
            keysTaken_[keycode] = false;
            return;
        }
        case ClientMessage:
            if (event.xclient.message_type == wmProtocols_ &&
                static_cast<Atom>(event.xclient.data.l[0]) == wmDeleteWindow_) {
                // Our own top-level window closed by the user: it goes, the frame stays until
                // its owner destroys it.
                frame.closePopup();
                XDestroyWindow(display(), window_);
            }
            return;
        case DestroyNotify:
            if (event.xdestroywindow.window == window_) {
                // Gone with its parent (the host closed its window first) or closed above.
                window_ = 0;
            }
            return;
        case MappingNotify:
            XRefreshKeyboardMapping(&event.xmapping);
            return;
        default:
            return;
    }
}

void X11Platform::forwardKeyToParent(const XEvent& event) {
    // A key the panel does not use goes on to the host's window, as it would had our window
    // not selected key events, so host shortcuts keep working over the panel.
    if (topLevel_ || popup_ != nullptr || event.xkey.window != window_) {
        return;
    }
    XEvent forwarded = event;
    forwarded.xkey.window = parent_;
    forwarded.xkey.subwindow = window_;
    XSendEvent(display(), parent_, True, event.type == KeyPress ? KeyPressMask : KeyReleaseMask, &forwarded);
}

void X11Platform::resize(int width, int height) {
    if (!isAlive() || width <= 0 || height <= 0) {
        return;
    }
    X11ErrorTrap trap(*connection_);
    XResizeWindow(display(), window_, static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (topLevel_) {
        XSizeHints* hints = XAllocSizeHints();
        hints->flags = PMinSize | PMaxSize;
        hints->min_width = hints->max_width = width;
        hints->min_height = hints->max_height = height;
        XSetWMNormalHints(display(), window_, hints);
        XFree(hints);
    }
}

CPoint X11Platform::frameOriginOnRoot() const {
    int x = 0;
    int y = 0;
    Window child = 0;
    if (window_ == 0 || !XTranslateCoordinates(display(), window_, root_, 0, 0, &x, &y, &child)) {
        return {};
    }
    return {x, y};
}

CRect X11Platform::popupBounds() const {
    if (!isAlive()) {
        return {};
    }
    X11ErrorTrap trap(*connection_);
    const CPoint origin = frameOriginOnRoot();
    return CRect(-origin.x, -origin.y, DisplayWidth(display(), screen_) - origin.x,
                 DisplayHeight(display(), screen_) - origin.y);
}

void X11Platform::showPopup(MenuPopup& popup) {
    if (!isAlive()) {
        return;
    }
    X11ErrorTrap trap(*connection_);
    if (popup_ != &popup) {
        hidePopup();
        popup_ = &popup;
        popupOrigin_ = frameOriginOnRoot();
    }
    const auto levels = static_cast<std::size_t>(popup.levelCount());
    while (popupWindows_.size() > levels) {
        destroyPopupWindow();
    }
    for (std::size_t level = 0; level < levels; ++level) {
        CRect rect = popup.levelRect(static_cast<int>(level));
        rect.offset(popupOrigin_.x, popupOrigin_.y);
        const auto width = static_cast<unsigned>(std::max(rect.width(), 1));
        const auto height = static_cast<unsigned>(std::max(rect.height(), 1));
        if (level == popupWindows_.size()) {
            XSetWindowAttributes attributes{};
            // Override-redirect: placed exactly where we say, no window manager frame.
            attributes.override_redirect = True;
            attributes.save_under = True;
            attributes.background_pixmap = None;
            attributes.event_mask = kPopupEventMask;
            const Window window = XCreateWindow(
                display(), root_, rect.left, rect.top, width, height, 0, CopyFromParent, InputOutput, CopyFromParent,
                CWOverrideRedirect | CWSaveUnder | CWBackPixmap | CWEventMask, &attributes);
            XMapRaised(display(), window);
            popupWindows_.push_back(window);
        } else {
            XMoveResizeWindow(display(), popupWindows_[level], rect.left, rect.top, width, height);
            XRaiseWindow(display(), popupWindows_[level]);
        }
        paintPopupLevel(level);
    }
    if (!grabbed_ && !popupWindows_.empty()) {
        // While the menu is open every click and key is ours: a click elsewhere closes it.
        const int pointer = XGrabPointer(display(), popupWindows_.front(), False, kPointerGrabMask, GrabModeAsync,
                                         GrabModeAsync, None, None, CurrentTime);
        grabbed_ = pointer == GrabSuccess;
        XGrabKeyboard(display(), popupWindows_.front(), False, GrabModeAsync, GrabModeAsync, CurrentTime);
    }
}

void X11Platform::paintPopupLevel(std::size_t level) {
    if (popup_ == nullptr || level >= popupWindows_.size() || static_cast<int>(level) >= popup_->levelCount()) {
        return;
    }
    const CRect rect = popup_->levelRect(static_cast<int>(level));
    // Painted whole into an image first, then copied: the window never shows a half-drawn menu.
    CBitmap image(rect.width(), rect.height());
    cairo_t* cr = cairo_create(image.surface());
    cairo_translate(cr, -rect.left, -rect.top);
    {
        CDrawContext context(cr);
        popup_->drawLevel(context, static_cast<int>(level));
    }
    cairo_destroy(cr);
    copyToWindow(display(), popupWindows_[level], popupTarget_, image, CRect(0, 0, rect.width(), rect.height()), {});
}

void X11Platform::destroyPopupWindow() {
    if (!connection_->broken) {
        XDestroyWindow(display(), popupWindows_.back());
    }
    popupWindows_.pop_back();
}

void X11Platform::hidePopup() {
    if (popup_ == nullptr && popupWindows_.empty()) {
        return;
    }
    X11ErrorTrap trap(*connection_);
    if (grabbed_ && !connection_->broken) {
        XUngrabPointer(display(), CurrentTime);
        XUngrabKeyboard(display(), CurrentTime);
    }
    grabbed_ = false;
    while (!popupWindows_.empty()) {
        destroyPopupWindow();
    }
    popup_ = nullptr;
}

}  // namespace

std::unique_ptr<FramePlatform> createX11Platform(unsigned long parentWindow, int width, int height, const char* title) {
    return X11Platform::create(parentWindow, width, height, title != nullptr ? title : "");
}

}  // namespace vexo
