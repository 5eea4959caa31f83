#pragma once
// The window record the editor and its main view keep: a handle, a size and a position.
// The panel is fixed-size and has no timer of its own, so moving and timers only record.
#include "port/Geometry.h"

#include <cstdint>

class CVSTWnd {
public:
    CVSTWnd() = default;

    void GetClientRect(CRect* rect) const;
    void MoveWindow(int x, int y, int width, int height, bool repaint = true);
    void DestroyWindow() { m_created = 0; }
    unsigned int SetTimer(unsigned int id, unsigned int ms, void* param);
    void OnTimer(unsigned int id) { (void)id; }

    void* m_hWnd = nullptr;    // the host's parent window in the editor's record
    void* m_second = nullptr;  // always null
    CSize m_size;
    CPoint m_pos;
    int32_t m_created = 0;
};
