// The LV2 edition's panel under Xvfb: its UI library loaded by our UI host into a window of
// ours, wired to the plug-in in our lilv host by ports and messages only, as a host that runs
// UIs out of process would: the UI's writes go to the plug-in's ports and control input,
// the plug-in's outputs and notify messages come back as port events.
#include <gtest/gtest.h> // before X11, whose macros clash with its names

#include "lv2/Lv2Messages.h"
#include "tests/editor/PanelHarness.h"
#include "tests/lv2/Editions.h"
#include "tests/support/TempFolder.h"
#include "tools/factory-bank/FactoryPrograms.h"
#include "tools/lv2host/Lv2UiHost.h"

#include <lv2/atom/atom.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

namespace {

using namespace panel_test;

constexpr int kBlock = 256;
constexpr int kProgramX = 118, kProgramY = 27; // the program button, in panel units

class Lv2PanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(Lv2Plugin(), nullptr);
        ASSERT_TRUE(fx.IsValid());
        host = x.createWindow(40, 40, 900, 500, "lv2 panel host");
        ui = std::make_unique<Lv2UiHost>(BuiltLv2Bundle().Urids(), KESTRUNE_LV2_BUNDLE_DIR, "KestruneUI.so", kLv2UiUri,
                                         kLv2PluginUri, host);
        ASSERT_TRUE(ui->IsValid());
        // Everything the host knows of the ports, as hosts announce it to a new UI.
        for (int i = 0; i < kNumParams; ++i) Announce(i);
    }
    void TearDown() override
    {
        ui.reset();
        XDestroyWindow(x.display, host);
        XSync(x.display, False);
    }

    void Announce(int index)
    {
        shown[index] = fx.Control(kLv2ParameterPorts[index].symbol);
        ui->PortEvent(kPortFirstParameter + static_cast<uint32_t>(index), sizeof(float), 0, &shown[index]);
    }

    // One round: a block of audio, what the plug-in output goes to the UI, an idle, what the
    // UI wrote goes to the plug-in.
    void Pump()
    {
        std::vector<float> left(kBlock), right(kBlock);
        for (int k = 0; k < kBlock; ++k, phase += 2.0 * M_PI * 440.0 / kSampleRate)
            left[k] = right[k] = amplitude * static_cast<float>(std::sin(phase));
        fx.Run(left.data(), right.data(), left.data(), right.data(), kBlock);
        for (int p = 0; p < 4; ++p) {
            const float peak = fx.Control(kPeakSymbols[p]);
            ui->PortEvent(kPortFirstPeak + static_cast<uint32_t>(p), sizeof peak, 0, &peak);
        }
        for (const std::vector<uint8_t>& atom : fx.TakeSent())
            ui->PortEvent(kPortNotify, static_cast<uint32_t>(atom.size()), eventTransfer, atom.data());
        for (int i = 0; i < kNumParams; ++i)
            if (!(fx.Control(kLv2ParameterPorts[i].symbol) == shown[i])) Announce(i);
        ui->Idle();
        for (const Lv2UiHost::Write& write : ui->TakeWrites()) {
            if (write.protocol == 0 && write.port >= kPortFirstParameter && write.port < kPortFirstPeak
                && write.data.size() == sizeof(float)) {
                const int index = static_cast<int>(write.port - kPortFirstParameter);
                std::memcpy(&shown[index], write.data.data(), sizeof(float));
                fx.SetControl(kLv2ParameterPorts[index].symbol, shown[index]);
                ++portWrites[index];
            } else if (write.protocol == eventTransfer && write.port == kPortControl) {
                fx.SendAtom(reinterpret_cast<const LV2_Atom*>(write.data.data()));
            } else {
                ADD_FAILURE() << "a write to port " << write.port << " with protocol " << write.protocol;
            }
        }
    }
    bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 4000ms)
    {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < end) {
            Pump();
            if (done()) return true;
            std::this_thread::sleep_for(10ms);
        }
        return done();
    }
    // XTest input from a thread of its own while the rounds go on (menus run inside idle).
    bool Drive(const std::function<void(XDriver&)>& script, const std::function<bool()>& done)
    {
        std::atomic<bool> finished {false};
        std::thread driver([&] {
            XDriver own;
            script(own);
            finished = true;
        });
        const bool ok = PumpUntil([&] { return finished && done(); }, 8000ms);
        driver.join();
        return ok;
    }
    std::pair<int, int> at(int px, int py) { return x.rootOf(ui->Widget(), px, py); }

    TempFolder config;
    ScopedEnv configHome {"XDG_CONFIG_HOME", config.Path().c_str()};
    Lv2Instance fx {BuiltLv2Bundle(), Lv2Plugin(), kSampleRate, kBlock};
    const LV2_URID eventTransfer = BuiltLv2Bundle().Urids().Map(LV2_ATOM__eventTransfer);
    XDriver x;
    Window host = 0;
    std::unique_ptr<Lv2UiHost> ui;
    float shown[kNumParams] = {};
    int portWrites[kNumParams] = {};
    float amplitude = 0.0f;
    double phase = 0.0;
};

} // namespace

