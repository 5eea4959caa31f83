#pragma once
// The look the panel's own windows share (the save dialog, alerts, questions): the panel's
// dark metal with glass wells, its cyan display text, light labels and sans-serif faces.
#include "toolkit/CColor.h"
#include "toolkit/CRect0.h"

#include <string>

namespace VSTGUI {

class CDrawContext;
class CFontDesc;

namespace PanelStyle {

const CColor kMetal(50, 53, 57, 255);
const CColor kHeader(27, 28, 31, 255);
const CColor kEdge(92, 98, 106, 255);
const CColor kLabel(214, 219, 224, 255);
const CColor kAccent(101, 224, 254, 255); // the displays' text
const CColor kGlass(5, 8, 10, 255);
const CColor kButton(68, 72, 78, 255);
const CColor kButtonPressed(30, 32, 35, 255);
const CColor kSelection(30, 80, 100, 255);

// Regular and bold text of the windows, the panel's sans-serif at 13 pixels.
CFontDesc* textFont();
CFontDesc* boldFont();

// The window's background: metal with a dark header line and an edge.
void paintBackground(CDrawContext* context, const CRect0& size);
// A glass well (text field, list) with a cyan edge while it has the keyboard.
void paintWell(CDrawContext* context, const CRect0& rect, bool focused);
// A button: the default one has cyan text, the focused one a cyan ring.
void paintButton(CDrawContext* context, const CRect0& rect, const std::string& caption, bool isDefault,
                 bool pressed, bool focused);

} // namespace PanelStyle
} // namespace VSTGUI
