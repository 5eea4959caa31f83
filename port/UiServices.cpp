#include "port/UiServices.h"

#include <cstdio>

// Headless forms until the X11 toolkit provides the real ones.
int AfxMessageBoxN(const char* text)
{
    std::fprintf(stderr, "Kestrune: %s\n", text ? text : "");
    return 1000;
}

short GetKeyState(int) { return 0; }
void HideCursorCocoa() {}
void ShowCursorCocoa() {}
