#pragma once
// The panel drawn without a window: a frame with no platform view and a main view over it,
// painting into image surfaces. Pictures of the panel (kestrune-render --panel), tests and
// benchmarks use it; nothing here needs an X server.
#include "editor/CVSTWnd.h"

typedef struct _cairo_surface cairo_surface_t;

class CDelayEditor;
class CUIWindow;
namespace VSTGUI {
class CDrawContext;
class CFrame0;
} // namespace VSTGUI

class CPanelSnapshot {
public:
    // The editor's effect must outlive the snapshot. Set the resource folder first. scale:
    // pixels per panel unit (1, 1.5 or 2); sizes and points stay in units.
    explicit CPanelSnapshot(CDelayEditor& editor, double scale = 1.0);
    ~CPanelSnapshot();
    CPanelSnapshot(const CPanelSnapshot&) = delete;
    CPanelSnapshot& operator=(const CPanelSnapshot&) = delete;

    CUIWindow& View() { return *m_view; }
    VSTGUI::CFrame0& Frame() { return *m_frame; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // The picture's size in pixels.
    int PixelWidth() const;
    int PixelHeight() const;

    // A context drawing into surface (an image surface of the panel's pixel size).
    VSTGUI::CDrawContext* CreateContext(cairo_surface_t* surface);
    // The whole panel as the host would show it, in a new ARGB image surface that the caller
    // destroys; null when the background bitmap is missing.
    cairo_surface_t* Paint();
    bool WritePng(const char* path);

private:
    VSTGUI::CFrame0* m_frame = nullptr;
    CUIWindow* m_view = nullptr;
    CVSTWnd m_record;
    int m_width = 0;
    int m_height = 0;
};
