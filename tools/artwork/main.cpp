// Draws the panel's bitmaps into a resource folder at each panel size: "<number>.png",
// "<number>@1.5x.png" and "<number>@2x.png".
// Usage: kestrune_artwork_gen <folder>
#include "Background.h"
#include "Knob.h"
#include "Meter.h"
#include "PanelLayout.h"
#include "Switches.h"
#include "toolkit/PixelScale.h"

#include <cstdio>
#include <string>

using namespace artwork;

namespace {

bool save(const std::string& folder, int number, double scale, const Canvas& canvas)
{
    const std::string path = folder + "/" + VSTGUI::scaledFileName(number, scale, "png");
    if (canvas.writePng(path))
        return true;
    std::fprintf(stderr, "kestrune_artwork_gen: cannot write %s\n", path.c_str());
    return false;
}

// Every bitmap at one scale, from the same drawing code.
bool drawAll(const std::string& folder, double scale)
{
    using namespace layout;
    // The background first: the opaque controls carry the piece of it behind them.
    const Canvas background = drawBackground(scale);
    bool ok = save(folder, kBackgroundBitmap, scale, background);
    ok = save(folder, kSmallKnobBitmap, scale, drawSmallKnobStrip(scale)) && ok;
    ok = save(folder, kLargeKnobBitmap, scale, drawLargeKnobStrip(background)) && ok;
    ok = save(folder, kPowerOffBitmap, scale, drawPowerSwitch(background, false)) && ok;
    ok = save(folder, kPowerOnBitmap, scale, drawPowerSwitch(background, true)) && ok;
    ok = save(folder, kFilterOffBitmap, scale, drawFilterSwitch(background, false)) && ok;
    ok = save(folder, kFilterOnBitmap, scale, drawFilterSwitch(background, true)) && ok;
    ok = save(folder, kProgramReleasedBitmap, scale, drawProgramButton(background, false)) && ok;
    ok = save(folder, kProgramPressedBitmap, scale, drawProgramButton(background, true)) && ok;
    ok = save(folder, kTimeModeBitmap, scale, drawTimeModeIndicator(background)) && ok;
    ok = save(folder, kMeterBitmap, scale, drawMeter(scale)) && ok;
    ok = save(folder, kSaveButtonBitmap, scale, drawSaveButton(background)) && ok;
    ok = save(folder, kChangedMarkBitmap, scale, drawChangedMark(background)) && ok;
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <resource folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    bool ok = true;
    for (double scale : VSTGUI::kPanelScales)
        ok = drawAll(folder, scale) && ok;
    return ok ? 0 : 1;
}
