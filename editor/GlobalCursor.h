#pragma once
// The pointer's position on the screen of the frame's display, read and set through the
// frame's own X connection. Without a frame or platform view nothing is read or moved.
namespace VSTGUI {
class CFrame0;
}

bool GetGlobalCursorPos(VSTGUI::CFrame0* frame, int& x, int& y);
void SetGlobalCursorPos(VSTGUI::CFrame0* frame, int x, int y);
