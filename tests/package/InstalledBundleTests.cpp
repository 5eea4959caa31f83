// The bundle as the Debian package installs it: unpacked by check_package.sh into a scratch
// root whose files are read-only, named by KESTRUNE_INSTALLED_BUNDLE. Loaded through the test
// host, it must render exactly as the built bundle does, read its factory bank from its own
// folder and save programs only into the user's folder. Run under Xvfb (the save dialog).
// gtest first: X11's headers define None and Bool as macros.
#include <gtest/gtest.h>

#include "tests/editor/PanelHarness.h"
#include "tests/support/TempFolder.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <sys/stat.h>

using namespace panel_test;
namespace fs = std::filesystem;

namespace {

constexpr int kTapeEcho = 4;
constexpr int kBlock = 256;

std::string InstalledBundlePath()
{
    const char* path = std::getenv("KESTRUNE_INSTALLED_BUNDLE");
    return path ? path : "";
}

// Every file and folder under root with its size and modification time.
std::map<std::string, std::pair<uintmax_t, fs::file_time_type>> Snapshot(const std::string& root)
{
    std::map<std::string, std::pair<uintmax_t, fs::file_time_type>> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        files[entry.path().string()] = {entry.is_regular_file() ? entry.file_size() : 0, entry.last_write_time()};
    return files;
}

// One second of a plucked tone and a click through program Tape Echo, in host-sized blocks.
std::vector<float> RenderTapeEcho(const VstLibrary& library, std::string& programName)
{
    VstInstance fx(library);
    if (!fx.IsValid()) return {};
    fx.Dispatch(effOpen);
    fx.Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    fx.Dispatch(effSetBlockSize, 0, kBlock);
    fx.Dispatch(effSetProgram, 0, kTapeEcho);
    programName = fx.ProgramName();
    fx.Dispatch(effMainsChanged, 0, 1);
    std::vector<float> left(kBlock), right(kBlock), outLeft(kBlock), outRight(kBlock), rendered;
    float* inputs[2] = {left.data(), right.data()};
    float* outputs[2] = {outLeft.data(), outRight.data()};
    for (int frame = 0; frame < 48000; frame += kBlock) {
        for (int i = 0; i < kBlock; ++i) {
            const int t = frame + i;
            left[size_t(i)] = t < 4800 ? 0.5f * std::exp(-t / 900.0f) * std::sin(t * 0.0577f) : 0.0f;
            right[size_t(i)] = t == 2400 ? 0.8f : 0.0f;
        }
        fx.ProcessReplacing(inputs, outputs, kBlock);
        for (int i = 0; i < kBlock; ++i) {
            rendered.push_back(outLeft[size_t(i)]);
            rendered.push_back(outRight[size_t(i)]);
        }
    }
    fx.Dispatch(effMainsChanged, 0, 0);
    return rendered;
}

// Closes the "Failed to Save" alert should one appear, as a user would, and remembers that it
// did: the alert's own loop would otherwise hold the test until its time-out.
class AlertWatch {
public:
    AlertWatch() : m_thread([this] { Run(); }) {}
    ~AlertWatch()
    {
        m_stop = true;
        m_thread.join();
    }
    bool Seen() const { return m_seen; }

private:
    void Run()
    {
        XDriver x;
        const Atom protocols = XInternAtom(x.display, "WM_PROTOCOLS", False);
        const Atom deleteWindow = XInternAtom(x.display, "WM_DELETE_WINDOW", False);
        while (!m_stop) {
            // Grabbed, so no window of the panel's can vanish between listing and naming it.
            XGrabServer(x.display);
            const Window alert = x.findWindow("Kestrune");
            XUngrabServer(x.display);
            if (alert) {
                m_seen = true;
                XEvent close {};
                close.xclient.type = ClientMessage;
                close.xclient.window = alert;
                close.xclient.message_type = protocols;
                close.xclient.format = 32;
                close.xclient.data.l[0] = long(deleteWindow);
                XSendEvent(x.display, alert, False, NoEventMask, &close);
            }
            XFlush(x.display);
            std::this_thread::sleep_for(50ms);
        }
    }

