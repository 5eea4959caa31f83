// Panel sizes without a window: the size the screen settings give, the remembered choice and
// its file, the editor's resize requests, and the panel painted at 150 and 200 % compared
// with the bitmaps drawn for those sizes.
#include "editor/CDelayEditor.h"
#include "editor/CPanelSnapshot.h"
#include "editor/CUIWindow.h"
#include "editor/PanelScale.h"
#include "editor/PanelSettings.h"
#include "effect/AKestrune.h"
#include "tests/support/TempFolder.h"
#include "toolkit/PixelScale.h"
#include "toolkit/ResourceFolder.h"

#include <gtest/gtest.h>

#include <cairo.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace {

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

TEST(PanelScale, ScreenSettingsChooseTheSize)
{
    struct Case {
        const char* dpi;
        const char* gdk;
        const char* qt;
        double scale;
    };
    const Case cases[] = {
        {nullptr, nullptr, nullptr, 1.0}, {"96", nullptr, nullptr, 1.0},   {"143.9", nullptr, nullptr, 1.0},
        {"144", nullptr, nullptr, 1.5},   {"191", nullptr, nullptr, 1.5},  {"192", nullptr, nullptr, 2.0},
        {"288", nullptr, nullptr, 2.0},   {nullptr, "2", nullptr, 2.0},    {nullptr, "1", nullptr, 1.0},
        {nullptr, nullptr, "1.5", 1.5},   {nullptr, nullptr, "2", 2.0},    {"96", "1", "2", 2.0},
        {"192", "1", nullptr, 2.0},       // the larger of the two wins
        {"abc", "x2", "", 1.0},           {"-200", "-2", "nan", 1.0},      {"inf", nullptr, nullptr, 1.0},
        {"192dpi", nullptr, nullptr, 2.0}, // strtod reads the number in front
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScaleForScreenSettings(c.dpi, c.gdk, c.qt), c.scale)
            << (c.dpi ? c.dpi : "-") << " " << (c.gdk ? c.gdk : "-") << " " << (c.qt ? c.qt : "-");
}

TEST(PanelSettingsFile, RemembersAChoiceAndIgnoresWhatIsNotOne)
{
    TempFolder folder;
    const std::string prefs = folder.Path() + "Kestrune/";
    PanelSettings settings(prefs);
    EXPECT_EQ(settings.ChosenPercent(), 0); // no folder yet
    EXPECT_FALSE(settings.ChoosePercent(125));
    EXPECT_FALSE(std::filesystem::exists(settings.Path()));
    ASSERT_TRUE(settings.ChoosePercent(200)); // creates the folder
    EXPECT_EQ(settings.ChosenPercent(), 200);
    EXPECT_EQ(ReadText(settings.Path()), "# Kestrune panel\nsize=200\n");
    ASSERT_TRUE(settings.ChoosePercent(150));
    EXPECT_EQ(PanelSettings(prefs).ChosenPercent(), 150);
    EXPECT_FALSE(std::filesystem::exists(settings.Path() + ".damaged")); // our own file is replaced

    // Settings of a later version are skipped; the size still counts.
    WriteText(settings.Path(), "# Kestrune panel\ntheme=dark\nsize=100\n");
    EXPECT_EQ(settings.ChosenPercent(), 100);

    const std::string notOurs[] = {
        "",                                   // empty
        "# Kestrune panel\nsize=2",           // cut short
        "# Kestrune panel\nsize=175\n",       // not a size of the panel
        "# Kestrune panel\nsize=200\nsize=x\n",
        "size=200\n",                         // no header
        "[Kestrune]\nscale=2\n",              // foreign
        std::string("# Kestrune panel\nsize=200\n") + std::string(2000, '#') + "\n", // too long
    };
    for (const std::string& text : notOurs) {
        WriteText(settings.Path(), text);
        EXPECT_EQ(settings.ChosenPercent(), 0) << text.substr(0, 40);
        EXPECT_EQ(ReadText(settings.Path()), text); // reading changes nothing
    }

    // A choice keeps what was there beside it, under ".damaged".
    WriteText(settings.Path(), "[Kestrune]\nscale=2\n");
    ASSERT_TRUE(settings.ChoosePercent(200));
    EXPECT_EQ(ReadText(settings.Path() + ".damaged"), "[Kestrune]\nscale=2\n");
    EXPECT_EQ(settings.ChosenPercent(), 200);
}

