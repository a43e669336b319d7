// The about picture with a caption and a version line; shown while its value is non-zero.
#pragma once

#include <cstddef>
#include <string>

#include "gui/Control.h"

namespace vexo {

constexpr std::size_t kSplashTextMaxBytes = 255;
constexpr const char* kSplashDefaultVersionText = "Version 2.5.2";

class SplashView : public CControl {
public:
    // Starts hidden (value 0). A hidden splash takes no mouse input.
    SplashView(const CRect& size, CControlListener* listener, std::int32_t tag, SharedBitmap picture);

    // User-interface thread: non-zero shows the splash, 0 hides it (isVisible tells which).
    void setValue(float value) override;
    // The picture, then the version line and the caption (or, compact, the version alone).
    void draw(CDrawContext& context) override;
    // Toggles the value and tells the listener.
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;

    virtual void setLinkOnAnyButton(bool state) { linkOnAnyButton_ = state; }
    virtual void show() { setValue(1.0f); }
    virtual void open() { setValue(1.0f); }
    virtual void close() { setValue(0.0f); }
    virtual void setCompact(bool state);
    // Texts are cut at kSplashTextMaxBytes bytes.
    virtual void setCaption(const std::string& text);
    virtual void setVersionText(const std::string& text);
    // An image scrolled upwards inside the scroll rectangle (relative to the view), one pixel
    // per scrollStep.
    virtual void setScrollImage(SharedBitmap image);
    virtual void setScrollRect(const CRect& rect);
    // Top-left corners of the text lines, relative to the view.
    virtual void setVersionPosition(const CPoint& position);
    virtual void setCaptionPosition(const CPoint& position);
    // Kept for skins that name one; the panel never opens links.
    virtual void setLink(const std::string& link) { link_ = link.substr(0, kSplashTextMaxBytes); }
    virtual void setLinkRect(const CRect& rect) { linkRect_ = rect; }
    virtual void scrollStep();

    bool isCompact() const { return compact_; }
    const std::string& getCaption() const { return caption_; }
    const std::string& getVersionText() const { return versionText_; }
    const std::string& getLink() const { return link_; }
    const CRect& getLinkRect() const { return linkRect_; }
    bool getLinkOnAnyButton() const { return linkOnAnyButton_; }
    void setFontColor(const CColor& color);

private:
    void drawText(CDrawContext& context, const std::string& text, const CRect& relative) const;
    void drawScrollImage(CDrawContext& context) const;

    std::string caption_;
    std::string versionText_;
    CPoint captionPosition_{17, 110};
    CPoint versionPosition_{17, 160};
    bool compact_ = false;
    CColor fontColor_{235, 235, 235, 255};
    SharedBitmap scrollImage_;
    CRect scrollRect_;
    int scrollOffset_ = 0;
    std::string link_;
    CRect linkRect_;
    bool linkOnAnyButton_ = false;
};

}  // namespace vexo
