// X11 helpers of the toolkit's windows and its clipboard (internal to src/gui): the error trap
// that keeps the errors of our connections away from the host's handlers, and the translation
// of X key and pointer state into the toolkit's.
//
// X errors: Xlib's handlers are process-wide and the host usually installs its own. Ours are
// installed only around our own calls (X11ErrorTrap) and the previous handlers come back
// afterwards. Errors on a connection of ours are counted on it; errors on other connections go
// to the handler that was installed before ours (the host's, or Xlib's default).
//
// A broken connection (X server gone): our I/O error handler and the connection's exit handler
// (XSetIOErrorExitHandler) both return instead of exiting, so the host process lives on. Xlib
// then marks the connection dead and later calls on it return at once; the owner sees
// `broken` and makes no further requests except closing the connection.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <mutex>

#include "gui/Bitmap.h"
#include "gui/View.h"

namespace vexo {

// A display connection of ours as the error handlers see it.
struct X11Connection {
    Display* display = nullptr;
    int errors = 0;       // errors of our requests, counted while trapped
    bool broken = false;  // lost: no requests any more except closing it
};

// Opens displayName (null: $DISPLAY) into connection, whose loss then marks it broken instead
// of exiting the process; false when no display can be opened. Xlib keeps the connection's
// address until it is closed, so it must not move.
bool openX11Connection(X11Connection& connection, const char* displayName);
// Closes the connection, also a broken one (its client memory is freed all the same).
void closeX11Connection(X11Connection& connection);

// Our error handlers for the lifetime of the object; traps nest, also across connections.
// Any thread: a process-wide lock, held while the trap lives, keeps traps of other threads
// from swapping the handlers in between.
class X11ErrorTrap {
public:
    enum class End {
        // A round trip at the end, so that every error of our requests arrives while trapped.
        kRoundTrip,
        // None: the caller reads the connection itself, and errors arriving later are read
        // under a later trap (the connection is read nowhere else).
        kNoRoundTrip,
    };

    explicit X11ErrorTrap(X11Connection& connection, End end = End::kRoundTrip);
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

private:
    std::unique_lock<std::recursive_mutex> lock_;
    X11Connection& connection_;
    End end_;
};

// A window's drawing target: the visual and depth it was created with, and a GC for it.
struct WindowTarget {
    Visual* visual = nullptr;
    int depth = 0;
    GC gc = nullptr;
};

// Copies area of image to window, its top-left at destination: cairo's pixels as they are on
// the usual 24- and 32-bit visuals, converted pixel by pixel on other true-colour ones.
void copyToWindow(Display* display, Window window, const WindowTarget& target, const CBitmap& image, const CRect& area,
                  CPoint destination);

// The toolkit's virtual key of an X key symbol; keypad keys act as their main-block twins.
std::uint8_t virtualKeyOf(KeySym symbol);
// A key event as the toolkit sees it: printable ASCII as the character, the rest as a virtual
// key. Takes the event by reference as XLookupString does.
VstKeyCode keyCodeOf(XKeyEvent& event);
// Shift, Control and Alt of an event's state.
CButtonState modifiersOf(unsigned state);
// The modifiers and the held buttons 1-3 of an event's state.
CButtonState buttonsOf(unsigned state);
// The bit of a pressed or released button; 0 for the wheel and extra buttons.
CButtonState buttonBit(unsigned button);

}  // namespace vexo