    std::atomic<bool> m_stop {false};
    std::atomic<bool> m_seen {false};
    std::thread m_thread;
};

class InstalledBundle : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(bundle.empty()) << "KESTRUNE_INSTALLED_BUNDLE names the unpacked bundle folder";
        ASSERT_TRUE(installed.IsLoaded()) << installed.Error();
        ASSERT_EQ(installed.Path(), bundle + "/Kestrune.so");
        struct stat st {};
        ASSERT_EQ(::stat(bundle.c_str(), &st), 0);
        ASSERT_EQ(st.st_mode & 0222, 0u) << "the scratch bundle must be read-only, as a system-wide one is";
    }

    TempFolder config;
    ScopedEnv configHome {"XDG_CONFIG_HOME", config.Path().c_str()};
    const std::string bundle = InstalledBundlePath();
    VstLibrary installed {bundle};
};

} // namespace

TEST_F(InstalledBundle, RendersAsTheBuiltBundleWithItsOwnFactoryBank)
{
    VstLibrary built(KESTRUNE_BUNDLE_DIR);
    ASSERT_TRUE(built.IsLoaded()) << built.Error();
    std::string installedName, builtName;
    const std::vector<float> fromPackage = RenderTapeEcho(installed, installedName);
    const std::vector<float> fromBuild = RenderTapeEcho(built, builtName);
    // No user bank exists yet: the program names come from the installed factory bank.
    EXPECT_EQ(installedName, "Tape Echo");
    EXPECT_EQ(builtName, "Tape Echo");
    ASSERT_EQ(fromPackage.size(), size_t(2 * 48000 + 2 * (kBlock - 48000 % kBlock)));
    EXPECT_TRUE(fromPackage == fromBuild) << "the packaged plug-in must be the built one, bit for bit";
    // The echoes: energy well after the input has died away.
    double late = 0.0;
    for (size_t i = 2 * 24000; i < fromPackage.size(); ++i) late += double(fromPackage[i]) * fromPackage[i];
    EXPECT_GT(late, 1e-3);
    EXPECT_FALSE(fs::exists(config.Path() + "Kestrune/KestruneDef.fxb")) << "rendering saves nothing";
}

TEST_F(InstalledBundle, SavedProgramGoesToTheUserFolderAndNothingBesideTheLibrary)
{
    const auto before = Snapshot(bundle);
    XDriver x;
    ASSERT_NE(x.display, nullptr) << "needs an X server (run under xvfb-run)";
    {
        PanelSession session(installed, x, 0, 0);
        ASSERT_TRUE(session.Open());
        session.IdleFor(300ms);
        AlertWatch alert;
        ASSERT_TRUE(SaveThroughDialog(session, 9, "Studio 9", [&] { return session.fx.Dispatch(effGetProgram) == 9; }));
        session.IdleFor(300ms);
        EXPECT_FALSE(alert.Seen()) << "the save failed";
        EXPECT_EQ(session.fx.ProgramName(), "Studio 9");
    }
    std::error_code missing;
    EXPECT_EQ(fs::file_size(config.Path() + "Kestrune/KestruneDef.fxb", missing), 2976u) << missing.message();
    EXPECT_TRUE(Snapshot(bundle) == before) << "the bundle folder changed";

    // A new instance reads the user's bank, which keeps the programs it did not change.
    VstInstance again(installed);
    ASSERT_TRUE(again.IsValid());
    again.Dispatch(effOpen);
    EXPECT_EQ(again.StringOf(effGetProgramNameIndexed, 9), "Studio 9");
    EXPECT_EQ(again.StringOf(effGetProgramNameIndexed, kTapeEcho), "Tape Echo");
}
