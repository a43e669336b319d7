#include "editor/controls/SplashView.h"

#include <utility>

namespace vexo {

namespace {

// Text lines are this many pixels wide and high.
constexpr int kTextWidthPixels = 280;
constexpr int kTextHeightPixels = 13;
constexpr int kCompactVersionX = 25;
constexpr int kCompactVersionY = 160;

}  // namespace

SplashView::SplashView(const CRect& size, CControlListener* listener, std::int32_t tag, SharedBitmap picture)
    : CControl(size, listener, tag, std::move(picture)) {
    CControl::setValue(0.0f);
    setVisible(false);
}

void SplashView::setValue(float value) {
    const bool shown = value != 0.0f;
    if (!shown) {
        // Redraw what the splash covered while it is still visible to the frame.
        invalid();
    }
    CControl::setValue(value);
    setVisible(shown);
    if (shown) {
        invalid();
    }
}

void SplashView::setCompact(bool state) {
    compact_ = state;
    setDirty();
}

void SplashView::setCaption(const std::string& text) {
    caption_ = text.substr(0, kSplashTextMaxBytes);
    setDirty();
}

void SplashView::setVersionText(const std::string& text) {
    versionText_ = text.substr(0, kSplashTextMaxBytes);
    setDirty();
}

void SplashView::setScrollImage(SharedBitmap image) {
    scrollImage_ = std::move(image);
    scrollOffset_ = 0;
    setDirty();
}

void SplashView::setScrollRect(const CRect& rect) {
    scrollRect_ = rect;
    setDirty();
}

void SplashView::setVersionPosition(const CPoint& position) {
    versionPosition_ = position;
    setDirty();
}

void SplashView::setCaptionPosition(const CPoint& position) {
    captionPosition_ = position;
    setDirty();
}

void SplashView::setFontColor(const CColor& color) {
    fontColor_ = color;
    setDirty();
}

void SplashView::scrollStep() {
    if (!scrollImage_ || scrollRect_.isEmpty() || scrollImage_->getHeight() <= 0) {
        return;
    }
    scrollOffset_ = (scrollOffset_ + 1) % scrollImage_->getHeight();
    setDirty();
}

void SplashView::drawText(CDrawContext& context, const std::string& text, const CRect& relative) const {
    const CRect& view = getViewSize();
    CRect rect = relative;
    rect.offset(view.left, view.top);
    context.drawString(text, rect);
}

void SplashView::drawScrollImage(CDrawContext& context) const {
    const CRect& view = getViewSize();
    CRect rect = scrollRect_;
    rect.offset(view.left, view.top);
    context.pushClip(rect);
    context.drawBitmap(*scrollImage_, rect, CPoint(0, scrollOffset_));
    context.popClip();
}

void SplashView::draw(CDrawContext& context) {
    if (value_ != 0.0f) {
        if (const SharedBitmap& picture = getBackground()) {
            context.drawBitmap(*picture, getViewSize());
        }
        if (scrollImage_ && !scrollRect_.isEmpty()) {
            drawScrollImage(context);
        }
        const std::string& version = versionText_.empty() ? std::string(kSplashDefaultVersionText) : versionText_;
        context.setFont(kSmallFontHeight);
        context.setFontColor(fontColor_);
        if (compact_) {
            drawText(context, version,
                     CRect::fromSize(kCompactVersionX, kCompactVersionY, kTextWidthPixels, kTextHeightPixels));
        } else {
            drawText(context, version,
                     CRect::fromSize(versionPosition_.x, versionPosition_.y, kTextWidthPixels, kTextHeightPixels));
            drawText(context, caption_,
                     CRect::fromSize(captionPosition_.x, captionPosition_.y, kTextWidthPixels, kTextHeightPixels));
        }
    }
    setDirty(false);
}

CMouseEventResult SplashView::onMouseDown(CPoint& /*where*/, const CButtonState& /*buttons*/) {
    setValue(value_ != 0.0f ? 0.0f : 1.0f);
    valueChanged();
    return CMouseEventResult::kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

}  // namespace vexo
