#include "gui/X11Clipboard.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <climits>
#include <deque>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "gui/X11Support.h"
#include "platform/TickCount.h"

namespace vexo {

namespace {

// Longest property read in one go, in 32-bit units (Xlib's unit for lengths): 64 MB.
constexpr long kMaxReadUnits = 1L << 24;
// Room for the request header of XChangeProperty, in bytes.
constexpr long kRequestHeaderBytes = 64;
constexpr const char* kPropertyName = "VEXO_CLIPBOARD";
// Longest wait for a clipboard manager to take our text when we close.
constexpr std::uint32_t kHandOverTimeoutMs = 500;
constexpr std::chrono::milliseconds kHandOverPollInterval{2};

std::string latin1ToUtf8(const std::string& latin1) {
    std::string out;
    out.reserve(latin1.size());
    for (const char c : latin1) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

// Characters outside Latin-1 become "?" (pattern texts are plain ASCII).
std::string utf8ToLatin1(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80) {
            out += utf8[i++];
            continue;
        }
        int length = 1;
        if ((byte & 0xE0) == 0xC0) {
            length = 2;
        } else if ((byte & 0xF0) == 0xE0) {
            length = 3;
        } else if ((byte & 0xF8) == 0xF0) {
            length = 4;
        }
        if (length == 2 && i + 1 < utf8.size() && byte <= 0xC3) {
            out += static_cast<char>(((byte & 0x1F) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3F));
        } else {
            out += '?';
        }
        i += static_cast<std::size_t>(length);
    }
    return out;
}

}  // namespace

// The display, its error count and its broken flag (X11Connection) are what the error trap keeps.
struct X11Clipboard::Connection : X11Connection {
    Window window = 0;
    Atom clipboardAtom = 0, targetsAtom = 0, utf8Atom = 0, textAtom = 0, propertyAtom = 0, incrAtom = 0;

    bool owned = false;
    std::string ownText;

    std::deque<ClipboardTextCallback> waiting;
    // The conversion asked of the owner: its target, or 0 when none is outstanding.
    Atom converting = 0;
    std::uint32_t askedAt = 0;
    // The answer for the waiting callbacks, delivered by the next poll: known without asking
    // (our own text, no owner) or received from the owner.
    std::optional<std::optional<std::string>> ready;
    std::function<std::uint32_t()> ticks;

    ~Connection() {
        handOver();
        if (display != nullptr) {
            X11ErrorTrap trap(*this, X11ErrorTrap::End::kNoRoundTrip);
            if (window != 0 && !broken) {
                XDestroyWindow(display, window);
            }
            closeX11Connection(*this);
        }
    }

    std::uint32_t now() const { return ticks ? ticks() : tickCountMilliseconds(); }
    bool usable() const { return display != nullptr && !broken; }

    void serve(const XSelectionRequestEvent& request);
    void handOver();
    bool putText(Window requestor, Atom destination, Atom target);
    void ask(Atom target);
    void received(const XSelectionEvent& event);
    std::optional<std::string> readProperty();
    void answer(std::optional<std::string> text);
};

std::unique_ptr<X11Clipboard> X11Clipboard::open(const char* displayName) {
    auto connection = std::make_unique<Connection>();
    if (!openX11Connection(*connection, displayName)) {
        return nullptr;
    }
    Display* display = connection->display;
    X11ErrorTrap trap(*connection);
    // An unmapped window of our own: the selection's owner and the place answers are put.
    connection->window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    connection->clipboardAtom = XInternAtom(display, "CLIPBOARD", False);
    connection->targetsAtom = XInternAtom(display, "TARGETS", False);
    connection->utf8Atom = XInternAtom(display, "UTF8_STRING", False);
    connection->textAtom = XInternAtom(display, "TEXT", False);
    connection->incrAtom = XInternAtom(display, "INCR", False);
    connection->propertyAtom = XInternAtom(display, kPropertyName, False);
    if (connection->window == 0) {
        return nullptr;
    }
    return std::unique_ptr<X11Clipboard>(new X11Clipboard(std::move(connection)));
}

