#pragma once
// An ARGB32 image with its cairo context: what every bitmap is drawn on.
#include <cairo.h>

#include <functional>
#include <string>

namespace artwork {

class Canvas {
public:
    Canvas(int width, int height);
    ~Canvas();
    Canvas(Canvas&& other) noexcept;
    Canvas& operator=(Canvas&& other) noexcept;
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* cr() const { return m_cr; }
    cairo_surface_t* surface() const { return m_surface; }
    int width() const { return m_width; }
    int height() const { return m_height; }

    // Copies a w x h block of `source` at (sourceX, sourceY) to (x, y) in this
    // canvas's pixels, replacing what was there (alpha included).
    void copyFrom(const Canvas& source, int sourceX, int sourceY, int x, int y, int w, int h);

    bool writePng(const std::string& path) const;

private:
    void release();

    int m_width = 0;
    int m_height = 0;
    cairo_surface_t* m_surface = nullptr;
    cairo_t* m_cr = nullptr;
};

// Bitmap strips: frames of width x frameHeight stacked top to bottom, frame k in
// rows k x frameHeight to (k + 1) x frameHeight - 1. `drawFrame` draws frame k with
// the context moved to that frame's top-left and clipped to it. With a backdrop,
// each frame first takes the piece of it at (backdropX, backdropY).
using FrameDrawer = std::function<void(cairo_t*, int frame)>;
struct Backdrop {
    const Canvas* canvas;
    int x, y;
};
Canvas drawFrameStrip(int width, int frameHeight, int frames, const FrameDrawer& drawFrame,
                      Backdrop backdrop = {nullptr, 0, 0});

} // namespace artwork
