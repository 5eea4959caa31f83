#pragma once
// The base of what a frame holds: a rectangle in frame coordinates and the frame once added.
#include "toolkit/CBaseObject.h"
#include "toolkit/CRect0.h"
#include "toolkit/CReferenceCounter.h"

namespace VSTGUI {

class CDrawContext;
class CFrame0;

class CView : public CBaseObject, public CReferenceCounter {
public:
    explicit CView(const CRect0& size) : size(size) {}

    const CRect0& getViewSize() const { return size; }
    virtual void setViewSize(const CRect0& rect) { size = rect; }
    CFrame0* getFrame() const { return frame; }

    // Called by the frame when the view is added to it and removed from it.
    virtual void attached(CFrame0* owner) { frame = owner; }
    virtual void removed() { frame = nullptr; }
    // A modal view receives the frame's pointer events; true when handled.
    virtual bool onMouseDown(CPoint0& where, long buttons)
    {
        (void)where;
        (void)buttons;
        return false;
    }
    virtual void draw(CDrawContext* context) { (void)context; }

protected:
    CRect0 size;
    CFrame0* frame = nullptr;
};

} // namespace VSTGUI
