#include "gui/View.h"

#include <algorithm>

#include "gui/Frame.h"

namespace vexo {

CView::CView(const CRect& size) : size_(size), mouseableArea_(size) {}

CView::~CView() = default;

void CView::draw(CDrawContext& context) {
    if (background_) {
        context.drawBitmap(*background_, size_);
    }
}

CMouseEventResult CView::onMouseDown(CPoint& /*where*/, const CButtonState& /*buttons*/) {
    return CMouseEventResult::kMouseEventNotHandled;
}

CMouseEventResult CView::onMouseMoved(CPoint& /*where*/, const CButtonState& /*buttons*/) {
    return CMouseEventResult::kMouseEventNotHandled;
}

CMouseEventResult CView::onMouseUp(CPoint& /*where*/, const CButtonState& /*buttons*/) {
    return CMouseEventResult::kMouseEventNotHandled;
}

bool CView::onWheel(const CPoint& /*where*/, float /*distance*/, const CButtonState& /*buttons*/) {
    return false;
}

std::int32_t CView::onKeyDown(VstKeyCode& /*key*/) {
    return -1;
}

std::int32_t CView::onKeyUp(VstKeyCode& /*key*/) {
    return -1;
}

void CView::invalid() {
    if (CFrame* frame = getFrame()) {
        frame->invalidRect(size_);
    }
}

void CView::setDirty(bool state) {
    dirty_ = state;
}

void CView::setViewSize(const CRect& rect, bool invalidate) {
    if (invalidate) {
        invalid();
    }
    size_ = rect;
    mouseableArea_ = rect;
    if (invalidate) {
        invalid();
    }
}

void CView::setVisible(bool state) {
    if (visible_ == state) {
        return;
    }
    visible_ = state;
    // Shown or hidden, the rectangle changes: what lies below must be repainted too.
    invalid();
}

void CView::setBackground(SharedBitmap bitmap) {
    background_ = std::move(bitmap);
    setDirty(true);
}

CFrame* CView::getFrame() const {
    const CView* root = this;
    while (root->parent_ != nullptr) {
        root = root->parent_;
    }
    return dynamic_cast<CFrame*>(const_cast<CView*>(root));
}

CViewContainer::CViewContainer(const CRect& size) : CView(size) {}

CViewContainer::~CViewContainer() = default;

void CViewContainer::addView(CView* view) {
    if (view == nullptr) {
        return;
    }
    view->parent_ = this;
    children_.emplace_back(view);
    view->invalid();
}

void CViewContainer::removeView(CView* view) {
    auto found = std::find_if(children_.begin(), children_.end(), [view](const auto& c) { return c.get() == view; });
    if (found == children_.end()) {
        return;
    }
    if (CFrame* frame = getFrame()) {
        frame->forgetView(view);
    }
    view->invalid();
    // Moved out first: the view may look at its parent's children while it is destroyed.
    std::unique_ptr<CView> removed = std::move(*found);
    children_.erase(found);
}

void CViewContainer::removeAll() {
    CFrame* frame = getFrame();
    for (auto& child : children_) {
        if (frame != nullptr) {
            frame->forgetView(child.get());
        }
    }
    invalid();
    // Destroyed from the last added on, the reverse of building.
    while (!children_.empty()) {
        std::unique_ptr<CView> removed = std::move(children_.back());
        children_.pop_back();
    }
}

CView* CViewContainer::getView(int index) const {
    return index >= 0 && index < getNbViews() ? children_[static_cast<std::size_t>(index)].get() : nullptr;
}

void CViewContainer::draw(CDrawContext& context) {
    drawRect(context, getViewSize());
}

void CViewContainer::drawRect(CDrawContext& context, const CRect& area) {
    const CRect visibleArea = area.intersection(getViewSize());
    if (visibleArea.isEmpty()) {
        return;
    }
    if (!getTransparency()) {
        if (getBackground()) {
            context.drawBitmap(*getBackground(), getViewSize());
        } else if (backgroundColor_.alpha > 0) {
            context.setFillColor(backgroundColor_);
            context.drawRect(visibleArea, CDrawStyle::kDrawFilled);
        }
    }
    for (auto& child : children_) {
        if (!child->isVisible()) {
            continue;
        }
        const CRect childArea = visibleArea.intersection(child->getViewSize());
        if (childArea.isEmpty()) {
            continue;
        }
        context.pushClip(childArea);
        if (auto* container = dynamic_cast<CViewContainer*>(child.get())) {
            container->drawRect(context, childArea);
        } else {
            child->draw(context);
        }
        context.popClip();
    }
}

CView* CViewContainer::getViewAt(const CPoint& where) const {
    for (auto child = children_.rbegin(); child != children_.rend(); ++child) {
        CView* view = child->get();
        if (view->isVisible() && view->getMouseEnabled() && view->getMouseableArea().pointInside(where)) {
            return view;
        }
    }
    return nullptr;
}

CView* CViewContainer::findViewAt(const CPoint& where) const {
    CView* found = getViewAt(where);
    for (auto* container = dynamic_cast<CViewContainer*>(found); container != nullptr;
         container = dynamic_cast<CViewContainer*>(found)) {
        CView* inner = container->getViewAt(where);
        if (inner == nullptr) {
            break;
        }
        found = inner;
    }
    return found;
}

void CViewContainer::collectDirtyViews(CFrame& frame) {
    for (auto& child : children_) {
        if (child->isDirty()) {
            child->setDirty(false);
            if (child->isVisible()) {
                frame.invalidRect(child->getViewSize());
            }
        }
        if (auto* container = dynamic_cast<CViewContainer*>(child.get()); container && container->isVisible()) {
            container->collectDirtyViews(frame);
        }
    }
}

CMouseEventResult CViewContainer::onMouseDown(CPoint& where, const CButtonState& buttons) {
    CView* view = getViewAt(where);
    return view != nullptr ? view->onMouseDown(where, buttons) : CMouseEventResult::kMouseEventNotHandled;
}

bool CViewContainer::onWheel(const CPoint& where, float distance, const CButtonState& buttons) {
    CView* view = getViewAt(where);
    return view != nullptr && view->onWheel(where, distance, buttons);
}

}  // namespace vexo
