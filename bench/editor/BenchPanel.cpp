// The panel's drawing costs, headless: a full paint, an idle that redraws only the meters,
// and an idle with nothing changed.
#include "editor/CDelayEditor.h"
#include "editor/CPanelSnapshot.h"
#include "editor/CUIWindow.h"
#include "effect/AKestrune.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/ResourceFolder.h"

#include <X11/Xlib.h>
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <memory>
#include <vector>

namespace {

VstIntPtr QuietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

class Panel {
public:
    // scale: pixels per panel unit (100, 150 or 200 %).
    explicit Panel(double scale = 1.0)
    {
        VSTGUI::SetResourceFolder(KESTRUNE_RESOURCES);
        effect = std::make_unique<AKestrune>(QuietHost);
        effect->setSampleRate(48000.0f);
        effect->setBlockSize(32);
        snapshot = std::make_unique<CPanelSnapshot>(*static_cast<CDelayEditor*>(effect->getEditor()), scale);
        surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, snapshot->PixelWidth(), snapshot->PixelHeight());
        context = snapshot->CreateContext(surface);
    }
    ~Panel()
    {
        context->forget();
        cairo_surface_destroy(surface);
        snapshot.reset();
        effect.reset();
    }
    // One short block of a constant level, so the next idle sees new peaks.
    void Process(float level)
    {
        std::vector<float> in(32, level), left(32), right(32);
        float* inputs[2] = {in.data(), in.data()};
        float* outputs[2] = {left.data(), right.data()};
        effect->processReplacing(inputs, outputs, 32);
    }
    CUIWindow& view() { return snapshot->View(); }

    std::unique_ptr<AKestrune> effect;
    std::unique_ptr<CPanelSnapshot> snapshot;
    cairo_surface_t* surface = nullptr;
    VSTGUI::CDrawContext* context = nullptr;
};

// The argument is the size in percent.
void BM_FullPanelPaint(benchmark::State& state)
{
    Panel panel(state.range(0) / 100.0);
    for (auto _ : state) {
        panel.view().draw(panel.context, 0, 0, panel.snapshot->Width(), panel.snapshot->Height());
        cairo_surface_flush(panel.surface);
    }
}
BENCHMARK(BM_FullPanelPaint)->Arg(100)->Arg(150)->Arg(200)->Unit(benchmark::kMicrosecond);

void BM_IdleRedrawingOnlyTheMeters(benchmark::State& state)
{
    Panel panel(state.range(0) / 100.0);
    panel.view().idle(panel.context);
    float level = 0.5f;
    for (auto _ : state) {
        state.PauseTiming();
        level = level == 0.5f ? 0.25f : 0.5f;
        panel.Process(level);
        state.ResumeTiming();
        panel.view().idle(panel.context);
    }
}
BENCHMARK(BM_IdleRedrawingOnlyTheMeters)->Arg(100)->Arg(200)->Unit(benchmark::kMicrosecond);

void BM_IdleWithNothingChanged(benchmark::State& state)
{
    Panel panel;
    panel.view().idle(); // settle
    for (auto _ : state) panel.view().idle();
}
BENCHMARK(BM_IdleWithNothingChanged)->Unit(benchmark::kMicrosecond);

// The host's path: editor-idle on an open panel in a real window (needs an X server).
class WindowedPanel {
public:
    WindowedPanel() : display(XOpenDisplay(nullptr))
    {
        if (!display) return;
        host = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 750, 332, 0, 0, 0);
        XMapWindow(display, host);
        XSync(display, False);
        editor = static_cast<CDelayEditor*>(panel.effect->getEditor());
        open = editor->open(reinterpret_cast<void*>(uintptr_t(host)));
        for (int i = 0; open && i < 50; ++i) editor->idle(); // exposes drawn, meters at rest
    }
    ~WindowedPanel()
    {
        if (!display) return;
        if (open) editor->close();
        XDestroyWindow(display, host);
        XCloseDisplay(display);
    }
    bool Ready(benchmark::State& state)
    {
        if (!open) state.SkipWithError("no X display, or the panel did not open");
        return open;
    }

    Panel panel;
    Display* display;
    Window host = 0;
    CDelayEditor* editor = nullptr;
    bool open = false;
};

void BM_EditorIdleInAWindowWithNothingChanged(benchmark::State& state)
{
    WindowedPanel window;
    if (!window.Ready(state)) return;
    for (auto _ : state) window.editor->idle();
}
BENCHMARK(BM_EditorIdleInAWindowWithNothingChanged)->Unit(benchmark::kMicrosecond);

void BM_EditorIdleInAWindowRedrawingTheMeters(benchmark::State& state)
{
    WindowedPanel window;
    if (!window.Ready(state)) return;
    float level = 0.5f;
    for (auto _ : state) {
        state.PauseTiming();
        level = level == 0.5f ? 0.25f : 0.5f;
        window.panel.Process(level);
        state.ResumeTiming();
        window.editor->idle();
    }
}
BENCHMARK(BM_EditorIdleInAWindowRedrawingTheMeters)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
