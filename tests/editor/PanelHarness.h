#pragma once
// A host stand-in for the panel tests under Xvfb: Kestrune loaded from the built bundle
// through the test host, its panel embedded in a top-level window of ours, editor-idle
// called at 30 Hz from the test's loop while an audio thread processes blocks, and a
// second X connection that drives the pointer and keys with XTest from its own thread
// (menus and dialogs run nested loops inside editor-idle).
#include "plugin/VstInterface.h"
#include "tools/host/VstHost.h"
#include "tests/support/XTestConnection.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <cairo.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace panel_test {

using namespace std::chrono_literals;

// One X connection of the test: windows, XTest input, screenshots. Pointer and key events
// are paced for a panel that only reads them at its next editor-idle.
class XDriver : public XTestConnection {
public:
    XDriver() { tapPause = 15ms; }

    using XTestConnection::button;
    void button(bool down) { button(1, down); }
    void click(int x, int y)
    {
        moveTo(x, y);
        std::this_thread::sleep_for(40ms);
        button(true);
        std::this_thread::sleep_for(40ms);
        button(false);
    }
    Window waitForWindow(const char* name, std::chrono::milliseconds timeout = 3000ms)
    {
        const auto end = std::chrono::steady_clock::now() + timeout;
        Window found = 0;
        while (!(found = findWindow(name)) && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(20ms);
        std::this_thread::sleep_for(100ms); // let it map and grab
        return found;
    }
    std::vector<Window> children(Window of)
    {
        Window root = 0, parent = 0;
        Window* list = nullptr;
        unsigned count = 0;
        XQueryTree(display, of, &root, &parent, &list, &count);
        std::vector<Window> result(list, list + count);
        if (list) XFree(list);
        return result;
    }
    Window createWindow(int x, int y, int width, int height, const char* name, long events = 0)
    {
        XSetWindowAttributes attributes {};
        attributes.background_pixel = BlackPixel(display, DefaultScreen(display));
        attributes.event_mask = StructureNotifyMask | events;
        const Window window = XCreateWindow(display, DefaultRootWindow(display), x, y, unsigned(width),
                                            unsigned(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                                            CWBackPixel | CWEventMask, &attributes);
        XStoreName(display, window, name);
        XMapWindow(display, window);
        XEvent event;
        do XWindowEvent(display, window, StructureNotifyMask, &event);
        while (event.type != MapNotify);
        XSync(display, False);
        return window;
    }
};

inline uint32_t pixelAt(cairo_surface_t* surface, int x, int y)
{
    const unsigned char* data = cairo_image_surface_get_data(surface);
    return reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(surface))[x] & 0xFFFFFFu;
}

// Pixels of the two surfaces' rectangle that differ.
inline int differingPixels(cairo_surface_t* a, cairo_surface_t* b, int left, int top, int right, int bottom)
{
    int count = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) count += pixelAt(a, x, y) != pixelAt(b, x, y);
    return count;
}

// A drag pressed at panel point (x0, y0), through (x1, y1) to (x2, y2) in eight steps each,
// then released. Points are interpolated in the caller's units and placed on the screen by at.
inline void DragThrough(XDriver& d, const std::function<std::pair<int, int>(int, int)>& at, int x0, int y0, int x1,
                        int y1, int x2, int y2)
{
    const auto press = at(x0, y0);
    d.moveTo(press.first, press.second);
    std::this_thread::sleep_for(60ms);
    d.button(true);
    std::this_thread::sleep_for(100ms);
    const int legs[2][4] = {{x0, y0, x1, y1}, {x1, y1, x2, y2}};
    for (const auto& leg : legs)
        for (int i = 1; i <= 8; ++i) {
            const auto p = at(leg[0] + (leg[2] - leg[0]) * i / 8, leg[1] + (leg[3] - leg[1]) * i / 8);
            d.moveTo(p.first, p.second);
            std::this_thread::sleep_for(25ms);
        }
    d.button(false);
}

// One Kestrune instance with its panel in a window of ours and an audio thread.
class PanelSession {
public:
    PanelSession(const VstLibrary& library, XDriver& x, int left, int top) : fx(library), x(x)
    {
        fx.Dispatch(effOpen);
        fx.Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
        fx.Dispatch(effSetBlockSize, 0, kBlock);
        fx.Dispatch(effMainsChanged, 0, 1);
        ERect* rect = nullptr;
        fx.Dispatch(effEditGetRect, 0, 0, &rect);
        if (rect) {
            width = rect->right - rect->left;
            height = rect->bottom - rect->top;
        }
        // As a host's window: the panel at its top, a band of the host's own below it, and
        // the host's keys (its shortcuts) selected.
        host = x.createWindow(left, top, width > 0 ? width : 100, (height > 0 ? height : 100) + kHostBand,
                              "panel host", KeyPressMask);
    }
    ~PanelSession()
    {
        StopAudio();
        Close();
        fx.Dispatch(effMainsChanged, 0, 0);
        fx.Close();
        XDestroyWindow(x.display, host);
        XSync(x.display, False);
    }

