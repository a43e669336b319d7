// The root view: owns the views of one editor window, routes input to them, collects the
// dirty area and repaints only that through its presentation back-end.
#pragma once

#include <memory>

#include "gui/MenuPopup.h"
#include "gui/View.h"

namespace vexo {

class AEffGUIEditor;
class COptionMenu;
class FramePlatform;

// Everything here runs on the user-interface thread (the host's, for an editor).
class CFrame : public CViewContainer {
public:
    // Frame coordinates start at 0,0: only the size of size counts.
    CFrame(const CRect& size, AEffGUIEditor* editor);
    ~CFrame() override;

    // Gives the frame its window (or offscreen image); the frame repaints through it.
    void setPlatform(std::unique_ptr<FramePlatform> platform);
    FramePlatform* getPlatform() const { return platform_.get(); }
    AEffGUIEditor* getEditor() const { return editor_; }

    void setSize(int width, int height);

    // Input in frame coordinates, from the back-end or from tests. A press goes to the
    // topmost view under the pointer that takes it (views that do not handle it let it
    // through to those below); a view that answers kMouseEventHandled receives the moves and
    // the release. Wheel turns go to the view under the pointer, keys to the view under the
    // last pointer position and then its parents. While a pop-up menu is open it takes the
    // mouse and the keys; a drag in progress still receives its release.
    void handleMouseDown(CPoint where, CButtonState buttons);
    void handleMouseMoved(CPoint where, CButtonState buttons);
    void handleMouseUp(CPoint where, CButtonState buttons);
    void handleWheel(CPoint where, float distance, CButtonState buttons);
    bool handleKeyDown(VstKeyCode key);
    bool handleKeyUp(VstKeyCode key);

    // Adds area to what the next update repaints.
    void invalidRect(const CRect& area);
    const CRect& dirtyArea() const { return dirty_; }
    // Repaints the dirty area into the frame image and shows it; nothing when clean.
    void updateDirty();
    // Processes the back-end's pending events, then updates the dirty area.
    void idle();
    // The whole frame as last painted (screenshots, tests).
    const CBitmap& image() const { return *image_; }
    // Repaints everything now.
    void redrawAll();

    // Knob mode for the knobs' drag behaviour (KnobMode).
    void setKnobMode(int mode) { knobMode_ = mode; }
    int getKnobMode() const { return knobMode_; }

    // Pop-up menus: one at a time, anchored below anchor (frame coordinates).
    void popupMenu(COptionMenu* menu, const CRect& anchor);
    MenuPopup* openPopup() const { return popup_.get(); }
    void closePopup();

    // The view that receives moves and the release of the current drag.
    CView* mouseCapture() const { return capture_; }
    // Called when a view is removed, so that no pointer to it is kept.
    void forgetView(CView* view);

private:
    void paint(const CRect& area);
    // Offers a press to the views of container under where, topmost first, descending into
    // nested containers; the view that took it, or null.
    CView* offerMouseDown(CViewContainer& container, const CPoint& where, CButtonState buttons,
                          CMouseEventResult& result);
    bool offerWheel(CViewContainer& container, const CPoint& where, float distance, CButtonState buttons);
    // Carries out what the pop-up asked for after an event, or shows its changes.
    void carryOut(const MenuPopup::Action& action);

    AEffGUIEditor* editor_;
    std::unique_ptr<FramePlatform> platform_;
    std::shared_ptr<CBitmap> image_;
    CRect dirty_;
    CView* capture_ = nullptr;
    // The view being offered a press; cleared when the view is removed meanwhile.
    CView* pressTarget_ = nullptr;
    CPoint lastPointer_;
    int knobMode_ = kLinearModeDefault;
    std::unique_ptr<MenuPopup> popup_;
    unsigned shownPopupRevision_ = 0;

    static constexpr int kLinearModeDefault = 2;
};

// A presentation back-end: shows the frame image and feeds input back to the frame.
class FramePlatform {
public:
    virtual ~FramePlatform() = default;
    // Shows area of the frame image.
    virtual void present(const CBitmap& image, const CRect& area) = 0;
    // Delivers pending input events to frame (user-interface thread).
    virtual void processEvents(CFrame& frame) = 0;
    virtual void resize(int width, int height) = 0;
    // Shows, repaints or hides the open pop-up menu.
    virtual void showPopup(MenuPopup& popup) = 0;
    virtual void hidePopup() = 0;
    // The screen area, in frame coordinates, that a pop-up must fit into.
    virtual CRect popupBounds() const = 0;
    // False once the window or its display connection is gone.
    virtual bool isAlive() const { return true; }
    // The X11 window id of the frame's window; 0 without one.
    virtual unsigned long nativeWindow() const { return 0; }
};

// Renders into the frame image only, without any X server (tests, screenshots); the open
// pop-up is painted on request together with the frame image (composeWithPopup).
class OffscreenPlatform : public FramePlatform {
public:
    explicit OffscreenPlatform(CRect screen = {-400, -400, 1600, 1200});
    void present(const CBitmap& image, const CRect& area) override;
    void processEvents(CFrame& frame) override;
    void resize(int width, int height) override;
    void showPopup(MenuPopup& popup) override;
    void hidePopup() override;
    CRect popupBounds() const override { return screen_; }

    int presentCount() const { return presents_; }
    const CRect& lastPresented() const { return lastPresented_; }
    bool popupShown() const { return popupShown_; }
    // The frame image with the open pop-up painted over it, in one image of the area both
    // cover; frameOrigin receives where the frame's 0,0 lies in it.
    SharedBitmap composeWithPopup(const CBitmap& frameImage, CPoint* frameOrigin = nullptr) const;

private:
    CRect screen_;
    int presents_ = 0;
    CRect lastPresented_;
    bool popupShown_ = false;
    const MenuPopup* popup_ = nullptr;
};

// An X11 window showing the frame: a child of parentWindow (an X window id), or a top-level
// window of its own when parentWindow is 0. Null when no display can be opened or the
// parent does not exist. User-interface thread.
std::unique_ptr<FramePlatform> createX11Platform(unsigned long parentWindow, int width, int height, const char* title);

}  // namespace vexo
