#pragma once
// User-interface services that the effect and the editor call without knowing the window
// system. On X11 each opens its own display connection when called, so none of them depends
// on the editor being open; without a display they fall back as stated.

// Modal alert with the text and one "OK" button; returns the first button's code (1000).
// While an AlertPresenterScope lives on the calling thread its presenter shows the text (the
// open panel's own alert); otherwise a plain window on a connection of its own does, and
// without an X display the text goes to the system log.
int AfxMessageBoxN(const char* text);

typedef void (*AlertPresenter)(void* context, const char* text);
class AlertPresenterScope {
public:
    AlertPresenterScope(AlertPresenter presenter, void* context);
    ~AlertPresenterScope();
    AlertPresenterScope(const AlertPresenterScope&) = delete;
    AlertPresenterScope& operator=(const AlertPresenterScope&) = delete;

private:
    AlertPresenter previousPresenter;
    void* previousContext;
};

// 16 Shift, 17 Control, 18 Command (Super), 19 Option (Alt): -32768 while held, else 0.
// Read from the X server's modifier state at the time of the call.
short GetKeyState(int key);
// The same on a connection the caller already holds (the panel's own): no new connection.
// A null display gives 0.
typedef struct _XDisplay Display;
short GetKeyState(Display* display, int key);

// Hide the pointer (XFixes) until ShowCursorCocoa; the arrow is the only shape used.
void HideCursorCocoa();
void ShowCursorCocoa();