TEST_F(Lv2PanelTest, OpensAtItsSizeAndAKnobDragReachesTheControlPort)
{
    const std::pair<int, int> size = ui->RequestedSize();
    EXPECT_GT(size.first, 600);
    EXPECT_GT(size.second, 300);
    PumpUntil([] { return false; }, 300ms);
    const float before = fx.Control("feedback");
    ui->TakeTouches();
    ASSERT_TRUE(Drive([&](XDriver& d) { DragThrough(d, [&](int px, int py) { return at(px, py); }, 524, 111, 538, 76, 556, 90); },
                      [&] { return fx.Control("feedback") > before + 20.0f; }))
        << fx.Control("feedback");
    PumpUntil([] { return false; }, 200ms);
    // One gesture on the FeedBack port around the changes.
    const std::vector<Lv2UiHost::Touch> touches = ui->TakeTouches();
    ASSERT_EQ(touches.size(), 2u);
    EXPECT_EQ(touches[0].port, kPortFirstParameter + static_cast<uint32_t>(kFeedBack));
    EXPECT_TRUE(touches[0].grabbed);
    EXPECT_FALSE(touches[1].grabbed);
    EXPECT_GT(portWrites[kFeedBack], 3);
    for (int i = 0; i < kNumParams; ++i) {
        if (i != kFeedBack) {
            EXPECT_EQ(portWrites[i], 0) << kLv2ParameterPorts[i].symbol;
        }
    }
}

TEST_F(Lv2PanelTest, ProgramChosenFromTheMenuChangesAllFifteenPorts)
{
    PumpUntil([] { return false; }, 300ms);
    const AKestruneProgram chosen = MakeProgram(kFactorySettings[5]);
    const auto button = at(kProgramX, kProgramY);
    ASSERT_TRUE(Drive(
        [&](XDriver& d) {
            d.click(button.first, button.second);
            std::this_thread::sleep_for(400ms);
            d.click(button.first + 1 + 40, button.second + 1 + 4 + 5 * kMenuRow + 10);
        },
        [&] {
            for (int i = 0; i < kNumParams; ++i)
                if (fx.Control(kLv2ParameterPorts[i].symbol)
                    != static_cast<float>(UnitsFromNormalised(i, chosen.values[i])))
                    return false;
            return true;
        }));
    // The effect holds the program exactly, and the bank file was rewritten by the worker.
    const std::vector<unsigned char> kept = fx.SavedProperty(kLv2ProgramsKey);
    ASSERT_EQ(kept.size(), static_cast<size_t>(kBankChunkSize));
    EXPECT_EQ(std::memcmp(reinterpret_cast<const AKestruneProgram*>(kept.data())[0].values, chosen.values,
                          sizeof chosen.values),
              0);
    EXPECT_TRUE(std::ifstream(config.Path() + "Kestrune/KestruneDef.fxb").good());
}

TEST_F(Lv2PanelTest, MetersFollowTheAudioAndAScreenshot)
{
    cairo_surface_t* meter = cairo_image_surface_create_from_png(KESTRUNE_LV2_BUNDLE_DIR "/Resources/3008.png");
    ASSERT_EQ(cairo_surface_status(meter), CAIRO_STATUS_SUCCESS);
    const int half = cairo_image_surface_get_width(meter) / 2;
    auto lit = [&](cairo_surface_t* shot, int row) {
        return pixelAt(shot, 46 + half / 2, 82 + row) == pixelAt(meter, half + half / 2, row);
    };
    const std::pair<int, int> size = ui->RequestedSize();
    PumpUntil([] { return false; }, 300ms);
    cairo_surface_t* quiet = x.capture(ui->Widget(), size.first, size.second);
    amplitude = 0.5f;
    PumpUntil([] { return false; }, 600ms);
    cairo_surface_t* loud = x.capture(ui->Widget(), size.first, size.second);
    std::filesystem::create_directories(KESTRUNE_SCREENSHOT_DIR);
    EXPECT_EQ(cairo_surface_write_to_png(loud, KESTRUNE_SCREENSHOT_DIR "/lv2-panel.png"), CAIRO_STATUS_SUCCESS);
    EXPECT_FALSE(lit(quiet, 40));
    EXPECT_TRUE(lit(loud, 40));
    cairo_surface_destroy(loud);
    cairo_surface_destroy(quiet);
    cairo_surface_destroy(meter);
}
