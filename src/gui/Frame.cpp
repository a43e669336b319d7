#include "gui/Frame.h"

#include <cairo.h>

#include "gui/OptionMenu.h"

namespace vexo {
namespace {

// The screen assumed for pop-ups while the frame has no back-end.
const CRect kScreenWithoutPlatform{-400, -400, 1600, 1200};

bool isSelfOrInside(const CView* view, const CView* ancestor) {
    for (; view != nullptr; view = view->getParentView()) {
        if (view == ancestor) {
            return true;
        }
    }
    return false;
}

}  // namespace

CFrame::CFrame(const CRect& size, AEffGUIEditor* editor)
    : CViewContainer(CRect(0, 0, size.width(), size.height())),
      editor_(editor),
      image_(std::make_shared<CBitmap>(size.width(), size.height())),
      dirty_(0, 0, size.width(), size.height()) {}

CFrame::~CFrame() {
    closePopup();
    capture_ = nullptr;
    // The views go while the frame is still whole: their destructors may ask for it.
    removeAll();
    platform_.reset();
}

void CFrame::setPlatform(std::unique_ptr<FramePlatform> platform) {
    closePopup();
    platform_ = std::move(platform);
    invalidRect(getViewSize());
}

void CFrame::setSize(int width, int height) {
    if (width == getViewSize().width() && height == getViewSize().height()) {
        return;
    }
    setViewSize(CRect(0, 0, width, height), false);
    image_ = std::make_shared<CBitmap>(width, height);
    if (platform_) {
        platform_->resize(width, height);
    }
    invalidRect(getViewSize());
}

CView* CFrame::offerMouseDown(CViewContainer& container, const CPoint& where, CButtonState buttons,
                              CMouseEventResult& result) {
    for (int i = container.getNbViews() - 1; i >= 0; --i) {
        CView* view = container.getView(i);
        if (!view->isVisible() || !view->getMouseEnabled() || !view->getMouseableArea().pointInside(where)) {
            continue;
        }
        if (auto* inner = dynamic_cast<CViewContainer*>(view)) {
            if (CView* taker = offerMouseDown(*inner, where, buttons, result)) {
                return taker;
            }
            continue;
        }
        pressTarget_ = view;
        CPoint local = where;
        result = view->onMouseDown(local, buttons);
        if (result != CMouseEventResult::kMouseEventNotHandled) {
            return view;
        }
    }
    return nullptr;
}

bool CFrame::offerWheel(CViewContainer& container, const CPoint& where, float distance, CButtonState buttons) {
    for (int i = container.getNbViews() - 1; i >= 0; --i) {
        CView* view = container.getView(i);
        if (!view->isVisible() || !view->getMouseEnabled() || !view->getMouseableArea().pointInside(where)) {
            continue;
        }
        auto* inner = dynamic_cast<CViewContainer*>(view);
        if (inner != nullptr ? offerWheel(*inner, where, distance, buttons) : view->onWheel(where, distance, buttons)) {
            return true;
        }
    }
    return false;
}

void CFrame::handleMouseDown(CPoint where, CButtonState buttons) {
    lastPointer_ = where;
    if (popup_) {
        carryOut(popup_->mouseDown(where, buttons));
        return;
    }
    if (capture_ != nullptr) {
        // Another button during a drag: the drag keeps the mouse until its release.
        return;
    }
    CMouseEventResult result = CMouseEventResult::kMouseEventNotHandled;
    CView* taker = offerMouseDown(*this, where, buttons, result);
    // A view removed while it handled the press (forgetView cleared pressTarget_) is gone.
    if (taker != nullptr && taker == pressTarget_ && result == CMouseEventResult::kMouseEventHandled) {
        capture_ = taker;
    }
    pressTarget_ = nullptr;
}

void CFrame::handleMouseMoved(CPoint where, CButtonState buttons) {
    lastPointer_ = where;
    if (popup_) {
        carryOut(popup_->mouseMoved(where, buttons));
        return;
    }
    if (capture_ != nullptr) {
        capture_->onMouseMoved(where, buttons);
    }
}

void CFrame::handleMouseUp(CPoint where, CButtonState buttons) {
    lastPointer_ = where;
    if (CView* released = capture_) {
        capture_ = nullptr;
        CPoint local = where;
        released->onMouseUp(local, buttons);
    }
    if (popup_) {
        carryOut(popup_->mouseUp(where, buttons));
    }
}

void CFrame::handleWheel(CPoint where, float distance, CButtonState buttons) {
    lastPointer_ = where;
    if (!popup_) {
        offerWheel(*this, where, distance, buttons);
    }
}

bool CFrame::handleKeyDown(VstKeyCode key) {
    if (popup_) {
        carryOut(popup_->keyDown(key));
        return true;
    }
    CView* target = capture_ != nullptr ? capture_ : findViewAt(lastPointer_);
    for (CView* view = target; view != nullptr && view != this; view = view->getParentView()) {
        if (view->onKeyDown(key) == 1) {
            return true;
        }
    }
    return false;
}

bool CFrame::handleKeyUp(VstKeyCode key) {
    if (popup_) {
        return true;
    }
    CView* target = capture_ != nullptr ? capture_ : findViewAt(lastPointer_);
    for (CView* view = target; view != nullptr && view != this; view = view->getParentView()) {
        if (view->onKeyUp(key) == 1) {
            return true;
        }
    }
    return false;
}

void CFrame::invalidRect(const CRect& area) {
    dirty_ = dirty_.united(area.intersection(getViewSize()));
}

void CFrame::paint(const CRect& area) {
    cairo_t* cr = cairo_create(image_->surface());
    {
        CDrawContext context(cr);
        context.pushClip(area);
        // Opaque black first: whatever the background leaves transparent must not show the
        // previous picture.
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_rgb(cr, 0.0, 0.0, 0.0);
        cairo_paint(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
        drawRect(context, area);
    }
    cairo_destroy(cr);
    cairo_surface_flush(image_->surface());
}

void CFrame::updateDirty() {
    if (isDirty()) {
        setDirty(false);
        invalidRect(getViewSize());
    }
    collectDirtyViews(*this);
    if (dirty_.isEmpty()) {
        return;
    }
    const CRect area = dirty_;
    dirty_ = {};
    paint(area);
    if (platform_) {
        platform_->present(*image_, area);
    }
}

void CFrame::idle() {
    if (platform_) {
        platform_->processEvents(*this);
    }
    updateDirty();
}

void CFrame::redrawAll() {
    invalidRect(getViewSize());
    updateDirty();
}

void CFrame::popupMenu(COptionMenu* menu, const CRect& anchor) {
    if (menu == nullptr) {
        return;
    }
    closePopup();
    popup_ = std::make_unique<MenuPopup>(*menu, anchor, platform_ ? platform_->popupBounds() : kScreenWithoutPlatform);
    shownPopupRevision_ = popup_->revision();
    if (platform_) {
        platform_->showPopup(*popup_);
    }
}

void CFrame::closePopup() {
    if (!popup_) {
        return;
    }
    if (platform_) {
        platform_->hidePopup();
    }
    popup_.reset();
}

void CFrame::carryOut(const MenuPopup::Action& action) {
    switch (action.kind) {
        case MenuPopup::Action::kClose:
            closePopup();
            return;
        case MenuPopup::Action::kChoose: {
            COptionMenu* menu = action.menu;
            closePopup();
            menu->choose(action.index);
            return;
        }
        case MenuPopup::Action::kNone:
            if (popup_ && popup_->revision() != shownPopupRevision_) {
                shownPopupRevision_ = popup_->revision();
                if (platform_) {
                    platform_->showPopup(*popup_);
                }
            }
            return;
    }
}

void CFrame::forgetView(CView* view) {
    if (isSelfOrInside(capture_, view)) {
        capture_ = nullptr;
    }
    if (isSelfOrInside(pressTarget_, view)) {
        pressTarget_ = nullptr;
    }
    if (popup_ && isSelfOrInside(&popup_->rootMenu(), view)) {
        closePopup();
    }
}

OffscreenPlatform::OffscreenPlatform(CRect screen) : screen_(screen) {}

void OffscreenPlatform::present(const CBitmap& /*image*/, const CRect& area) {
    ++presents_;
    lastPresented_ = area;
}

void OffscreenPlatform::processEvents(CFrame& /*frame*/) {}

void OffscreenPlatform::resize(int /*width*/, int /*height*/) {}

void OffscreenPlatform::showPopup(MenuPopup& popup) {
    popup_ = &popup;
    popupShown_ = true;
}

void OffscreenPlatform::hidePopup() {
    popup_ = nullptr;
    popupShown_ = false;
}

SharedBitmap OffscreenPlatform::composeWithPopup(const CBitmap& frameImage, CPoint* frameOrigin) const {
    const CRect frameRect(0, 0, frameImage.getWidth(), frameImage.getHeight());
    const CRect all = popup_ != nullptr ? frameRect.united(popup_->area()) : frameRect;
    auto composed = std::make_shared<CBitmap>(all.width(), all.height());
    cairo_t* cr = cairo_create(composed->surface());
    cairo_translate(cr, -all.left, -all.top);
    {
        CDrawContext context(cr);
        context.drawBitmap(frameImage, frameRect);
        for (int level = 0; popup_ != nullptr && level < popup_->levelCount(); ++level) {
            popup_->drawLevel(context, level);
        }
    }
    cairo_destroy(cr);
    cairo_surface_flush(composed->surface());
    if (frameOrigin != nullptr) {
        *frameOrigin = {-all.left, -all.top};
    }
    return composed;
}

}  // namespace vexo
