#include "toolkit/CFrame0.h"

#include "toolkit/CBitmap0.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/PixelScale.h"
#include "toolkit/X11View.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace VSTGUI {

CFrame0::CFrame0(const CRect0& rect, void* parentView, void*, VSTGUIEditorInterface* editorInterface,
                 double pixelsPerUnit)
    : CView(rect), editor(editorInterface), scale(pixelsPerUnit > 0 ? pixelsPerUnit : 1.0)
{
    frame = this;
    if (parentView) {
        platformView = std::make_unique<X11View>(this, Window(reinterpret_cast<uintptr_t>(parentView)),
                                                 pixels(rect.width()), pixels(rect.height()), nullptr, 0);
        if (!platformView->isOpen())
            platformView.reset();
    }
}

CFrame0::CFrame0(const CRect0& rect, const char* title, unsigned long transientFor, double pixelsPerUnit)
    : CView(rect), scale(pixelsPerUnit > 0 ? pixelsPerUnit : 1.0)
{
    frame = this;
    platformView = std::make_unique<X11View>(this, 0, pixels(rect.width()), pixels(rect.height()), title, transientFor);
    if (!platformView->isOpen())
        platformView.reset();
}

CFrame0::~CFrame0()
{
    // Views first: text fields own child windows of the platform view.
    while (!views.empty())
        removeView(views.back(), true);
    releaseCachedContext();
    if (background)
        background->forget();
    platformView.reset();
}

void CFrame0::dispatchEvents()
{
    if (platformView)
        platformView->dispatchEvents();
}

bool CFrame0::isOpen() const { return platformView != nullptr; }

void* CFrame0::getPlatformView() const { return platformView.get(); }

void CFrame0::invalidRect(const CRect0& rect)
{
    if (platformView)
        platformView->invalidate(rect);
}

CDrawContext* CFrame0::createDrawContext0()
{
    return new CDrawContext(this, platformView ? platformView->getSurface() : nullptr, size.width(), size.height());
}

CDrawContext* CFrame0::getCachedContext()
{
    if (!cachedContext)
        cachedContext = createDrawContext0();
    return cachedContext;
}

void CFrame0::releaseCachedContext()
{
    if (cachedContext)
        cachedContext->forget();
    cachedContext = nullptr;
}

void CFrame0::doIdleStuff()
{
    if (cachedContext && cachedContext->synchronize() && platformView)
        platformView->flush();
}

bool CFrame0::getSize(CRect0* rect) const
{
    if (!rect)
        return false;
    *rect = size;
    return true;
}

bool CFrame0::setSize(CCoord width, CCoord height)
{
    if (width <= 0 || height <= 0)
        return false;
    size.right = size.left + width;
    size.bottom = size.top + height;
    releaseCachedContext();
    if (platformView)
        platformView->resize(pixels(width), pixels(height));
    return true;
}

void CFrame0::setScale(double pixelsPerUnit)
{
    if (pixelsPerUnit <= 0 || pixelsPerUnit == scale)
        return;
    scale = pixelsPerUnit;
    setSize(size.width(), size.height());
    invalidRect(size);
}

int CFrame0::pixels(CCoord units) const { return int(unitsToPixels(double(units), scale)); }

void CFrame0::setBackground(CBitmap0* bitmap)
{
    if (bitmap)
        bitmap->remember();
    if (background)
        background->forget();
    background = bitmap;
}

bool CFrame0::addView(CView* view)
{
    if (!view || isChild(view))
        return false;
    views.push_back(view);
    view->attached(this);
    return true;
}

bool CFrame0::removeView(CView* view, bool withForget)
{
    auto found = std::find(views.begin(), views.end(), view);
    if (found == views.end())
        return false;
    views.erase(found);
    if (modalView == view)
        modalView = nullptr;
    view->removed();
    if (withForget)
        view->forget();
    return true;
}

bool CFrame0::isChild(const CView* view) const { return std::find(views.begin(), views.end(), view) != views.end(); }

void CFrame0::drawRect(CDrawContext* context, const CRect0& rect)
{
    if (!context)
        return;
    CRect0 previous;
    context->getClipRect(previous);
    CRect0 clip = rect;
    clip.bound(CRect0(0, 0, context->getWidth(), context->getHeight()));
    context->setClipRect(clip);
    if (drawCallback) {
        drawCallback(context, callbackUser, long(rect.left), long(rect.top), long(rect.right), long(rect.bottom));
    } else {
        if (background)
            background->draw(context, CRect0(0, 0, background->getWidth(), background->getHeight()));
        for (CView* view : views)
            view->draw(context);
    }
    context->setClipRect(previous);
}

namespace {

bool callMouse(CFrame0* frame, CFrameMouseCallback callback, CPoint0& where, long buttons, bool flush)
{
    if (!callback)
        return false;
    CDrawContext* context = frame->createDrawContext0();
    callback(context, where, buttons, frame->callbackUser);
    if (flush)
        context->synchronize();
    context->forget();
    return true;
}

} // namespace

bool CFrame0::onMouseDown(CPoint0& where, long buttons)
{
    if (modalView)
        return modalView->onMouseDown(where, buttons);
    callMouse(this, mouseDownCallback, where, buttons, false);
    return true;
}

bool CFrame0::onMouseUp(CPoint0& where, long buttons)
{
    callMouse(this, mouseUpCallback, where, buttons, false);
    return true;
}

bool CFrame0::onMouseMoved(CPoint0& where, long buttons)
{
    callMouse(this, mouseMovedCallback, where, buttons, true);
    return true;
}

bool CFrame0::onWheel(const CPoint0& where, CMouseWheelAxis axis, float distance, long)
{
    if (!wheelCallback)
        return false;
    CPoint0 point = where;
    const long whole = long(distance);
    // The vertical wheel in the first distance, the horizontal one (a touchpad's sideways
    // swipe) in the second with the first 0, so a user of the first never sees it.
    if (axis == kMouseWheelAxisY)
        wheelCallback(nullptr, point, whole, whole, callbackUser);
    else
        wheelCallback(nullptr, point, 0, whole, callbackUser);
    return true;
}

bool CFrame0::onKeyDown(unsigned long, long) { return false; }

} // namespace VSTGUI
