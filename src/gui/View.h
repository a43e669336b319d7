// Views: rectangles of the frame that draw themselves and take the mouse and keys.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "gui/Bitmap.h"
#include "gui/DrawContext.h"
#include "gui/Geometry.h"

namespace vexo {

class CFrame;
class CViewContainer;

// Mouse buttons and modifier keys held during a mouse or key event.
enum CButton : std::uint32_t {
    kLButton = 1 << 0,
    kMButton = 1 << 1,
    kRButton = 1 << 2,
    kShift = 1 << 3,
    kControl = 1 << 4,
    kAlt = 1 << 5,
    kDoubleClick = 1 << 6,
};
using CButtonState = std::uint32_t;
constexpr CButtonState kModifierMask = kShift | kControl | kAlt;

enum class CMouseEventResult {
    kMouseEventNotHandled,
    // Handled, and the view wants the moves and the release that follow (a drag).
    kMouseEventHandled,
    // Handled by the press alone: no moves or release follow.
    kMouseDownEventHandledButDontNeedMovedOrUpEvents,
};

// A key as the toolkit sees it: a character (0 when none) or a virtual key below.
struct VstKeyCode {
    std::int32_t character = 0;
    std::uint8_t virt = 0;
    std::uint8_t modifier = 0;  // CButton modifier bits
};

enum VirtualKey : std::uint8_t {
    kVirtKeyNone = 0,
    kVirtKeyBack,
    kVirtKeyTab,
    kVirtKeyReturn,
    kVirtKeyEscape,
    kVirtKeySpace,
    kVirtKeyLeft,
    kVirtKeyUp,
    kVirtKeyRight,
    kVirtKeyDown,
    kVirtKeyPageUp,
    kVirtKeyPageDown,
    kVirtKeyHome,
    kVirtKeyEnd,
    kVirtKeyDelete,
};

// Every rectangle and point of a view is in frame coordinates, also inside nested containers.
class CView {
public:
    explicit CView(const CRect& size);
    virtual ~CView();
    CView(const CView&) = delete;
    CView& operator=(const CView&) = delete;

    // Drawing: the view paints its rectangle; the frame has clipped to the dirty area.
    virtual void draw(CDrawContext& context);

    // Mouse, in frame coordinates. A view that answers kMouseEventHandled to a press receives
    // the moves and the release until the button goes up.
    virtual CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons);
    // distance: wheel steps, positive away from the user.
    virtual bool onWheel(const CPoint& where, float distance, const CButtonState& buttons);
    // Keys: 1 when handled, -1 when not.
    virtual std::int32_t onKeyDown(VstKeyCode& key);
    virtual std::int32_t onKeyUp(VstKeyCode& key);

    // User-interface thread: adds the view's rectangle to the frame's dirty area at once.
    virtual void invalid();
    // Marks the view for redraw (any thread: only a flag, which the frame collects on its next
    // update and then clears).
    virtual void setDirty(bool state = true);
    bool isDirty() const { return dirty_; }

    const CRect& getViewSize() const { return size_; }
    virtual void setViewSize(const CRect& rect, bool invalidate = true);
    // Where the mouse is taken: the view's rectangle unless set otherwise.
    const CRect& getMouseableArea() const { return mouseableArea_; }
    void setMouseableArea(const CRect& rect) { mouseableArea_ = rect; }

    void setMouseEnabled(bool enabled) { mouseEnabled_ = enabled; }
    bool getMouseEnabled() const { return mouseEnabled_; }
    // A transparent view shows what lies below it where its image is transparent.
    void setTransparency(bool state) { transparent_ = state; }
    bool getTransparency() const { return transparent_; }
    void setVisible(bool state);
    bool isVisible() const { return visible_; }

    void setBackground(SharedBitmap bitmap);
    const SharedBitmap& getBackground() const { return background_; }

    CViewContainer* getParentView() const { return parent_; }
    CFrame* getFrame() const;

private:
    friend class CViewContainer;
    CRect size_;
    CRect mouseableArea_;
    std::atomic<bool> dirty_{true};
    bool mouseEnabled_ = true;
    bool transparent_ = false;
    bool visible_ = true;
    SharedBitmap background_;
    CViewContainer* parent_ = nullptr;
};

// Holds child views (owned) and draws them in the order they were added.
class CViewContainer : public CView {
public:
    explicit CViewContainer(const CRect& size);
    ~CViewContainer() override;

    // Takes ownership of view.
    void addView(CView* view);
    // Removes and deletes view.
    void removeView(CView* view);
    void removeAll();
    int getNbViews() const { return static_cast<int>(children_.size()); }
    CView* getView(int index) const;

    // Background image or colour, then every visible child that meets the clip.
    void draw(CDrawContext& context) override;
    void drawRect(CDrawContext& context, const CRect& area);
    void setBackgroundColor(const CColor& color) { backgroundColor_ = color; }

    // The topmost visible, mouse-enabled child under where, or null.
    CView* getViewAt(const CPoint& where) const;
    // The innermost view under where: descends through nested containers; null when no child
    // is under where.
    CView* findViewAt(const CPoint& where) const;
    // Adds the rectangles of the visible views marked dirty (setDirty) to the frame's dirty
    // area and clears their flags.
    void collectDirtyViews(CFrame& frame);

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;

private:
    std::vector<std::unique_ptr<CView>> children_;
    CColor backgroundColor_ = kBlackCColor;
};

}  // namespace vexo
