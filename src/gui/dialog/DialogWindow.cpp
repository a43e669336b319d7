// The dialog's X11 window. Like the panel's back-end it uses a display connection of its own,
// only on the user-interface thread, and installs its X error handlers only around its own
// calls (gui/X11Support.h): errors of its requests are counted (a parent window that is gone
// must not end the host), errors of other connections go to the handlers installed before. A
// broken connection does not exit the process: the window then counts as gone.
#include "gui/dialog/DialogWindow.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo.h>

#include <algorithm>
#include <cstdlib>

#include "gui/X11Support.h"
#include "gui/dialog/DialogFrame.h"

namespace vexo {

namespace {

constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                            LeaveWindowMask | FocusChangeMask | StructureNotifyMask;
constexpr Time kDoubleClickMilliseconds = 400;
constexpr int kDoubleClickSlopPixels = 4;
// Ancestors searched for the host's top-level window.
constexpr int kMaxWindowDepth = 64;

class DialogWindow final : public FramePlatform {
public:
    explicit DialogWindow(DialogFrame& frame) : frame_(frame), connection_(std::make_unique<X11Connection>()) {}
    ~DialogWindow() override;
    bool open(unsigned long parentWindow, const std::string& title);

    void present(const CBitmap& image, const CRect& area) override;
    void processEvents(CFrame& frame) override;
    void resize(int width, int height) override;
    void showPopup(MenuPopup& popup) override;
    void hidePopup() override;
    CRect popupBounds() const override { return dialogPopupBounds(frame_); }
    bool isAlive() const override { return !connection_->broken && window_ != 0; }

private:
    Display* display() const { return connection_->display; }
    // The host's top-level window holding window: the outermost ancestor that the window
    // manager manages (WM_STATE), else the child of the root; 0 when window is gone.
    Window topLevelOf(Window window);
    CPoint centredOver(Window owner, int width, int height);
    void setSizeHints(int width, int height, const CPoint* position);
    void handle(XEvent& event);
    void copyToWindow(const CBitmap& image, const CRect& area, CPoint destination);

