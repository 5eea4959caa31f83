#pragma once
// An ARGB32 image with its cairo context: what every bitmap is drawn on. Drawing code works
// in panel units; a canvas at scale s has s pixels per unit (1, 1.5 or 2) and its context
// starts scaled, so the same vector code draws every size.
#include <cairo.h>

#include <functional>
#include <string>

namespace artwork {

class Canvas {
public:
    // width x height units, rounded to pixels as the panel rounds its edges.
    Canvas(int width, int height, double scale = 1.0);
    // Exactly pixelsWide x pixelsHigh pixels at that scale.
    static Canvas ofPixels(int pixelsWide, int pixelsHigh, double scale);
    ~Canvas();
    Canvas(Canvas&& other) noexcept;
    Canvas& operator=(Canvas&& other) noexcept;
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* cr() const { return m_cr; }
    cairo_surface_t* surface() const { return m_surface; }
    // Size in pixels.
    int width() const { return m_width; }
    int height() const { return m_height; }
    double scale() const { return m_scale; }
    // The pixel edge of a unit coordinate.
    double pixels(double units) const;
    // Sets the context's transform so that unit (x, y) is at the pixel edge pixels(x),
    // pixels(y): cells drawn from there start on whole pixels at every scale.
    void placeAt(double x, double y) const;

    // Copies a w x h block of `source` at (sourceX, sourceY) to (x, y), all in units
    // (each edge rounded to pixels), replacing what was there (alpha included).
    void copyFrom(const Canvas& source, int sourceX, int sourceY, int x, int y, int w, int h);

    bool writePng(const std::string& path) const;

private:
    Canvas(int pixelsWide, int pixelsHigh, double scale, int);
    void release();

    int m_width = 0;
    int m_height = 0;
    double m_scale = 1.0;
    cairo_surface_t* m_surface = nullptr;
    cairo_t* m_cr = nullptr;
};

// Bitmap strips: frames of width x frameHeight units stacked top to bottom, frame k in
// the pixel rows from pixels(k x frameHeight) up to pixels((k + 1) x frameHeight). `drawFrame` draws frame k with
// the context moved to that frame's top-left and clipped to it. With a backdrop,
// each frame first takes the piece of it at (backdropX, backdropY).
using FrameDrawer = std::function<void(cairo_t*, int frame)>;
struct Backdrop {
    const Canvas* canvas;
    int x, y;
};
// A backdrop's scale is the strip's.
Canvas drawFrameStrip(int width, int frameHeight, int frames, const FrameDrawer& drawFrame,
                      Backdrop backdrop = {nullptr, 0, 0}, double scale = 1.0);

} // namespace artwork
