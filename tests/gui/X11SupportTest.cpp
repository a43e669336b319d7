// The toolkit's X11 helpers: the error trap in a private Xvfb server, with traps of two of our
// connections nested as when the editor's window, a dialog and the clipboard call each other;
// and the keypad's navigation keys.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "XvfbServer.h"
#include "gui/X11Support.h"

namespace vexo {
namespace {

// Xlib's handlers take no context: the host's handler counts here.
int hostErrors = 0;

int countHostError(Display* /*display*/, XErrorEvent* /*event*/) {
    ++hostErrors;
    return 0;
}

// Sends a request that fails with BadWindow: mapping a window of display's that is gone.
void sendFailingRequest(Display* display) {
    const Window gone = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XDestroyWindow(display, gone);
    XMapWindow(display, gone);
}

class X11ErrorTrapTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::XvfbServer::available()) {
            GTEST_SKIP() << "Xvfb is not installed";
        }
        std::string error;
        ASSERT_TRUE(server_.start("320x240x24", &error)) << error;
    }

    test::XvfbServer server_;
};

TEST_F(X11ErrorTrapTest, NestedTrapsCountTheirOwnErrorsAndPassOthersToTheHostsHandler) {
    Display* host = XOpenDisplay(nullptr);
    ASSERT_NE(host, nullptr);
    const XErrorHandler before = XSetErrorHandler(&countHostError);
    X11Connection outer;
    X11Connection inner;
    ASSERT_TRUE(openX11Connection(outer, nullptr));
    ASSERT_TRUE(openX11Connection(inner, nullptr));
    {
        X11ErrorTrap outerTrap(outer);
        sendFailingRequest(outer.display);
        {
            X11ErrorTrap innerTrap(inner, X11ErrorTrap::End::kNoRoundTrip);
            sendFailingRequest(inner.display);
            XSync(inner.display, False);
            // Read while the inner trap is the latest: still the outer connection's error.
            XSync(outer.display, False);
            sendFailingRequest(host);
            XSync(host, False);
        }
        sendFailingRequest(outer.display);  // arrives with the trap's closing round trip
    }
    EXPECT_EQ(outer.errors, 2);
    EXPECT_EQ(inner.errors, 1);
    EXPECT_EQ(hostErrors, 1);
    EXPECT_EQ(XSetErrorHandler(before), &countHostError);
    closeX11Connection(inner);
    closeX11Connection(outer);
    XCloseDisplay(host);
}

TEST(X11KeyTest, KeypadNavigationKeysActAsTheirMainBlockTwins) {
    const std::pair<KeySym, KeySym> twins[] = {
        {XK_KP_Enter, XK_Return},        {XK_KP_Left, XK_Left}, {XK_KP_Up, XK_Up},
        {XK_KP_Right, XK_Right},         {XK_KP_Down, XK_Down}, {XK_KP_Page_Up, XK_Page_Up},
        {XK_KP_Page_Down, XK_Page_Down}, {XK_KP_Home, XK_Home}, {XK_KP_End, XK_End},
        {XK_KP_Delete, XK_Delete},
    };
    for (const auto& [keypad, main] : twins) {
        EXPECT_NE(virtualKeyOf(main), kVirtKeyNone) << XKeysymToString(main);
        EXPECT_EQ(virtualKeyOf(keypad), virtualKeyOf(main)) << XKeysymToString(keypad);
    }
}

}  // namespace
}  // namespace vexo
