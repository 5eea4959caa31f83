#include "editor/PanelScale.h"

#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

// A positive finite number, or 0.
double PositiveNumber(const char* text)
{
    if (!text || !*text) return 0.0;
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (errno != 0 || end == text || !std::isfinite(value) || value <= 0.0) return 0.0;
    return value;
}

// Xft.dpi from the resource string the server holds (the RESOURCE_MANAGER property that
// xrdb sets); empty when there is none.
std::string XftDpiOfDisplay()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display) return {};
    std::string dpi;
    if (const char* resources = XResourceManagerString(display)) {
        XrmInitialize();
        if (XrmDatabase database = XrmGetStringDatabase(resources)) {
            char* type = nullptr;
            XrmValue value {};
            if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr)
                dpi.assign(value.addr, value.size > 0 ? value.size - 1 : 0);
            XrmDestroyDatabase(database);
        }
    }
    XCloseDisplay(display);
    return dpi;
}

} // namespace

double ScaleForScreenSettings(const char* xftDpi, const char* gdkScale, const char* qtScaleFactor)
{
    const double dpi = PositiveNumber(xftDpi);
    const double factor = std::max(PositiveNumber(gdkScale), PositiveNumber(qtScaleFactor));
    if (dpi >= 192.0 || factor >= 2.0) return 2.0;
    if (dpi >= 144.0 || factor >= 1.5) return 1.5;
    return 1.0;
}

double ScreenScale()
{
    const std::string dpi = XftDpiOfDisplay();
    return ScaleForScreenSettings(dpi.c_str(), std::getenv("GDK_SCALE"), std::getenv("QT_SCALE_FACTOR"));
}