X11Clipboard::X11Clipboard(std::unique_ptr<Connection> connection) : connection_(std::move(connection)) {}

X11Clipboard::~X11Clipboard() = default;

bool X11Clipboard::isAlive() const {
    return connection_->usable();
}

bool X11Clipboard::ownsSelection() const {
    return connection_->owned;
}

void X11Clipboard::setTickSource(std::function<std::uint32_t()> source) {
    connection_->ticks = std::move(source);
}

bool X11Clipboard::setText(std::string text) {
    Connection& c = *connection_;
    if (!c.usable()) {
        return false;
    }
    X11ErrorTrap trap(c);
    c.ownText = std::move(text);
    XSetSelectionOwner(c.display, c.clipboardAtom, c.window, CurrentTime);
    c.owned = XGetSelectionOwner(c.display, c.clipboardAtom) == c.window;
    return c.owned;
}

void X11Clipboard::requestText(ClipboardTextCallback done) {
    Connection& c = *connection_;
    c.waiting.push_back(std::move(done));
    if (c.converting != 0 || c.ready) {
        return;  // answered together with the request on its way
    }
    if (!c.usable()) {
        c.ready = std::optional<std::string>();
        return;
    }
    X11ErrorTrap trap(c, X11ErrorTrap::End::kNoRoundTrip);
    // Asked of the server, not taken from our flag: the news that another program took the
    // selection may still wait in the event queue.
    const Window owner = XGetSelectionOwner(c.display, c.clipboardAtom);
    if (owner == c.window) {
        c.ready = std::optional<std::string>(c.ownText);
    } else if (owner == None) {
        c.ready = std::optional<std::string>();
    } else {
        c.owned = false;
        c.ownText.clear();
        c.ask(c.utf8Atom);
    }
}

void X11Clipboard::Connection::ask(Atom target) {
    XDeleteProperty(display, window, propertyAtom);
    XConvertSelection(display, clipboardAtom, target, propertyAtom, window, CurrentTime);
    XFlush(display);
    converting = target;
    askedAt = now();
}

void X11Clipboard::cancelRequests() {
    Connection& c = *connection_;
    c.waiting.clear();
    c.ready.reset();
    // A late answer to the conversion on its way finds nobody waiting and is dropped.
}

void X11Clipboard::poll() {
    Connection& c = *connection_;
    if (c.usable()) {
        X11ErrorTrap trap(c, X11ErrorTrap::End::kNoRoundTrip);
        while (!c.broken && XPending(c.display) > 0) {
            XEvent event;
            XNextEvent(c.display, &event);
            switch (event.type) {
                case SelectionRequest:
                    c.serve(event.xselectionrequest);
                    break;
                case SelectionClear:
                    if (event.xselectionclear.selection == c.clipboardAtom) {
                        c.owned = false;
                        c.ownText.clear();
                    }
                    break;
                case SelectionNotify:
                    c.received(event.xselection);
                    break;
                default:
                    break;
            }
        }
    }
    if (c.converting != 0 && (!c.usable() || c.now() - c.askedAt >= kRequestTimeoutMs)) {
        c.converting = 0;
        c.ready = std::optional<std::string>();
    }
    // After the trap: the callbacks may do anything, and the trap's lock is process-wide.
    if (c.ready) {
        std::optional<std::string> text = std::move(*c.ready);
        c.ready.reset();
        c.answer(std::move(text));
    }
}

