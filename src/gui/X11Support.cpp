#include "gui/X11Support.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <cairo.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace vexo {

namespace {

// One colour channel of a true-colour pixel: the top bits of value placed under mask.
unsigned long packChannel(unsigned value, unsigned long mask) {
    if (mask == 0) {
        return 0;
    }
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    const unsigned long scaled = bits >= 8 ? static_cast<unsigned long>(value) << (bits - 8) : value >> (8 - bits);
    return (scaled << shift) & mask;
}

}  // namespace

void copyToWindow(Display* display, Window window, const WindowTarget& target, const CBitmap& image, const CRect& area,
                  CPoint destination) {
    const CRect clipped = area.intersection(CRect(0, 0, image.getWidth(), image.getHeight()));
    if (clipped.isEmpty() || target.gc == nullptr) {
        return;
    }
    destination.offset(clipped.left - area.left, clipped.top - area.top);
    cairo_surface_t* surface = image.surface();
    cairo_surface_flush(surface);
    unsigned char* pixels = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    XImage* wrapped = XCreateImage(display, target.visual, static_cast<unsigned>(target.depth), ZPixmap, 0,
                                   reinterpret_cast<char*>(pixels), static_cast<unsigned>(image.getWidth()),
                                   static_cast<unsigned>(image.getHeight()), 32, stride);
    if (wrapped == nullptr) {
        return;
    }
    if (wrapped->bits_per_pixel == 32 && wrapped->red_mask == 0xff0000 && wrapped->green_mask == 0xff00 &&
        wrapped->blue_mask == 0xff) {
        // The usual 24- and 32-bit visuals take cairo's pixels as they are: native-endian
        // 32-bit words, which Xlib byte-swaps for a server of the other order.
        wrapped->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
        XPutImage(display, window, target.gc, wrapped, clipped.left, clipped.top, destination.x, destination.y,
                  static_cast<unsigned>(clipped.width()), static_cast<unsigned>(clipped.height()));
        wrapped->data = nullptr;
        XDestroyImage(wrapped);
        return;
    }
    // Any other true-colour visual (16-bit screens): the area converted pixel by pixel.
    const unsigned long redMask = wrapped->red_mask;
    const unsigned long greenMask = wrapped->green_mask;
    const unsigned long blueMask = wrapped->blue_mask;
    wrapped->data = nullptr;
    XDestroyImage(wrapped);
    XImage* converted =
        XCreateImage(display, target.visual, static_cast<unsigned>(target.depth), ZPixmap, 0, nullptr,
                     static_cast<unsigned>(clipped.width()), static_cast<unsigned>(clipped.height()), 32, 0);
    if (converted == nullptr) {
        return;
    }
    converted->data = static_cast<char*>(
        std::malloc(static_cast<std::size_t>(converted->bytes_per_line) * static_cast<std::size_t>(clipped.height())));
    if (converted->data == nullptr) {
        XDestroyImage(converted);
        return;
    }
    for (int y = 0; y < clipped.height(); ++y) {
        const unsigned char* row = pixels + (clipped.top + y) * stride;
        for (int x = 0; x < clipped.width(); ++x) {
            std::uint32_t argb;
            std::memcpy(&argb, row + (clipped.left + x) * 4, sizeof argb);
            XPutPixel(converted, x, y,
                      packChannel((argb >> 16) & 0xff, redMask) | packChannel((argb >> 8) & 0xff, greenMask) |
                          packChannel(argb & 0xff, blueMask));
        }
    }
    XPutImage(display, window, target.gc, converted, 0, 0, destination.x, destination.y,
              static_cast<unsigned>(clipped.width()), static_cast<unsigned>(clipped.height()));
    XDestroyImage(converted);
}

namespace {

// The state behind our error handlers: one per process, like Xlib's handlers themselves.
struct TrapState {
    std::recursive_mutex mutex;
    int depth = 0;
    XErrorHandler previousError = nullptr;
    XIOErrorHandler previousIOError = nullptr;
    std::vector<X11Connection*> connections;
};

TrapState& trapState() {
    static TrapState state;
    return state;
}

X11Connection* trappedConnection(Display* display) {
    for (X11Connection* connection : trapState().connections) {
        if (connection->display == display) {
            return connection;
        }
    }
    return nullptr;
}

int onXError(Display* display, XErrorEvent* event) {
    TrapState& state = trapState();
    std::lock_guard lock(state.mutex);
    if (X11Connection* connection = trappedConnection(display)) {
        ++connection->errors;
        return 0;
    }
    return state.previousError != nullptr ? state.previousError(display, event) : 0;
}

int onXIOError(Display* display) {
    TrapState& state = trapState();
    std::lock_guard lock(state.mutex);
    if (X11Connection* connection = trappedConnection(display)) {
        connection->broken = true;
        return 0;
    }
    return state.previousIOError != nullptr ? state.previousIOError(display) : 0;
}

// Called by Xlib after the I/O error handler instead of exit(): returning keeps the process.
void onXIOErrorExit(Display* /*display*/, void* data) {
    static_cast<X11Connection*>(data)->broken = true;
}

CButtonState bitIf(unsigned state, unsigned mask, CButton bit) {
    return (state & mask) != 0 ? static_cast<CButtonState>(bit) : 0u;
}

}  // namespace

