#pragma once
// User-interface services that the effect and the editor call without knowing the window system.

// Modal alert with one "OK" button; returns the first button's code (1000).
int AfxMessageBoxN(const char* text);

// 16 Shift, 17 Control, 18 Command (Super), 19 Option (Alt): -32768 while held, else 0.
short GetKeyState(int key);

void HideCursorCocoa();
void ShowCursorCocoa();