// Our text would go with our window: a clipboard manager, when one runs, is asked to keep
// it (SAVE_TARGETS), and its requests are served until it says it is done.
void X11Clipboard::Connection::handOver() {
    if (!owned || !usable()) {
        return;
    }
    X11ErrorTrap trap(*this, X11ErrorTrap::End::kNoRoundTrip);
    const Atom manager = XInternAtom(display, "CLIPBOARD_MANAGER", False);
    if (XGetSelectionOwner(display, manager) == None || XGetSelectionOwner(display, clipboardAtom) != window) {
        return;
    }
    XConvertSelection(display, manager, XInternAtom(display, "SAVE_TARGETS", False), None, window, CurrentTime);
    XFlush(display);
    const std::uint32_t start = now();
    while (!broken && now() - start < kHandOverTimeoutMs) {
        while (!broken && XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == SelectionRequest) {
                serve(event.xselectionrequest);
            } else if (event.type == SelectionNotify && event.xselection.selection == manager) {
                return;
            }
        }
        std::this_thread::sleep_for(kHandOverPollInterval);
    }
}

void X11Clipboard::Connection::answer(std::optional<std::string> text) {
    // A callback may ask again; that request waits for a later poll.
    std::deque<ClipboardTextCallback> answering;
    answering.swap(waiting);
    for (ClipboardTextCallback& done : answering) {
        done(text);
    }
}

void X11Clipboard::Connection::serve(const XSelectionRequestEvent& request) {
    XSelectionEvent reply{};
    reply.type = SelectionNotify;
    reply.display = display;
    reply.requestor = request.requestor;
    reply.selection = request.selection;
    reply.target = request.target;
    reply.time = request.time;
    reply.property = None;
    // Clients from before the conventions name no property: the target names it then.
    const Atom destination = request.property != None ? request.property : request.target;
    if (request.selection == clipboardAtom && owned && putText(request.requestor, destination, request.target)) {
        reply.property = destination;
    }
    X11ErrorTrap trap(*this);
    XSendEvent(display, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
}

bool X11Clipboard::Connection::putText(Window requestor, Atom destination, Atom target) {
    const int before = errors;
    X11ErrorTrap trap(*this, X11ErrorTrap::End::kNoRoundTrip);
    if (target == targetsAtom) {
        const Atom offered[] = {targetsAtom, utf8Atom, XA_STRING, textAtom};
        XChangeProperty(display, requestor, destination, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(offered), static_cast<int>(std::size(offered)));
    } else if (target == utf8Atom || target == textAtom || target == XA_STRING) {
        const bool latin1 = target == XA_STRING;
        const std::string data = latin1 ? utf8ToLatin1(ownText) : ownText;
        if (static_cast<long>(data.size()) > XMaxRequestSize(display) * 4 - kRequestHeaderBytes) {
            return false;
        }
        XChangeProperty(display, requestor, destination, latin1 ? XA_STRING : utf8Atom, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
    } else {
        return false;
    }
    XSync(display, False);
    // A requestor window that is gone: no answer with a property.
    return errors == before;
}

void X11Clipboard::Connection::received(const XSelectionEvent& event) {
    if (converting == 0 || event.selection != clipboardAtom || event.requestor != window) {
        return;
    }
    if (event.property == None) {
        // Refused: an owner that has no UTF-8 text may still have Latin-1 text.
        if (converting == utf8Atom) {
            ask(XA_STRING);
        } else {
            converting = 0;
            ready = std::optional<std::string>();
        }
        return;
    }
    converting = 0;
    ready = readProperty();
}

std::optional<std::string> X11Clipboard::Connection::readProperty() {
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, window, propertyAtom, 0, kMaxReadUnits, True, AnyPropertyType, &type,
                                          &format, &items, &remaining, &data);
    std::optional<std::string> text;
    // INCR (an incremental transfer) and other types are no text we take.
    if (status == Success && data != nullptr && format == 8 && remaining == 0 &&
        (type == utf8Atom || type == XA_STRING || type == textAtom)) {
        std::string bytes(reinterpret_cast<const char*>(data), items);
        text = type == XA_STRING ? latin1ToUtf8(bytes) : std::move(bytes);
    }
    if (data != nullptr) {
        XFree(data);
    }
    if (type == incrAtom) {
        XDeleteProperty(display, window, propertyAtom);
    }
    return text;
}

}  // namespace vexo