TEST(PanelSettingsFile, OtherEntriesInItsPlaceNeitherCountNorHang)
{
    TempFolder folder;
    PanelSettings settings(folder.Path());
    // A folder of that name.
    std::filesystem::create_directory(settings.Path());
    std::filesystem::create_directory(settings.Path() + "/inside");
    EXPECT_EQ(settings.ChosenPercent(), 0);
    ASSERT_TRUE(settings.ChoosePercent(150));
    EXPECT_TRUE(std::filesystem::is_directory(settings.Path() + ".damaged/inside"));
    EXPECT_EQ(settings.ChosenPercent(), 150);
    // A FIFO (nobody writes to it) and a broken link.
    std::filesystem::remove(settings.Path());
    ASSERT_EQ(::mkfifo(settings.Path().c_str(), 0600), 0);
    EXPECT_EQ(settings.ChosenPercent(), 0);
    ASSERT_TRUE(settings.ChoosePercent(100));
    EXPECT_EQ(settings.ChosenPercent(), 100);
    std::filesystem::remove(settings.Path());
    std::filesystem::create_symlink(folder.Path() + "nowhere", settings.Path());
    EXPECT_EQ(settings.ChosenPercent(), 0);
    // An unwritable folder: the choice fails and nothing is lost.
    PanelSettings nowhere("/proc/kestrune-none/");
    EXPECT_FALSE(nowhere.ChoosePercent(200));
}

// An effect whose host answers resize requests as told, counting them.
std::atomic<bool> gAcceptResize {false};
std::atomic<int> gResizeCalls {0};
std::atomic<int> gResizeWidth {0};

VstIntPtr ResizingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float)
{
    if (opcode == audioMasterVersion) return 2400;
    if (opcode != audioMasterSizeWindow) return 0;
    ++gResizeCalls;
    gResizeWidth = index;
    return gAcceptResize ? 1 : 0;
}

class PanelScaleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        VSTGUI::SetResourceFolder(KESTRUNE_RESOURCES);
        gAcceptResize = false;
        gResizeCalls = 0;
        effect = std::make_unique<AKestrune>(ResizingHost);
        effect->setSampleRate(48000.0f);
        editor = static_cast<CDelayEditor*>(effect->getEditor());
    }
    void TearDown() override
    {
        effect.reset();
        VSTGUI::SetResourceFolder(nullptr);
    }

    TempFolder config;
    ScopedEnv configHome {"XDG_CONFIG_HOME", config.Path().c_str()};
    // No display: only the environment speaks for the screen.
    ScopedEnv noDisplay {"DISPLAY", nullptr};
    ScopedEnv noGdk {"GDK_SCALE", nullptr};
    ScopedEnv noQt {"QT_SCALE_FACTOR", nullptr};
    std::unique_ptr<AKestrune> effect;
    CDelayEditor* editor = nullptr;
};

// Refusal, acceptance and the remembered choice run through the size menu under Xvfb; what
// the menu cannot ask for is checked here.
TEST_F(PanelScaleTest, TheSameSizeAsksNothingAndAnUnknownOneIs100Percent)
{
    gAcceptResize = true;
    EXPECT_TRUE(editor->ApplyScale(1.5));
    EXPECT_TRUE(editor->ApplyScale(1.5));
    EXPECT_EQ(gResizeCalls, 1);
    EXPECT_TRUE(editor->ApplyScale(3.0));
    EXPECT_EQ(gResizeCalls, 2);
    EXPECT_EQ(gResizeWidth, 750);
}

uint32_t Pixel(cairo_surface_t* surface, int x, int y)
{
    const unsigned char* data = cairo_image_surface_get_data(surface);
    return reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(surface))[x];
}

