// The X11 back-end in a real X server of the test's own (Xvfb): a child window of a parent
// window, real pointer events through XTest, pop-up menu windows, a parent that does not
// exist, and a server that goes away.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "GuiTestSupport.h"
#include "XTestDriver.h"
#include "XvfbServer.h"
#include "gui/Controls.h"
#include "gui/OptionMenu.h"

namespace vexo {
namespace {

using test::kGreen;
using test::kRed;

constexpr unsigned long rgbOf(CColor c) {
    return (static_cast<unsigned long>(c.red) << 16) | (static_cast<unsigned long>(c.green) << 8) | c.blue;
}

int openDescriptors() {
    return static_cast<int>(
        std::distance(std::filesystem::directory_iterator("/proc/self/fd"), std::filesystem::directory_iterator()));
}

// Runs the frame's idle calls, as a host does, until done() holds; false after five seconds.
template <typename Condition>
bool idleUntil(CFrame& frame, Condition done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        frame.idle();
        if (done()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

class X11PlatformTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (test::XvfbServer::available()) {
            server_ = new test::XvfbServer;
            started_ = server_->start("1024x768x24", &error_);
        }
    }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }

    void SetUp() override {
        if (!test::XvfbServer::available()) {
            GTEST_SKIP() << "Xvfb is not installed";
        }
        ASSERT_TRUE(started_) << error_;
        user = std::make_unique<test::XTestDriver>();
        ASSERT_TRUE(user->connected());
        parent = user->createWindow(300, 200, 0x303030);
    }

    void click(CPoint where) {
        user->pointerTo(where.x, where.y);
        user->button(1, true);
        user->button(1, false);
    }
    std::unique_ptr<FramePlatform> attach(CFrame& frame) {
        return createX11Platform(parent, frame.getViewSize().width(), frame.getViewSize().height(), "test");
    }

    static inline test::XvfbServer* server_ = nullptr;
    static inline bool started_ = false;
    static inline std::string error_;
    std::unique_ptr<test::XTestDriver> user;
    unsigned long parent = 0;
};

TEST_F(X11PlatformTest, ChildWindowShowsTheFrameAndTakesRealClicks) {
    test::RecordingListener listener;
    CFrame frame(CRect(0, 0, 200, 100), nullptr);
    frame.setBackgroundColor(test::OffscreenFrame::kGrey);
    frame.addView(new CKickButton(CRect(20, 20, 80, 60), &listener, 1, 40, test::stackedImage(60, 40, {kRed, kGreen})));
    auto platform = attach(frame);
    ASSERT_NE(platform, nullptr);
    frame.setPlatform(std::move(platform));

    // The parent sits at 0,0 of the screen (no window manager), the child at 0,0 of it.
    ASSERT_TRUE(idleUntil(frame, [&] { return user->hasViewableChild(parent); }));
    ASSERT_TRUE(idleUntil(frame, [&] { return user->screenPixel(5, 5) == rgbOf(test::OffscreenFrame::kGrey); }));
    EXPECT_EQ(user->screenPixel(30, 30), rgbOf(kRed));
    EXPECT_EQ(user->screenPixel(250, 150), 0x303030u);

    user->pointerTo(40, 40);
    user->button(1, true);
    ASSERT_TRUE(idleUntil(frame, [&] { return listener.values.size() == 1; }));
    EXPECT_TRUE(idleUntil(frame, [&] { return user->screenPixel(30, 30) == rgbOf(kGreen); }));
    user->button(1, false);
    ASSERT_TRUE(idleUntil(frame, [&] { return listener.values.size() == 2; }));
    EXPECT_EQ(listener.values, (std::vector<float>{1.0f, 0.0f}));
    EXPECT_EQ(listener.begins, 1);
    EXPECT_EQ(listener.ends, 1);
    EXPECT_TRUE(idleUntil(frame, [&] { return user->screenPixel(30, 30) == rgbOf(kRed); }));
}

TEST_F(X11PlatformTest, PopupMenuWindowsTakeRealClicks) {
    test::RecordingListener listener;
    CFrame frame(CRect(0, 0, 200, 100), nullptr);
    auto* menu = new COptionMenu(CRect(10, 10, 110, 30), &listener, 2);
    menu->addEntry("One");
    menu->addEntry("Two");
    frame.addView(menu);
    frame.setPlatform(attach(frame));
    ASSERT_NE(frame.getPlatform(), nullptr);
    ASSERT_TRUE(idleUntil(frame, [&] { return user->hasViewableChild(parent); }));

    click({20, 20});
    ASSERT_TRUE(idleUntil(frame, [&] { return frame.openPopup() != nullptr; }));
    // The release of the opening click chose nothing; the menu window is on the screen.
    const CRect two = frame.openPopup()->entryRect(0, 1);
    EXPECT_TRUE(idleUntil(frame, [&] { return user->screenPixel(two.left + 1, two.top + 1) == 0xf8f8f9u; }));

    click({two.left + 20, two.top + 8});
    ASSERT_TRUE(idleUntil(frame, [&] { return frame.openPopup() == nullptr; }));
    EXPECT_EQ(menu->getCurrent(), 1);
    EXPECT_EQ(listener.controls.size(), 1u);
    // The menu window is gone again.
    EXPECT_TRUE(idleUntil(frame, [&] { return user->screenPixel(two.left + 1, two.top + 1) != 0xf8f8f9u; }));
}

TEST_F(X11PlatformTest, ParentThatDoesNotExistFailsWithoutLeakingTheConnection) {
    const unsigned long gone = user->destroyedWindowId();
    const int descriptors = openDescriptors();
    EXPECT_EQ(createX11Platform(gone, 100, 100, "none"), nullptr);
    EXPECT_EQ(openDescriptors(), descriptors);
}

TEST(X11PlatformLoss, ServerGoingAwayLeavesTheProcessRunning) {
    if (!test::XvfbServer::available()) {
        GTEST_SKIP() << "Xvfb is not installed";
    }
    test::XvfbServer server;
    std::string error;
    ASSERT_TRUE(server.start("640x480x24", &error)) << error;
    CFrame frame(CRect(0, 0, 100, 50), nullptr);
    frame.setPlatform(createX11Platform(0, 100, 50, "loss"));
    ASSERT_NE(frame.getPlatform(), nullptr);
    frame.idle();
    EXPECT_TRUE(frame.getPlatform()->isAlive());

    server.stop();
    EXPECT_TRUE(idleUntil(frame, [&] {
        frame.invalidRect(frame.getViewSize());
        return !frame.getPlatform()->isAlive();
    }));
    // Closing what is left of the connection must not exit either.
    frame.setPlatform(nullptr);
}

}  // namespace
}  // namespace vexo
