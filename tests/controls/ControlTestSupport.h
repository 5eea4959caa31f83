#pragma once
// What the control tests share: a callback that records every report, an owner that records
// invalidations and the focused display, and bitmap strips whose frames are told apart by
// colour, so a drawn picture names the frame it came from.
#include "editor/CControlOwner.h"
#include "editor/CStaticTextDC.h"
#include "toolkit/CBitmap0.h"
#include "toolkit/CFrame0.h"
#include "toolkit/COffscreenContext.h"

#include <cairo.h>
#include <cstdint>
#include <vector>

namespace controls_test {

struct Report {
    int id;
    float value;
    int kind;
};

struct CallbackLog {
    std::vector<Report> reports;
    static signed char Record(int id, float value, void* user, int kind)
    {
        static_cast<CallbackLog*>(user)->reports.push_back({id, value, kind});
        return 1;
    }
    size_t count() const { return reports.size(); }
    const Report& last() const { return reports.back(); }
};

class TestOwner : public CControlOwner {
public:
    void InvalidateRect(CRect* rect, bool) override
    {
        invalidated.push_back(*rect);
        if (frame)
            frame->invalidRect(VSTGUI::CRect0(rect->left, rect->top, rect->right, rect->bottom));
    }
    VSTGUI::CFrame0* GetFrame() override { return frame; }
    CEditorEffect* GetEffect() override { return effect; }
    void SetFocusEdit(CStaticTextDC* display) override { focus = display; }
    void KillFocusEdit(CStaticTextDC* display) override
    {
        if (!focus || (display && display != focus))
            return;
        CStaticTextDC* closing = focus;
        focus = nullptr;
        closing->HideEdit();
    }

    std::vector<CRect> invalidated;
    VSTGUI::CFrame0* frame = nullptr;
    CEditorEffect* effect = nullptr;
    CStaticTextDC* focus = nullptr;
};

// The colour (RGB, as 0xRRGGBB) that frame k of a test strip is filled with.
inline uint32_t frameColour(int k) { return uint32_t(20 + 3 * k) << 16 | uint32_t(250 - 3 * k) << 8 | 0x50u; }

// A strip of count frames of width × height, frame k filled with frameColour(first + k).
inline VSTGUI::CBitmap0* makeStrip(int width, int height, int count, int first = 0)
{
    auto* bitmap = new VSTGUI::CBitmap0(nullptr, width, height * count);
    cairo_surface_t* surface = bitmap->getSurface();
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height * count; ++y)
        for (int x = 0; x < width; ++x)
            reinterpret_cast<uint32_t*>(data + y * stride)[x] = 0xFF000000u | frameColour(first + y / height);
    cairo_surface_mark_dirty(surface);
    return bitmap;
}

// The RGB of pixel (x, y) of an image surface, as 0xRRGGBB.
inline uint32_t rgbAt(cairo_surface_t* surface, int x, int y)
{
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    return reinterpret_cast<const uint32_t*>(data + y * stride)[x] & 0xFFFFFFu;
}

// The frame of a test strip whose colour the pixel shows, or -1.
inline int frameShown(cairo_surface_t* surface, int x, int y, int count)
{
    const uint32_t pixel = rgbAt(surface, x, y);
    for (int k = 0; k < count; ++k)
        if (frameColour(k) == pixel)
            return k;
    return -1;
}

// An offscreen target to draw controls into, cleared to black.
struct Canvas {
    VSTGUI::COffscreenContext* context;
    explicit Canvas(int width = 200, int height = 200)
        : context(new VSTGUI::COffscreenContext(nullptr, width, height, VSTGUI::kBlackCColor))
    {
    }
    ~Canvas() { context->forget(); }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    cairo_surface_t* surface() const { return context->getBitmap()->getSurface(); }
    int frameAt(int x, int y, int count) const { return frameShown(surface(), x, y, count); }
};

} // namespace controls_test