class ScaledPaintTest : public PanelScaleTest, public ::testing::WithParamInterface<double> {
protected:
    double scale() const { return GetParam(); }
    int px(double units) const { return static_cast<int>(VSTGUI::unitsToPixels(units, scale())); }
    std::string File(int number) const
    {
        return std::string(KESTRUNE_RESOURCES) + "/" + VSTGUI::scaledFileName(number, scale(), "png");
    }
    // Pixels of the unit rectangle that differ from the background of this size with the
    // bitmap's unit source offset drawn over it, composed by cairo in pixels.
    int Differences(cairo_surface_t* painted, int number, int left, int top, int width, int height, int sourceX,
                    int sourceY)
    {
        cairo_surface_t* background = cairo_image_surface_create_from_png(File(3005).c_str());
        cairo_surface_t* bitmap = cairo_image_surface_create_from_png(File(number).c_str());
        EXPECT_EQ(cairo_surface_status(bitmap), CAIRO_STATUS_SUCCESS) << File(number);
        cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cairo_image_surface_get_width(painted),
                                                          cairo_image_surface_get_height(painted));
        cairo_t* cr = cairo_create(out);
        cairo_set_source_surface(cr, background, 0, 0);
        cairo_paint(cr);
        const int x0 = px(left), y0 = px(top), x1 = px(left + width), y1 = px(top + height);
        cairo_rectangle(cr, x0, y0, x1 - x0, y1 - y0);
        cairo_clip(cr);
        cairo_set_source_surface(cr, bitmap, x0 - px(sourceX), y0 - px(sourceY));
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_flush(out);
        int count = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) count += Pixel(painted, x, y) != Pixel(out, x, y);
        cairo_surface_destroy(out);
        cairo_surface_destroy(bitmap);
        cairo_surface_destroy(background);
        return count;
    }
};

TEST_P(ScaledPaintTest, ControlsAreTheirBitmapsOfThisSizePixelForPixel)
{
    effect->setParameter(kFeedBack, 0.62f);
    CPanelSnapshot panel(*editor, scale());
    EXPECT_EQ(panel.Width(), 750); // the layout stays in units
    EXPECT_EQ(panel.PixelWidth(), px(750));
    EXPECT_EQ(panel.PixelHeight(), px(332));
    cairo_surface_t* painted = panel.Paint();
    ASSERT_NE(painted, nullptr);
    ASSERT_EQ(cairo_image_surface_get_width(painted), px(750));

    // The feedback knob shows the frame of its value, drawn over the panel.
    const CBitmapKnob* feedback = nullptr;
    for (CControlBase* control : panel.View().Controls())
        if (control->m_id == kFeedBack && dynamic_cast<CBitmapKnob*>(control))
            feedback = static_cast<CBitmapKnob*>(control);
    ASSERT_NE(feedback, nullptr);
    const int frame = feedback->FrameIndex();
    EXPECT_GT(frame, 30);
    EXPECT_EQ(Differences(painted, 3004, 514, 71, 51, 51, 0, frame * 51), 0);
    EXPECT_GT(Differences(painted, 3004, 514, 71, 51, 51, 0, (frame - 10) * 51), 50); // another frame is not it
    // The time knob (opaque, 113 units), power on, a meter, the MS lamp.
    const int timeFrame = panel.View().TimeKnob().FrameIndex();
    EXPECT_EQ(Differences(painted, 5020, 112, 78, 113, 113, 0, timeFrame * 113), 0);
    EXPECT_EQ(Differences(painted, 3003, 18, 12, 30, 30, 0, 0), 0);
    EXPECT_EQ(Differences(painted, 3008, 46, 82, 7, 132, 0, 0), 0);
    EXPECT_EQ(Differences(painted, 5019, 263, 185, 192, 16, 0, 0), 0);
    // The value texts are drawn (not the bare glass) at this size.
    EXPECT_GT(Differences(painted, 3005, 585, 105, 34, 14, 585, 105), 10 * scale() * scale());
    cairo_surface_destroy(painted);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ScaledPaintTest, ::testing::Values(1.5, 2.0));

} // namespace