    DialogFrame& frame_;
    std::unique_ptr<X11Connection> connection_;  // stable address for the exit handler
    Window root_ = 0;
    Window window_ = 0;
    Visual* visual_ = nullptr;
    int depth_ = 0;
    GC gc_ = nullptr;
    Atom wmProtocols_ = 0;
    Atom wmDeleteWindow_ = 0;
    CRect exposed_;
    MenuPopup* popup_ = nullptr;
    CRect popupArea_;
    Time lastPressTime_ = 0;
    unsigned lastPressButton_ = 0;
    CPoint lastPressAt_;
};

bool DialogWindow::open(unsigned long parentWindow, const std::string& title) {
    if (!openX11Connection(*connection_, nullptr)) {
        return false;
    }
    X11ErrorTrap trap(*connection_);
    const int screen = DefaultScreen(display());
    root_ = RootWindow(display(), screen);
    visual_ = DefaultVisual(display(), screen);
    depth_ = DefaultDepth(display(), screen);
    const int width = frame_.getViewSize().width();
    const int height = frame_.getViewSize().height();

    Window owner = parentWindow != 0 ? topLevelOf(static_cast<Window>(parentWindow)) : 0;
    XSync(display(), False);
    if (connection_->errors > 0) {
        connection_->errors = 0;  // the parent is gone: a window without owner
        owner = 0;
    }
    const CPoint position = centredOver(owner, width, height);

    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None;
    attributes.bit_gravity = NorthWestGravity;
    attributes.event_mask = kEventMask;
    window_ = XCreateWindow(display(), root_, position.x, position.y, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                            CWBackPixmap | CWBitGravity | CWEventMask, &attributes);

    XStoreName(display(), window_, title.c_str());
    const Atom utf8 = XInternAtom(display(), "UTF8_STRING", False);
    XChangeProperty(display(), window_, XInternAtom(display(), "_NET_WM_NAME", False), utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));
    XClassHint classHint{const_cast<char*>("vexo"), const_cast<char*>("VEXO")};
    XSetClassHint(display(), window_, &classHint);
    if (owner != 0) {
        XSetTransientForHint(display(), window_, owner);
    }
    const Atom dialogType = XInternAtom(display(), "_NET_WM_WINDOW_TYPE_DIALOG", False);
    XChangeProperty(display(), window_, XInternAtom(display(), "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&dialogType), 1);
    wmProtocols_ = XInternAtom(display(), "WM_PROTOCOLS", False);
    wmDeleteWindow_ = XInternAtom(display(), "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display(), window_, &wmDeleteWindow_, 1);
    setSizeHints(width, height, &position);
    XWMHints* hints = XAllocWMHints();
    hints->flags = InputHint | StateHint;
    hints->input = True;
    hints->initial_state = NormalState;
    XSetWMHints(display(), window_, hints);
    XFree(hints);

    gc_ = XCreateGC(display(), window_, 0, nullptr);
    XMapRaised(display(), window_);
    XSync(display(), False);
    return connection_->errors == 0 && !connection_->broken;
}

DialogWindow::~DialogWindow() {
    if (display() == nullptr) {
        return;
    }
    {
        X11ErrorTrap trap(*connection_);
        if (gc_ != nullptr) {
            XFreeGC(display(), gc_);
        }
        if (window_ != 0 && !connection_->broken) {
            XDestroyWindow(display(), window_);
        }
    }
    closeX11Connection(*connection_);
}

Window DialogWindow::topLevelOf(Window window) {
    const Atom wmState = XInternAtom(display(), "WM_STATE", True);  // None: no window manager ever ran
    Window managed = 0;
    Window current = window;
    for (int depth = 0; depth < kMaxWindowDepth; ++depth) {
        if (wmState != None) {
            Atom type = None;
            int format = 0;
            unsigned long items = 0;
            unsigned long after = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(display(), current, wmState, 0, 0, False, AnyPropertyType, &type, &format, &items,
                                   &after, &data) == Success &&
                type != None) {
                managed = current;
            }
            if (data != nullptr) {
                XFree(data);
            }
        }
        Window rootReturn = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (XQueryTree(display(), current, &rootReturn, &parent, &children, &count) == 0) {
            return 0;
        }
        if (children != nullptr) {
            XFree(children);
        }
        if (parent == 0 || parent == rootReturn) {
            break;
        }
        current = parent;
    }
    return managed != 0 ? managed : current;
}

CPoint DialogWindow::centredOver(Window owner, int width, int height) {
    const int screen = DefaultScreen(display());
    CRect area(0, 0, DisplayWidth(display(), screen), DisplayHeight(display(), screen));
    XWindowAttributes attributes;
    int x = 0;
    int y = 0;
    Window child = 0;
    if (owner != 0 && XGetWindowAttributes(display(), owner, &attributes) != 0 &&
        XTranslateCoordinates(display(), owner, root_, 0, 0, &x, &y, &child) != 0) {
        area = CRect::fromSize(x, y, attributes.width, attributes.height);
    }
    // Kept on the screen: a host window smaller than the dialog must not push it off the edge.
    return {
        std::clamp(area.left + (area.width() - width) / 2, 0, std::max(DisplayWidth(display(), screen) - width, 0)),
        std::clamp(area.top + (area.height() - height) / 2, 0, std::max(DisplayHeight(display(), screen) - height, 0))};
}

void DialogWindow::setSizeHints(int width, int height, const CPoint* position) {
    XSizeHints* hints = XAllocSizeHints();
    hints->flags = PMinSize | PMaxSize;
    hints->min_width = hints->max_width = width;
    hints->min_height = hints->max_height = height;
    if (position != nullptr) {
        hints->flags |= PPosition;
        hints->x = position->x;
        hints->y = position->y;
    }
    XSetWMNormalHints(display(), window_, hints);
    XFree(hints);
}

void DialogWindow::copyToWindow(const CBitmap& image, const CRect& area, CPoint destination) {
    vexo::copyToWindow(display(), window_, WindowTarget{visual_, depth_, gc_}, image, area, destination);
}

void DialogWindow::present(const CBitmap& image, const CRect& area) {
    if (!isAlive() || area.isEmpty()) {
        return;
    }
    X11ErrorTrap trap(*connection_);
    if (popup_ != nullptr && area.intersects(popupArea_)) {
        const SharedBitmap composed = composeDialogImage(frame_, area);
        copyToWindow(*composed, CRect(0, 0, area.width(), area.height()), area.topLeft());
    } else {
        copyToWindow(image, area, area.topLeft());
    }
}

void DialogWindow::showPopup(MenuPopup& popup) {
    const CRect area = popup.area().united(popup_ != nullptr ? popupArea_ : CRect());
    popup_ = &popup;
    popupArea_ = popup.area();
    present(frame_.image(), area);
}

void DialogWindow::hidePopup() {
    if (popup_ == nullptr) {
        return;
    }
    popup_ = nullptr;
    present(frame_.image(), popupArea_);
}

void DialogWindow::resize(int width, int height) {
    if (!isAlive() || width <= 0 || height <= 0) {
        return;
    }
    X11ErrorTrap trap(*connection_);
    XResizeWindow(display(), window_, static_cast<unsigned>(width), static_cast<unsigned>(height));
    setSizeHints(width, height, nullptr);
}

void DialogWindow::processEvents(CFrame& /*frame*/) {
    if (!isAlive()) {
        return;
    }
    {
        X11ErrorTrap trap(*connection_);
        while (!connection_->broken && window_ != 0 && XPending(display()) > 0) {
            XEvent event;
            XNextEvent(display(), &event);
            if (event.type == MotionNotify) {
                // Only the latest of a run of moves matters.
                XEvent next;
                while (XEventsQueued(display(), QueuedAlready) > 0) {
                    XPeekEvent(display(), &next);
                    if (next.type != MotionNotify) {
                        break;
                    }
                    XNextEvent(display(), &event);
                }
            }
            handle(event);
        }
    }
    if (!exposed_.isEmpty()) {
        const CRect area = exposed_;
        exposed_ = {};
        present(frame_.image(), area);
    }
}

void DialogWindow::handle(XEvent& event) {
    switch (event.type) {
        case Expose:
            exposed_ = exposed_.united(
                CRect::fromSize(event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height));
            return;
        case ButtonPress: {
            const XButtonEvent& press = event.xbutton;
            const CPoint where(press.x, press.y);
            if (press.button == Button4 || press.button == Button5) {
                frame_.wheel(where, press.button == Button4 ? 1.0f : -1.0f, buttonsOf(press.state));
                return;
            }
            const CButtonState button = buttonBit(press.button);
            if (button == 0) {
                return;
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
            frame_.pointerDown(where, buttons);
            return;
        }
        case ButtonRelease:
            if (const CButtonState button = buttonBit(event.xbutton.button); button != 0) {
                frame_.pointerUp({event.xbutton.x, event.xbutton.y}, buttonsOf(event.xbutton.state) | button);
            }
            return;
        case MotionNotify:
            frame_.pointerMoved({event.xmotion.x, event.xmotion.y}, buttonsOf(event.xmotion.state));
            return;
        case LeaveNotify:
            frame_.pointerLeft();
            return;
        case FocusOut:
            // A drop-down list does not stay open over another window.
            if (event.xfocus.mode == NotifyNormal && frame_.openPopup() != nullptr) {
                frame_.closePopup();
                frame_.invalidRect(frame_.getViewSize());
            }
            return;
        case KeyPress:
            frame_.keyDown(keyCodeOf(event.xkey));
            return;
        case ClientMessage:
            if (event.xclient.message_type == wmProtocols_ &&
                static_cast<Atom>(event.xclient.data.l[0]) == wmDeleteWindow_) {
                frame_.cancel();
            }
            return;
        case DestroyNotify:
            if (event.xdestroywindow.window == window_) {
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

}  // namespace

std::unique_ptr<FramePlatform> createDialogWindow(DialogFrame& frame, unsigned long parentWindow,
                                                  const std::string& title) {
    auto window = std::make_unique<DialogWindow>(frame);
    if (!window->open(parentWindow, title)) {
        return nullptr;
    }
    return window;
}

CRect dialogPopupBounds(const CFrame& frame) {
    constexpr int kEdgePixels = 4;
    const CRect& size = frame.getViewSize();
    return CRect(size.left + kEdgePixels, size.top + kEdgePixels, size.right - kEdgePixels, size.bottom - kEdgePixels);
}

SharedBitmap composeDialogImage(const CFrame& frame, const CRect& area) {
    auto composed = std::make_shared<CBitmap>(std::max(area.width(), 1), std::max(area.height(), 1));
    cairo_t* cr = cairo_create(composed->surface());
    cairo_translate(cr, -area.left, -area.top);
    {
        CDrawContext context(cr);
        context.drawBitmap(frame.image(), CRect(0, 0, frame.image().getWidth(), frame.image().getHeight()));
        if (const MenuPopup* popup = frame.openPopup()) {
            for (int level = 0; level < popup->levelCount(); ++level) {
                popup->drawLevel(context, level);
            }
        }
    }
    cairo_destroy(cr);
    cairo_surface_flush(composed->surface());
    return composed;
}

}  // namespace vexo
