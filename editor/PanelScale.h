#pragma once
// The panel size that fits the screen: 200 % on screens of 192 dpi or more (or when the
// desktop scales applications by 2), 150 % from 144 dpi (or a factor of 1.5), else 100 %.

// The scale for the screen's settings: the X resource Xft.dpi and the GDK_SCALE and
// QT_SCALE_FACTOR values (each may be null or not a number, and is then not counted).
double ScaleForScreenSettings(const char* xftDpi, const char* gdkScale, const char* qtScaleFactor);

// The scale for the default display's X resource Xft.dpi (read from the resource database
// the server holds) and the environment; opens a connection of its own for the moment.
double ScreenScale();
