// Images, blits, strokes and text on cairo, and the frame's repaint of its dirty area.
#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "TestSupport.h"
#include "gui/DrawContext.h"

namespace vexo {
namespace {

using test::kBlue;
using test::kGreen;
using test::kRed;

// A target image and a drawing context over it.
struct Canvas {
    explicit Canvas(int width, int height, CColor fill = kWhiteCColor)
        : image(test::stackedImage(width, height, {fill})), cr(cairo_create(image->surface())) {}
    ~Canvas() { cairo_destroy(cr); }
    CColor at(int x, int y) {
        cairo_surface_flush(image->surface());
        return image->pixel(x, y);
    }
    SharedBitmap image;
    cairo_t* cr;
};

TEST(Bitmap, DecodesPngFromFileAndMemoryAndRefusesBadData) {
    test::TempDir dir;
    SharedBitmap original = test::stackedImage(4, 3, {kRed, {10, 20, 30, 128}});
    ASSERT_TRUE(original->savePng(dir.file("a.png")));

    SharedBitmap fromFile = CBitmap::loadPng(dir.file("a.png"));
    ASSERT_TRUE(fromFile);
    EXPECT_EQ(fromFile->getWidth(), 4);
    EXPECT_EQ(fromFile->getHeight(), 6);
    EXPECT_EQ(fromFile->pixel(1, 1), kRed);
    EXPECT_EQ(fromFile->pixel(3, 5).alpha, 128);

    const std::vector<std::uint8_t> bytes = test::readBytes(dir.file("a.png"));
    SharedBitmap fromMemory = CBitmap::fromPngData(bytes.data(), bytes.size());
    ASSERT_TRUE(fromMemory);
    EXPECT_EQ(fromMemory->pixel(2, 4), fromFile->pixel(2, 4));

    EXPECT_FALSE(CBitmap::fromPngData(bytes.data(), bytes.size() / 2));
    const std::uint8_t garbage[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    EXPECT_FALSE(CBitmap::fromPngData(garbage, sizeof garbage));
    EXPECT_FALSE(CBitmap::loadPng(dir.file("missing.png")));
    test::writeFile(dir.file("bad.png"), "not a png");
    EXPECT_FALSE(CBitmap::loadPng(dir.file("bad.png")));
    EXPECT_EQ(fromFile->pixel(-1, 0), kTransparentCColor);
}

TEST(DrawContext, BlitTakesTheSourceOffsetAndGlobalAlpha) {
    Canvas canvas(30, 30);
    SharedBitmap strip = test::stackedImage(10, 10, {kRed, kBlue});
    {
        CDrawContext context(canvas.cr);
        context.drawBitmap(*strip, CRect(5, 5, 15, 15), CPoint(0, 10));
        context.drawBitmap(*strip, CRect(20, 0, 30, 10), CPoint(0, 0), 128);
    }
    EXPECT_EQ(canvas.at(5, 5), kBlue);
    EXPECT_EQ(canvas.at(14, 14), kBlue);
    EXPECT_EQ(canvas.at(4, 5), kWhiteCColor);
    EXPECT_EQ(canvas.at(15, 14), kWhiteCColor);
    EXPECT_EQ(canvas.at(5, 15), kWhiteCColor);
    // Half of red over white.
    const CColor blended = canvas.at(25, 5);
    EXPECT_NEAR(blended.red, (220 + 255) / 2, 2);
    EXPECT_NEAR(blended.green, (30 + 255) / 2, 2);
}

TEST(DrawContext, OnePixelStrokesFillWholePixelsAndTextStaysInItsRectangle) {
    Canvas canvas(60, 40);
    {
        CDrawContext context(canvas.cr);
        context.setFrameColor(kBlackCColor);
        context.drawLine({2, 5}, {8, 5});
        context.drawRect(CRect(10, 10, 20, 20));
        context.setFontColor(kBlackCColor);
        context.drawString("A long line of text", CRect(30, 20, 50, 34));
    }
    for (int x = 2; x <= 8; ++x) {
        EXPECT_EQ(canvas.at(x, 5), kBlackCColor) << x;
    }
    EXPECT_EQ(canvas.at(2, 4), kWhiteCColor);
    EXPECT_EQ(canvas.at(9, 5), kWhiteCColor);
    EXPECT_EQ(canvas.at(10, 10), kBlackCColor);
    EXPECT_EQ(canvas.at(19, 19), kBlackCColor);
    EXPECT_EQ(canvas.at(11, 11), kWhiteCColor);
    EXPECT_EQ(canvas.at(20, 20), kWhiteCColor);

    int inked = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 60; ++x) {
            const bool dark = canvas.at(x, y).red < 128;
            const bool inText = CRect(30, 20, 50, 34).pointInside({x, y});
            if (dark && inText) {
                ++inked;
            }
            EXPECT_FALSE(dark && !inText && x >= 30) << x << "," << y;
        }
    }
    EXPECT_GT(inked, 10);
}

// Fills its rectangle with a colour it is told; counts its paints.
struct SolidView : CView {
    explicit SolidView(const CRect& size, CColor c) : CView(size), color(c) {}
    void draw(CDrawContext& context) override {
        ++paints;
        context.setFillColor(color);
        context.drawRect(getViewSize(), CDrawStyle::kDrawFilled);
    }
    CColor color;
    int paints = 0;
};

TEST(Frame, RepaintsAndPresentsOnlyTheDirtyArea) {
    test::OffscreenFrame offscreen(100, 50);
    CFrame& frame = *offscreen.frame;
    auto* left = new SolidView(CRect(0, 0, 50, 50), kRed);
    auto* right = new SolidView(CRect(50, 0, 100, 50), kGreen);
    frame.addView(left);
    frame.addView(right);
    frame.updateDirty();
    EXPECT_EQ(offscreen.platform->lastPresented(), CRect(0, 0, 100, 50));
    EXPECT_EQ(frame.image().pixel(10, 10), kRed);
    EXPECT_EQ(frame.image().pixel(60, 10), kGreen);

    // Only the left view is marked: the right one keeps its old picture although its colour
    // changed.
    left->color = kBlue;
    right->color = kBlue;
    left->setDirty();
    const int presents = offscreen.platform->presentCount();
    frame.updateDirty();
    EXPECT_EQ(offscreen.platform->presentCount(), presents + 1);
    EXPECT_EQ(offscreen.platform->lastPresented(), CRect(0, 0, 50, 50));
    EXPECT_EQ(frame.image().pixel(10, 10), kBlue);
    EXPECT_EQ(frame.image().pixel(60, 10), kGreen);
    EXPECT_EQ(right->paints, 1);

    frame.updateDirty();
    EXPECT_EQ(offscreen.platform->presentCount(), presents + 1);

    // A hidden view uncovers the background below it.
    left->setVisible(false);
    EXPECT_EQ(offscreen.pixel(10, 10), test::OffscreenFrame::kGrey);
}

}  // namespace
}  // namespace vexo