bool openX11Connection(X11Connection& connection, const char* displayName) {
    connection.display = XOpenDisplay(displayName);
    if (connection.display == nullptr) {
        return false;
    }
    XSetIOErrorExitHandler(connection.display, &onXIOErrorExit, &connection);
    return true;
}

void closeX11Connection(X11Connection& connection) {
    X11ErrorTrap trap(connection);
    XCloseDisplay(connection.display);
    connection.display = nullptr;  // and so no round trip at the trap's end
}

X11ErrorTrap::X11ErrorTrap(X11Connection& connection, End end)
    : lock_(trapState().mutex), connection_(connection), end_(end) {
    TrapState& state = trapState();
    if (state.depth++ == 0) {
        state.previousError = XSetErrorHandler(&onXError);
        state.previousIOError = XSetIOErrorHandler(&onXIOError);
    }
    state.connections.push_back(&connection_);
}

X11ErrorTrap::~X11ErrorTrap() {
    if (end_ == End::kRoundTrip && connection_.display != nullptr && !connection_.broken) {
        XSync(connection_.display, False);
    }
    TrapState& state = trapState();
    state.connections.pop_back();
    if (--state.depth == 0) {
        XSetErrorHandler(state.previousError);
        XSetIOErrorHandler(state.previousIOError);
    }
}

std::uint8_t virtualKeyOf(KeySym symbol) {
    switch (symbol) {
        case XK_BackSpace:
            return kVirtKeyBack;
        case XK_Tab:
        case XK_ISO_Left_Tab:
            return kVirtKeyTab;
        case XK_Return:
        case XK_KP_Enter:
            return kVirtKeyReturn;
        case XK_Escape:
            return kVirtKeyEscape;
        case XK_space:
            return kVirtKeySpace;
        case XK_Left:
        case XK_KP_Left:
            return kVirtKeyLeft;
        case XK_Up:
        case XK_KP_Up:
            return kVirtKeyUp;
        case XK_Right:
        case XK_KP_Right:
            return kVirtKeyRight;
        case XK_Down:
        case XK_KP_Down:
            return kVirtKeyDown;
        case XK_Page_Up:
        case XK_KP_Page_Up:
            return kVirtKeyPageUp;
        case XK_Page_Down:
        case XK_KP_Page_Down:
            return kVirtKeyPageDown;
        case XK_Home:
        case XK_KP_Home:
            return kVirtKeyHome;
        case XK_End:
        case XK_KP_End:
            return kVirtKeyEnd;
        case XK_Delete:
        case XK_KP_Delete:
            return kVirtKeyDelete;
        default:
            return kVirtKeyNone;
    }
}

VstKeyCode keyCodeOf(XKeyEvent& event) {
    char text[8] = {};
    KeySym symbol = NoSymbol;
    const int length = XLookupString(&event, text, sizeof text, &symbol, nullptr);
    VstKeyCode key;
    const auto first = static_cast<unsigned char>(text[0]);
    // Printable ASCII only: control characters travel as virtual keys.
    key.character = length == 1 && first >= 0x20 && first < 0x7f ? first : 0;
    key.virt = virtualKeyOf(symbol);
    key.modifier = static_cast<std::uint8_t>(modifiersOf(event.state));
    return key;
}

CButtonState modifiersOf(unsigned state) {
    return bitIf(state, ShiftMask, kShift) | bitIf(state, ControlMask, kControl) | bitIf(state, Mod1Mask, kAlt);
}

CButtonState buttonsOf(unsigned state) {
    return modifiersOf(state) | bitIf(state, Button1Mask, kLButton) | bitIf(state, Button2Mask, kMButton) |
           bitIf(state, Button3Mask, kRButton);
}

CButtonState buttonBit(unsigned button) {
    switch (button) {
        case Button1:
            return kLButton;
        case Button2:
            return kMButton;
        case Button3:
            return kRButton;
        default:
            return 0;
    }
}

}  // namespace vexo
