#pragma once
// The top of the editor's views: a child window of the host's window (on its own X
// connection) whose drawing and pointer events go to plain callback functions.
//
// The host's editor-idle must call dispatchEvents(): it reads the connection, draws the
// exposed rectangles, delivers pointer events and fires timers. Nothing runs on another thread.
#include "toolkit/CView.h"

#include <memory>
#include <vector>

namespace VSTGUI {

class CBitmap0;
class CDrawContext;
class VSTGUIEditorInterface;
class X11View;

typedef void (*CFrameDrawCallback)(CDrawContext* context, void* user, long left, long top, long right, long bottom);
typedef void (*CFrameMouseCallback)(CDrawContext* context, CPoint0& where, long buttons, void* user);
typedef void (*CFrameWheelCallback)(CDrawContext* context, CPoint0& where, long distance, long distance2, void* user);

enum CMouseWheelAxis { kMouseWheelAxisX = 0, kMouseWheelAxisY = 1 };

class CFrame0 : public CView {
public:
    // parentView is the host's X window id (as the editor-open pointer carries it); with a
    // null parent, or without an X display, the frame has no platform view. size is in panel
    // units; the window has scale pixels per unit.
    CFrame0(const CRect0& size, void* parentView, void* secondHandle, VSTGUIEditorInterface* editor,
            double scale = 1.0);
    ~CFrame0() override;

    // Callback slots, filled by the editor after construction.
    CFrameDrawCallback drawCallback = nullptr;
    CFrameMouseCallback mouseDownCallback = nullptr;
    CFrameMouseCallback mouseUpCallback = nullptr;
    CFrameMouseCallback mouseMovedCallback = nullptr;
    CFrameWheelCallback wheelCallback = nullptr;
    void* callbackUser = nullptr;

    // Drains the X connection and dispatches every pending event; call from editor-idle.
    void dispatchEvents();

    bool isOpen() const;
    // The platform view (an X11View), or null; what DoPopupMenu, DoModalPresetDialog and
    // InvalidateNSView take as their view.
    void* getPlatformView() const;
    VSTGUIEditorInterface* getEditor() const { return editor; }

    void invalidRect(const CRect0& rect);
    // A context drawing on the window now; the caller releases it with forget().
    CDrawContext* createDrawContext0();
    void idle() {}
    // Flushes the cached context if something was drawn into it.
    void doIdleStuff();

    bool getSize(CRect0* rect) const;
    bool setSize(CCoord width, CCoord height);
    // Pixels per unit; a new scale resizes the window to the same size in units.
    double getScale() const { return scale; }
    void setScale(double pixelsPerUnit);

    void setBackground(CBitmap0* bitmap);
    CBitmap0* getBackground() const { return background; }

    bool addView(CView* view);
    // withForget drops the frame's reference to the view after removing it.
    bool removeView(CView* view, bool withForget = true);
    bool isChild(const CView* view) const;
    void setModalView(CView* view) { modalView = view; }
    CView* getModalView() const { return modalView; }

    // Routing from the platform view.
    void drawRect(CDrawContext* context, const CRect0& rect);
    bool onMouseDown(CPoint0& where, long buttons) override;
    bool onMouseUp(CPoint0& where, long buttons);
    bool onMouseMoved(CPoint0& where, long buttons);
    bool onWheel(const CPoint0& where, CMouseWheelAxis axis, float distance, long buttons);
    // Keys that reach the frame's own window (not a text field); true when used.
    virtual bool onKeyDown(unsigned long keysym, long modifiers);
    // The window manager asked to close a top-level frame.
    virtual void onCloseRequest() {}

    // The context the platform view draws exposes with; made on first use.
    CDrawContext* getCachedContext();

protected:
    // A top-level window titled title, transient for the host window transientFor.
    CFrame0(const CRect0& size, const char* title, unsigned long transientFor, double scale = 1.0);

private:
    void releaseCachedContext();
    int pixels(CCoord units) const;

    VSTGUIEditorInterface* editor = nullptr;
    double scale = 1.0;
    std::unique_ptr<X11View> platformView;
    CDrawContext* cachedContext = nullptr;
    CBitmap0* background = nullptr;
    std::vector<CView*> views;
    CView* modalView = nullptr;
};

} // namespace VSTGUI