    bool Open() { return fx.Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(uintptr_t(host))) != 0; }
    void Close() { fx.Dispatch(effEditClose); }
    void Idle() { fx.Dispatch(effEditIdle); }

    // Editor-idle at 30 Hz until done() holds (checked between idles) or the time runs out.
    bool IdleUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 4000ms)
    {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < end) {
            Idle();
            if (done()) return true;
            std::this_thread::sleep_for(33ms);
        }
        Idle();
        return done();
    }
    void IdleFor(std::chrono::milliseconds time)
    {
        IdleUntil([] { return false; }, time);
    }
    // Runs script on a thread of its own with its own X connection, idling meanwhile, until
    // the script has finished and done() holds.
    bool Drive(const std::function<void(XDriver&)>& script, const std::function<bool()>& done,
               std::chrono::milliseconds timeout = 6000ms)
    {
        std::atomic<bool> finished {false};
        std::thread driver([&] {
            XDriver own;
            script(own);
            finished = true;
        });
        const bool ok = IdleUntil([&] { return finished && done(); }, timeout);
        driver.join();
        return ok;
    }
    // Root position of a panel point.
    std::pair<int, int> at(int px, int py) { return x.rootOf(host, px, py); }

    // Blocks of a 440 Hz sine at amplitude (0 for silence), every 5 ms, until StopAudio.
    void StartAudio(float amplitude, const std::function<void(int block)>& perBlock = {})
    {
        StopAudio();
        running = true;
        audio = std::thread([this, amplitude, perBlock] {
            std::vector<float> in(kBlock), out[2] = {std::vector<float>(kBlock), std::vector<float>(kBlock)};
            float* inputs[2] = {in.data(), in.data()};
            float* outputs[2] = {out[0].data(), out[1].data()};
            double phase = 0.0;
            for (int block = 0; running; ++block) {
                for (float& s : in) {
                    s = amplitude * static_cast<float>(std::sin(phase));
                    phase += 2.0 * 3.141592653589793 * 440.0 / 48000.0;
                }
                if (perBlock) perBlock(block);
                fx.ProcessReplacing(inputs, outputs, kBlock);
                std::this_thread::sleep_for(5ms);
            }
        });
    }
    void StopAudio()
    {
        running = false;
        if (audio.joinable()) audio.join();
    }

    // Host callbacks of one opcode, in order.
    std::vector<HostEvent> Events(int32_t opcode) { return fx.EventsOf(opcode); }

    // Key presses that reached the host's window since the last call.
    int HostKeyPresses()
    {
        XSync(x.display, False);
        int count = 0;
        XEvent event;
        while (XCheckWindowEvent(x.display, host, KeyPressMask, &event)) ++count;
        return count;
    }

    static constexpr int kBlock = 256;
    static constexpr int kHostBand = 40;
    VstInstance fx;
    XDriver& x;
    Window host = 0;
    int width = 0;
    int height = 0;

private:
    std::atomic<bool> running {false};
    std::thread audio;
};

// Panel point of the save button, and the height of one pop-up menu row on this screen.
constexpr int kSaveX = 475, kSaveY = 27;
constexpr int kMenuRow = 20;

// Saves the current settings as program slot under name through the save dialog: picks the
// slot in the dialog's list, replaces the name and presses Return. False unless done() holds
// afterwards (also when the dialog never appeared).
inline bool SaveThroughDialog(PanelSession& session, int slot, const std::string& name,
                              const std::function<bool()>& done)
{
    const auto save = session.at(kSaveX, kSaveY);
    return session.Drive(
        [&](XDriver& d) {
            d.click(save.first, save.second);
            const Window dialog = d.waitForWindow("Save Program");
            if (!dialog) return;
            const auto list = d.rootOf(dialog, 104 + 130, 16 + 13); // mList's centre
            d.click(list.first, list.second);
            std::this_thread::sleep_for(400ms);
            d.click(list.first, list.second + 13 + 4 + slot * kMenuRow + 10);
            std::this_thread::sleep_for(200ms);
            const auto field = d.rootOf(dialog, 104 + 130, 58 + 13); // mName's centre
            d.click(field.first, field.second);
            std::this_thread::sleep_for(200ms);
            d.tap(XK_End);
            for (int i = 0; i < 30; ++i) d.tap(XK_BackSpace);
            d.type(name);
            d.tap(XK_Return);
        },
        done, 10000ms);
}

} // namespace panel_test
