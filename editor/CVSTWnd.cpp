#include "editor/CVSTWnd.h"

void CVSTWnd::GetClientRect(CRect* rect) const
{
    if (rect) rect->SetRectWin(m_pos.x, m_pos.y, m_pos.x + m_size.cx, m_pos.y + m_size.cy);
}

void CVSTWnd::MoveWindow(int x, int y, int width, int height, bool)
{
    m_pos = CPoint(x, y);
    m_size = CSize(width, height);
}

unsigned int CVSTWnd::SetTimer(unsigned int, unsigned int, void*)
{
    return 0;
}
