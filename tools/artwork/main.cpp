// Draws the panel's bitmaps into a resource folder, one "<number>.png" each.
// Usage: kestrune_artwork_gen <folder>
#include "Background.h"
#include "Knob.h"
#include "Meter.h"
#include "PanelLayout.h"
#include "Switches.h"

#include <cstdio>
#include <string>

using namespace artwork;

namespace {

bool save(const std::string& folder, int number, const Canvas& canvas)
{
    const std::string path = folder + "/" + std::to_string(number) + ".png";
    if (canvas.writePng(path))
        return true;
    std::fprintf(stderr, "kestrune_artwork_gen: cannot write %s\n", path.c_str());
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <resource folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    using namespace layout;

    // The background first: the opaque controls carry the piece of it behind them.
    const Canvas background = drawBackground();
    bool ok = save(folder, kBackgroundBitmap, background);
    ok = save(folder, kSmallKnobBitmap, drawSmallKnobStrip()) && ok;
    ok = save(folder, kLargeKnobBitmap, drawLargeKnobStrip(background)) && ok;
    ok = save(folder, kPowerOffBitmap, drawPowerSwitch(background, false)) && ok;
    ok = save(folder, kPowerOnBitmap, drawPowerSwitch(background, true)) && ok;
    ok = save(folder, kFilterOffBitmap, drawFilterSwitch(background, false)) && ok;
    ok = save(folder, kFilterOnBitmap, drawFilterSwitch(background, true)) && ok;
    ok = save(folder, kProgramReleasedBitmap, drawProgramButton(background, false)) && ok;
    ok = save(folder, kProgramPressedBitmap, drawProgramButton(background, true)) && ok;
    ok = save(folder, kTimeModeBitmap, drawTimeModeIndicator(background)) && ok;
    ok = save(folder, kMeterBitmap, drawMeter()) && ok;
    ok = save(folder, kSaveButtonBitmap, drawSaveButton(background)) && ok;
    ok = save(folder, kChangedMarkBitmap, drawChangedMark(background)) && ok;
    return ok ? 0 : 1;
}
